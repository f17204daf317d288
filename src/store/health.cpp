// SPDX-License-Identifier: GPL-3.0-or-later

#include "health.h"

#include "log.h"
#include "sqlite.h"
#include "storeerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <filesystem>
#include <system_error>

#define SQLITE_HAS_CODEC 1
#include <sqlite3.h>

namespace corvessa::store {

namespace {

// Every database of the program is written in pages of this size (Connection sets it), so a sound file is a
// whole number of them.
constexpr qint64 kPageSize = 4096;

using State = DatabaseCheck::State;

bool tableHasColumn(Connection& connection, const QString& table, const QString& column) {
    Statement info(connection, QStringLiteral("PRAGMA table_info([%1])").arg(table));
    while (info.step()) {
        if (info.value(1).toString() == column)
            return true;
    }
    return false;
}

// The header: presence and a size that is a whole number of pages.
DatabaseCheck lookAtFile(const QString& path) {
    DatabaseCheck check;
    check.state = State::Sound;
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile()) {
        check.state = State::Missing;
        check.detail = QStringLiteral("no file %1").arg(path);
        return check;
    }
    if (info.size() == 0) {
        check.state = State::Empty;
        check.detail = QStringLiteral("%1 has 0 bytes").arg(path);
        return check;
    }
    if (info.size() % kPageSize != 0) {
        check.state = State::NotADatabase;
        check.detail = QStringLiteral("%1: %2 bytes is no whole number of pages").arg(path).arg(info.size());
        return check;
    }
    return check;
}

// Version, the table 中药方剂 and its row count, read through an open connection.
void lookInside(Connection& connection, const QString& path, DatabaseCheck& check, bool countRows = true) {
    Statement version(connection, QStringLiteral("PRAGMA user_version"));
    check.userVersion = version.step() ? int(version.int64(0)) : 0;
    if (!tableHasColumn(connection, QStringLiteral("中药方剂"), QStringLiteral("方名"))) {
        check.state = State::WrongShape;
        check.detail = QStringLiteral("%1 has no table 中药方剂").arg(path);
        return;
    }
    if (countRows) {
        Statement count(connection, QStringLiteral("SELECT count(*) FROM [中药方剂]"));
        check.records = count.step() ? count.int64(0) : 0;
    } else {
        check.records = 0;
    }
    check.state = State::Sound;
}

void failedWith(const StoreError& error, DatabaseCheck& check) {
    if (error.kind() == StoreError::Kind::Locked || error.kind() == StoreError::Kind::CannotOpen ||
        error.kind() == StoreError::Kind::Io || error.kind() == StoreError::Kind::NoMemory)
        throw error; // nothing is known about the file itself: let the caller say what is really wrong
    check.state =
        error.kind() == StoreError::Kind::Damaged && check.records < 0 ? State::NotADatabase : State::Damaged;
    check.detail = error.detail();
}

// quick_check reads every page: a damaged page anywhere, also one that no search happens to touch, shows
// here. Then the tables the personal database must have.
void lookDeeper(Connection& connection, const QString& path, DatabaseCheck& check) {
    Statement quick(connection, QStringLiteral("PRAGMA quick_check"));
    const QString verdict = quick.step() ? quick.value(0).toString() : QString();
    if (verdict != QLatin1String("ok")) {
        check.state = State::Damaged;
        check.detail = QStringLiteral("%1: quick_check: %2").arg(path, verdict);
        return;
    }
    if (!tableHasColumn(connection, QStringLiteral("中药方剂"), QStringLiteral("序号")) ||
        !tableHasColumn(connection, QStringLiteral("分组"), QStringLiteral("分组"))) {
        check.state = State::WrongShape;
        check.detail = QStringLiteral("%1 lacks 序号 or table 分组").arg(path);
    }
}

DatabaseCheck openAndLook(const QString& path, const QString& password, bool countRows,
                          std::unique_ptr<Connection>& connection) {
    DatabaseCheck check = lookAtFile(path);
    if (!check.sound())
        return check;
    try {
        connection = std::make_unique<Connection>(path, password);
        lookInside(*connection, path, check, countRows);
    } catch (const StoreError& error) {
        connection.reset();
        failedWith(error, check);
    }
    if (!check.sound())
        connection.reset();
    return check;
}

} // namespace

