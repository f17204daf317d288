// SPDX-License-Identifier: GPL-3.0-or-later

// Where the databases go on first start, and that nothing the user already has is overwritten.
#include "dbbuild.h"
#include "fixture.h"
#include "startup.h"
#include "store/backup.h"
#include "store/libraryversion.h"
#include "store/schema.h"
#include "store/sqlite.h"

#include <QThread>
#include <atomic>
#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace corvessa::app;
using corvessa::store::kLibraryFileName;
using corvessa::store::kPersonalFileName;

namespace {

const QByteArray kLibraryBytes("library bytes");
const QByteArray kPersonalBytes("personal bytes");

void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct Drives {
    QTemporaryDir dir;
    QString c = dir.filePath(QStringLiteral("c"));
    QString d = dir.filePath(QStringLiteral("d"));
    Drives() {
        QDir().mkpath(c);
        QDir().mkpath(d);
    }
    Roots roots() const { return {c, d, c}; }
};

QString password() {
    return corvessa::testsupport::FixtureDatabases::password();
}

// A real library of `version` and a personal database with one record, as files in `dir`.
QByteArray libraryBytes(const QString& dir, int version) {
    const QString path = dir + QStringLiteral("/library-%1.dat").arg(version);
    corvessa::dbbuild::writeLibraryDatabase(
        path,
        corvessa::dbbuild::readLibraryInput(corvessa::testsupport::FixtureDatabases::defaultLibraryJsonl()),
        password(), version);
    return readFile(path);
}

QByteArray personalBytes(const QString& dir) {
    const QString path = dir + QStringLiteral("/personal.dat");
    corvessa::dbbuild::writePersonalTemplate(path, password());
    {
        corvessa::store::Connection connection(path, password());
        connection.exec(
            QStringLiteral("INSERT INTO [中药方剂] ([方名],[类别],[序号]) VALUES ('我的方','个人验方','1')"));
    }
    return readFile(path);
}

#ifdef Q_OS_UNIX
unsigned modeOf(const QString& path) {
    struct stat info = {};
    ::stat(QFile::encodeName(path).constData(), &info);
    return info.st_mode & 0777;
}
#endif

} // namespace

class StartupTest : public QObject {
    Q_OBJECT

private slots:
    void dataFolderPrefersADriveThatListsAnything() {
        Drives drives;
        writeFile(drives.c + QStringLiteral("/中药方剂数据库/") + kLibraryFileName,
                  "old"); // an earlier run on c
        QCOMPARE(chooseDataFolder(drives.roots()),
                 drives.c + QStringLiteral("/中药方剂数据库")); // d is empty

        writeFile(drives.d + QStringLiteral("/.hidden"), "x");
        QCOMPARE(chooseDataFolder(drives.roots()), drives.c + QStringLiteral("/中药方剂数据库"));

        QDir().mkpath(drives.d + QStringLiteral("/照片"));
        QCOMPARE(chooseDataFolder(drives.roots()), drives.d + QStringLiteral("/中药方剂数据库"));

        const Placement placement = placeDatabases(drives.roots(), kLibraryBytes, kPersonalBytes);
        QCOMPARE(placement.dataFolder, drives.d + QStringLiteral("/中药方剂数据库"));
        QCOMPARE(readFile(placement.dataFolder + QLatin1Char('/') + kLibraryFileName), kLibraryBytes);
        QCOMPARE(readFile(drives.c + QStringLiteral("/中药方剂数据库/") + kLibraryFileName),
                 QByteArray("old"));

        const Roots noD{drives.c, QString(), drives.c};
        QCOMPARE(chooseDataFolder(noD), drives.c + QStringLiteral("/中药方剂数据库"));
        const Roots missingD{drives.c, drives.dir.filePath(QStringLiteral("nowhere")), drives.c};
        QCOMPARE(chooseDataFolder(missingD), drives.c + QStringLiteral("/中药方剂数据库"));
    }

    void onlyMissingFilesAreWritten() {
        Drives drives;
        const Roots roots{drives.c, QString(), drives.c};
        const QString folder = drives.c + QStringLiteral("/中药方剂数据库");
        writeFile(folder + QLatin1Char('/') + kPersonalFileName, "user data");
        // Whatever an interrupted earlier write left under a temporary name does not count as the file.
        writeFile(folder + QLatin1Char('/') + kLibraryFileName + QStringLiteral(".Xq3a9"), "partial");

        Placement placement = placeDatabases(roots, kLibraryBytes, kPersonalBytes);
        QCOMPARE(readFile(folder + QLatin1Char('/') + kLibraryFileName), kLibraryBytes);
        QCOMPARE(readFile(folder + QLatin1Char('/') + kPersonalFileName), QByteArray("user data"));

        // The personal file is written again only when deleted. (The library is the program's own file: one
        // that is not a library of this version is replaced, see libraryOfAnotherVersionIsReplaced.)
        QFile::remove(folder + QLatin1Char('/') + kPersonalFileName);
        placement = placeDatabases(roots, QByteArray("new library"), kPersonalBytes);
        QCOMPARE(readFile(folder + QLatin1Char('/') + kPersonalFileName), kPersonalBytes);
        QVERIFY(!placeFile(folder + QLatin1Char('/') + kLibraryFileName, QByteArray("again")));
    }

