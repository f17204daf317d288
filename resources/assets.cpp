// SPDX-License-Identifier: GPL-3.0-or-later

#include "assets.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>

static void initAssets() {
    Q_INIT_RESOURCE(corvessa_assets_qrc);
}

namespace corvessa::resources {

namespace {

QByteArray readResource(const QString& path) {
    initAssets();
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

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
