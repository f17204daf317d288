// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

namespace corvessa::store {

inline const QString kProvider = QStringLiteral("Microsoft.Jet.OLEDB.4.0");

struct ConnectionInfo {
    QString provider;
    QString dataSource; // the database file
    QString password;
};

// "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=<folder><sep><file>;Jet OLEDB:Database Password=<pw>"
QString makeConnectionString(const QString& folder, const QString& fileName, const QString& password);
// Reads the parts back; keys are compared without regard to case, so "data source" and "Data Source" name
// the same part however a connection string was typed. Throws StoreError when Data Source is missing.
ConnectionInfo parseConnectionString(const QString& connectionString);

// Joins a folder and a name with exactly one separator of the folder's own kind.
QString joinPath(const QString& folder, const QString& name);

} // namespace corvessa::store
