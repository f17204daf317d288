// SPDX-License-Identifier: GPL-3.0-or-later

// The tab strip that switches the window between its modes, and the window chrome: close image, blinking
// advertisement line and the links to the pages that ship with the program.
#include "mainwindow.h"
#include "resultmodel.h"

#include "store/connectionstring.h"
#include "store/linkdecoder.h"
#include "store/store.h"
#include "store/storeerror.h"

#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <algorithm>
#include <utility>

namespace corvessa::mainwindow {

namespace {

// Where the result list and the detail view stand in each mode, and which rows and panels show.
struct Arrangement {
    int listTop;      // twips
    int listHeight;   // twips
    int detailHeight; // twips
    bool sourceRow;
    bool indicationsRow;
    bool groupRow;
    int panel; // Picture6 element shown, -1 for none
    bool editGroups;
};

constexpr Arrangement kArrangements[kModeTabCount] = {
    {3780, 5580, 7335, true, true, false, 0, false},   // 中药方剂 (list under the 组成 row)
    {3780, 5580, 7335, true, true, false, 1, false},   // 我的收藏
    {2340, 7060, 7335, false, false, true, 2, true},   // 个人验方
    {1920, 7500, 7995, false, false, false, -1, false} // 中药饮片
};

// A click: pressed and released over the same control.
bool isClick(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::MouseButtonRelease)
        return false;
    const auto* mouse = static_cast<QMouseEvent*>(event);
    const auto* widget = static_cast<QWidget*>(watched);
    return mouse->button() == Qt::LeftButton && widget->rect().contains(mouse->position().toPoint());
}

} // namespace

void MainWindow::pressTab(int tab) {
    if (tab < 0 || tab >= kTabCount)
        return;
    m_ui.picture4[size_t(tab)]->setFrameShape(QFrame::Box);
    m_ui.picture4[size_t(tab)]->setLineWidth(1);
}

void MainWindow::setCaptionSelected(int tab, bool selected) {
    QLabel* caption = m_ui.label1[size_t(tab)];
    setTextColour(caption, selected ? colours::kTeal : QApplication::palette().color(QPalette::ButtonText));
    QFont font = caption->font();
    font.setBold(selected);
    caption->setFont(font);
}

// Each step runs even when an earlier one failed. Clearing the inputs fires their change handling, which may
// already search in the new mode; the mode's own search in the last step runs last, so its lines remain.
void MainWindow::selectTab(int tab) {
    if (tab < 0 || tab >= kTabCount)
        return;
    ReportScope scope(*this);
    attempt([&] { m_ui.picture4[size_t(tab)]->setFrameShape(QFrame::NoFrame); });
    attempt([&] {
        for (int i = 0; i < kTabCount; ++i)
            setCaptionSelected(i, false);
    });
    const bool mode = tab < kModeTabCount;
    if (mode) {
        attempt([&] { setCaptionSelected(tab, true); });
        attempt([&] { m_state.currentTab = tab; });
        attempt([&] { m_ui.results->clear(); });
        attempt([&] { m_ui.text2->clear(); });
        attempt([&] { m_ui.text1->clear(); });
        attempt([&] { m_ui.text3->clear(); });
        attempt([&] { m_ui.text4->clear(); });
        attempt([&] { m_ui.text7->clear(); });
        attempt([&] { m_ui.text6->clearEditText(); });
        attempt([&] { setSelectedRecordKey(QString()); });
    }
    attempt([&] { hideSourcePicker(); });
    attempt([&] { m_ui.text2->setReadOnly(tab != kModePersonal); });
    attempt([&] { m_ui.label16->setVisible(tab == kModeLibrary); });
    if (mode)
        attempt([&] { arrangeForMode(tab); });
    attempt([&] {
        switch (tab) {
        case kModeLibrary:
            textbookList();
            break;
        case kModeFavourites:
            librarySearch();
            break;
        case kModePersonal:
            personalSearch();
            break;
        case kModeHerbs:
            herbalSearch();
            break;
        default:
            openTutorialPage();
            break;
        }
    });
    if (mode)
        emit modeSelected(tab);
}

