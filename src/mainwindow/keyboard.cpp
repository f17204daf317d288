// SPDX-License-Identifier: GPL-3.0-or-later

// Keys for everything the mouse can do in the main window; see keyboard.h.
#include "keyboard.h"

#include "layout.h"
#include "mainwindow.h"

#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>

namespace corvessa::mainwindow {

namespace {

bool isEnter(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

QString withShortcut(const QString& text, const QKeySequence& key) {
    if (key.isEmpty())
        return text;
    return QStringLiteral("%1（%2）").arg(text, key.toString(QKeySequence::NativeText));
}

} // namespace

QString plainCaption(const QString& caption) {
    QString text = caption;
    return text.remove(QLatin1Char(' '));
}

QKeySequence KeyboardNavigation::shortcutOf(int actionIndex) {
    switch (actionIndex) {
    case kActionSearch:
        return QKeySequence(Qt::Key_Enter);
    case kActionFavourite:
        return QKeySequence(Qt::CTRL | Qt::Key_D);
    case kActionCopyFromLibrary:
    case kActionCopyFromFavourite:
        return QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_D);
    case kActionDeleteFavourite:
    case kActionDeletePersonal:
        return QKeySequence(Qt::Key_Delete);
    case kActionSave:
        return QKeySequence(Qt::CTRL | Qt::Key_S);
    case kActionAdd:
        return QKeySequence(Qt::CTRL | Qt::Key_N);
    case kActionEditGroups:
        return QKeySequence(Qt::CTRL | Qt::Key_G);
    default:
        return QKeySequence();
    }
}

KeyboardNavigation::KeyboardNavigation(MainWindow& window, const Form1Controls& ui)
    : QObject(&window), m_window(window), m_ui(ui) {
    // Tabs and action buttons come into the focus chain by Tab only: a click keeps the focus where it was.
    for (QFrame* tab : m_ui.picture4) {
        tab->setFocusPolicy(Qt::TabFocus);
        tab->installEventFilter(this);
    }
    for (int i = 0; i < kActionCount; ++i) {
        QFrame* button = m_ui.picture5[size_t(i)];
        button->setFocusPolicy(Qt::TabFocus);
        button->installEventFilter(this);
        button->setToolTip(withShortcut(plainCaption(m_ui.label3[size_t(i)]->text()), shortcutOf(i)));
    }
    for (int i = 0; i < kTabCount; ++i) {
        const QString caption = m_ui.label1[size_t(i)]->text();
        m_ui.picture4[size_t(i)]->setToolTip(
            i < kModeTabCount ? withShortcut(caption, QKeySequence(Qt::CTRL | (Qt::Key_1 + i)))
                              : withShortcut(caption, QKeySequence(Qt::Key_F1)));
    }
    // The detail view hands Tab on instead of typing it, and stays selectable by keyboard while read-only.
    m_ui.text2->setTabChangesFocus(true);
    m_ui.text2->installEventFilter(this);
    // The source picker is entered with the down arrow only; Tab passes it by.
    m_ui.list2->setFocusPolicy(Qt::ClickFocus);
    m_ui.list2->installEventFilter(this);
    m_ui.text3->installEventFilter(this);

    buildCommands();
    setFocusOrder();
}

QAction* KeyboardNavigation::addCommand(const char* name, const QString& text, const QKeySequence& key) {
    auto* command = new QAction(text, &m_window);
    command->setObjectName(QString::fromLatin1(name));
    command->setShortcut(key);
    command->setShortcutContext(Qt::WindowShortcut);
    command->setToolTip(withShortcut(text, key));
    m_window.addAction(command);
    return command;
}

QAction* KeyboardNavigation::action(const QString& objectName) const {
    return m_window.findChild<QAction*>(objectName, Qt::FindDirectChildrenOnly);
}

void KeyboardNavigation::buildCommands() {
    // Enter in the search fields already searches; this command is the same search from anywhere else.
    connect(addCommand("actionSearch", QStringLiteral("查询"), QKeySequence()), &QAction::triggered, this,
            [this] { runIfShown(kActionSearch); });
    connect(addCommand("actionFavourite", QStringLiteral("收藏"), shortcutOf(kActionFavourite)),
            &QAction::triggered, this, [this] { runIfShown(kActionFavourite); });
    connect(addCommand("actionCopy", QStringLiteral("复制到个人经方"), shortcutOf(kActionCopyFromLibrary)),
            &QAction::triggered, this,
            [this] { runIfShown(kActionCopyFromLibrary) || runIfShown(kActionCopyFromFavourite); });
    connect(addCommand("actionDelete", QStringLiteral("删除"), shortcutOf(kActionDeletePersonal)),
            &QAction::triggered, this,
            [this] { runIfShown(kActionDeleteFavourite) || runIfShown(kActionDeletePersonal); });
    connect(addCommand("actionSave", QStringLiteral("保存"), shortcutOf(kActionSave)), &QAction::triggered,
            this, [this] { runIfShown(kActionSave); });
    connect(addCommand("actionAdd", QStringLiteral("添加"), shortcutOf(kActionAdd)), &QAction::triggered,
            this, [this] { runIfShown(kActionAdd); });
    connect(addCommand("actionEditGroups", QStringLiteral("编辑分组"), shortcutOf(kActionEditGroups)),
            &QAction::triggered, this, [this] { runIfShown(kActionEditGroups); });

    for (int i = 0; i < kModeTabCount; ++i) {
        const QByteArray name = "actionTab" + QByteArray::number(i);
        connect(addCommand(name.constData(), m_ui.label1[size_t(i)]->text(),
                           QKeySequence(Qt::CTRL | (Qt::Key_1 + i))),
                &QAction::triggered, this, [this, i] { selectTabByKey(i); });
    }
    connect(addCommand("actionPreviousTab", QStringLiteral("上一个标签"),
                       QKeySequence(Qt::CTRL | Qt::Key_PageUp)),
            &QAction::triggered, this,
            [this] { selectTabByKey((m_window.currentTab() + kModeTabCount - 1) % kModeTabCount); });
    connect(
        addCommand("actionNextTab", QStringLiteral("下一个标签"), QKeySequence(Qt::CTRL | Qt::Key_PageDown)),
        &QAction::triggered, this, [this] { selectTabByKey((m_window.currentTab() + 1) % kModeTabCount); });
    connect(addCommand("actionFindName", QStringLiteral("查找名称"), QKeySequence(Qt::CTRL | Qt::Key_F)),
            &QAction::triggered, this, [this] {
                m_ui.text1->setFocus(Qt::ShortcutFocusReason);
                m_ui.text1->selectAll();
            });
    connect(addCommand("actionTutorial", QStringLiteral("操作教程"), QKeySequence(Qt::Key_F1)),
            &QAction::triggered, &m_window, &MainWindow::openTutorialPage);
}

// Top to bottom, left to right: the tabs, the search column, the list, the detail view and the buttons and
// fields under it. Hidden controls drop out of the chain by themselves.
void KeyboardNavigation::setFocusOrder() {
    const auto& ui = m_ui;
    QList<QWidget*> chain;
    for (QFrame* tab : ui.picture4)
        chain << tab;
    chain << ui.text1 << ui.text3 << ui.text6 << ui.picture5[kActionEditGroups] << ui.text4 << ui.text7
          << ui.picture5[kActionSearch] << ui.list1 << ui.text2 << ui.picture5[kActionFavourite]
          << ui.picture5[kActionCopyFromLibrary] << ui.picture5[kActionDeleteFavourite]
          << ui.picture5[kActionCopyFromFavourite] << ui.text5 << ui.c1 << ui.picture5[kActionAdd]
          << ui.picture5[kActionSave] << ui.picture5[kActionDeletePersonal];
    for (qsizetype i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain[i - 1], chain[i]);
}

void KeyboardNavigation::followMode(int mode) {
    const bool searchShown = mode == kModeLibrary || mode == kModeFavourites;
    QFrame* search = m_ui.picture5[kActionSearch];
    search->setFocusPolicy(searchShown ? Qt::TabFocus : Qt::NoFocus);
    if (!searchShown && search->hasFocus())
        m_ui.list1->setFocus(Qt::OtherFocusReason);
}

bool KeyboardNavigation::runIfShown(int actionIndex) {
    QFrame* button = m_ui.picture5[size_t(actionIndex)];
    if (!button->isVisibleTo(&m_window) || !button->parentWidget()->isVisibleTo(&m_window))
        return false;
    m_window.pressAction(actionIndex);
    m_window.releaseAction(actionIndex);
    return true;
}

void KeyboardNavigation::selectTabByKey(int tab) {
    m_window.pressTab(tab);
    m_window.selectTab(tab);
    keepFocusVisible();
}

// A tab change can hide the control that held the focus; the focus then goes to 名称.
void KeyboardNavigation::keepFocusVisible() {
    const QWidget* focused = m_window.focusWidget();
    if (!focused || !focused->isVisibleTo(&m_window))
        m_ui.text1->setFocus(Qt::OtherFocusReason);
}

bool KeyboardNavigation::tabKey(int tab, QEvent* event) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (event->type() == QEvent::KeyPress) {
        if (isEnter(key->key()) || (key->key() == Qt::Key_Space && !key->isAutoRepeat())) {
            m_window.pressTab(tab);
            m_window.selectTab(tab);
            return true;
        }
        if (key->key() == Qt::Key_Left || key->key() == Qt::Key_Right) {
            const int step = key->key() == Qt::Key_Left ? kTabCount - 1 : 1;
            m_ui.picture4[size_t((tab + step) % kTabCount)]->setFocus(Qt::TabFocusReason);
            return true;
        }
    }
    return false;
}

