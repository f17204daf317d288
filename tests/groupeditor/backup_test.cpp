// Backup of the personal database on exit: stamp, folder reuse, copy, retention, user folders, failures.
#include "fixture.h"
#include "store/backup.h"
#include "store/recordset.h"
#include "store/schema.h"
#include "store/sqlite.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using namespace corvessa::store;

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

QByteArray randomBytes(int size) {
    QByteArray bytes(size, Qt::Uninitialized);
    for (char& byte : bytes)
        byte = char(QRandomGenerator::global()->bounded(256));
    return bytes;
}

QStringList subfolders(const QString& folder) {
    return QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
}

// A data folder with a personal database of arbitrary bytes (the copy must not care what is inside) and an
// empty backup root.
struct Roots {
    QTemporaryDir dir;
    QString dataFolder = dir.filePath(QStringLiteral("中药方剂数据库"));
    QString backupRoot = dir.filePath(QStringLiteral("appdata"));
    QString backupFolder = backupFolderPath(backupRoot);
    QByteArray personal = randomBytes(300 * 1024 + 17);

    Roots() {
        QDir().mkpath(dataFolder);
        QDir().mkpath(backupRoot);
        writeAll(personalPath(), personal);
    }
    QString personalPath() const { return dataFolder + QStringLiteral("/个人经方数据库.dat"); }

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
    void firstExitCreatesTheFolderAndAByteIdenticalCopy();
    void twoExitsInOneMinuteShareOneFolder();
    void retentionKeepsTheNewestTwenty();
    void userFoldersAreNeitherCountedNorDeleted();
    void thisExitsFolderSurvivesStampsFromAWrongClock();
    void failedCopyKeepsEveryOldBackupAndSaysSo();
    void closeAndBackUpCopiesEverythingCommitted();
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
    QVERIFY(!isBackupStamp(QStringLiteral("我的文件夹")));
    QVERIFY(!isBackupStamp(stamp + QStringLiteral(" 副本")));
    QVERIFY(!isBackupStamp(QStringLiteral("2026-12-8 04：39")));

    QCOMPARE(backupFolderPath(QStringLiteral("/home/u/.local/share/Corvessa")),
             QStringLiteral("/home/u/.local/share/Corvessa/中药方剂数据库备份"));
}

void BackupTest::firstExitCreatesTheFolderAndAByteIdenticalCopy() {
    Roots roots;
    QVERIFY(!QFileInfo::exists(roots.backupFolder));

    const BackupResult result = backupPersonalDatabase(roots.dataFolder, roots.backupRoot, kExit);
    QVERIFY2(result.ok, qPrintable(result.failure));
    QVERIFY(result.failure.isEmpty());
    QCOMPARE(result.stamp, backupStamp(kExit));
    QCOMPARE(result.stampFolder, roots.backupFolder + QStringLiteral("/2026-12-08 04：39"));
    QCOMPARE(result.copyPath, result.stampFolder + QStringLiteral("/个人经方数据库.dat"));
    QCOMPARE(subfolders(roots.backupFolder), QStringList{result.stamp});
    QCOMPARE(readAll(result.copyPath), roots.personal);
    // No temporary file is left beside the copy, and the source is untouched.
    QCOMPARE(QDir(result.stampFolder).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("个人经方数据库.dat")});
    QCOMPARE(readAll(roots.personalPath()), roots.personal);
    QVERIFY(result.pruned.isEmpty());
}

void BackupTest::twoExitsInOneMinuteShareOneFolder() {
    Roots roots;
    const QStringList old = roots.makeOldBackups(19);
    QVERIFY(backupPersonalDatabase(roots.dataFolder, roots.backupRoot, kExit).ok);

    const QByteArray changed = randomBytes(1000);
    QVERIFY(writeAll(roots.personalPath(), changed));
    const BackupResult second = backupPersonalDatabase(roots.dataFolder, roots.backupRoot, kExit.addSecs(40));
    QVERIFY2(second.ok, qPrintable(second.failure));
    QCOMPARE(second.stamp, backupStamp(kExit));
    // The second copy replaced the first; the shared folder counts once, so all 19 old ones stay.
    QCOMPARE(readAll(second.copyPath), changed);
    QCOMPARE(subfolders(roots.backupFolder), old + QStringList{second.stamp});
    QVERIFY(second.pruned.isEmpty());
}

