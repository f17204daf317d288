// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <optional>

namespace corvessa::mainwindow {

// The longest text a search field passes on. Every searched column holds at most 200 characters, and the
// indications field takes up to five keywords; anything longer is a paste gone wrong, which the database
// engine would refuse with a message of its own.
inline constexpr qsizetype kMaxSearchInput = 1000;

inline const QString kSearchInputTooLong =
    QStringLiteral("查询内容太长（最多 %1 个字），请缩短后再查询。").arg(kMaxSearchInput);

// A search field's text as it may go into a query: NUL characters (which end a text for the database engine)
// removed. nullopt when the text is longer than kMaxSearchInput, so the caller refuses it before any SQL.
std::optional<QString> guardSearchInput(const QString& typed);

} // namespace corvessa::mainwindow
