// SPDX-License-Identifier: GPL-3.0-or-later

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
    QStringList aliases; // other names the same formula is printed under (酸枣汤 for 酸枣仁汤)
};
// Reads "name<TAB>book it is taught from[<TAB>alias/alias…]" lines ("#" starts a comment).
std::vector<TextbookEntry> readTextbookList(const QString& path);

// Where a book the textbook names lies in the library: a source book under another title (伤寒论 is read
// from 注解伤寒论), or a component book inside a collection, given as a range of its files (正体类要 is
// 薛氏医案 files 11 to 12).
struct TextbookBook {
    QString title;                   // as the textbook names it
    QString libraryBook;             // simplified title of the source book
    int firstFile = 0, lastFile = 0; // file numbers inside the source book; 0 for the whole book
};
// Reads "title<TAB>source book[<TAB>first-last]" lines.
std::vector<TextbookBook> readTextbookBooks(const QString& path);

struct TextbookMarking {
    QStringList found;                                 // names marked
    std::vector<std::pair<QString, QString>> unmarked; // name, why it is not marked
};
// Marks with 分组 "1", for each listed name, the first record of that name (or an alias; 黄耆 reads as 黄芪)
// from the book the textbook attributes it to, and only a record that has a 组成 of its own (never a
// cross-reference to another page). A name whose book is not among the sources, or has no such record,
// stays unmarked: a missing textbook formula is better than a wrong one.
TextbookMarking markTextbook(std::vector<LibraryRecord>& records, const std::vector<TextbookEntry>& list,
                             const std::vector<TextbookBook>& books);

// Every distinct 出处 plus the given titles, de-duplicated and in pinyin order.
QStringList sourceCatalogue(const std::vector<LibraryRecord>& records, const QStringList& bookTitles);

} // namespace corvessa::importer
