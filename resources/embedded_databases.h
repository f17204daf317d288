#pragma once

#include <QByteArrayView>

namespace corvessa::resources {

// The complete database files, byte for byte, as the build made them.
QByteArrayView libraryDatabase();
QByteArrayView personalTemplate();

} // namespace corvessa::resources
