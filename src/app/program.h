#pragma once

#include "startup.h"

#include <QStringList>

namespace corvessa::app {

// Everything main() does once the application object exists: place the databases, open both of them, show the
// main window and run the event loop. A start-up failure is shown in one message box and ends with status 1.
int runProgram(const Roots& roots, QByteArrayView library, QByteArrayView personalTemplate,
               const QStringList& sourceCatalogue);

} // namespace corvessa::app
