// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QIcon>
#include <QPixmap>

namespace corvessa::mainwindow::pictures {

// The small pictures of the main window, drawn in code in the flat light-blue look so that they stay sharp on
// any screen scale and need no image files.
QPixmap programIcon(int size); // title bar icon and, at several sizes, the window icon
QIcon windowIcon();
QPixmap tabIcon(int tab); // 16 x 16; 0..3 the modes, 4 the tutorial
QPixmap closeImage();     // 42 x 18
constexpr int kCloseImageWidth = 42;
constexpr int kCloseImageHeight = 18;
constexpr int kTabIconSize = 16;

} // namespace corvessa::mainwindow::pictures
