// SPDX-License-Identifier: GPL-3.0-or-later

// Backup of the personal database on exit: stamp, folder reuse, a checked copy, retention whatever the clock
// did, links and the user's folders left alone, damaged files never counted, file modes, restore.
#include "fixture.h"
#include "store/backup.h"
#include "store/recordset.h"
#include "store/schema.h"
#include "store/sqlite.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

using namespace corvessa::store;
using corvessa::testsupport::FixtureDatabases;

namespace {

const QDateTime kExit(QDate(2026, 12, 8), QTime(4, 39, 12));

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QStringList subfolders(const QString& folder) {
    return QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
}

QString password() {
    return FixtureDatabases::password();
}

// The names of the personal records and the groups of a database file, in stored order.
QStringList contentOf(const QString& path) {
    Connection connection(path, password());
    QStringList content;
    Statement names(connection, QStringLiteral("SELECT [方名] FROM [中药方剂] ORDER BY rowid"));
    while (names.step())
        content << names.value(0).toString();
    Statement groups(connection, QStringLiteral("SELECT [分组] FROM [分组] ORDER BY rowid"));
    while (groups.step())
        content << QStringLiteral("组:") + groups.value(0).toString();
    return content;
}

QString integrity(const QString& path) {
    Connection connection(path, password());
    Statement check(connection, QStringLiteral("PRAGMA integrity_check"));
    return check.step() ? check.value(0).toString() : QString();
}

// A data folder with a real personal database holding `records` prescriptions, and an empty backup root.
struct Roots {
    FixtureDatabases db;
    QTemporaryDir dir;
    QString dataFolder = db.dataFolder();
    QString backupRoot = dir.filePath(QStringLiteral("appdata"));
    QString backupFolder = backupFolderPath(backupRoot);

    explicit Roots(int records = 3) {
        QDir().mkpath(backupRoot);
        addRecords(records, QStringLiteral("方"));
        db.store().closeAll();
    }
    QString personalPath() const { return db.personalPath(); }
    void addRecords(int count, const QString& prefix) {
        for (int i = 0; i < count; ++i)
            db.execPersonal(QStringLiteral("INSERT INTO [中药方剂] ([方名],[内容],[类别],[序号]) VALUES "
                                           "('%1%2', '%3', '个人验方', '%4')")
                                .arg(prefix)
                                .arg(i)
                                .arg(QStringLiteral("【组成】").repeated(200))
                                .arg(i));
        db.store().closeAll();
    }
    BackupResult exit(const QDateTime& at) {
        return backupPersonalDatabase(dataFolder, backupRoot, at, password());
    }

    // One real exit, then its sound copy placed in `count` - 1 older stamp folders as well.
    QStringList makeGoodBackups(int count) {
        const BackupResult first = exit(kExit.addSecs(-60 * 60 * 24));
        if (!first.ok)
            return {};
        QStringList names;
        for (int i = count - 1; i >= 1; --i) {
            const QString name = backupStamp(kExit.addSecs(-60 * 60 * 24 - 60 * i));
            QDir().mkpath(backupFolder + QLatin1Char('/') + name);
            QFile::copy(first.copyPath,
                        backupFolder + QLatin1Char('/') + name + QStringLiteral("/个人经方数据库.dat"));
            names << name;
        }
        return names + QStringList{first.stamp};
    }

    // `count` exit folders one minute apart, ending one hour before `latest`, each holding an old copy.
    QStringList makeOldBackups(int count, const QDateTime& latest = kExit) {
        QStringList names;
        for (int i = count; i >= 1; --i) {
            const QString name = backupStamp(latest.addSecs(-3600 - 60 * i));
            QDir().mkpath(backupFolder + QLatin1Char('/') + name);
            writeAll(backupFolder + QLatin1Char('/') + name + QStringLiteral("/个人经方数据库.dat"), "old");
            names << name;
        }
        return names;
    }
    void makeUserFolder(const QString& name) {
        QDir().mkpath(backupFolder + QLatin1Char('/') + name);
        writeAll(backupFolder + QLatin1Char('/') + name + QStringLiteral("/笔记.txt"), "mine");
    }
};

} // namespace

