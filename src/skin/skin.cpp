// SPDX-License-Identifier: GPL-3.0-or-later

#include "skin.h"

#include "engine.h"

namespace corvessa::skin {

int attachSkin(QWidget* window) {
    if (window == nullptr) {
        return 0;
    }
    ensureSetUp();
    return attachWindow(window);
}

} // namespace corvessa::skin
