// SPDX-License-Identifier: GPL-3.0-or-later

#include "pinyin.h"

#include "sqlite.h"
#include "store.h"

#include <QVariant>
#include <memory>

namespace corvessa::store::pinyin {

namespace {

// More combinations than this per name are not kept: a polyphone after the limit counts with its usual
// reading only.
constexpr int kMaxCombinations = 4;

bool isAsciiLetter(char32_t c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

QString lettersOf(const QString& typed) {
    QString letters;
    for (const QChar c : typed) {
        if (c != QLatin1Char(' '))
            letters += c.toLower();
    }
    return letters;
}

} // namespace

const Readings& fieldReadings() {
    static const Readings table = [] {
        // Characters whose reading in the names of formulas and drugs differs from the everyday one, or that
        // are read two ways there; the first reading is the usual one in this field.
        const std::pair<const char16_t*, const char*> entries[] = {
            {u"术", "zhu"},  {u"朴", "po"},    {u"薄", "bo"},          {u"茜", "qian"},
            {u"蛤", "ge"},   {u"藁", "gao"},   {u"大", "da"},          {u"地", "di"},
            {u"附", "fu"},   {u"芍", "shao"},  {u"柴", "chai"},        {u"胡", "hu"},
            {u"行", "xing"}, {u"长", "chang"}, {u"重", "chong zhong"}, {u"参", "shen can"},
        };
        Readings readings;
        for (const auto& [character, spoken] : entries) {
            const QString text = QString::fromUtf16(character);
            readings.insert(text.toUcs4().front(),
                            QString::fromLatin1(spoken).split(QLatin1Char(' '), Qt::SkipEmptyParts));
        }
        return readings;
    }();
    return table;
}

NameKeys nameKeys(const QString& name, const Readings& readings) {
    std::vector<QStringList> characters;
    for (const char32_t c : name.toUcs4()) {
        if (c < 0x80) {
            if (isAsciiLetter(c))
                characters.push_back({QString(QChar(char16_t(c))).toLower()});
            continue;
        }
        const auto it = readings.constFind(c);
        if (it != readings.constEnd() && !it->isEmpty())
            characters.push_back(*it);
    }
    std::vector<QStringList> combinations{QStringList()};
    for (const QStringList& alternatives : characters) {
        std::vector<QStringList> next;
        for (const QStringList& combination : combinations) {
            for (qsizetype a = 0; a < alternatives.size(); ++a) {
                // Past the limit only the usual reading extends the combinations made so far.
                if (a > 0 && int(next.size()) + int(combinations.size()) > kMaxCombinations)
                    break;
                next.push_back(combination + QStringList{alternatives[a]});
            }
        }
        combinations = std::move(next);
    }
    QStringList initials;
    QStringList initialSuffixes;
    QStringList suffixes;
    for (const QStringList& combination : combinations) {
        if (combination.isEmpty())
            continue;
        QString first;
        for (const QString& syllable : combination)
            first += syllable.front();
        initials << first;
        for (qsizetype i = 0; i < first.size(); ++i)
            initialSuffixes << first.mid(i);
        for (qsizetype i = 0; i < combination.size(); ++i)
            suffixes << combination.mid(i).join(QString());
    }
    initials.removeDuplicates();
    suffixes.removeDuplicates();
    NameKeys keys;
    keys.initials = initials.join(QLatin1Char('|'));
    for (const QString& suffix : suffixes)
        keys.full += QLatin1Char('|') + suffix;
    QStringList terms = initialSuffixes + suffixes;
    terms.removeDuplicates();
    keys.terms = terms.join(QLatin1Char(' '));
    return keys;
}

bool isPinyinInput(const QString& typed) {
    bool letter = false;
    for (const QChar c : typed) {
        if (c == QLatin1Char(' '))
            continue;
        if (!isAsciiLetter(c.unicode()))
            return false;
        letter = true;
    }
    return letter;
}

QString nameCondition(const QString& typed) {
    // Only letters reach the pattern: nothing in it needs quoting and no wildcard comes from the input.
    const QString letters = lettersOf(typed);
    return QStringLiteral("rowid in (select [行] from[拼音] where [首字母] like '%") + letters +
           QStringLiteral("%' or [全拼] like '%|") + letters + QStringLiteral("%')");
}

QString libraryNameCondition(const QString& typed) {
    return QStringLiteral("rowid in (select docid from[拼音索引] where [拼音索引] match '") +
           lettersOf(typed) + QStringLiteral("*')");
}

void createLibraryKeyIndex(Connection& connection) {
    connection.exec(QStringLiteral("CREATE VIRTUAL TABLE [拼音索引] USING fts4(content=\"\", [键])"));
}

void createKeyTable(Connection& connection) {
    connection.exec(
        QStringLiteral("CREATE TABLE IF NOT EXISTS [拼音] ([行] INTEGER PRIMARY KEY, [方名] TEXT, "
                       "[首字母] TEXT, [全拼] TEXT)"));
}

void writeReadings(Connection& connection, const Readings& readings) {
    connection.exec(QStringLiteral("CREATE TABLE [读音] ([字] TEXT PRIMARY KEY, [读音] TEXT) WITHOUT ROWID"));
    Statement insert(connection, QStringLiteral("INSERT INTO [读音] ([字],[读音]) VALUES (?,?)"));
    for (auto it = readings.constBegin(); it != readings.constEnd(); ++it) {
        const char32_t c = it.key();
        insert.bind(1, QString::fromUcs4(&c, 1));
        insert.bind(2, it->join(QLatin1Char(' ')));
        insert.step();
        insert.reset();
    }
}

KeyWriter::KeyWriter(Connection& connection, const Readings& readings, Target target)
    : m_insert(std::make_unique<Statement>(
          connection,
          target == LibraryIndex
              ? QStringLiteral("INSERT INTO [拼音索引] (docid, [键]) VALUES (?,?)")
              : QStringLiteral("INSERT OR REPLACE INTO [拼音] ([行],[方名],[首字母],[全拼]) VALUES "
                               "(?,?,?,?)"))),
      m_readings(readings), m_target(target) {}

KeyWriter::~KeyWriter() = default;

void KeyWriter::write(qint64 rowid, const QVariant& name) {
    const NameKeys keys = nameKeys(name.toString(), m_readings);
    m_insert->bind(1, rowid);
    if (m_target == LibraryIndex) {
        if (keys.terms.isEmpty())
            return;
        m_insert->bind(2, keys.terms);
    } else {
        m_insert->bind(2, name);
        m_insert->bind(3, keys.initials);
        m_insert->bind(4, keys.full);
    }
    m_insert->step();
    m_insert->reset();
}

Readings libraryReadings(Store& store, const QStringList& names) {
    Readings readings;
    Connection& library = store.connections().connection(store.libraryConnection());
    {
        Statement exists(
            library, QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = '读音'"));
        if (!exists.step())
            return readings; // a library without readings: names are keyed by their Latin letters only
    }
    Statement read(library, QStringLiteral("SELECT [读音] FROM [读音] WHERE [字] = ?"));
    for (const QString& name : names) {
        for (const char32_t c : name.toUcs4()) {
            if (c < 0x80 || readings.contains(c))
                continue;
            read.bind(1, QString::fromUcs4(&c, 1));
            readings.insert(c, read.step()
                                   ? read.value(0).toString().split(QLatin1Char(' '), Qt::SkipEmptyParts)
                                   : QStringList());
            read.reset();
        }
    }
    return readings;
}

void refreshPersonalKeys(Store& store) {
    Connection& personal = store.connections().connection(store.personalConnection());
    createKeyTable(personal);
    std::vector<std::pair<qint64, QVariant>> missing;
    bool orphans = false;
    {
        Statement stale(personal, QStringLiteral("SELECT rowid, [方名] FROM [中药方剂] AS t WHERE NOT EXISTS "
                                                 "(SELECT 1 FROM [拼音] AS p WHERE p.[行] = t.rowid AND "
                                                 "p.[方名] IS t.[方名])"));
        while (stale.step())
            missing.emplace_back(stale.int64(0), stale.value(1));
        Statement orphan(personal, QStringLiteral("SELECT 1 FROM [拼音] WHERE [行] NOT IN "
                                                  "(SELECT rowid FROM [中药方剂]) LIMIT 1"));
        orphans = orphan.step();
    }
    if (missing.empty() && !orphans)
        return;
    QStringList names;
    for (const auto& entry : missing)
        names << entry.second.toString();
    const Readings readings = libraryReadings(store, names);
    // A savepoint, not a transaction: a caller may be inside one.
    personal.exec(QStringLiteral("SAVEPOINT pinyin_keys"));
    try {
        KeyWriter writer(personal, readings);
        for (const auto& [rowid, name] : missing)
            writer.write(rowid, name);
        personal.exec(QStringLiteral("DELETE FROM [拼音] WHERE [行] NOT IN (SELECT rowid FROM [中药方剂])"));
        personal.exec(QStringLiteral("RELEASE pinyin_keys"));
    } catch (...) {
        personal.exec(QStringLiteral("ROLLBACK TO pinyin_keys"));
        personal.exec(QStringLiteral("RELEASE pinyin_keys"));
        throw;
    }
}

} // namespace corvessa::store::pinyin
