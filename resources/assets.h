// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace corvessa::resources {

// The help pages that ship with the program: their names relative to the data folder ("help/...") and
// contents.
struct HelpPage {
    QString relativePath;
    QByteArray content;
};
QList<HelpPage> helpPages();

} // namespace corvessa::resources
