// SPDX-License-Identifier: GPL-3.0-or-later

#include "startup.h"

#include "assets.h"
#include "store/backup.h"
#include "store/connectionstring.h"
#include "store/libraryversion.h"
#include "store/linkdecoder.h"
#include "store/schema.h"
#include "store/storeerror.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace corvessa::app {

Q_LOGGING_CATEGORY(lcApp, "corvessa.app")

Roots platformRoots() {
#ifdef Q_OS_WIN
    return {QStringLiteral("c:\\"), QStringLiteral("d:\\"), QStringLiteral("C:\\")};
#else
    const QString appData = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    return {appData, QString(), appData};
#endif
}

void makePath(const QString& path) {
    QString copy = QDir::fromNativeSeparators(path) + QLatin1Char('/');
    copy.replace(QStringLiteral("//"), QStringLiteral("/"));
    qsizetype start = 0;
    for (;;) {
        if (QCoreApplication::instance())
            QCoreApplication::processEvents();
        const qsizetype at = copy.indexOf(QLatin1Char('/'), start);
        if (at < 0)
            break;
        // The root and folders that already exist simply fail here, which is fine.
        QDir().mkdir(copy.left(at + 1));
        start = at + 1;
    }
}

bool rootListsAnything(const QString& root) {
    if (root.isEmpty())
        return false;
    const QDir dir(root);
    if (!dir.exists())
        return false;
    return !dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty();
}

QString chooseDataFolder(const Roots& roots) {
    const QString& root = rootListsAnything(roots.d) ? roots.d : roots.c;
    return store::joinPath(root, kDataFolderName);
}

bool placeFile(const QString& path, QByteArrayView bytes) {
    // A file of that name is the user's, whatever state it is in: never overwrite it.
    if (QFileInfo::exists(path) || QFileInfo(path).isSymLink())
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes.data(), bytes.size()) != bytes.size() ||
        !file.commit()) {
        qCWarning(lcApp) << "cannot write" << path << file.errorString();
        throw StartupError(StartupError::Step::WriteFile, path, file.errorString());
    }
    store::makeFilePrivate(path);
    return true;
}

LibraryAction placeLibrary(const QString& path, QByteArrayView bytes, const QString& password) {
    if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink()) {
        placeFile(path, bytes);
        return LibraryAction::Written;
    }
    store::DatabaseCheck check;
    try {
        check = store::checkLibraryDatabase(path, password);
    } catch (const store::StoreError& error) {
        // Locked or unreadable for a moment: nothing is known against the file, so it stays.
        qCWarning(lcApp) << "library not checked:" << error.detail();
        return LibraryAction::Kept;
    }
    const bool current = check.sound() && check.userVersion == store::kLibraryVersion &&
                         QFileInfo(path).size() == bytes.size();
    if (current)
        return LibraryAction::Kept;
    if (bytes.isEmpty()) {
        // Nothing to put in its place: an empty copy would only destroy what searches may still use.
        qCWarning(lcApp) << "library not current, but no copy to replace it with:" << path;
        return LibraryAction::Kept;
    }
    qCWarning(lcApp) << "replacing the library" << path << "state" << int(check.state) << "version"
                     << check.userVersion << "expected" << store::kLibraryVersion << check.detail;
    // The library is the program's own file, never the user's: a new one goes in with one rename, so a
    // reader sees either the old file or the new one, never a half-written one.
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes.data(), bytes.size()) == bytes.size() &&
        file.commit()) {
        store::makeFilePrivate(path);
        return LibraryAction::Replaced;
    }
    qCWarning(lcApp) << "cannot replace the library:" << file.errorString();
    if (check.sound())
        return LibraryAction::Kept; // an older library still answers searches
    throw StartupError(StartupError::Step::WriteFile, path, file.errorString());
}

void makeBackupsPrivate(const QString& backupRoot) {
    const QString folder = store::backupFolderPath(backupRoot);
    const QFileInfo info(folder);
    if (!info.isDir() || info.isSymLink())
        return;
    store::makeFolderPrivate(folder);
    const QFileInfoList entries =
        QDir(folder).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        if (entry.isSymLink())
            continue;
        if (entry.isFile()) {
            store::makeFilePrivate(entry.filePath());
            continue;
        }
        if (!store::isBackupStamp(entry.fileName()))
            continue; // the user's own folders are the user's business
        store::makeFolderPrivate(entry.filePath());
        store::makeFilePrivate(store::joinPath(entry.filePath(), store::kPersonalFileName));
    }
}

Placement placeDatabases(const Roots& roots, QByteArrayView library, QByteArrayView personalTemplate) {
    Placement placement;
    placement.dataFolder = chooseDataFolder(roots);
    makePath(placement.dataFolder);
    if (!QFileInfo(placement.dataFolder).isDir())
        throw StartupError(StartupError::Step::DataFolder, placement.dataFolder,
                           QStringLiteral("cannot make the data folder"));
    // Another local user must not read the user's prescriptions (the key ships in the program, so the file
    // modes are the protection), whatever umask the files were made under.
    store::makeFolderPrivate(placement.dataFolder);

    const QString password = store::decodeLinkList(QString::fromLatin1(store::links::kPassword));
    placement.password = password;
    const QString libraryPath = store::joinPath(placement.dataFolder, store::kLibraryFileName);
    const QString personalPath = store::joinPath(placement.dataFolder, store::kPersonalFileName);
    placement.library = placeLibrary(libraryPath, library, password);
    placeFile(personalPath, personalTemplate);
    store::makeFilePrivate(libraryPath);
    store::makeFilePrivate(personalPath);
    makeBackupsPrivate(roots.backup);

    // Saving needs the personal file and its folder (for the journal) writable; a file that is not is still
    // read and searched, and saves say why they cannot be made.
    // (The owner's write bit counts too: a file the user made read-only is meant so, even where the system
    // would let this account write it.)
    placement.personalReadOnly = !QFileInfo(personalPath).isWritable() ||
                                 !(QFileInfo(personalPath).permissions() & QFile::WriteOwner) ||
                                 !QFileInfo(placement.dataFolder).isWritable();
    // Never trusted unchecked: a damaged or empty file must not reach the window or the backups.
    placement.personal = store::checkPersonalDatabase(personalPath, password);
    if (!placement.personal.sound())
        qCWarning(lcApp) << "the personal database is not sound:" << placement.personal.detail;

    placement.libraryConnection =
        store::makeConnectionString(placement.dataFolder, store::kLibraryFileName, password);
    placement.personalConnection =
        store::makeConnectionString(placement.dataFolder, store::kPersonalFileName, password);
    return placement;
}

void writeHelpPages(const QString& dataFolder) {
    for (const resources::HelpPage& page : resources::helpPages()) {
        const QString path = store::joinPath(dataFolder, page.relativePath);
        QFile existing(path);
        if (existing.open(QIODevice::ReadOnly) && existing.readAll() == page.content)
            continue;
        existing.close();
        makePath(QFileInfo(path).absolutePath());
        QSaveFile file(path);
        if (file.open(QIODevice::WriteOnly) && file.write(page.content) == page.content.size())
            file.commit();
    }
}

} // namespace corvessa::app
