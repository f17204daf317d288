// SPDX-License-Identifier: GPL-3.0-or-later

#include "mainwindow.h"

#include "accessibility.h"
#include "errortext.h"
#include "grouppickers.h"
#include "keyboard.h"
#include "messenger.h"
#include "pictures.h"
#include "store/storeerror.h"
#include "windowdrag.h"
#include "zoom.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QWindow>

namespace corvessa::mainwindow {

MainWindow::MainWindow(store::Store& store, Messenger& messenger, const QStringList& sourceCatalogue,
                       QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), m_store(store), m_messenger(messenger) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(kTitleText);
    setWindowIcon(pictures::windowIcon());
    setFixedSize(px(15675), px(9795));
    setBackground(this, palette().color(QPalette::Base));

    m_ui = buildForm1(this);
    // The source catalogue is data of the window: the hidden List5 keeps it, the picker starts out holding
    // all.
    m_ui.list5->addItems(sourceCatalogue);
    m_ui.list2->addItems(sourceCatalogue);

    connectSearchTriggers();
    installInputFilters();
    connect(m_ui.timer1, &QTimer::timeout, this, &MainWindow::blinkAdvertisement);
    // Whatever empties the detail view (a tab change, a delete, "添   加") also forgets the record it showed.
    connect(m_ui.text2, &QPlainTextEdit::textChanged, this, &MainWindow::forgetShownRecordIfEmptied);
    m_ui.timer1->start();

    loadHandler();

    m_keyboard = new KeyboardNavigation(*this, m_ui);
    connect(this, &MainWindow::modeArranged, m_keyboard, &KeyboardNavigation::followMode);
    m_zoom = new ViewZoom(*this, m_ui.text2, m_ui.list1,
                          [this](int pixels) { setListItemHeight(m_ui.list1, pixels); });
    nameForScreenReaders(m_ui);
    setUpRecordCopy();
}

void MainWindow::useViewSettings(QSettings* settings) {
    m_zoom->useSettings(settings);
}

void MainWindow::setGroups(const QStringList& groups) {
    refillGroupPickers(m_ui.text6, m_ui.c1, groups);
}

MainWindow::~MainWindow() {
    // The keyboard and zoom helpers watch the controls; they go first, so no event of a dying control reaches
    // them.
    delete m_keyboard;
    m_keyboard = nullptr;
    delete m_zoom;
    m_zoom = nullptr;
    // The controls die after this object's own members; nothing they send on the way may reach the handlers.
    for (QObject* child : findChildren<QObject*>()) {
        child->removeEventFilter(this);
        child->disconnect(this);
    }
}

QString MainWindow::selectedRecordKey() const {
    return m_ui.label15->text();
}

void MainWindow::setSelectedRecordKey(const QString& key) {
    m_ui.label15->setText(key);
}

void MainWindow::installInputFilters() {
    // Search inputs, the source picker and the areas whose click hides it.
    for (QObject* watched : std::initializer_list<QObject*>{
             m_ui.text1, m_ui.text3, m_ui.text4, m_ui.text7, m_ui.list1, m_ui.list2, m_ui.list2->viewport(),
             m_ui.text2->viewport(), m_ui.picture1, m_ui.picture3})
        watched->installEventFilter(this);
    // Tabs, the close image and the two links.
    for (QLabel* hitArea : m_ui.label2)
        hitArea->installEventFilter(this);
    for (QLabel* hitArea : m_ui.label9)
        hitArea->installEventFilter(this);
    for (QLabel* link : {m_ui.image1, m_ui.label10, m_ui.label4})
        link->installEventFilter(this);

    m_dragFilter = new WindowDragFilter([this] { startWindowMove(); }, this);
    m_dragFilter->watch(m_ui.picture2);
    m_dragFilter->watch(m_ui.picture3);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (searchEventFilter(watched, event) || chromeEventFilter(watched, event) ||
        actionEventFilter(watched, event))
        return true;
    return QWidget::eventFilter(watched, event);
}

void MainWindow::startWindowMove() {
    if (QWindow* handle = windowHandle())
        handle->startSystemMove();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    m_ui.timer1->stop();
    if (!m_closingEmitted) {
        m_closingEmitted = true;
        emit closing();
    }
    QWidget::closeEvent(event);
}

void MainWindow::attempt(const std::function<void()>& step) {
    try {
        step();
    } catch (const store::StoreError& error) {
        reportFailure(userMessage(error));
    } catch (const std::exception& error) {
        qCWarning(lcMainWindow) << "step failed:" << error.what();
        reportFailure(QStringLiteral("操作失败。"));
    }
}

void MainWindow::reportFailure(const QString& text) {
    if (m_reportDepth > 0) {
        if (m_pendingFailure.isEmpty())
            m_pendingFailure = text;
        return;
    }
    m_messenger.information(this, text);
}

MainWindow::ReportScope::ReportScope(MainWindow& window) : m_window(window) {
    ++m_window.m_reportDepth;
}

MainWindow::ReportScope::~ReportScope() {
    if (--m_window.m_reportDepth == 0 && !m_window.m_pendingFailure.isEmpty()) {
        const QString text = std::exchange(m_window.m_pendingFailure, QString());
        m_window.m_messenger.information(&m_window, text);
    }
}

} // namespace corvessa::mainwindow
