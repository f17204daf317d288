// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

class QWidget;

namespace corvessa::skin {

// Gives a window and all its controls the program's flat look, and from then on also the dialogs, message
// boxes and drop-down lists that appear over it. Safe on any widget: null and already attached windows are
// left as they are. Returns 1 when the window was newly attached, else 0. A window stays attached until it is
// destroyed.
int attachSkin(QWidget* window);

} // namespace corvessa::skin