class BackupTest : public QObject {
    Q_OBJECT

private slots:
    void stampHasTheFullWidthColon();
    void onlyRealTimesAreStamps();
    void firstExitCreatesTheFolderAndACheckedCopy();
    void twoExitsInOneMinuteShareOneFolder();
    void retentionKeepsTheNewestTwenty();
    void userFoldersAreNeitherCountedNorDeleted();
    void futureStampsNeverCostTheLastExits();
    void aClockSetBackKeepsThePreviousExits();
    void aStampNamedLinkIsNeverFollowed();
    void halfMadeFoldersAreRemovedAndNotCounted();
    void anEmptyPersonalFileNeverCostsAGoodBackup();
    void damagedPagesNeverCostAGoodBackup();
    void backupsTakenWhileAnotherInstanceSavesAreWhole();
    void failedCopyKeepsEveryOldBackupAndSaysWhy();
    void closeAndBackUpCopiesEverythingCommitted();
    void backupsArePrivateWhateverTheUmask();
    void listShowsStampRecordsAndSoundness();
    void restoreBacksUpTheCurrentFileFirst();
    void restoreOverADamagedFileSetsItAside();
};

void BackupTest::stampHasTheFullWidthColon() {
    const QString stamp = backupStamp(kExit);
    QCOMPARE(stamp, QStringLiteral("2026-12-08 04\uFF1A39"));
    QVERIFY(!stamp.contains(QLatin1Char(':')));
    QCOMPARE(backupStamp(QDateTime(QDate(2027, 1, 2), QTime(23, 5, 59))),
             QStringLiteral("2027-01-02 23：05"));
    QVERIFY(isBackupStamp(stamp));
    QVERIFY(!isBackupStamp(QStringLiteral("2026-12-08 04:39")));
    QVERIFY(!isBackupStamp(QStringLiteral("0旧资料")));
    QVERIFY(!isBackupStamp(stamp + QStringLiteral(" 副本")));
    QVERIFY(!isBackupStamp(QStringLiteral("2026-12-8 04：39")));
    QCOMPARE(backupFolderPath(QStringLiteral("/home/u/.local/share/Corvessa")),
             QStringLiteral("/home/u/.local/share/Corvessa/中药方剂数据库备份"));
}

void BackupTest::onlyRealTimesAreStamps() {
    QVERIFY(!isBackupStamp(QStringLiteral("0000-13-40 25：99")));
    QVERIFY(!isBackupStamp(QStringLiteral("2026-02-30 10：00")));
    QVERIFY(!isBackupStamp(QStringLiteral("2026-12-08 24：00")));
    QVERIFY(!isBackupStamp(QStringLiteral("2026-12-08 23：60")));
    QVERIFY(isBackupStamp(QStringLiteral("2028-02-29 23：59")));
}

void BackupTest::firstExitCreatesTheFolderAndACheckedCopy() {
    Roots roots;
    QVERIFY(!QFileInfo::exists(roots.backupFolder));
    const QStringList before = contentOf(roots.personalPath());
    const QByteArray bytes = readAll(roots.personalPath());

    const BackupResult result = roots.exit(kExit);
    QVERIFY2(result.ok, qPrintable(result.detail));
    QCOMPARE(result.failure, BackupResult::Failure::None);
    QCOMPARE(result.stampFolder, roots.backupFolder + QStringLiteral("/2026-12-08 04：39"));
    QCOMPARE(result.copyPath, result.stampFolder + QStringLiteral("/个人经方数据库.dat"));
    QCOMPARE(subfolders(roots.backupFolder), QStringList{result.stamp});
    QCOMPARE(contentOf(result.copyPath), before);
    QCOMPARE(result.records, qint64(3));
    QCOMPARE(integrity(result.copyPath), QStringLiteral("ok"));
    // No temporary file is left beside the copy, and the source is untouched.
    QCOMPARE(QDir(result.stampFolder).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("个人经方数据库.dat")});
    QCOMPARE(readAll(roots.personalPath()), bytes);
    QVERIFY(result.pruned.isEmpty());
}

