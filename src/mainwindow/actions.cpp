// The nine action buttons (Picture5): press and release painting and the one dispatcher by index.
#include "mainwindow.h"

#include <QEvent>
#include <QFrame>
#include <QLabel>

namespace corvessa::mainwindow {

void MainWindow::pressAction(int index) {
    if (index < 0 || index >= kActionCount)
        return;
    setBackground(m_ui.picture5[size_t(index)], colours::kPressedGrey);
}

void MainWindow::releaseAction(int index) {
    if (index < 0 || index >= kActionCount)
        return;
    setBackground(m_ui.picture5[size_t(index)], colours::kPanelGrey);
    hideSourcePicker();
    runAction(index);
}

// Operations by button index (see ActionIndex). Only the search is part of the window so far; the record
// actions, the editor's save and the group editor hang in here.
void MainWindow::runAction(int index) {
    ReportScope scope(*this);
    switch (index) {
    case kActionSearch:
        attempt([this] { librarySearch(); });
        break;
    default:
        break;
    }
}

void MainWindow::savePersonalRecord() {}

bool MainWindow::actionEventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease)
        return false;
    // Any mouse button; the release comes to the pressed button even when the pointer has left it.
    for (int i = 0; i < kActionCount; ++i) {
        if (watched != m_ui.label9[size_t(i)])
            continue;
        if (type == QEvent::MouseButtonPress)
            pressAction(i);
        else
            releaseAction(i);
        return true;
    }
    return false;
}

} // namespace corvessa::mainwindow
