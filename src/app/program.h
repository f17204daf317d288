// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "startup.h"

#include "store/backup.h"

#include <QStringList>
#include <functional>
#include <memory>

namespace corvessa::store {
class Store;
}
namespace corvessa::mainwindow {
class MainWindow;
class Messenger;
} // namespace corvessa::mainwindow

namespace corvessa::app {

// The sentences the user reads for a failed start-up step and for a failed backup.
QString startupMessage(const StartupError& error);
QString backupFailureMessage(const store::BackupResult& result);

// Ties the main window to what lies outside it: "编辑分组" opens the group editor over it, "从备份恢复…"
// (context menu of the list on the 个人验方 tab, Ctrl+R) opens the restore list, and closing it, by whatever
// way, hides it, closes the databases, backs up the personal database under `backupRoot`, reports a failed
// backup and ends the program. The same exit runs when the session ends (logout, SIGTERM) without a window
// being closed; then a failure is only logged, as no one is there to answer a message box.
void connectMainWindow(mainwindow::MainWindow& window, store::Store& store, mainwindow::Messenger& messenger,
                       const QString& backupRoot);

// Start-up with an unsound personal database: says what is wrong and offers the newest sound backup. The
// unsound file is never deleted: restored over, it is first set aside under a new name; declined, it stays
// where it is and the program runs with the library only. With no sound backup at all it is set aside and a
// new personal database is written from `personalTemplate`. Returns whether the personal database is usable.
bool recoverPersonalDatabase(const Placement& placement, const QString& backupRoot,
                             QByteArrayView personalTemplate, mainwindow::Messenger& messenger);

// On POSIX, SIGTERM, SIGINT and SIGHUP quit the event loop, and with it close the main window unattended, so
// the exit backup runs.
void closeWindowOnTerminationSignals(mainwindow::MainWindow& window);

// Places and checks the databases (placeDatabases), settles an unsound personal file with the user
// (recoverPersonalDatabase), says once that a read-only personal file cannot be saved to, and opens the
// databases. nullptr after a failure the user has been told about.
std::unique_ptr<store::Store> startStore(const Roots& roots, QByteArrayView library,
                                         QByteArrayView personalTemplate, mainwindow::Messenger& messenger);

// Everything main() does once the application object exists: place the databases, open both of them, show the
// main window and run the event loop. A start-up failure is shown in one message box and ends with status 1.
// `shown` runs once the window is up and the exit paths are in place.
int runProgram(const Roots& roots, QByteArrayView library, QByteArrayView personalTemplate,
               const QStringList& sourceCatalogue, const std::function<void()>& shown = {});

} // namespace corvessa::app
