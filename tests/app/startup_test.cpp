// Where the databases go on first start, and that nothing the user already has is overwritten.
#include "startup.h"
#include "store/schema.h"

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

QTEST_GUILESS_MAIN(StartupTest)
#include "startup_test.moc"
