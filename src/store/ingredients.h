// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QStringList>

namespace corvessa::store {

class Connection;

// Finding formulas by what they contain. The composition is the text of a record after "【组成】", up to the
// next heading. The library keeps it in the full-text table [组成索引] (docid = the record's rowid), one
// token per character, so that a herb is found as a phrase anywhere in the text: 茯苓 also finds 白茯苓.
namespace ingredients {

// The composition within a readable 内容, empty when it has none.
QString compositionOf(const QString& content);
// The composition as the full-text table stores it: each letter or digit a token, anything else a separator
// token, so that no phrase runs across two herbs.
QString indexText(const QString& composition);
// The typed herbs that can be searched for: letters and digits only, empty ones dropped.
QStringList searchable(const QStringList& herbs);
// The condition on a library record's rowid that requires every herb in its composition. `herbs` as given by
// searchable(), at least one.
QString indexCondition(const QStringList& herbs);
// Whether a composition contains every herb, for records that have no index (the favourites).
bool containsAll(const QString& composition, const QStringList& herbs);

// Creates the full-text table of a library being built.
void createIndex(Connection& connection);

} // namespace ingredients

} // namespace corvessa::store
