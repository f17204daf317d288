#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace corvessa::store {

class Store;

// The folder below the backup root that holds one subfolder per exit.
inline const QString kBackupFolderName = QStringLiteral("中药方剂数据库备份");
// How many exit folders stay after an exit, the one of this exit included.
inline constexpr int kBackupsKept = 20;

// "yyyy-MM-dd hh：mm" with the full-width colon, so the name is valid on file systems that forbid ":". Stamps
// sort by name exactly as the times they stand for.
QString backupStamp(const QDateTime& now);
// True for a folder name written by backupStamp(); only such folders are counted and pruned.
bool isBackupStamp(const QString& folderName);
// <backupRoot>/中药方剂数据库备份
QString backupFolderPath(const QString& backupRoot);

struct BackupResult {
    bool ok = false;
    QString stamp;        // the one stamp of this exit
    QString stampFolder;  // <backup folder>/<stamp>
    QString copyPath;     // <stamp folder>/个人经方数据库.dat
    QStringList pruned;   // old exit folders deleted, oldest first
    QStringList unpruned; // old exit folders that were due for deletion but could not be deleted
    QString failure;      // empty on success; otherwise a text for the user, in Chinese
};

// Copies <dataFolder>/个人经方数据库.dat into <backupRoot>/中药方剂数据库备份/<stamp of now>/, replacing the
// copy of an earlier exit in the same minute, and then deletes the oldest exit folders beyond kBackupsKept.
//
// The copy goes to a temporary name that is renamed into place, so a failed copy never leaves a partial file
// under the real name. Pruning runs only after the copy succeeded, so a failed exit never costs an old
// backup. Folders whose names are not stamps (the user's own) are neither counted nor deleted, and the folder
// of this exit is never deleted, even when a wrong clock once wrote stamps that sort after it.
//
// The database must be closed (Store::closeAll()) before the call, or the copy may miss what is still in the
// journal. Never throws.
BackupResult backupPersonalDatabase(const QString& dataFolder, const QString& backupRoot,
                                    const QDateTime& now);

// The store's part of the exit: releases the recordset, closes every connection, then backs up.
BackupResult closeAndBackUp(Store& store, const QString& backupRoot, const QDateTime& now);

} // namespace corvessa::store
