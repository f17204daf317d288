// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "health.h"
#include "storeerror.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace corvessa::store {

class Store;

// The folder below the backup root that holds one subfolder per exit.
inline const QString kBackupFolderName = QStringLiteral("中药方剂数据库备份");
// How many exit folders stay after an exit, the one of this exit included.
inline constexpr int kBackupsKept = 20;
// Beside the exit folders: the stamps of the most recent exits, oldest first, one per line. Retention keeps
// these whatever the clock did when they were made.
inline const QString kRecentExitsFileName = QStringLiteral(".recent-exits");

// "yyyy-MM-dd hh：mm" with the full-width colon, so the name is valid on file systems that forbid ":". Stamps
// sort by name exactly as the times they stand for.
QString backupStamp(const QDateTime& now);
// True for a folder name written by backupStamp() that stands for a real date and time.
bool isBackupStamp(const QString& folderName);
// <backupRoot>/中药方剂数据库备份
QString backupFolderPath(const QString& backupRoot);

struct BackupResult {
    enum class Failure {
        None,
        SourceMissing,    // no personal database to copy
        SourceDamaged,    // the personal database is not sound: nothing is copied, nothing pruned
        FolderNotCreated, // the backup folder or this exit's folder cannot be made
        CopyFailed,       // the copy could not be written (cause says why: disk full, read-only …)
        ReplaceFailed     // the checked copy could not be renamed into place
    };
    bool ok = false;
    Failure failure = Failure::None;
    std::optional<StoreError::Kind> cause; // for CopyFailed
    QString detail;                        // technical text, for the log
    QString stamp;                         // the one stamp of this exit
    QString stampFolder;                   // <backup folder>/<stamp>
    QString copyPath;                      // <stamp folder>/个人经方数据库.dat
    qint64 records = -1;                   // rows in the copy
    QStringList pruned;                    // old exit folders deleted, oldest first
    QStringList unpruned;                  // old exit folders due for deletion that could not be deleted
    QStringList halfMade;                  // stamp folders without a backup (an interrupted exit), removed
};

// Copies <dataFolder>/个人经方数据库.dat into <backupRoot>/中药方剂数据库备份/<stamp of now>/ and then
// prunes.
//
// The copy is made with SQLite's online backup API into a temporary name, checked (quick_check and the
// tables), and only then renamed into place: a torn, damaged or partial copy never counts as a backup and
// never replaces the copy of an earlier exit in the same minute. Nothing is pruned unless this exit's copy is
// sound.
//
// Pruning looks only at real folders (never links, never files) named by a valid stamp; the user's own
// folders are neither counted nor touched. Stamp folders without a backup file (an exit that was killed) are
// removed and not counted. The folders of the last kBackupsKept exits, as recorded in kRecentExitsFileName,
// are never removed, so folders dated in the future or a clock set back cannot shrink the history; among the
// rest the smallest names go first.
//
// Folders and files are made private (0700/0600 on POSIX). Never throws.
BackupResult backupPersonalDatabase(const QString& dataFolder, const QString& backupRoot,
                                    const QDateTime& now, const QString& password);

// The store's part of the exit: releases the recordset, closes every connection, then backs up.
BackupResult closeAndBackUp(Store& store, const QString& backupRoot, const QDateTime& now);

// One exit folder as the restore list shows it.
struct BackupEntry {
    QString stamp;
    QString path; // the backup file
    DatabaseCheck check;
};
// Every exit folder holding a backup file, newest stamp first, each checked. Never throws.
std::vector<BackupEntry> listBackups(const QString& backupRoot, const QString& password);

// The damaged personal file is never deleted: it is renamed to "<name>.损坏-<yyyyMMdd-HHmmss>" beside
// itself. Returns the new path, or an empty text when the rename failed.
QString setAside(const QString& path, const QDateTime& now);

struct RestoreResult {
    bool ok = false;
    QString detail; // technical text, for the log
    std::optional<StoreError::Kind> cause;
    BackupResult currentBackup; // the backup of the file that was in place
    QString setAsidePath;       // where the file in place went when it could not be backed up
};
// Puts the backup file `backupFile` in place of the personal database. The chosen backup is copied and
// checked first; then the file in place is backed up as an exit would (or, when it is not sound, set aside);
// then the checked copy replaces it in one rename. The store's connections are closed; the next operation
// reopens them.
RestoreResult restorePersonalDatabase(Store& store, const QString& backupRoot, const QString& backupFile,
                                      const QDateTime& now);

} // namespace corvessa::store
