// SPDX-License-Identifier: GPL-3.0-or-later

#include "backup.h"

#include "connectionstring.h"
#include "log.h"
#include "schema.h"
#include "store.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSaveFile>
#include <algorithm>

namespace corvessa::store {

namespace {

const QString kStampFormat = QStringLiteral("yyyy-MM-dd hh：mm");
// Temporary copies end in this; a folder holding nothing else is what an interrupted exit leaves.
const QString kPartSuffix = QStringLiteral(".part");
// A temporary copy this recent may belong to another window's exit that is running right now.
constexpr qint64 kFreshPartSeconds = 600;

QString temporaryBeside(const QString& path) {
    return path + QLatin1Char('.') + QString::number(QRandomGenerator::global()->generate64(), 36) +
           kPartSuffix;
}

bool isLink(const QFileInfo& info) {
#if QT_VERSION >= QT_VERSION_CHECK(6, 4, 0)
    return info.isSymLink() || info.isJunction();
#else
    return info.isSymLink();
#endif
}

// True when the folder holds no backup: nothing at all, or only temporary copies that no running exit is
// still writing.
bool isHalfMade(const QString& folder) {
    const QDateTime wallClock = QDateTime::currentDateTime();
    const QFileInfoList entries =
        QDir(folder).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        if (!entry.isFile() || isLink(entry) || !entry.fileName().endsWith(kPartSuffix))
            return false;
        if (qAbs(entry.lastModified().secsTo(wallClock)) < kFreshPartSeconds)
            return false;
    }
    return true;
}

QStringList readRecentExits(const QString& backupFolder) {
    QFile file(joinPath(backupFolder, kRecentExitsFileName));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList exits;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QString stamp = QString::fromUtf8(line).trimmed();
        if (isBackupStamp(stamp))
            exits << stamp;
    }
    return exits;
}

void writeRecentExits(const QString& backupFolder, const QStringList& exits) {
    const QString path = joinPath(backupFolder, kRecentExitsFileName);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write((exits.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8()) < 0 || !file.commit()) {
        qCWarning(lcStore) << "cannot write the record of recent exits" << path << file.errorString();
        return;
    }
    makeFilePrivate(path);
}

// The real stamp folders of the backup folder: no links, no files, no names that are not valid stamps.
QStringList stampFolders(const QString& backupFolder) {
    QStringList names;
    const QFileInfoList entries =
        QDir(backupFolder)
            .entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        if (isLink(entry) || !entry.isDir() || !isBackupStamp(entry.fileName()))
            continue;
        names << entry.fileName();
    }
    return names;
}

void prune(const QString& backupFolder, const QString& stamp, BackupResult& result) {
    QStringList exits = readRecentExits(backupFolder);
    exits.removeAll(stamp);
    exits << stamp;
    while (exits.size() > kBackupsKept)
        exits.removeFirst();
    writeRecentExits(backupFolder, exits);

    QStringList counted;
    for (const QString& name : stampFolders(backupFolder)) {
        const QString path = joinPath(backupFolder, name);
        if (name != stamp && isHalfMade(path)) {
            if (QDir(path).removeRecursively())
                result.halfMade << path;
            else
                qCWarning(lcStore) << "cannot remove the half-made backup folder" << path;
            continue;
        }
        counted << name;
    }
    QStringList removable;
    for (const QString& name : counted) {
        if (!exits.contains(name))
            removable << name;
    }
    // Code-unit order: for stamps this is the order of their times, whatever the locale.
    std::sort(removable.begin(), removable.end());
    const qsizetype excess = std::min(counted.size() - kBackupsKept, removable.size());
    for (qsizetype i = 0; i < excess; ++i) {
        const QString path = joinPath(backupFolder, removable[i]);
        // A folder that cannot be deleted stays; the next exit tries again.
        if (QDir(path).removeRecursively()) {
            result.pruned << path;
        } else {
            result.unpruned << path;
            qCWarning(lcStore) << "cannot remove the old backup folder" << path;
        }
    }
}

QString passwordOf(const Store& store) {
    return parseConnectionString(store.personalConnection()).password;
}

} // namespace

QString backupStamp(const QDateTime& now) {
    return now.toString(kStampFormat);
}

bool isBackupStamp(const QString& folderName) {
    static const QRegularExpression stamp(QStringLiteral("^[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}：[0-9]{2}$"));
    if (!stamp.match(folderName).hasMatch())
        return false;
    // The shape alone would take "0000-13-40 25：99"; a stamp must stand for a real date and time.
    const QDateTime parsed = QDateTime::fromString(folderName, kStampFormat);
    return parsed.isValid() && backupStamp(parsed) == folderName;
}

QString backupFolderPath(const QString& backupRoot) {
    return joinPath(backupRoot, kBackupFolderName);
}

