#include "assets.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>

static void initAssets() {
    Q_INIT_RESOURCE(corvessa_assets_qrc);
    Q_INIT_RESOURCE(corvessa_catalogue_qrc);
}

namespace corvessa::resources {

namespace {

QByteArray readResource(const QString& path) {
    initAssets();
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

QStringList sourceCatalogue() {
    QStringList titles;
    const QString text = QString::fromUtf8(readResource(QStringLiteral(":/corvessa/catalogue/sources.txt")));
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        const QString title = line.trimmed();
        if (!title.isEmpty())
            titles << title;
    }
    return titles;
}

QList<HelpPage> helpPages() {
    initAssets();
    QList<HelpPage> pages;
    QDirIterator it(QStringLiteral(":/corvessa/help"), QDir::Files);
    while (it.hasNext()) {
        const QString path = it.next();
        pages.append({QStringLiteral("help/") + QFileInfo(path).fileName(), readResource(path)});
    }
    return pages;
}

} // namespace corvessa::resources
