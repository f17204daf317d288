#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>

namespace corvessa::store {

class Connection;
class Statement;
class Store;

// Finding a name by its sound: toneless full pinyin (guizhitang), initials (gzt) or a prefix of either,
// starting at any character of the name. Each name's keys are kept beside the record in table [拼音]
// ([行] = the record's rowid, [方名] = the name the keys were made from, [首字母], [全拼]); the library's are
// made when it is built, the personal database's when a record is saved and, for rows saved before, on first
// use. The readings of every character come with the library (table [读音]).
namespace pinyin {

// Toneless readings of a character, lower case, the usual one first.
using Readings = QHash<char32_t, QStringList>;

// The readings this field uses for characters read otherwise in everyday text (白术 zhu, 人参 shen, ...).
// They replace every other reading of the character.
const Readings& fieldReadings();

// The keys of one name. Characters without a reading (punctuation, digits) are left out; a Latin letter
// stands for itself. A character with several readings gives every combination, up to a few.
struct NameKeys {
    QString initials; // combinations separated by "|": "gzt"
    QString full;     // every combination's suffix at each character start, each after "|":
                      // "|guizhitang|zhitang|tang"
};
NameKeys nameKeys(const QString& name, const Readings& readings);

// True when the typed name holds letters and blanks only (at least one letter): then it is read as pinyin.
bool isPinyinInput(const QString& typed);
// The condition on a record's rowid that finds `typed` (letters, blanks ignored, any case) by its keys.
QString nameCondition(const QString& typed);

// Creates table [拼音] (when missing) and table [读音] in a library being built.
void createKeyTable(Connection& connection);
void writeReadings(Connection& connection, const Readings& readings);
// Writes the keys of records, one statement for all.
class KeyWriter {
public:
    KeyWriter(Connection& connection, const Readings& readings);
    ~KeyWriter();
    KeyWriter(const KeyWriter&) = delete;
    KeyWriter& operator=(const KeyWriter&) = delete;
    void write(qint64 rowid, const QVariant& name);

private:
    std::unique_ptr<Statement> m_insert;
    const Readings& m_readings;
};

// The readings the library stores for the characters of `names`.
Readings libraryReadings(Store& store, const QStringList& names);
// Makes the personal database's keys match its records: adds the missing, renews those of renamed records
// and drops those of deleted ones. Cheap when nothing changed.
void refreshPersonalKeys(Store& store);

} // namespace pinyin

} // namespace corvessa::store