BackupResult backupPersonalDatabase(const QString& dataFolder, const QString& backupRoot,
                                    const QDateTime& now, const QString& password) {
    BackupResult result;
    // One stamp for the whole exit: a minute that turns over between two steps must not split the work.
    result.stamp = backupStamp(now);
    const QString backupFolder = backupFolderPath(backupRoot);
    result.stampFolder = joinPath(backupFolder, result.stamp);
    result.copyPath = joinPath(result.stampFolder, kPersonalFileName);
    auto fail = [&result](BackupResult::Failure failure, const QString& detail) {
        result.failure = failure;
        result.detail = detail;
        qCWarning(lcStore) << "backup failed:" << int(failure) << detail;
        return result;
    };

    const QString source = joinPath(dataFolder, kPersonalFileName);
    if (!QFileInfo(source).isFile())
        return fail(BackupResult::Failure::SourceMissing, QStringLiteral("no file %1").arg(source));

    // An earlier exit in the same minute left this folder: it is reused, and its copy replaced below.
    makePrivatePath(backupFolder);
    makeFolderPrivate(backupFolder);
    const bool madeStampFolder = !QFileInfo(result.stampFolder).isDir();
    if (isLink(QFileInfo(result.stampFolder)) || !makePrivatePath(result.stampFolder))
        return fail(BackupResult::Failure::FolderNotCreated,
                    QStringLiteral("cannot make %1").arg(result.stampFolder));

    // A failed exit must not leave an empty folder that takes one of the places.
    auto cleanUp = [&](const QString& temporary) {
        QFile::remove(temporary);
        if (madeStampFolder)
            QDir().rmdir(result.stampFolder); // only when empty
    };
    const QString temporary = temporaryBeside(result.copyPath);
    DatabaseCheck check;
    try {
        check = copyDatabase(source, temporary, password);
    } catch (const StoreError& error) {
        cleanUp(temporary);
        // A source that cannot be read as a database is the damaged file itself, not a failed copy.
        if (error.kind() == StoreError::Kind::Damaged)
            return fail(BackupResult::Failure::SourceDamaged, error.detail());
        result.cause = error.kind();
        return fail(BackupResult::Failure::CopyFailed, error.detail());
    }
    if (!check.sound()) {
        cleanUp(temporary);
        // A copy made under a read lock is as sound as its source: an unsound copy means an unsound source.
        return fail(BackupResult::Failure::SourceDamaged, check.detail);
    }
    result.records = check.records;
    if (const QString why = replaceFile(temporary, result.copyPath); !why.isEmpty()) {
        cleanUp(temporary);
        return fail(BackupResult::Failure::ReplaceFailed, why);
    }
    makeFilePrivate(result.copyPath);
    result.ok = true;

    // Only now that this exit's copy is sound may old backups go.
    prune(backupFolder, result.stamp, result);
    return result;
}

BackupResult closeAndBackUp(Store& store, const QString& backupRoot, const QDateTime& now) {
    // A closed connection with a rollback journal leaves the whole database in its one file.
    store.closeAll();
    return backupPersonalDatabase(store.dataFolder(), backupRoot, now, passwordOf(store));
}

std::vector<BackupEntry> listBackups(const QString& backupRoot, const QString& password) {
    const QString backupFolder = backupFolderPath(backupRoot);
    QStringList names = stampFolders(backupFolder);
    std::sort(names.begin(), names.end(), std::greater<>());
    std::vector<BackupEntry> entries;
    for (const QString& name : names) {
        const QString file = joinPath(joinPath(backupFolder, name), kPersonalFileName);
        const QFileInfo info(file);
        if (!info.isFile() || isLink(info))
            continue;
        BackupEntry entry{name, file, {}};
        try {
            entry.check = checkPersonalDatabase(file, password);
        } catch (const StoreError& error) {
            entry.check.state = DatabaseCheck::State::Damaged;
            entry.check.detail = error.detail();
        }
        entries.push_back(entry);
    }
    return entries;
}

QString setAside(const QString& path, const QDateTime& now) {
    QString target = path + QStringLiteral(".损坏-") + now.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    for (int n = 2; QFileInfo::exists(target) || QFileInfo(target).isSymLink(); ++n)
        target = path + QStringLiteral(".损坏-") + now.toString(QStringLiteral("yyyyMMdd-HHmmss")) +
                 QLatin1Char('-') + QString::number(n);
    if (!QFile::rename(path, target)) {
        qCWarning(lcStore) << "cannot set aside" << path;
        return {};
    }
    qCWarning(lcStore) << "set aside the unsound personal database as" << target;
    return target;
}

RestoreResult restorePersonalDatabase(Store& store, const QString& backupRoot, const QString& backupFile,
                                      const QDateTime& now) {
    RestoreResult result;
    const QString password = passwordOf(store);
    const QString personal = joinPath(store.dataFolder(), kPersonalFileName);
    store.closeAll();

    // The chosen backup first, into the data folder: the backup of the current file below may replace the
    // very folder it came from (an exit in this minute).
    const QString temporary = temporaryBeside(personal);
    try {
        const DatabaseCheck check = copyDatabase(backupFile, temporary, password);
        if (!check.sound())
            throw StoreError(StoreError::Kind::Damaged, check.detail);
    } catch (const StoreError& error) {
        QFile::remove(temporary);
        result.cause = error.kind();
        result.detail = error.detail();
        qCWarning(lcStore) << "restore: the chosen backup cannot be used:" << error.detail();
        return result;
    }

    if (QFileInfo(personal).isFile()) {
        result.currentBackup = backupPersonalDatabase(store.dataFolder(), backupRoot, now, password);
        if (!result.currentBackup.ok) {
            if (result.currentBackup.failure != BackupResult::Failure::SourceDamaged) {
                QFile::remove(temporary);
                result.cause = result.currentBackup.cause;
                result.detail = result.currentBackup.detail;
                return result;
            }
            result.setAsidePath = setAside(personal, now);
            if (result.setAsidePath.isEmpty()) {
                QFile::remove(temporary);
                result.cause = StoreError::Kind::ReadOnly;
                result.detail = QStringLiteral("cannot set aside %1").arg(personal);
                return result;
            }
        }
    }
    if (const QString why = replaceFile(temporary, personal); !why.isEmpty()) {
        QFile::remove(temporary);
        result.cause = StoreError::Kind::ReadOnly;
        result.detail = why;
        qCWarning(lcStore) << "restore: cannot put the copy in place:" << why;
        return result;
    }
    makeFilePrivate(personal);
    result.ok = true;
    return result;
}

} // namespace corvessa::store
