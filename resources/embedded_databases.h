// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArrayView>
#include <QStringList>

namespace corvessa::resources {

// The complete database files, byte for byte, as the build made them.
QByteArrayView libraryDatabase();
QByteArrayView personalTemplate();
// The source-book titles of the source picker, in pinyin order.
QStringList sourceCatalogue();

} // namespace corvessa::resources
