// SPDX-License-Identifier: GPL-3.0-or-later

#include "inputguard.h"

namespace corvessa::mainwindow {

std::optional<QString> guardSearchInput(const QString& typed) {
    QString text = typed;
    text.remove(QChar(u'\0'));
    if (text.size() > kMaxSearchInput)
        return std::nullopt;
    return text;
}

} // namespace corvessa::mainwindow
