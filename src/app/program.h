#pragma once

#include "startup.h"

#include <QStringList>

namespace corvessa::store {
class Store;
}
namespace corvessa::mainwindow {
class MainWindow;
class Messenger;
} // namespace corvessa::mainwindow

namespace corvessa::app {

// Ties the main window to what lies outside it: "编辑分组" opens the group editor over it, and closing it, by
// whatever way, hides it, closes the databases, backs up the personal database under `backupRoot`, reports a
// failed backup and ends the program.
void connectMainWindow(mainwindow::MainWindow& window, store::Store& store, mainwindow::Messenger& messenger,
                       const QString& backupRoot);

// Everything main() does once the application object exists: place the databases, open both of them, show the
// main window and run the event loop. A start-up failure is shown in one message box and ends with status 1.
int runProgram(const Roots& roots, QByteArrayView library, QByteArrayView personalTemplate,
               const QStringList& sourceCatalogue);

} // namespace corvessa::app
