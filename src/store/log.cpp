// SPDX-License-Identifier: GPL-3.0-or-later

#include "log.h"

namespace corvessa::store {

Q_LOGGING_CATEGORY(lcStore, "corvessa.store")

} // namespace corvessa::store
