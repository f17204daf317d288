// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <array>

// The texts of the searches: query building, keyword cutting and the numbered result lines.
namespace corvessa::mainwindow::search {

constexpr int kKeywordSlots = 5;
using KeywordSlots = std::array<QString, kKeywordSlots>;

inline const QString kTextbookQuery =
    QStringLiteral("select * from[中药方剂] where [分组] ='1' and [类别] = '中药经方' order by [方名]");
inline const QString kEmptyInputMessage = QStringLiteral("请输入查询条件！");

// Leading and trailing blanks (U+0020 only) removed.
QString trimBlanks(const QString& text);
// Typed text as it goes between single quotes in a query: every ' doubled, so no input ends the literal.
QString quoted(const QString& typed);
// Cuts the 主治 input into five keyword keywords: ",", " ", "。" and "、" count as "，"; empty parts are
// kept.
KeywordSlots cutKeywords(const QString& indications);

// What a search asks beyond its designed conditions; empty parts add nothing, and the query is then exactly
// the designed one.
struct Extras {
    QString nameCondition;        // matches the name this way instead of by the pattern (pinyin keys)
    QString compositionCondition; // the composition must also satisfy this
};

// The query of the library search on tab 0 (library) or tab 1 (favourites).
QString libraryQuery(int tab, const QString& name, const QString& source, const KeywordSlots& keywords,
                     const Extras& extras = {});
QString herbalQuery(const QString& name, const Extras& extras = {});
QString personalQuery(const QString& name, const QString& group, const Extras& extras = {});

// The herbs typed in 组成: cut like the 主治 keywords (up to five), letters and digits only, empty ones
// dropped.
QStringList herbsOf(const QString& composition);
// Typed text in the form the library is stored in: traditional and variant characters become the simplified
// ones.
QString normalized(const QString& typed);

// Digits of the line numbers for a list of `total` rows: 1 below 10, ..., 5 from 10,000 on.
int numberWidth(int total);
// "[" + the last `width` digits of the zero-filled position + "]" + name, and "[" + source + "]" when wanted.
QString resultLine(int position, int width, const QVariant& name, const QVariant& source, bool withSource);

} // namespace corvessa::mainwindow::search