DatabaseCheck checkPersonalDatabase(const QString& path, const QString& password) {
    std::unique_ptr<Connection> connection;
    DatabaseCheck check = openAndLook(path, password, true, connection);
    if (!check.sound())
        return check;
    try {
        lookDeeper(*connection, path, check);
    } catch (const StoreError& error) {
        failedWith(error, check);
    }
    return check;
}

DatabaseCheck checkLibraryDatabase(const QString& path, const QString& password) {
    std::unique_ptr<Connection> connection;
    // Counting the rows of the large library would read its whole index at every start; the size check
    // against the program's own copy covers a truncated file.
    return openAndLook(path, password, false, connection);
}

DatabaseCheck copyDatabase(const QString& source, const QString& target, const QString& password) {
    if (DatabaseCheck header = lookAtFile(source); !header.sound()) {
        if (header.state == State::Missing)
            throw StoreError(StoreError::Kind::CannotOpen, header.detail, source);
        return header;
    }
    Connection from(source, password);
    Connection to(target, password, true);
    makeFilePrivate(target);
    sqlite3_backup* backup = sqlite3_backup_init(to.handle(), "main", from.handle(), "main");
    if (!backup)
        to.fail(QStringLiteral("backup_init"));
    int rc;
    // All pages in one step: the source stays read-locked from the first page to the last. A writer that
    // holds the file at the start is waited for a few times before giving up.
    for (int attempt = 0;; ++attempt) {
        rc = sqlite3_backup_step(backup, -1);
        if ((rc == SQLITE_BUSY || rc == SQLITE_LOCKED) && attempt < 50) {
            sqlite3_sleep(100);
            continue;
        }
        break;
    }
    sqlite3_backup_finish(backup);
    if (rc != SQLITE_DONE)
        throw errorFor(rc, QString::fromUtf8(sqlite3_errstr(rc)), source);

    // The check reads the copy back from the disk, not from the pages the copy left in the cache; the key is
    // already derived on this connection, which spares deriving it once more.
    sqlite3_db_release_memory(to.handle());
    DatabaseCheck check;
    try {
        lookInside(to, target, check);
        if (check.sound())
            lookDeeper(to, target, check);
    } catch (const StoreError& error) {
        failedWith(error, check);
    }
    return check;
}

void makeFolderPrivate(const QString& path) {
#ifdef Q_OS_UNIX
    const QFileInfo info(path);
    if (!info.isDir() || info.isSymLink())
        return;
    // Owner bits only: the "user" flags say what this account may do (all, for root), not what the mode says.
    QFile::setPermissions(path,
                          info.permissions() & (QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
#else
    Q_UNUSED(path);
#endif
}

void makeFilePrivate(const QString& path) {
#ifdef Q_OS_UNIX
    const QFileInfo info(path);
    if (!info.isFile() || info.isSymLink())
        return;
    QFile::setPermissions(path, info.permissions() & (QFile::ReadOwner | QFile::WriteOwner));
#else
    Q_UNUSED(path);
#endif
}

bool makePrivatePath(const QString& path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    if (QFileInfo(absolute).isDir())
        return true;
    const QString parent = QFileInfo(absolute).absolutePath();
    if (parent != absolute && !makePrivatePath(parent))
        return false;
    if (!QDir().mkdir(absolute, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner) &&
        !QFileInfo(absolute).isDir())
        return false;
    return QFileInfo(absolute).isDir();
}

QString replaceFile(const QString& source, const QString& target) {
    std::error_code error;
    std::filesystem::rename(std::filesystem::path(source.toStdU16String()),
                            std::filesystem::path(target.toStdU16String()), error);
    if (error)
        return QString::fromStdString(error.message());
    return {};
}

} // namespace corvessa::store
