// SPDX-License-Identifier: GPL-3.0-or-later

#include "windowdrag.h"

#include <QEvent>
#include <QMouseEvent>

namespace corvessa::mainwindow {

WindowDragFilter::WindowDragFilter(std::function<void()> startMove, QObject* parent)
    : QObject(parent), m_startMove(std::move(startMove)) {}

void WindowDragFilter::watch(QObject* control) {
    control->installEventFilter(this);
}

bool WindowDragFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->buttons() == Qt::LeftButton) {
            m_startMove();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace corvessa::mainwindow
