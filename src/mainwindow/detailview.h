// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

// The text the detail view shows for a record. Line breaks are kept as "\n" whatever the stored text used
// ("\r\n", "\r" or "\n" each count as one), so the tidying below sees every break.
namespace corvessa::mainwindow::detail {

// A line break before every "【" heading.
QString breakBeforeHeadings(const QString& text);
// Two single left-to-right passes: runs of four breaks become two, then runs of three become two. Long runs
// are not collapsed completely (six breaks end as three).
QString tidyLineBreaks(const QString& text);
// A prescription (library, favourite or personal): the stored 内容 unscrambled, headings on their own lines.
QString prescriptionText(const QString& storedContent);
// A herb entry: its 内容 as stored, without every occurrence of the entry's name followed by "@$". The name
// is what follows the first "]" of the entry's result line.
QString herbText(const QString& content, const QString& resultLine);

} // namespace corvessa::mainwindow::detail
