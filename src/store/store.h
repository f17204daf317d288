// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "recordset.h"

#include <QString>

namespace corvessa::store {

// The process-wide data values that the start-up sets once: the data folder, the two connection strings, the
// open connections and the one shared recordset through which every operation reads and writes in turn.
class Store {
public:
    Store(QString dataFolder, QString libraryConnection, QString personalConnection);

    const QString& dataFolder() const { return m_dataFolder; }
    const QString& libraryConnection() const { return m_libraryConnection; }
    const QString& personalConnection() const { return m_personalConnection; }

    Connections& connections() { return m_connections; }
    Recordset& recordset() { return m_recordset; }

    // Releases the recordset and closes every connection, so the database files are complete on disk.
    void closeAll();

private:
    QString m_dataFolder;
    QString m_libraryConnection;
    QString m_personalConnection;
    Connections m_connections;
    Recordset m_recordset;
};

} // namespace corvessa::store