void MainWindow::arrangeForMode(int mode) {
    if (mode < 0 || mode >= kModeTabCount)
        return;
    const Arrangement& a = kArrangements[mode];
    m_ui.list1->setGeometry(m_ui.list1->x(), px(a.listTop), m_ui.list1->width(), px(a.listHeight));
    m_ui.text2->resize(m_ui.text2->width(), px(a.detailHeight));
    m_ui.text3->setVisible(a.sourceRow);
    m_ui.label6->setVisible(a.sourceRow);
    m_ui.text4->setVisible(a.indicationsRow);
    m_ui.label7->setVisible(a.indicationsRow);
    m_ui.text7->setVisible(a.indicationsRow);
    m_ui.label17->setVisible(a.indicationsRow);
    m_ui.text6->setVisible(a.groupRow);
    m_ui.label14->setVisible(a.groupRow);
    for (int i = 0; i < kPanelCount; ++i)
        m_ui.picture6[size_t(i)]->setVisible(i == a.panel);
    m_ui.picture5[kActionEditGroups]->setVisible(a.editGroups);
    emit modeArranged(mode);
}

void MainWindow::blinkAdvertisement() {
    setTextColour(m_ui.label10, textColour(m_ui.label10) == colours::kRed ? colours::kTeal : colours::kRed);
}

void MainWindow::openNewsPage() {
    openLink(store::links::kNewsPage);
}

void MainWindow::openTutorialPage() {
    openLink(store::links::kTutorialPage);
}

void MainWindow::openAboutPage() {
    openLink(store::links::kAboutPage);
}

// The addresses are kept obfuscated and decoded anew for every click. The pages ship with the program and lie
// in the data folder, so an address without a scheme is a path relative to it. A page that cannot be opened
// is not reported.
void MainWindow::openLink(const char* obfuscatedList) {
    QString address;
    try {
        address = store::decodeLinkList(QString::fromLatin1(obfuscatedList));
    } catch (const store::StoreError&) {
        return;
    }
    const QUrl asUrl(address);
    // A one-letter scheme is a Windows drive ("c:"), not a scheme.
    const bool hasScheme = asUrl.isValid() && asUrl.scheme().size() > 1;
    openUrl(hasScheme ? asUrl : QUrl::fromLocalFile(store::joinPath(m_store.dataFolder(), address)));
}

void MainWindow::openUrl(const QUrl& url) {
    QDesktopServices::openUrl(url);
}

bool MainWindow::chromeEventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    const bool tabHitArea = std::find(m_ui.label2.begin(), m_ui.label2.end(), watched) != m_ui.label2.end();
    // A label hands the moves it does not use to its parent; over the tab strip and the title bar that would
    // start a window drag and swallow the click the user began on the tab, the close image or the link.
    if (type == QEvent::MouseMove && (tabHitArea || watched == m_ui.image1 || watched == m_ui.label10))
        return true;
    if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease) {
        // Any mouse button presses and releases a tab.
        for (int i = 0; i < kTabCount; ++i) {
            if (watched != m_ui.label2[size_t(i)])
                continue;
            if (type == QEvent::MouseButtonPress)
                pressTab(i);
            else
                selectTab(i);
            return true;
        }
    }
    if (watched == m_ui.image1 || watched == m_ui.label10 || watched == m_ui.label4) {
        if (type == QEvent::MouseButtonPress) {
            // Only a release that follows a press of its own counts; the second click of a double-click
            // opens nothing, whether or not the window system sends its press before the double-click.
            m_pressedLink = static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton ? watched : nullptr;
            return true; // so that the release comes back to the same control
        }
        if (type == QEvent::MouseButtonDblClick) {
            m_pressedLink = nullptr;
            return true;
        }
        if (type != QEvent::MouseButtonRelease)
            return false;
        const bool pressedHere = std::exchange(m_pressedLink, nullptr) == watched;
        if (!pressedHere || !isClick(watched, event))
            return false;
        if (watched == m_ui.image1)
            close();
        else if (watched == m_ui.label10)
            openNewsPage();
        else
            openAboutPage();
        return true;
    }
    return false;
}

} // namespace corvessa::mainwindow
