// SPDX-License-Identifier: GPL-3.0-or-later

#include "dbbuild.h"

#include "readings.h"
#include "store/codec.h"
#include "store/ingredients.h"
#include "store/pinyin.h"
#include "store/schema.h"
#include "store/sqlite.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <stdexcept>

namespace corvessa::dbbuild {

namespace {

QVariant valueOf(const QJsonObject& object, const QString& key) {
    const QJsonValue value = object.value(key);
    if (value.isUndefined() || value.isNull())
        return {};
    return value.toString();
}

// Builds under a temporary name and renames at the end, so a failed or interrupted build leaves no file that
// looks finished.
template <typename Fill> void writeDatabase(const QString& path, const QString& password, Fill fill) {
    const QString temporary = path + QStringLiteral(".part");
    QFile::remove(temporary);
    {
        store::Connection connection(temporary, password, true);
        connection.exec(QStringLiteral("BEGIN"));
        fill(connection);
        connection.exec(QStringLiteral("COMMIT"));
    }
    QFile::remove(path);
    if (!QFile::rename(temporary, path))
        throw std::runtime_error("cannot rename " + temporary.toStdString() + " to " + path.toStdString());
}

} // namespace

std::vector<LibraryRecord> readLibraryInput(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + path.toStdString());
    std::vector<LibraryRecord> records;
    int lineNumber = 0;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        ++lineNumber;
        if (line.isEmpty())
            continue;
        QJsonParseError error{};
        const QJsonDocument document = QJsonDocument::fromJson(line, &error);
        if (error.error != QJsonParseError::NoError || !document.isObject())
            throw std::runtime_error(path.toStdString() + ":" + std::to_string(lineNumber) +
                                     ": not a JSON object");
        const QJsonObject o = document.object();
        records.push_back({valueOf(o, QStringLiteral("方名")), valueOf(o, QStringLiteral("出处")),
                           valueOf(o, QStringLiteral("主治")), valueOf(o, QStringLiteral("内容")),
                           valueOf(o, QStringLiteral("类别")), valueOf(o, QStringLiteral("分组")),
                           valueOf(o, QStringLiteral("备用1")), valueOf(o, QStringLiteral("备用2")),
                           valueOf(o, QStringLiteral("备用3"))});
    }
    return records;
}

void writeLibraryDatabase(const QString& path, const std::vector<LibraryRecord>& records,
                          const QString& password, int version) {
    writeDatabase(path, password, [&](store::Connection& connection) {
        store::createLibrarySchema(connection);
        connection.exec(QStringLiteral("PRAGMA user_version = %1").arg(version));
        store::Statement insert(
            connection, QStringLiteral("INSERT INTO [中药方剂] ([方名],[出处],[主治],[内容],[类别],[分组],"
                                       "[备用1],[备用2],[备用3]) VALUES (?,?,?,?,?,?,?,?,?)"));
        // The search aids: the readings of every character, each name's pinyin keys, and the composition of
        // every formula in a full-text index.
        const store::pinyin::Readings& readings = defaultReadings();
        store::pinyin::writeReadings(connection, readings);
        store::pinyin::createLibraryKeyIndex(connection);
        store::pinyin::KeyWriter keys(connection, readings, store::pinyin::KeyWriter::LibraryIndex);
        store::ingredients::createIndex(connection);
        store::Statement index(connection,
                               QStringLiteral("INSERT INTO [组成索引] (docid, [组成]) VALUES (?,?)"));
        for (const LibraryRecord& r : records) {
            QVariant content = r.content;
            const bool herb = r.category.toString() == store::kCategoryHerb;
            if (!content.isNull() && !herb)
                content = store::scramble(content.toString());
            const QVariant values[] = {r.name,  r.source, r.indications, content, r.category,
                                       r.group, r.spare1, r.spare2,      r.spare3};
            for (int i = 0; i < 9; ++i)
                insert.bind(i + 1, values[i]);
            insert.step();
            insert.reset();
            const qint64 rowid = connection.lastInsertRowId();
            if (!r.name.isNull())
                keys.write(rowid, r.name);
            const QString composition =
                herb ? QString() : store::ingredients::compositionOf(r.content.toString());
            if (!composition.isEmpty()) {
                index.bind(1, rowid);
                index.bind(2, store::ingredients::indexText(composition));
                index.step();
                index.reset();
            }
        }
        connection.exec(QStringLiteral("INSERT INTO [组成索引]([组成索引]) VALUES ('optimize')"));
        connection.exec(QStringLiteral("INSERT INTO [拼音索引]([拼音索引]) VALUES ('optimize')"));
        // Statistics of the finished tables let the planner see how small the textbook index is.
        connection.exec(QStringLiteral("ANALYZE"));
    });
}

void writePersonalTemplate(const QString& path, const QString& password) {
    writeDatabase(path, password,
                  [](store::Connection& connection) { store::createPersonalSchema(connection); });
}

} // namespace corvessa::dbbuild
