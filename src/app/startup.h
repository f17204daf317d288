#pragma once

#include <QByteArrayView>
#include <QString>
#include <stdexcept>

namespace corvessa::app {

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
inline const QString kBackupFolderName = QStringLiteral("中药方剂数据库备份");

// A start-up step that cannot go on; the text is shown to the user as it is.
class StartupError : public std::runtime_error {
public:
    explicit StartupError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString& message() const noexcept { return m_message; }

private:
    QString m_message;
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

struct Placement {
    QString dataFolder;
    QString libraryConnection;
    QString personalConnection;
};

// Chooses and creates the data folder, writes the databases that are missing, decodes the password and builds
// the two connection strings. Throws StartupError.
Placement placeDatabases(const Roots& roots, QByteArrayView library, QByteArrayView personalTemplate);

// Writes the help pages that ship with the program below the data folder when missing or out of date.
// Failures are ignored: the pages are a convenience.
void writeHelpPages(const QString& dataFolder);

} // namespace corvessa::app
