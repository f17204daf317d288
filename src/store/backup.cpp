#include "backup.h"

#include "connectionstring.h"
#include "schema.h"
#include "store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <algorithm>

namespace corvessa::store {

namespace {

const QString kFailurePrefix = QStringLiteral("个人数据库没有备份成功，以前的备份都已保留。\n");

QString native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// Streams the source into a QSaveFile: the bytes go to a temporary file beside the target, which is renamed
// over the target only when everything was written. Returns an empty text on success, else the reason for the
// user.
QString copyThroughTemporary(const QString& source, const QString& target) {
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return QStringLiteral("无法读取个人数据库：\n%1").arg(native(source));
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly))
        return QStringLiteral("无法在备份文件夹里写入文件：\n%1").arg(native(target));
    QByteArray chunk;
    qint64 copied = 0;
    for (;;) {
        chunk = in.read(1 << 20);
        if (chunk.isEmpty())
            break;
        if (out.write(chunk) != chunk.size()) {
            out.cancelWriting();
            break;
        }
        copied += chunk.size();
    }
    // A short read (the file changed or the device failed) must not pass for a complete copy.
    if (in.error() != QFileDevice::NoError || copied != in.size()) {
        out.cancelWriting();
        return QStringLiteral("读取个人数据库时出错：\n%1").arg(native(source));
    }
    if (!out.commit())
        return QStringLiteral("写入备份文件失败（磁盘已满或没有写入权限）：\n%1").arg(native(target));
    return {};
}

} // namespace

QString backupStamp(const QDateTime& now) {
    return now.toString(QStringLiteral("yyyy-MM-dd hh：mm"));
}

bool isBackupStamp(const QString& folderName) {
    static const QRegularExpression stamp(QStringLiteral("^[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}：[0-9]{2}$"));
    return stamp.match(folderName).hasMatch();
}

QString backupFolderPath(const QString& backupRoot) {
    return joinPath(backupRoot, kBackupFolderName);
}

BackupResult backupPersonalDatabase(const QString& dataFolder, const QString& backupRoot,
                                    const QDateTime& now) {
    BackupResult result;
    // One stamp for the whole exit: a minute that turns over between two steps must not split the work.
    result.stamp = backupStamp(now);
    const QString backupFolder = backupFolderPath(backupRoot);
    result.stampFolder = joinPath(backupFolder, result.stamp);
    result.copyPath = joinPath(result.stampFolder, kPersonalFileName);

    const QString source = joinPath(dataFolder, kPersonalFileName);
    if (!QFileInfo(source).isFile()) {
        result.failure = kFailurePrefix + QStringLiteral("找不到个人数据库：\n%1").arg(native(source));
        return result;
    }

    // An earlier exit in the same minute left this folder: it is reused, and its copy replaced below.
    QDir().mkpath(result.stampFolder);
    if (!QFileInfo(result.stampFolder).isDir()) {
        result.failure =
            kFailurePrefix + QStringLiteral("无法建立备份文件夹：\n%1").arg(native(result.stampFolder));
        return result;
    }

    if (const QString why = copyThroughTemporary(source, result.copyPath); !why.isEmpty()) {
        result.failure = kFailurePrefix + why;
        return result;
    }
    result.ok = true;

    // Only now that this exit's copy is safe may old backups go. The user's own folders are left out of both
    // the count and the deletion; this exit's folder is always one of those kept.
    QStringList others;
    const QStringList names = QDir(backupFolder).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        if (isBackupStamp(name) && name != result.stamp)
            others << name;
    }
    // Code-unit order: for stamps this is the order of their times, whatever the locale.
    std::sort(others.begin(), others.end());
    const qsizetype excess = others.size() - (kBackupsKept - 1);
    for (qsizetype i = 0; i < excess; ++i) {
        const QString path = joinPath(backupFolder, others[i]);
        // A folder that cannot be deleted stays; the next exit tries again.
        if (QDir(path).removeRecursively())
            result.pruned << path;
        else
            result.unpruned << path;
    }
    return result;
}

BackupResult closeAndBackUp(Store& store, const QString& backupRoot, const QDateTime& now) {
    // A closed connection with a rollback journal leaves the whole database in its one file.
    store.closeAll();
    return backupPersonalDatabase(store.dataFolder(), backupRoot, now);
}

} // namespace corvessa::store
