// SPDX-License-Identifier: GPL-3.0-or-later

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
    // The same suffixes of the initials and of the full readings as words for a full-text index, so that a
    // prefix query finds what starts at any character: "gzt zt t guizhitang zhitang tang".
    QString terms;
};
NameKeys nameKeys(const QString& name, const Readings& readings);

// True when the typed name holds letters and blanks only (at least one letter): then it is read as pinyin.
bool isPinyinInput(const QString& typed);
// The condition on a record's rowid that finds `typed` (letters, blanks ignored, any case) by its keys: in
// the personal database through table [拼音], in the library through the full-text table [拼音索引].
QString nameCondition(const QString& typed);
QString libraryNameCondition(const QString& typed);

// Creates table [拼音] (when missing) in the personal database, the full-text table [拼音索引] in a library
// being built, and the library's table [读音].
void createKeyTable(Connection& connection);
void createLibraryKeyIndex(Connection& connection);
void writeReadings(Connection& connection, const Readings& readings);
// Writes the keys of records, one statement for all: into [拼音], or into the library's [拼音索引].
class KeyWriter {
public:
    enum Target { PersonalTable, LibraryIndex };
    KeyWriter(Connection& connection, const Readings& readings, Target target = PersonalTable);
    ~KeyWriter();
    KeyWriter(const KeyWriter&) = delete;
    KeyWriter& operator=(const KeyWriter&) = delete;
    void write(qint64 rowid, const QVariant& name);

private:
    std::unique_ptr<Statement> m_insert;
    const Readings& m_readings;
    Target m_target;
};

// The readings the library stores for the characters of `names`.
Readings libraryReadings(Store& store, const QStringList& names);
// Makes the personal database's keys match its records: adds the missing, renews those of renamed records
// and drops those of deleted ones. Cheap when nothing changed.
void refreshPersonalKeys(Store& store);

} // namespace pinyin

} // namespace corvessa::store
