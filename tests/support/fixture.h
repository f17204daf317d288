// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "store/store.h"

#include <QString>
#include <QTemporaryDir>
#include <memory>

namespace corvessa::testsupport {

// A data folder in a temporary directory holding a library built from tests/fixtures/library.jsonl (or any
// JSON-lines file) and a fresh personal template, with a Store over both. Everything is removed afterwards.
class FixtureDatabases {
public:
    explicit FixtureDatabases(const QString& libraryJsonl = defaultLibraryJsonl());
    ~FixtureDatabases();

    static QString defaultLibraryJsonl();
    static QString fixtureCatalogue(); // tests/fixtures/sources.txt
    static QString password();

    bool isValid() const { return m_valid; }
    const QString& dataFolder() const { return m_dataFolder; }
    QString libraryPath() const;
    QString personalPath() const;
    store::Store& store() { return *m_store; }

    // Runs one statement directly on the personal or library file (setting up a case), outside the recordset.
    void execPersonal(const QString& sql);
    void execLibrary(const QString& sql);

private:
    QTemporaryDir m_dir;
    QString m_dataFolder;
    bool m_valid = false;
    std::unique_ptr<store::Store> m_store;
};

} // namespace corvessa::testsupport