void BackupTest::twoExitsInOneMinuteShareOneFolder() {
    Roots roots;
    const QStringList old = roots.makeOldBackups(19);
    QVERIFY(roots.exit(kExit).ok);
    roots.addRecords(2, QStringLiteral("后加"));
    const BackupResult second = roots.exit(kExit.addSecs(40));
    QVERIFY2(second.ok, qPrintable(second.detail));
    QCOMPARE(second.stamp, backupStamp(kExit));
    // The second copy replaced the first; the shared folder counts once, so all 19 old ones stay.
    QCOMPARE(contentOf(second.copyPath), contentOf(roots.personalPath()));
    QCOMPARE(subfolders(roots.backupFolder), old + QStringList{second.stamp});
    QVERIFY(second.pruned.isEmpty());
}

void BackupTest::retentionKeepsTheNewestTwenty() {
    {
        Roots roots;
        const QStringList old = roots.makeOldBackups(24);
        const BackupResult result = roots.exit(kExit);
        QVERIFY2(result.ok, qPrintable(result.detail));
        QCOMPARE(subfolders(roots.backupFolder), old.mid(5) + QStringList{result.stamp});
        QCOMPARE(result.pruned.size(), 5);
        for (int i = 0; i < 5; ++i)
            QCOMPARE(result.pruned[i], roots.backupFolder + QLatin1Char('/') + old[i]);
    }
    {
        Roots roots;
        const QStringList old = roots.makeOldBackups(19);
        const BackupResult result = roots.exit(kExit);
        QVERIFY(result.ok);
        QCOMPARE(subfolders(roots.backupFolder), old + QStringList{result.stamp});
        QVERIFY(result.pruned.isEmpty());
    }
}

void BackupTest::userFoldersAreNeitherCountedNorDeleted() {
    Roots roots;
    const QStringList old = roots.makeOldBackups(24);
    roots.makeUserFolder(QStringLiteral("0旧资料"));           // sorts before every stamp
    roots.makeUserFolder(QStringLiteral("我的文件夹"));        // sorts after them
    roots.makeUserFolder(QStringLiteral("0000-13-40 25：99")); // looks like a stamp, is no time
    const BackupResult result = roots.exit(kExit);
    QVERIFY(result.ok);
    const QStringList expected = QStringList{QStringLiteral("0000-13-40 25：99"), QStringLiteral("0旧资料")} +
                                 old.mid(5) + QStringList{result.stamp, QStringLiteral("我的文件夹")};
    QCOMPARE(subfolders(roots.backupFolder), expected);
    QCOMPARE(readAll(roots.backupFolder + QStringLiteral("/0旧资料/笔记.txt")), QByteArray("mine"));
    QCOMPARE(readAll(roots.backupFolder + QStringLiteral("/0000-13-40 25：99/笔记.txt")), QByteArray("mine"));
}

void BackupTest::futureStampsNeverCostTheLastExits() {
    // 20 folders stamped in 2099 (a wrong clock once). Every exit from now on must keep the exits before it;
    // the future ones go, oldest name first, one per exit.
    Roots roots;
    const QStringList future = roots.makeOldBackups(20, QDateTime(QDate(2099, 1, 1), QTime(12, 0)));
    QStringList exits;
    for (int i = 0; i < 5; ++i) {
        const BackupResult result = roots.exit(kExit.addSecs(60 * i));
        QVERIFY(result.ok);
        exits << result.stamp;
        QCOMPARE(subfolders(roots.backupFolder), exits + future.mid(i + 1));
    }
}

void BackupTest::aClockSetBackKeepsThePreviousExits() {
    Roots roots;
    const QStringList old = roots.makeOldBackups(20);
    // Each exit is a day earlier than the one before: by name every new folder is the oldest of all.
    QStringList exits;
    for (int i = 1; i <= 5; ++i) {
        const BackupResult result = roots.exit(kExit.addDays(-10 * i));
        QVERIFY(result.ok);
        exits << result.stamp;
        for (const QString& earlier : exits)
            QVERIFY2(QFileInfo(roots.backupFolder + QLatin1Char('/') + earlier).isDir(), qPrintable(earlier));
    }
    QStringList expected = exits + old.mid(5);
    std::sort(expected.begin(), expected.end());
    QCOMPARE(subfolders(roots.backupFolder), expected);
}