    void connectionStringsHaveOneSeparator() {
        Drives drives;
        const Roots roots{drives.c + QStringLiteral("/"), QString(), drives.c};
        const Placement placement = placeDatabases(roots, kLibraryBytes, kPersonalBytes);
        QCOMPARE(placement.dataFolder, drives.c + QStringLiteral("/中药方剂数据库"));
        QVERIFY(!placement.libraryConnection.contains(QStringLiteral("//")));
        QVERIFY(placement.personalConnection.startsWith(
            QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + placement.dataFolder +
            QStringLiteral("/个人经方数据库.dat;Jet OLEDB:Database Password=")));
        QCOMPARE(placement.personalConnection.size() -
                     placement.personalConnection.indexOf(QStringLiteral("Password=")),
                 qsizetype(QStringLiteral("Password=").size() + 7));
    }

    void makePathCreatesEveryLevelAndIgnoresErrors() {
        QTemporaryDir dir;
        makePath(dir.path() + QStringLiteral("//甲/乙//丙"));
        QVERIFY(QFileInfo(dir.path() + QStringLiteral("/甲/乙/丙")).isDir());
        makePath(dir.path() + QStringLiteral("/甲/乙/丙")); // existing: nothing happens, nothing fails

        writeFile(dir.path() + QStringLiteral("/文件"), "x");
        makePath(dir.path() + QStringLiteral("/文件/下级")); // below a plain file: silently not created
        QVERIFY(!QFileInfo::exists(dir.path() + QStringLiteral("/文件/下级")));
    }

    void libraryOfAnotherVersionIsReplaced();
    void anEmptyPersonalFileIsNotTrusted();
    void filesAndFoldersArePrivateWhateverTheUmask();
    void aReadOnlyPersonalFileStaysReadOnly();
    void startUpBesideALockWaits();

    void unusableDataFolderIsReported() {
        QTemporaryDir dir;
        writeFile(dir.path() + QStringLiteral("/c"), "a file where the drive root should be");
        const Roots roots{dir.path() + QStringLiteral("/c"), QString(), dir.path()};
        try {
            placeDatabases(roots, kLibraryBytes, kPersonalBytes);
            QFAIL("a data folder below a file was accepted");
        } catch (const StartupError& error) {
            QCOMPARE(error.step(), StartupError::Step::DataFolder);
            QCOMPARE(error.path(), dir.path() + QStringLiteral("/c/中药方剂数据库"));
        }
    }
};

void StartupTest::libraryOfAnotherVersionIsReplaced() {
    QTemporaryDir dir;
    const QByteArray current = libraryBytes(dir.path(), corvessa::store::kLibraryVersion);
    const QByteArray old = libraryBytes(dir.path(), corvessa::store::kLibraryVersion - 1);
    const QByteArray personal = personalBytes(dir.path());
    const Roots roots{dir.filePath(QStringLiteral("c")), QString(), dir.filePath(QStringLiteral("c"))};
    const QString folder = roots.c + QStringLiteral("/中药方剂数据库");
    const QString libraryPath = folder + QLatin1Char('/') + kLibraryFileName;
    const QString personalPath = folder + QLatin1Char('/') + kPersonalFileName;
    writeFile(libraryPath, old);
    writeFile(personalPath, personal);

    Placement placement = placeDatabases(roots, current, QByteArray("template"));
    QCOMPARE(placement.library, LibraryAction::Replaced);
    QCOMPARE(readFile(libraryPath), current);
    QCOMPARE(readFile(personalPath), personal); // byte for byte
    QVERIFY(placement.personal.sound());
    QCOMPARE(placement.personal.records, qint64(1));

    placement = placeDatabases(roots, current, QByteArray("template"));
    QCOMPARE(placement.library, LibraryAction::Kept);

    // Empty, foreign and truncated libraries are replaced too; the personal file stays as it is.
    for (const QByteArray& bad : {QByteArray(), QByteArray(8192, 'x'), current.left(current.size() - 4096)}) {
        writeFile(libraryPath, bad);
        placement = placeDatabases(roots, current, QByteArray("template"));
        QCOMPARE(placement.library, LibraryAction::Replaced);
        QCOMPARE(readFile(libraryPath), current);
    }
    QCOMPARE(readFile(personalPath), personal);
    // No temporary file is left in the data folder.
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 2);

    // Without a copy of its own to put in place, an outdated library is kept rather than emptied.
    writeFile(libraryPath, old);
    placement = placeDatabases(roots, QByteArrayView(), QByteArray("template"));
    QCOMPARE(placement.library, LibraryAction::Kept);
    QCOMPARE(readFile(libraryPath), old);
}

