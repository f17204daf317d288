// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QStringList>

class QComboBox;

namespace corvessa::mainwindow {

// The first entry of both group pickers; the personal search reads it as "any group".
inline const QString kAllGroups = QStringLiteral("全部");

// Empties the group filter (text6) and the editor's group picker (C1) and fills each with "全部" and then the
// groups in order, text6 first. Neither box is left showing an item afterwards: an empty box text is what the
// searches and the personal editor take for "no group chosen". A null box is skipped.
void refillGroupPickers(QComboBox* text6, QComboBox* c1, const QStringList& groups);

} // namespace corvessa::mainwindow
