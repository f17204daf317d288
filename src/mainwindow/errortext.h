// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QLoggingCategory>
#include <QString>

namespace corvessa::store {
class StoreError;
}

namespace corvessa::mainwindow {

Q_DECLARE_LOGGING_CATEGORY(lcMainWindow)

// The sentence a user reads for a failure of the data layer: it names the cause (another window holds the
// file, the disk is full, the file is damaged or read-only, a value is too long). The technical text goes to
// the log, never into the sentence.
QString userMessage(const store::StoreError& error);

} // namespace corvessa::mainwindow
