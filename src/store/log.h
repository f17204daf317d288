// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QLoggingCategory>

namespace corvessa::store {

// Technical details of the data layer's failures (SQLite's own messages, paths) go here, never to the user.
Q_DECLARE_LOGGING_CATEGORY(lcStore)

} // namespace corvessa::store
