#include "startup.h"

#include "assets.h"
#include "store/connectionstring.h"
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
        !file.commit())
        throw StartupError(QStringLiteral("无法写入数据库文件：\n%1\n\n%2")
                               .arg(QDir::toNativeSeparators(path), file.errorString()));
    return true;
}

Placement placeDatabases(const Roots& roots, QByteArrayView library, QByteArrayView personalTemplate) {
    Placement placement;
    placement.dataFolder = chooseDataFolder(roots);
    makePath(placement.dataFolder);
    if (!QFileInfo(placement.dataFolder).isDir())
        throw StartupError(
            QStringLiteral("无法建立数据文件夹：\n%1").arg(QDir::toNativeSeparators(placement.dataFolder)));

    const QString libraryPath = store::joinPath(placement.dataFolder, store::kLibraryFileName);
    const QString personalPath = store::joinPath(placement.dataFolder, store::kPersonalFileName);
    placeFile(libraryPath, library);
    placeFile(personalPath, personalTemplate);

    // Saving needs the personal file and its folder (for the journal) writable; find out now, not at the
    // first save.
    if (!QFileInfo(personalPath).isWritable() || !QFileInfo(placement.dataFolder).isWritable())
        throw StartupError(QStringLiteral("个人数据库不能写入，请检查文件和文件夹的权限：\n%1")
                               .arg(QDir::toNativeSeparators(personalPath)));

    QString password;
    try {
        password = store::decodeLinkList(QString::fromLatin1(store::links::kPassword));
    } catch (const store::StoreError& error) {
        throw StartupError(error.message());
    }
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
