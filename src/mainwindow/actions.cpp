// SPDX-License-Identifier: GPL-3.0-or-later

// The nine action buttons (Picture5): press and release painting and the one dispatcher by index.
#include "mainwindow.h"

#include "store/schema.h"

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

// Operations by button index (see ActionIndex).
void MainWindow::runAction(int index) {
    ReportScope scope(*this);
    switch (index) {
    case kActionSearch:
        attempt([this] { librarySearch(); });
        break;
    case kActionFavourite:
        copyShownRecord(kModeLibrary, store::kCategoryFavourite, QStringLiteral("已收藏！"));
        break;
    case kActionCopyFromLibrary:
        copyShownRecord(kModeLibrary, store::kCategoryPersonal, QStringLiteral("已复制！"));
        break;
    case kActionDeleteFavourite:
        deleteShownRecord(store::kCategoryFavourite);
        break;
    case kActionCopyFromFavourite:
        copyShownRecord(kModeFavourites, store::kCategoryPersonal, QStringLiteral("已复制！"));
        break;
    case kActionSave:
        savePersonalRecord();
        break;
    case kActionDeletePersonal:
        deleteShownRecord(store::kCategoryPersonal);
        break;
    case kActionAdd:
        clearEditor();
        break;
    case kActionEditGroups:
        openGroupEditor();
        break;
    default:
        break;
    }
}

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
