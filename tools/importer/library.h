#pragma once

#include "formulaparser.h"
#include "herbparser.h"
#include "normalizer.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <map>
#include <vector>

namespace corvessa::importer {

inline const QString kCategoryFormula = QStringLiteral("中药经方");
inline const QString kCategoryHerb = QStringLiteral("中药功效");

// One row of the library as the database builder reads it, plus where it came from.
struct LibraryRecord {
    QString name, source, indications, content, category, group;
    QString book;       // simplified title of the source book
    QString provenance; // "KR3e0067/KR3e0067_100.txt:12-31 KR3e0067_WYG_100-2a": file, passage lines, page
    QString file;       // folder/file of the source
    int firstLine = 0, lastLine = 0; // the lines the record was read from
    int passageLast = 0;             // the passage goes on to the line before the next heading
    bool herb() const { return category == kCategoryHerb; }
    QJsonObject toJson() const;
};

// Where a formula was found, for its 出处 and the 【出处】 line of its text.
struct Origin {
    QString bookId, bookTitle, juan, fileName;
};

// Lays out one parsed formula as a library record: simplified text, 出处 = book (and the older book it
// cites), 主治 at most 200 characters, 内容 with 【组成】【用法】【主治】【出处】 headings.
LibraryRecord makeFormulaRecord(const RawFormula& raw, const Origin& origin, Normalizer& normalize);
// A herb entry: 内容 begins with the name and "@$", then one line per section.
LibraryRecord makeHerbRecord(const RawHerb& raw, const Origin& origin, Normalizer& normalize);

// Drops exact repeats (same name, category and text apart from the page reference). Returns how many it
// dropped.
int removeDuplicates(std::vector<LibraryRecord>& records);

// How often each herb name is used as an ingredient, counted over the 【组成】 parts.
std::map<QString, int> ingredientUse(const std::vector<LibraryRecord>& records);

// The fields of each line of a tab-separated data file; blank lines and "#" comments are skipped.
std::vector<QStringList> readTabSeparated(const QString& path);

struct TextbookEntry {
    QString name, book;
};
// Reads "name<TAB>canonical book" lines ("#" starts a comment).
std::vector<TextbookEntry> readTextbookList(const QString& path);
// Marks with 分组 "1" one record per listed name: from the canonical book when the library has it there, else
// the same-name record from the oldest book that gives indications. Returns the names found.
QStringList markTextbook(std::vector<LibraryRecord>& records, const std::vector<TextbookEntry>& list,
                         const QStringList& bookOrder);

// Every distinct 出处 plus the given titles, de-duplicated and in pinyin order.
QStringList sourceCatalogue(const std::vector<LibraryRecord>& records, const QStringList& bookTitles);

} // namespace corvessa::importer
