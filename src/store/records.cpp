// SPDX-License-Identifier: GPL-3.0-or-later

#include "records.h"

#include "codec.h"
#include "log.h"
#include "pinyin.h"
#include "schema.h"
#include "sqlite.h"
#include "store.h"
#include "storeerror.h"

namespace corvessa::store {

namespace {

// Every operation leaves the shared recordset closed and released, also when it fails half-way.
struct ReleaseOnExit {
    Recordset& recordset;
    ~ReleaseOnExit() { recordset.release(); }
};

// Assigns every column of a personal record in the order the program has always written them; 备用1–3 are
// written as empty texts.
void writeColumns(Recordset& rs, const QVariant& name, const QVariant& source, const QVariant& indications,
                  const QVariant& storedContent, const QString& category, const QString& key,
                  const QVariant& group) {
    const QString empty = QStringLiteral("");
    const std::pair<const char*, QVariant> columns[] = {
        {"方名", name}, {"出处", source}, {"主治", indications}, {"内容", storedContent}, {"类别", category},
        {"序号", key},  {"备用1", empty}, {"备用2", empty},      {"备用3", empty},        {"分组", group}};
    for (const auto& [column, value] : columns)
        rs.setField(QString::fromUtf8(column), value);
}

// Takes the database's write lock before anything is read (BEGIN IMMEDIATE), so that choosing a free key and
// writing the record are one step that no other instance can come between: two windows that save in the same
// second get two keys, and no save writes over a record another window has just written. Rolled back unless
// commit() is reached.
class WriteTransaction {
public:
    explicit WriteTransaction(Connection& connection) : m_connection(connection) {
        m_connection.exec(QStringLiteral("BEGIN IMMEDIATE"));
    }
    ~WriteTransaction() {
        if (m_open) {
            try {
                m_connection.exec(QStringLiteral("ROLLBACK"));
            } catch (const StoreError& error) {
                // A failed COMMIT may already have ended the transaction; nothing is left to undo then.
                qCWarning(lcStore) << "rollback:" << error.detail();
            }
        }
    }
    WriteTransaction(const WriteTransaction&) = delete;
    WriteTransaction& operator=(const WriteTransaction&) = delete;
    void commit() {
        m_connection.exec(QStringLiteral("COMMIT"));
        m_open = false;
    }

private:
    Connection& m_connection;
    bool m_open = true;
};

// A saved record's pinyin keys are made at once, from the readings of the library when it is open (it is
// whenever the window is). Otherwise, or should that fail, the next pinyin search makes them.
void refreshNameKeys(Store& store) {
    if (!store.connections().isOpen(store.libraryConnection()))
        return;
    try {
        pinyin::refreshPersonalKeys(store);
    } catch (const StoreError& error) {
        qCWarning(lcStore) << "pinyin keys after a save:" << error.detail();
    }
}

QString keyOf(const QDateTime& time) {
    return time.toString(QStringLiteral("yyMMddHHmmss"));
}

} // namespace

QString sqlText(const QString& value) {
    QString quoted = value;
    return quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
}

QString freshRecordKey(Store& store, const QDateTime& now) {
    Connection& connection = store.connections().connection(store.personalConnection());
    Statement taken(connection, QStringLiteral("SELECT 1 FROM [中药方剂] WHERE [序号] = ? LIMIT 1"));
    QDateTime time = now;
    for (;;) {
        const QString key = keyOf(time);
        taken.bind(1, key);
        const bool used = taken.step();
        taken.reset();
        if (!used)
            return key;
        time = time.addSecs(1);
    }
}

QString appendPersonalRecord(Store& store, const RecordFields& fields, const QString& category,
                             const QDateTime& now) {
    Recordset& rs = store.recordset();
    ReleaseOnExit release{rs};
    WriteTransaction transaction(store.connections().connection(store.personalConnection()));
    const QString key = freshRecordKey(store, now);
    rs.setLockType(adLockOptimistic);
    rs.setCursorLocation(adUseClient);
    rs.open(QStringLiteral("select * from[中药方剂] "), store.personalConnection());
    rs.requery();
    rs.addNew();
    writeColumns(rs, fields.name, fields.source, fields.indications, fields.storedContent, category, key,
                 QStringLiteral(""));
    rs.update();
    rs.close();
    transaction.commit();
    refreshNameKeys(store);
    return key;
}

bool deletePersonalRecord(Store& store, const QString& key, const QString& category) {
    Recordset& rs = store.recordset();
    ReleaseOnExit release{rs};
    rs.setLockType(adLockOptimistic);
    rs.setCursorLocation(adUseClient);
    rs.open(QStringLiteral("select * from[中药方剂] where  [序号] = '") + sqlText(key) +
                QStringLiteral("' and [类别] = '") + sqlText(category) + QStringLiteral("'"),
            store.personalConnection());
    if (rs.recordCount() < 1)
        return false;
    rs.deleteCurrent();
    rs.update();
    rs.requery();
    return true;
}

QString savePersonalPrescription(Store& store, const QString& selectedKey, const QString& name,
                                 const QString& group, const QString& content, const QDateTime& now) {
    Recordset& rs = store.recordset();
    ReleaseOnExit release{rs};
    WriteTransaction transaction(store.connections().connection(store.personalConnection()));
    const QString key = freshRecordKey(store, now);
    rs.setLockType(adLockOptimistic);
    rs.setCursorLocation(adUseClient);
    // The editor only ever loads own prescriptions: a favourite that happens to share the key (two saves in
    // one second before keys were unique) is never the record being edited.
    rs.open(QStringLiteral("select * from[中药方剂] where [序号] = '") + sqlText(selectedKey) +
                QStringLiteral("' and [类别] = '") + kCategoryPersonal + QStringLiteral("'"),
            store.personalConnection());
    if (rs.recordCount() == 0)
        rs.addNew();
    writeColumns(rs, name, QStringLiteral(""), QStringLiteral(""), scramble(content), kCategoryPersonal, key,
                 group);
    rs.update(); // one statement: the record is written whole or not at all
    rs.close();
    transaction.commit();
    refreshNameKeys(store);
    return key;
}

} // namespace corvessa::store