// Space presses the button and runs it on release, as the mouse does; Enter does both at once.
bool KeyboardNavigation::actionKey(int index, QEvent* event) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Space) {
        if (key->isAutoRepeat())
            return true;
        if (event->type() == QEvent::KeyPress)
            m_window.pressAction(index);
        else
            m_window.releaseAction(index);
        return true;
    }
    if (event->type() == QEvent::KeyPress && isEnter(key->key())) {
        m_window.pressAction(index);
        m_window.releaseAction(index);
        return true;
    }
    return false;
}

bool KeyboardNavigation::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched == m_ui.text2 && type == QEvent::ReadOnlyChange) {
        if (m_ui.text2->isReadOnly())
            m_ui.text2->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        return false;
    }
    if (watched == m_ui.text3 && type == QEvent::FocusOut) {
        // Tabbing on from 出处 leaves the picker behind, where it would cover 主治.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason)
            m_window.hideSourcePicker();
        return false;
    }
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease)
        return false;
    for (int i = 0; i < kTabCount; ++i) {
        if (watched == m_ui.picture4[size_t(i)])
            return tabKey(i, event);
    }
    for (int i = 0; i < kActionCount; ++i) {
        if (watched == m_ui.picture5[size_t(i)])
            return actionKey(i, event);
    }
    if (type == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape &&
        (watched == m_ui.text3 || watched == m_ui.list2) && m_ui.list2->isVisible()) {
        // The focus first: 出处 gaining it shows the picker.
        m_ui.text3->setFocus(Qt::OtherFocusReason);
        m_window.hideSourcePicker();
        return true;
    }
    return false;
}

} // namespace corvessa::mainwindow