void StartupTest::anEmptyPersonalFileIsNotTrusted() {
    Drives drives;
    const Roots roots{drives.c, QString(), drives.c};
    const QString personal = drives.c + QStringLiteral("/中药方剂数据库/") + kPersonalFileName;
    writeFile(personal, QByteArray());
    const Placement placement = placeDatabases(roots, kLibraryBytes, kPersonalBytes);
    QCOMPARE(placement.personal.state, corvessa::store::DatabaseCheck::State::Empty);
    QVERIFY(QFileInfo(personal).exists());
    QCOMPARE(QFileInfo(personal).size(), qint64(0)); // never overwritten here
}

void StartupTest::filesAndFoldersArePrivateWhateverTheUmask() {
#ifdef Q_OS_UNIX
    const mode_t previous = ::umask(022);
    Drives drives;
    const Roots roots{drives.c, QString(), drives.c};
    const QString folder = drives.c + QStringLiteral("/中药方剂数据库");
    // An earlier version left everything readable to all.
    const QString stamp = corvessa::store::backupFolderPath(drives.c) + QStringLiteral("/2026-12-01 10：00");
    QDir().mkpath(stamp);
    QDir().mkpath(corvessa::store::backupFolderPath(drives.c) + QStringLiteral("/我的文件夹"));
    writeFile(stamp + QLatin1Char('/') + kPersonalFileName, "old");
    writeFile(folder + QLatin1Char('/') + kPersonalFileName, "mine");
    const Placement placement = placeDatabases(roots, kLibraryBytes, kPersonalBytes);
    ::umask(previous);
    QCOMPARE(modeOf(folder), 0700u);
    QCOMPARE(modeOf(folder + QLatin1Char('/') + kLibraryFileName), 0600u);
    QCOMPARE(modeOf(folder + QLatin1Char('/') + kPersonalFileName), 0600u);
    QCOMPARE(modeOf(corvessa::store::backupFolderPath(drives.c)), 0700u);
    QCOMPARE(modeOf(stamp), 0700u);
    QCOMPARE(modeOf(stamp + QLatin1Char('/') + kPersonalFileName), 0600u);
    QCOMPARE(modeOf(corvessa::store::backupFolderPath(drives.c) + QStringLiteral("/我的文件夹")), 0755u);
    QVERIFY(!placement.personalReadOnly);
#else
    QSKIP("file modes are a POSIX matter");
#endif
}

void StartupTest::aReadOnlyPersonalFileStaysReadOnly() {
#ifdef Q_OS_UNIX
    Drives drives;
    const Roots roots{drives.c, QString(), drives.c};
    const QString personal = drives.c + QStringLiteral("/中药方剂数据库/") + kPersonalFileName;
    writeFile(personal, personalBytes(drives.dir.path()));
    QFile::setPermissions(personal, QFile::ReadOwner);
    const Placement placement = placeDatabases(roots, kLibraryBytes, kPersonalBytes);
    QVERIFY(placement.personalReadOnly);
    QVERIFY(placement.personal.sound()); // read and checked all the same
    QCOMPARE(modeOf(personal), 0400u);   // tightening never adds a permission
#else
    QSKIP("file modes are a POSIX matter");
#endif
}

void StartupTest::startUpBesideALockWaits() {
    Drives drives;
    const Roots roots{drives.c, QString(), drives.c};
    const QString personal = drives.c + QStringLiteral("/中药方剂数据库/") + kPersonalFileName;
    writeFile(personal, personalBytes(drives.dir.path()));
    std::atomic<bool> locked{false};
    // Another instance holds the file for a moment (its save, its exit backup).
    QThread* holder = QThread::create([&] {
        corvessa::store::Connection other(personal, password());
        other.exec(QStringLiteral("BEGIN EXCLUSIVE"));
        locked = true;
        QThread::msleep(400);
        other.exec(QStringLiteral("COMMIT"));
    });
    holder->start();
    while (!locked)
        QThread::msleep(5);
    Placement placement;
    try {
        placement = placeDatabases(roots, kLibraryBytes, kPersonalBytes);
    } catch (const corvessa::store::StoreError& error) {
        holder->wait();
        delete holder;
        QFAIL(qPrintable(QStringLiteral("start-up gave up beside a lock: ") + error.detail()));
    }
    holder->wait();
    delete holder;
    QVERIFY(placement.personal.sound());
}

QTEST_GUILESS_MAIN(StartupTest)
#include "startup_test.moc"