void BackupTest::aStampNamedLinkIsNeverFollowed() {
#ifdef Q_OS_UNIX
    Roots roots;
    QTemporaryDir outside;
    QVERIFY(writeAll(outside.filePath(QStringLiteral("别人的文件.txt")), "keep me"));
    const QStringList old = roots.makeOldBackups(24);
    // The link sorts before every stamp, so it would be the first to go if it counted.
    const QString link = roots.backupFolder + QStringLiteral("/2000-01-01 00：00");
    QVERIFY(QFile::link(outside.path(), link));
    for (int i = 0; i < 3; ++i)
        QVERIFY(roots.exit(kExit.addSecs(60 * i)).ok);
    QCOMPARE(readAll(outside.filePath(QStringLiteral("别人的文件.txt"))), QByteArray("keep me"));
    QVERIFY(QFileInfo(link).isSymLink());
    // The link takes none of the 20 places.
    QCOMPARE(subfolders(roots.backupFolder).size(), 21);
#else
    QSKIP("links are a POSIX matter here");
#endif
}

void BackupTest::halfMadeFoldersAreRemovedAndNotCounted() {
    Roots roots;
    const QStringList old = roots.makeOldBackups(19);
    // Killed exits: empty folders and a temporary copy nobody finished, all newer than the old backups.
    QStringList halfMade;
    for (int i = 1; i <= 4; ++i) {
        halfMade << backupStamp(kExit.addSecs(-60 * i));
        QDir().mkpath(roots.backupFolder + QLatin1Char('/') + halfMade.last());
    }
    const QString stale = roots.backupFolder + QLatin1Char('/') + halfMade.last() +
                          QStringLiteral("/个人经方数据库.dat.abc.part");
    QVERIFY(writeAll(stale, "half"));
    QFile staleFile(stale);
    QVERIFY(staleFile.open(QIODevice::ReadWrite));
    QVERIFY(
        staleFile.setFileTime(QDateTime::currentDateTime().addDays(-1), QFileDevice::FileModificationTime));
    staleFile.close();

    const BackupResult result = roots.exit(kExit);
    QVERIFY(result.ok);
    QCOMPARE(result.halfMade.size(), 4);
    // 19 old backups and this exit's: nothing real is lost to the half-made ones.
    QCOMPARE(subfolders(roots.backupFolder), old + QStringList{result.stamp});
}

void BackupTest::anEmptyPersonalFileNeverCostsAGoodBackup() {
    Roots roots;
    const QStringList good = roots.makeGoodBackups(20);
    QVERIFY(QFile::resize(roots.personalPath(), 0));
    for (int i = 20; i < 40; ++i) {
        const BackupResult result = roots.exit(kExit.addSecs(60 * i));
        QVERIFY(!result.ok);
        QCOMPARE(result.failure, BackupResult::Failure::SourceDamaged);
        QVERIFY(result.pruned.isEmpty());
    }
    QCOMPARE(subfolders(roots.backupFolder), good);
    const std::vector<BackupEntry> entries = listBackups(roots.backupRoot, password());
    QCOMPARE(entries.size(), size_t(20));
    for (const BackupEntry& entry : entries)
        QVERIFY2(entry.check.sound() && entry.check.records == 3, qPrintable(entry.stamp));
}

void BackupTest::damagedPagesNeverCostAGoodBackup() {
    Roots roots(40); // enough text for many pages
    const QStringList good = roots.makeGoodBackups(20);
    // Page 1 stays intact, so the file still opens; the pages after it are overwritten.
    QFile file(roots.personalPath());
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.size() > 8 * 4096);
    QVERIFY(file.seek(4096));
    QVERIFY(file.write(QByteArray(int(file.size() - 4096), '\x5a')) > 0);
    file.close();
    QVERIFY(!checkPersonalDatabase(roots.personalPath(), password()).sound());
    // Every exit would prune one of the 20 if it counted.
    for (int i = 20; i < 23; ++i) {
        const BackupResult result = roots.exit(kExit.addSecs(60 * i));
        QVERIFY(!result.ok);
        QCOMPARE(result.failure, BackupResult::Failure::SourceDamaged);
    }
    QCOMPARE(subfolders(roots.backupFolder), good);
}