void BackupTest::retentionKeepsTheNewestTwenty() {
    {
        // 24 old folders and this exit's: the 5 with the smallest names go.
        Roots roots;
        const QStringList old = roots.makeOldBackups(24);
        const BackupResult result = backupPersonalDatabase(roots.dataFolder, roots.backupRoot, kExit);
        QVERIFY2(result.ok, qPrintable(result.failure));
        QCOMPARE(subfolders(roots.backupFolder), old.mid(5) + QStringList{result.stamp});
        QCOMPARE(result.pruned.size(), 5);
        for (int i = 0; i < 5; ++i)
            QCOMPARE(result.pruned[i], roots.backupFolder + QLatin1Char('/') + old[i]);
        QVERIFY(result.unpruned.isEmpty());
    }
    {
        // Exactly 20 with this exit's: nothing is deleted.
        Roots roots;
        const QStringList old = roots.makeOldBackups(19);
        const BackupResult result = backupPersonalDatabase(roots.dataFolder, roots.backupRoot, kExit);
        QVERIFY(result.ok);
        QCOMPARE(subfolders(roots.backupFolder), old + QStringList{result.stamp});
        QVERIFY(result.pruned.isEmpty());
    }
    {
        // 25 old ones already there (a longer history), and this exit's: 6 go.
        Roots roots;
        const QStringList old = roots.makeOldBackups(25);
        const BackupResult result = backupPersonalDatabase(roots.dataFolder, roots.backupRoot, kExit);
        QVERIFY(result.ok);
        QCOMPARE(subfolders(roots.backupFolder), old.mid(6) + QStringList{result.stamp});
    }
}

void BackupTest::userFoldersAreNeitherCountedNorDeleted() {
    {
        Roots roots;
        const QStringList old = roots.makeOldBackups(24);
        roots.makeUserFolder(QStringLiteral("0旧资料"));    // sorts before every stamp
        roots.makeUserFolder(QStringLiteral("我的文件夹")); // sorts after them
        const BackupResult result = backupPersonalDatabase(roots.dataFolder, roots.backupRoot, kExit);
        QVERIFY(result.ok);
        QStringList expected = QStringList{QStringLiteral("0旧资料")} + old.mid(5) +
                               QStringList{result.stamp} + QStringList{QStringLiteral("我的文件夹")};
        QCOMPARE(subfolders(roots.backupFolder), expected);
        QCOMPARE(readAll(roots.backupFolder + QStringLiteral("/0旧资料/笔记.txt")), QByteArray("mine"));
        QCOMPARE(readAll(roots.backupFolder + QStringLiteral("/我的文件夹/笔记.txt")), QByteArray("mine"));
    }
    {
        // 19 stamps, this exit's and two user folders: 22 folders, yet nothing is deleted.
        Roots roots;
        const QStringList old = roots.makeOldBackups(19);
        roots.makeUserFolder(QStringLiteral("0旧资料"));
        roots.makeUserFolder(QStringLiteral("我的文件夹"));
        const BackupResult result = backupPersonalDatabase(roots.dataFolder, roots.backupRoot, kExit);
        QVERIFY(result.ok);
        QCOMPARE(subfolders(roots.backupFolder).size(), 22);
        QVERIFY(result.pruned.isEmpty());
    }
}

void BackupTest::thisExitsFolderSurvivesStampsFromAWrongClock() {
    // 20 folders stamped a year ahead (the clock was wrong once): by name this exit's folder is the oldest,
    // but it holds the only current copy, so it stays and the oldest of the others goes.
    Roots roots;
    const QStringList future = roots.makeOldBackups(20, kExit.addYears(1));
    const BackupResult result = backupPersonalDatabase(roots.dataFolder, roots.backupRoot, kExit);
    QVERIFY(result.ok);
    QCOMPARE(subfolders(roots.backupFolder), QStringList{result.stamp} + future.mid(1));
    QCOMPARE(readAll(result.copyPath), roots.personal);
}

