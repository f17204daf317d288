// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "store/health.h"

#include <QByteArrayView>
#include <QLoggingCategory>
#include <QString>
#include <stdexcept>

namespace corvessa::app {

Q_DECLARE_LOGGING_CATEGORY(lcApp)

// Where the program keeps its files. On Windows the two candidate drives and C:\ for the backups; elsewhere
// the per-user application data folder stands in for drive c:, there is no drive d:, and the backups live
// beside the data folder.
struct Roots {
    QString c;      // root that holds the data folder when d has nothing in it
    QString d;      // preferred root; empty when the platform has none
    QString backup; // root that holds the backup folder
};
Roots platformRoots();

inline const QString kDataFolderName = QStringLiteral("中药方剂数据库");

// A start-up step that cannot go on: which step, and the file or folder concerned. The program turns it into
// the sentence the user reads (startupMessage() in program.h).
class StartupError : public std::runtime_error {
public:
    enum class Step {
        DataFolder, // the data folder cannot be made
        WriteFile   // a database file cannot be written from the program's own copy
    };
    StartupError(Step step, const QString& path, const QString& detail)
        : std::runtime_error(detail.toStdString()), m_step(step), m_path(path), m_detail(detail) {}
    Step step() const noexcept { return m_step; }
    const QString& path() const noexcept { return m_path; }
    const QString& detail() const noexcept { return m_detail; }

private:
    Step m_step;
    QString m_path;
    QString m_detail;
};

// Creates every missing folder along `path`, one level after the other. Never fails: errors are ignored (the
// caller finds out when it uses the folder).
void makePath(const QString& path);

// True when `root` exists and lists at least one entry that is neither hidden nor a system entry.
bool rootListsAnything(const QString& root);

// The d: location whenever its root lists anything, else the c: location.
QString chooseDataFolder(const Roots& roots);

// Writes `bytes` to `path` when no file of that name exists (whatever its attributes), through a temporary
// file renamed into place, so an interrupted write never leaves a partial file under the real name. Returns
// whether it wrote. Throws StartupError when the file cannot be written.
bool placeFile(const QString& path, QByteArrayView bytes);

// What the one library routine did with the installed library.
enum class LibraryAction { Written, Kept, Replaced };

// Places the library: written when missing; replaced from `bytes` in one rename when the installed file is
// empty, damaged, not this program's, of another version than store::kLibraryVersion, or of another size than
// the program's own copy; otherwise kept. Throws StartupError when a missing or unusable library cannot be
// written; a sound library of another version that cannot be replaced is kept and logged.
LibraryAction placeLibrary(const QString& path, QByteArrayView bytes, const QString& password);

struct Placement {
    QString dataFolder;
    QString libraryConnection;
    QString personalConnection;
    QString password;
    LibraryAction library = LibraryAction::Kept;
    store::DatabaseCheck personal; // the personal database as found (after the template, when missing)
    bool personalReadOnly = false; // the file or its folder cannot be written: start read-only
};

// Chooses and creates the data folder, places the library (placeLibrary), writes the personal template when
// missing (never over an existing file), checks the personal database, makes the data and backup folders and
// the files in them private, decodes the password and builds the two connection strings. The personal file is
// never written or replaced here when it exists. Throws StartupError.
Placement placeDatabases(const Roots& roots, QByteArrayView library, QByteArrayView personalTemplate);

// Tightens the backup folder below `backupRoot`, its stamp folders and the copies in them (0700/0600 on
// POSIX). Links are not followed.
void makeBackupsPrivate(const QString& backupRoot);

// Writes the help pages that ship with the program below the data folder when missing or out of date.
// Failures are ignored: the pages are a convenience.
void writeHelpPages(const QString& dataFolder);

} // namespace corvessa::app