void BackupTest::backupsTakenWhileAnotherInstanceSavesAreWhole() {
    Roots roots;
    QProcess child; // saves prescriptions in a loop, as a second window would
    child.start(QStringLiteral(CORVESSA_SAVE_CHILD), {roots.dataFolder, QStringLiteral("并")});
    QVERIFY(child.waitForStarted());
    QVERIFY(child.waitForReadyRead(30000)); // it has saved at least once
    for (int round = 0; round < 4; ++round) {
        const BackupResult result = roots.exit(kExit.addSecs(60 * round));
        QVERIFY2(result.ok, qPrintable(result.detail));
        QCOMPARE(integrity(result.copyPath), QStringLiteral("ok"));
    }
    child.kill();
    child.waitForFinished();
}

void BackupTest::failedCopyKeepsEveryOldBackupAndSaysWhy() {
    {
        Roots roots;
        const QStringList old = roots.makeOldBackups(25);
        QVERIFY(QFile::remove(roots.personalPath()));
        const BackupResult result = roots.exit(kExit);
        QVERIFY(!result.ok);
        QCOMPARE(result.failure, BackupResult::Failure::SourceMissing);
        QCOMPARE(subfolders(roots.backupFolder), old);
    }
    {
        // A plain file stands where this exit's folder must go.
        Roots roots;
        const QStringList old = roots.makeOldBackups(25);
        QVERIFY(writeAll(roots.backupFolder + QLatin1Char('/') + backupStamp(kExit), "a file"));
        const BackupResult result = roots.exit(kExit);
        QVERIFY(!result.ok);
        QCOMPARE(result.failure, BackupResult::Failure::FolderNotCreated);
        QCOMPARE(subfolders(roots.backupFolder), old);
        QCOMPARE(readAll(roots.backupFolder + QLatin1Char('/') + backupStamp(kExit)), QByteArray("a file"));
    }
    {
        // A folder holds the copy's name: the checked copy cannot be renamed into place, and is not left.
        Roots roots;
        const QStringList old = roots.makeOldBackups(25);
        const QString stampFolder = roots.backupFolder + QLatin1Char('/') + backupStamp(kExit);
        QVERIFY(QDir().mkpath(stampFolder + QStringLiteral("/个人经方数据库.dat/其中")));
        const BackupResult result = roots.exit(kExit);
        QVERIFY(!result.ok);
        QCOMPARE(result.failure, BackupResult::Failure::ReplaceFailed);
        QCOMPARE(subfolders(roots.backupFolder), (old + QStringList{backupStamp(kExit)}));
        QCOMPARE(QDir(stampFolder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList{QStringLiteral("个人经方数据库.dat")});
    }
    {
        // A first exit succeeds, a second in the same minute finds a damaged file: the first copy stays.
        Roots roots;
        const BackupResult first = roots.exit(kExit);
        QVERIFY(first.ok);
        const QStringList content = contentOf(first.copyPath);
        QVERIFY(QFile::resize(roots.personalPath(), 0));
        QVERIFY(!roots.exit(kExit.addSecs(5)).ok);
        QCOMPARE(contentOf(first.copyPath), content);
    }
}

void BackupTest::closeAndBackUpCopiesEverythingCommitted() {
    FixtureDatabases fixture;
    QVERIFY(fixture.isValid());
    Store& store = fixture.store();
    Recordset& rs = store.recordset();
    rs.setLockType(adLockOptimistic);
    rs.setCursorLocation(adUseClient);
    rs.open(QStringLiteral("select * from[分组]"), store.personalConnection());
    rs.addNew();
    rs.setField(QStringLiteral("分组"), QStringLiteral("退出前新加"));
    rs.update();
    rs.close();
    rs.release();
    QVERIFY(store.connections().isOpen(store.personalConnection()));

    QTemporaryDir root;
    const BackupResult result = closeAndBackUp(store, root.path(), kExit);
    QVERIFY2(result.ok, qPrintable(result.detail));
    QVERIFY(!store.connections().isOpen(store.personalConnection()));
    QCOMPARE(contentOf(result.copyPath), contentOf(fixture.personalPath()));
    QVERIFY(contentOf(result.copyPath).contains(QStringLiteral("组:退出前新加")));
}

void BackupTest::backupsArePrivateWhateverTheUmask() {
#ifdef Q_OS_UNIX
    const mode_t previous = ::umask(022);
    Roots roots;
    const BackupResult result = roots.exit(kExit);
    ::umask(previous);
    QVERIFY(result.ok);
    auto mode = [](const QString& path) {
        struct stat info = {};
        ::stat(QFile::encodeName(path).constData(), &info);
        return info.st_mode & 0777;
    };
    QCOMPARE(mode(roots.backupFolder), mode_t(0700));
    QCOMPARE(mode(result.stampFolder), mode_t(0700));
    QCOMPARE(mode(result.copyPath), mode_t(0600));
    QCOMPARE(mode(roots.backupFolder + QLatin1Char('/') + kRecentExitsFileName), mode_t(0600));
#else
    QSKIP("file modes are a POSIX matter");
#endif
}

void BackupTest::listShowsStampRecordsAndSoundness() {
    Roots roots;
    const BackupResult first = roots.exit(kExit);
    roots.addRecords(2, QStringLiteral("新"));
    const BackupResult second = roots.exit(kExit.addSecs(120));
    QVERIFY(first.ok && second.ok);
    const QString broken = roots.backupFolder + QStringLiteral("/2026-12-08 05：00");
    QDir().mkpath(broken);
    QVERIFY(writeAll(broken + QStringLiteral("/个人经方数据库.dat"), QByteArray(4096, 'x')));

    const std::vector<BackupEntry> entries = listBackups(roots.backupRoot, password());
    QCOMPARE(entries.size(), size_t(3));
    QCOMPARE(entries[0].stamp, QStringLiteral("2026-12-08 05：00"));
    QVERIFY(!entries[0].check.sound());
    QCOMPARE(entries[1].stamp, second.stamp);
    QCOMPARE(entries[1].check.records, qint64(5));
    QCOMPARE(entries[2].stamp, first.stamp);
    QCOMPARE(entries[2].check.records, qint64(3));
    QVERIFY(entries[1].check.sound() && entries[2].check.sound());
}

void BackupTest::restoreBacksUpTheCurrentFileFirst() {
    Roots roots;
    const BackupResult old = roots.exit(kExit);
    QVERIFY(old.ok);
    const QStringList oldContent = contentOf(old.copyPath);
    roots.addRecords(2, QStringLiteral("后来"));
    const QStringList currentContent = contentOf(roots.personalPath());

    const RestoreResult result =
        restorePersonalDatabase(roots.db.store(), roots.backupRoot, old.copyPath, kExit.addSecs(3600));
    QVERIFY2(result.ok, qPrintable(result.detail));
    QCOMPARE(contentOf(roots.personalPath()), oldContent);
    QVERIFY(result.currentBackup.ok);
    QCOMPARE(contentOf(result.currentBackup.copyPath), currentContent);
    QVERIFY(result.setAsidePath.isEmpty());
    // The store reopens the restored file.
    Recordset& rs = roots.db.store().recordset();
    rs.open(QStringLiteral("select * from[中药方剂]"), roots.db.store().personalConnection());
    QCOMPARE(rs.recordCount(), 3);
    rs.release();
}

void BackupTest::restoreOverADamagedFileSetsItAside() {
    Roots roots;
    const BackupResult old = roots.exit(kExit);
    QVERIFY(old.ok);
    QVERIFY(writeAll(roots.personalPath(), QByteArray(8192, 'x')));
    const RestoreResult result =
        restorePersonalDatabase(roots.db.store(), roots.backupRoot, old.copyPath, kExit.addSecs(3600));
    QVERIFY2(result.ok, qPrintable(result.detail));
    QCOMPARE(readAll(result.setAsidePath), QByteArray(8192, 'x'));
    QVERIFY(result.setAsidePath.contains(QStringLiteral(".损坏-")));
    QCOMPARE(contentOf(roots.personalPath()), contentOf(old.copyPath));
    // The damaged file was not backed up over anything.
    QCOMPARE(subfolders(roots.backupFolder), QStringList{old.stamp});
}

QTEST_GUILESS_MAIN(BackupTest)
#include "backup_test.moc"
