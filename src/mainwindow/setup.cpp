// SPDX-License-Identifier: GPL-3.0-or-later

// The load handler: runs once, after the design is in place and before the window is shown.
#include "mainwindow.h"

#include "errortext.h"
#include "skin/skin.h"
#include "store/recordset.h"
#include "store/store.h"
#include "store/storeerror.h"

#include <QComboBox>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QScreen>

namespace corvessa::mainwindow {

namespace {

constexpr int kListItemHeight = 22;
// The group filter's drop-down reaches about this far below the top of the box.
constexpr int kGroupDropDownPixels = 500;
constexpr int kAboveCentreTwips = 350;

} // namespace

void MainWindow::loadHandler() {
    ReportScope scope(*this);

    skin::attachSkin(this);

    // Centred across, a little above the middle. On a screen smaller than the window the place may be
    // negative and is kept so.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.x() + (area.width() - width()) / 2,
             area.y() + (area.height() - height()) / 2 - px(kAboveCentreTwips));
    }

    setBackground(m_ui.picture2, colours::kTitleBlue);
    setBackground(m_ui.picture3, colours::kPanelGrey);
    for (int i = 0; i < kTabCount; ++i) {
        setBackground(m_ui.picture4[size_t(i)], colours::kPanelGrey);
        m_ui.picture4[size_t(i)]->setFrameShape(QFrame::NoFrame);
        m_ui.label2[size_t(i)]->move(0, 0);
    }
    for (int j = 0; j < kActionCount; ++j) {
        setBackground(m_ui.picture5[size_t(j)], colours::kPanelGrey);
        m_ui.label9[size_t(j)]->move(0, 0);
    }

    setListItemHeight(m_ui.list1, kListItemHeight);
    setListItemHeight(m_ui.list2, kListItemHeight);
    m_ui.text6->setMaxVisibleItems(qMax(1, (kGroupDropDownPixels - m_ui.text6->height()) / kListItemHeight));

    m_state.currentTab = kModeLibrary;

    m_ui.list1->setGeometry(m_ui.list1->x(), px(3780), m_ui.list1->width(), px(5580));
    m_ui.text2->resize(m_ui.text2->width(), px(7335));

    m_ui.text3->show();
    m_ui.label6->show();
    m_ui.text4->show();
    m_ui.label7->show();
    m_ui.text7->show();
    m_ui.label17->show();
    m_ui.text6->hide();
    m_ui.label14->hide();

    m_ui.picture6[0]->show();
    m_ui.picture6[1]->hide();
    m_ui.picture6[2]->hide();
    m_ui.picture5[kActionEditGroups]->hide();

    m_ui.list2->move(px(720), px(2160));

    m_ui.text6->clear();
    m_ui.c1->clear();
    const QString all = QStringLiteral("全部");
    m_ui.text6->addItem(all);
    m_ui.c1->addItem(all);

    // The groups in their stored order, exactly as stored (blanks and duplicates included). When the personal
    // database cannot be read the pickers keep what they have and the window still opens.
    store::Recordset& records = m_store.recordset();
    try {
        records.setLockType(store::adLockOptimistic);
        records.setCursorLocation(store::adUseClient);
        records.open(QStringLiteral("select * from[分组]"), m_store.personalConnection());
        records.requery();
        if (records.recordCount() > 0) {
            while (!records.eof()) {
                const QString group = records.field(QStringLiteral("分组")).toString();
                m_ui.text6->addItem(group);
                m_ui.c1->addItem(group);
                records.moveNext();
            }
        }
    } catch (const store::StoreError& error) {
        reportFailure(QStringLiteral("分组读取失败：") + userMessage(error));
    }
    records.release();
    // Adding to an empty box would show its first item; both boxes start with an empty text instead.
    for (QComboBox* box : {m_ui.text6, m_ui.c1}) {
        box->setCurrentIndex(-1);
        box->clearEditText();
    }

    textbookList();
}

} // namespace corvessa::mainwindow
