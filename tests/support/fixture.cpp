// SPDX-License-Identifier: GPL-3.0-or-later

#include "fixture.h"

#include "dbbuild.h"
#include "store/connectionstring.h"
#include "store/linkdecoder.h"
#include "store/schema.h"
#include "store/sqlite.h"

#include <QDir>
#include <QFile>

namespace corvessa::testsupport {

namespace {

// Building the library (scrambling, key derivation) costs time; build each input once per test process and
// copy.
QString cachedLibrary(const QString& jsonl) {
    static QTemporaryDir cache;
    static QHash<QString, QString> built;
    if (auto it = built.constFind(jsonl); it != built.constEnd())
        return *it;
    const QString path = cache.filePath(QStringLiteral("library-%1.dat").arg(built.size()));
    dbbuild::writeLibraryDatabase(path, dbbuild::readLibraryInput(jsonl), FixtureDatabases::password());
    built.insert(jsonl, path);
    return path;
}

QString cachedPersonal() {
    static QTemporaryDir cache;
    static QString path;
    if (path.isEmpty()) {
        path = cache.filePath(QStringLiteral("personal.dat"));
        dbbuild::writePersonalTemplate(path, FixtureDatabases::password());
    }
    return path;
}

} // namespace

QString FixtureDatabases::defaultLibraryJsonl() {
    return QStringLiteral(CORVESSA_SOURCE_DIR "/tests/fixtures/library.jsonl");
}

QString FixtureDatabases::fixtureCatalogue() {
    return QStringLiteral(CORVESSA_SOURCE_DIR "/tests/fixtures/sources.txt");
}

QString FixtureDatabases::password() {
    return store::decodeLinkList(QString::fromLatin1(store::links::kPassword));
}

FixtureDatabases::FixtureDatabases(const QString& libraryJsonl) {
    m_dataFolder = m_dir.filePath(QStringLiteral("中药方剂数据库"));
    QDir().mkpath(m_dataFolder);
    m_valid = QFile::copy(cachedLibrary(libraryJsonl), libraryPath()) &&
              QFile::copy(cachedPersonal(), personalPath());
    QFile::setPermissions(libraryPath(), QFile::ReadOwner | QFile::WriteOwner);
    QFile::setPermissions(personalPath(), QFile::ReadOwner | QFile::WriteOwner);
    m_store = std::make_unique<store::Store>(
        m_dataFolder, store::makeConnectionString(m_dataFolder, store::kLibraryFileName, password()),
        store::makeConnectionString(m_dataFolder, store::kPersonalFileName, password()));
}

FixtureDatabases::~FixtureDatabases() {
    m_store->closeAll();
}

QString FixtureDatabases::libraryPath() const {
    return store::joinPath(m_dataFolder, store::kLibraryFileName);
}

QString FixtureDatabases::personalPath() const {
    return store::joinPath(m_dataFolder, store::kPersonalFileName);
}

void FixtureDatabases::execPersonal(const QString& sql) {
    m_store->connections().connection(m_store->personalConnection()).exec(sql);
}

void FixtureDatabases::execLibrary(const QString& sql) {
    m_store->connections().connection(m_store->libraryConnection()).exec(sql);
}

} // namespace corvessa::testsupport
