// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <functional>

namespace corvessa::mainwindow {

// Moves the window while the left button alone is held and the mouse moves over a watched control (the title
// bar and the tab strip): the window system then drags the window as if its own caption were held. Any other
// button, or the left button together with another one, leaves the window where it is.
class WindowDragFilter : public QObject {
public:
    WindowDragFilter(std::function<void()> startMove, QObject* parent);

    void watch(QObject* control);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void()> m_startMove;
};

} // namespace corvessa::mainwindow
