// SPDX-License-Identifier: GPL-3.0-or-later

#include "store.h"

namespace corvessa::store {

Store::Store(QString dataFolder, QString libraryConnection, QString personalConnection)
    : m_dataFolder(std::move(dataFolder)), m_libraryConnection(std::move(libraryConnection)),
      m_personalConnection(std::move(personalConnection)), m_recordset(m_connections) {}

void Store::closeAll() {
    m_recordset.discard();
    m_connections.closeAll();
}

} // namespace corvessa::store