void BackupTest::failedCopyKeepsEveryOldBackupAndSaysSo() {
    {
        // The personal database is missing: nothing is created or deleted.
        Roots roots;
        const QStringList old = roots.makeOldBackups(25);
        QVERIFY(QFile::remove(roots.personalPath()));
        const BackupResult result = backupPersonalDatabase(roots.dataFolder, roots.backupRoot, kExit);
        QVERIFY(!result.ok);
        QVERIFY(result.failure.contains(QStringLiteral("没有备份成功")));
        QVERIFY(result.failure.contains(QStringLiteral("个人经方数据库.dat")));
        QCOMPARE(subfolders(roots.backupFolder), old);
        QVERIFY(result.pruned.isEmpty());
    }
    {
        // A plain file stands where this exit's folder must go.
        Roots roots;
        const QStringList old = roots.makeOldBackups(25);
        QVERIFY(writeAll(roots.backupFolder + QLatin1Char('/') + backupStamp(kExit), "a file"));
        const BackupResult result = backupPersonalDatabase(roots.dataFolder, roots.backupRoot, kExit);
        QVERIFY(!result.ok);
        QVERIFY(result.failure.contains(QStringLiteral("备份文件夹")));
        QCOMPARE(subfolders(roots.backupFolder), old);
        QCOMPARE(readAll(roots.backupFolder + QLatin1Char('/') + backupStamp(kExit)), QByteArray("a file"));
    }
    {
        // The copy itself cannot be written (a folder holds its name): the copy of an earlier exit in the
        // same minute would be safe too, as nothing is renamed over it.
        Roots roots;
        const QStringList old = roots.makeOldBackups(25);
        const QString stampFolder = roots.backupFolder + QLatin1Char('/') + backupStamp(kExit);
        QVERIFY(QDir().mkpath(stampFolder + QStringLiteral("/个人经方数据库.dat")));
        const BackupResult result = backupPersonalDatabase(roots.dataFolder, roots.backupRoot, kExit);
        QVERIFY(!result.ok);
        QVERIFY(result.failure.contains(QStringLiteral("没有备份成功")));
        QCOMPARE(subfolders(roots.backupFolder), (old + QStringList{backupStamp(kExit)}));
        QCOMPARE(QDir(stampFolder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList{QStringLiteral("个人经方数据库.dat")});
    }
    {
        // A first exit succeeds, a second in the same minute fails: the first copy is still whole.
        Roots roots;
        const BackupResult first = backupPersonalDatabase(roots.dataFolder, roots.backupRoot, kExit);
        QVERIFY(first.ok);
        QVERIFY(QFile::remove(roots.personalPath()));
        QVERIFY(!backupPersonalDatabase(roots.dataFolder, roots.backupRoot, kExit.addSecs(5)).ok);
        QCOMPARE(readAll(first.copyPath), roots.personal);
    }
}

void BackupTest::closeAndBackUpCopiesEverythingCommitted() {
    corvessa::testsupport::FixtureDatabases fixture;
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
    QVERIFY2(result.ok, qPrintable(result.failure));
    QVERIFY(!store.connections().isOpen(store.personalConnection()));
    QCOMPARE(readAll(result.copyPath), readAll(fixture.personalPath()));

    Connection copy(result.copyPath, corvessa::testsupport::FixtureDatabases::password());
    Statement count(copy, QStringLiteral("select count(*), sum([分组] = '退出前新加') from [分组]"));
    QVERIFY(count.step());
    QCOMPARE(count.int64(0), qint64(defaultGroups().size() + 1));
    QCOMPARE(count.value(1).toInt(), 1);
}

QTEST_GUILESS_MAIN(BackupTest)
#include "backup_test.moc"
