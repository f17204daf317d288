// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

class QWidget;

namespace corvessa::mainwindow {

struct Form1Controls;

// Names and descriptions, in Chinese, for everything a screen reader meets in the main window: the inputs by
// their captions, the lists, the detail view, the tabs and the action buttons (which are drawn panels and
// so are announced as a page tab or a push button that can be pressed).
void nameForScreenReaders(const Form1Controls& ui);

// Presents a panel to screen readers as a push button or a page tab: pressing it through the accessibility
// interface is Enter on the focused panel.
void presentAsButton(QWidget* panel);
void presentAsTab(QWidget* panel);

} // namespace corvessa::mainwindow
