// SPDX-License-Identifier: GPL-3.0-or-later

// The window without a mouse: focus order, keys for the tabs and the actions, Escape and F1, and the window
// defects that a user trips on (drag from a caption, inline completion of the group boxes, double-clicked
// links).
#include "groupeditor/groupeditor.h"
#include "harness.h"
#include "mainwindow/keyboard.h"
#include "mainwindow/layout.h"
#include "store/schema.h"

#include <QAction>
#include <QApplication>
#include <QFrame>
#include <QMouseEvent>
#include <QPointer>
#include <QTest>

using namespace corvessa;
using namespace corvessa::testsupport;

namespace {

void sendMouse(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
    QMouseEvent event(type, QPointF(at), widget->mapToGlobal(QPointF(at)), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

// A press, a small move with the left button held, and a release at `releaseAt`.
void pressMoveRelease(QWidget* widget, QPoint releaseAt) {
    sendMouse(widget, QEvent::MouseButtonPress, QPoint(4, 4), Qt::LeftButton, Qt::LeftButton);
    sendMouse(widget, QEvent::MouseMove, QPoint(6, 5), Qt::NoButton, Qt::LeftButton);
    sendMouse(widget, QEvent::MouseButtonRelease, releaseAt, Qt::LeftButton, Qt::NoButton);
}

// A double-click as the window system delivers it: press, release, then the second press (with or without
// a press event of its own before the double-click event), and its release.
void doubleClick(QWidget* widget, bool secondPressToo) {
    const QPoint at(4, 4);
    sendMouse(widget, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
    sendMouse(widget, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
    if (secondPressToo)
        sendMouse(widget, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
    sendMouse(widget, QEvent::MouseButtonDblClick, at, Qt::LeftButton, Qt::LeftButton);
    sendMouse(widget, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
}

QWidget* focused() {
    return QApplication::focusWidget();
}

QString focusedName() {
    return focused() ? focused()->objectName() : QString();
}

// A key pressed wherever the focus is, as the keyboard delivers it.
void key(int keyCode, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWidget* target = focused();
    QVERIFY(target);
    QTest::keyClick(target, Qt::Key(keyCode), modifiers);
}

// Text typed wherever the focus is.
void typeHere(const QString& text) {
    QWidget* target = focused();
    QVERIFY(target);
    Harness::type(target, text);
}

// The window shown and active, so that its shortcuts and the focus work as on a desktop.
TestMainWindow& openActive(Harness& h) {
    auto& w = h.open();
    w.show();
    w.activateWindow();
    if (!QTest::qWaitForWindowActive(&w))
        qWarning("the window did not become active");
    return w;
}

// The focus chain from the first tab, by Tab, until it comes round again.
QStringList focusChain(QWidget* start) {
    start->setFocus(Qt::TabFocusReason);
    QStringList names{focusedName()};
    for (int i = 0; i < 40; ++i) {
        key(Qt::Key_Tab);
        if (focused() == start)
            break;
        names << focusedName();
    }
    return names;
}

} // namespace

class KeyboardTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { initMainWindowTests(); }

    // The journey, keys only: switch tabs, search, pick a line, 收藏, 复制到个人经方, add and save an
    // own prescription with a group, open and close the group editor and save a group there.
    void wholeJourneyByKeyboard() {
        Harness h(Harness::fixturePath(QStringLiteral("library.jsonl")));
        auto& w = openActive(h);
        w.setGroupEditorOpener([&] {
            if (auto* editor = groupeditor::GroupEditor::open(h.db().store(), h.messenger(), &w))
                QObject::connect(editor, &groupeditor::GroupEditor::groupsSaved, &w,
                                 &mainwindow::MainWindow::setGroups, Qt::UniqueConnection);
        });

        // Tabs by number and by page keys.
        key(Qt::Key_2, Qt::ControlModifier);
        QCOMPARE(w.currentTab(), 1);
        key(Qt::Key_PageDown, Qt::ControlModifier);
        QCOMPARE(w.currentTab(), 2);
        key(Qt::Key_PageUp, Qt::ControlModifier);
        key(Qt::Key_PageUp, Qt::ControlModifier);
        QCOMPARE(w.currentTab(), 0);

        // Search by name, then walk to the list and pick a line with the arrow keys.
        key(Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(focusedName(), QStringLiteral("Text1"));
        typeHere(QStringLiteral("腹痛"));
        key(Qt::Key_Return);
        QCOMPARE(h.lines(), (QStringList{QStringLiteral("[1]测试腹痛方[测试方书]"),
                                         QStringLiteral("[2]测试腹痛呕吐方[测试方书]")}));
        for (const char* next : {"Text3", "Text4", "Text7", "Picture5_0", "List1"}) {
            key(Qt::Key_Tab);
            QCOMPARE(focusedName(), QString::fromLatin1(next));
        }
        key(Qt::Key_Down);
        key(Qt::Key_Down);
        QCOMPARE(w.selectedRow(), 1);
        QVERIFY(h.detail()->toPlainText().contains(QStringLiteral("半夏")));

        // 收藏 and 复制到个人经方 by their shortcuts.
        key(Qt::Key_D, Qt::ControlModifier);
        QCOMPARE(h.messenger().last(), QStringLiteral("已收藏！"));
        key(Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(h.messenger().last(), QStringLiteral("已复制！"));
        key(Qt::Key_2, Qt::ControlModifier);
        QCOMPARE(h.lines(), QStringList{QStringLiteral("[1]测试腹痛呕吐方[测试方书]")});

        // An own prescription with a group: 添加 puts the focus in the name box; Tab to the group box;
        // Shift+Tab from the name box back into the detail view for the text; 保存.
        key(Qt::Key_3, Qt::ControlModifier);
        QCOMPARE(w.currentTab(), 2);
        QCOMPARE(h.lines(), QStringList{QStringLiteral("[1]测试腹痛呕吐方")});
        key(Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(focusedName(), QStringLiteral("Text5"));
        typeHere(QStringLiteral("自拟止痛方"));
        key(Qt::Key_Tab);
        QCOMPARE(focusedName(), QStringLiteral("C1"));
        typeHere(QStringLiteral("补益"));
        key(Qt::Key_Tab, Qt::ShiftModifier);
        key(Qt::Key_Tab, Qt::ShiftModifier);
        QCOMPARE(focusedName(), QStringLiteral("Text2"));
        typeHere(QStringLiteral("【组成】白芍"));
        key(Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(h.combo("text6")->currentText(), QStringLiteral("补益"));
        QCOMPARE(h.lines(), QStringList{QStringLiteral("[1]自拟止痛方")});

        // The group editor: Ctrl+G opens it, Escape closes it unsaved; opened again, a group is added and
        // saved with Ctrl+S, and the main window's group boxes list it.
        key(Qt::Key_G, Qt::ControlModifier);
        QPointer<groupeditor::GroupEditor> editor = w.findChild<groupeditor::GroupEditor*>();
        QVERIFY(editor && editor->isVisible());
        editor->activateWindow();
        QTRY_VERIFY(editor->isActiveWindow());
        editor->textBox()->setFocus();
        key(Qt::Key_Escape);
        QTRY_VERIFY(editor.isNull());
        w.activateWindow();
        QTRY_VERIFY(w.isActiveWindow());
        key(Qt::Key_G, Qt::ControlModifier);
        editor = w.findChild<groupeditor::GroupEditor*>();
        QVERIFY(editor);
        editor->activateWindow();
        QTRY_VERIFY(editor->isActiveWindow());
        editor->textBox()->setFocus();
        key(Qt::Key_End, Qt::ControlModifier);
        typeHere(QStringLiteral("补益"));
        key(Qt::Key_S, Qt::ControlModifier);
        QTRY_VERIFY(editor.isNull());
        QCOMPARE(h.combo("text6")->itemText(h.combo("text6")->count() - 1), QStringLiteral("补益"));
        QCOMPARE(h.combo("C1")->itemText(h.combo("C1")->count() - 1), QStringLiteral("补益"));
        QCOMPARE(h.messenger().shown(),
                 (QStringList{QStringLiteral("已收藏！"), QStringLiteral("已复制！")}));
    }

    // Tab runs through every control shown on the tab and comes round again; nothing keeps it.
    void tabRunsThroughEveryControl() {
        Harness h;
        auto& w = openActive(h);
        const QStringList tabs{"Picture4_0", "Picture4_1", "Picture4_2", "Picture4_3", "Picture4_4"};
        const QStringList library =
            tabs + QStringList{"Text1", "Text3", "Text4",      "Text7",     "Picture5_0",
                               "List1", "Text2", "Picture5_1", "Picture5_2"};
        QCOMPARE(focusChain(h.find("Picture4_0")), library);
        // The source picker that focusing 出处 shows is gone once Tab leaves the field.
        QVERIFY(!h.find("List2")->isVisible());
        w.selectTab(1);
        const QStringList favourites =
            tabs + QStringList{"Text1", "Text3", "Text4",      "Text7",     "Picture5_0",
                               "List1", "Text2", "Picture5_3", "Picture5_4"};
        QCOMPARE(focusChain(h.find("Picture4_0")), favourites);
        w.selectTab(2);
        const QStringList personal =
            tabs + QStringList{"Text1", "text6", "Picture5_8", "List1",      "Text2",
                               "Text5", "C1",    "Picture5_7", "Picture5_5", "Picture5_6"};
        QCOMPARE(focusChain(h.find("Picture4_0")), personal);
        w.selectTab(3);
        const QStringList herbs = tabs + QStringList{"Text1", "List1", "Text2"};
        QCOMPARE(focusChain(h.find("Picture4_0")), herbs);
    }

    // A focused tab is selected by Enter or Space and the arrows move along the strip; a focused action
    // button runs on Enter, and on Space when the key comes up, painted pressed while it is down.
    void tabsAndButtonsTakeEnterAndSpace() {
        Harness h;
        auto& w = openActive(h);
        h.find("Picture4_0")->setFocus(Qt::TabFocusReason);
        key(Qt::Key_Right);
        QCOMPARE(focusedName(), QStringLiteral("Picture4_1"));
        key(Qt::Key_Space);
        QCOMPARE(w.currentTab(), 1);
        key(Qt::Key_Right);
        key(Qt::Key_Return);
        QCOMPARE(w.currentTab(), 2);
        key(Qt::Key_Left);
        key(Qt::Key_Left);
        key(Qt::Key_Left);
        QCOMPARE(focusedName(), QStringLiteral("Picture4_4"));
        key(Qt::Key_Return);
        QCOMPARE(w.opened.size(), 1); // the tutorial page
        QCOMPARE(w.currentTab(), 2);

        w.actions.clear();
        QWidget* add = h.find("Picture5_7");
        add->setFocus(Qt::TabFocusReason);
        QTest::keyPress(add, Qt::Key_Space);
        QCOMPARE(mainwindow::background(add), QColor(192, 192, 192));
        QVERIFY(w.actions.isEmpty());
        QTest::keyRelease(add, Qt::Key_Space);
        QCOMPARE(mainwindow::background(add), QColor(237, 238, 238));
        QCOMPARE(w.actions, QList<int>{mainwindow::kActionAdd});
        QCOMPARE(focusedName(), QStringLiteral("Text5")); // 添加 puts the focus in the name box

        h.find("Picture5_8")->setFocus(Qt::TabFocusReason);
        int opened = 0;
        w.setGroupEditorOpener([&] { ++opened; });
        key(Qt::Key_Enter);
        QCOMPARE(opened, 1);
        QCOMPARE(w.actions.last(), int(mainwindow::kActionEditGroups));
    }

    // The mouse works as designed: clicking a tab or an action button does not take the focus from the field
    // being typed in.
    void clicksLeaveTheFocusWhereItWas() {
        Harness h;
        auto& w = openActive(h);
        h.edit("Text1")->setFocus();
        QTRY_COMPARE(focusedName(), QStringLiteral("Text1"));
        QTest::mouseClick(h.find("Label2_1"), Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(w.currentTab(), 1);
        QTest::mouseClick(h.find("Label9_0"), Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(w.actions, QList<int>{mainwindow::kActionSearch});
        QCOMPARE(focusedName(), QStringLiteral("Text1"));
    }

    // The shortcuts act only where their button is shown, and are named in the tooltips.
    void shortcutsFollowTheShownButtons() {
        Harness h;
        auto& w = openActive(h);
        h.addPersonal(QStringLiteral("收藏甲"), store::kCategoryFavourite, QStringLiteral("260101000001"));
        h.addPersonal(QStringLiteral("验方乙"), store::kCategoryPersonal, QStringLiteral("260101000002"));
        h.resultList()->setFocus();
        w.actions.clear();
        // Library tab: no 删除, 保存, 添加 or 编辑分组 here.
        for (const auto& [keyCode, modifiers] :
             QList<QPair<int, Qt::KeyboardModifiers>>{{Qt::Key_Delete, Qt::NoModifier},
                                                      {Qt::Key_S, Qt::ControlModifier},
                                                      {Qt::Key_N, Qt::ControlModifier},
                                                      {Qt::Key_G, Qt::ControlModifier}})
            key(keyCode, modifiers);
        QVERIFY(w.actions.isEmpty());

        // Favourites: Delete asks the designed question and deletes the favourite shown.
        key(Qt::Key_2, Qt::ControlModifier);
        h.resultList()->setFocus();
        key(Qt::Key_Down);
        QVERIFY(!h.detail()->toPlainText().isEmpty());
        h.messenger().setNextAnswer(true);
        key(Qt::Key_Delete);
        QCOMPARE(w.actions, QList<int>{mainwindow::kActionDeleteFavourite});
        QCOMPARE(h.messenger().last(), QStringLiteral("确定进行删除吗！"));
        QVERIFY(h.lines().isEmpty());

        // Personal tab: Delete in a text field deletes a character, not the prescription.
        key(Qt::Key_3, Qt::ControlModifier);
        h.resultList()->setFocus();
        key(Qt::Key_Down);
        QCOMPARE(h.edit("Text5")->text(), QStringLiteral("验方乙"));
        h.edit("Text5")->setFocus();
        h.edit("Text5")->setCursorPosition(0);
        w.actions.clear();
        key(Qt::Key_Delete);
        QVERIFY(w.actions.isEmpty());
        QCOMPARE(h.edit("Text5")->text(), QStringLiteral("方乙"));
        h.messenger().setNextAnswer(false);
        h.resultList()->setFocus();
        key(Qt::Key_Delete);
        QCOMPARE(w.actions, QList<int>{mainwindow::kActionDeletePersonal});
        QCOMPARE(h.lines(), QStringList{QStringLiteral("[1]验方乙")}); // answered No

        // Tooltips name the keys.
        QCOMPARE(h.find("Picture5_0")->toolTip(), QStringLiteral("查询（Enter）"));
        QCOMPARE(h.find("Picture5_1")->toolTip(), QStringLiteral("收藏（Ctrl+D）"));
        QCOMPARE(h.find("Picture5_6")->toolTip(), QStringLiteral("删除（Del）"));
        QCOMPARE(h.find("Picture4_1")->toolTip(), QStringLiteral("我的收藏（Ctrl+2）"));
        QCOMPARE(h.find("Picture4_4")->toolTip(), QStringLiteral("操作教程（F1）"));
        for (QAction* action : static_cast<QWidget&>(w).actions())
            QVERIFY2(action->toolTip().contains(action->shortcut().toString(QKeySequence::NativeText)),
                     qPrintable(action->objectName()));
    }

    // F1 opens the tutorial page; Escape closes the source picker and leaves the focus in 出处.
    void f1AndEscape() {
        Harness h;
        auto& w = openActive(h);
        h.resultList()->setFocus();
        key(Qt::Key_F1);
        QCOMPARE(w.opened.size(), 1);
        QVERIFY(w.opened[0].toLocalFile().endsWith(QStringLiteral(".html")));

        h.edit("Text3")->setFocus();
        QVERIFY(h.find("List2")->isVisible());
        key(Qt::Key_Down);
        QCOMPARE(focusedName(), QStringLiteral("List2"));
        key(Qt::Key_Escape);
        QVERIFY(!h.find("List2")->isVisible());
        QCOMPARE(focusedName(), QStringLiteral("Text3"));
        QVERIFY(h.edit("Text3")->text().isEmpty());
    }

    // The detail view is read by keyboard too: the caret moves and text is selected and copied while it is
    // read-only.
    void detailViewSelectableByKeyboard() {
        Harness h;
        auto& w = openActive(h);
        w.selectTab(0);
        h.selectLine(0);
        auto* detail = h.detail();
        QVERIFY(detail->isReadOnly());
        QVERIFY(detail->textInteractionFlags() & Qt::TextSelectableByKeyboard);
        detail->setFocus();
        key(Qt::Key_Home, Qt::ControlModifier);
        key(Qt::Key_Down, Qt::ShiftModifier);
        key(Qt::Key_End, Qt::ShiftModifier);
        QVERIFY(!detail->textCursor().selectedText().trimmed().isEmpty());
    }

    // A press on a tab, the close image or the advertisement line that moves a little is still a click on
    // that control; it never hands the window to the window system for a move.
    void defectPressAndSmallMoveDoesNotDragTheWindow() {
        Harness h;
        auto& w = h.open();
        w.moves = 0;
        pressMoveRelease(h.find("Label2_1"), QPoint(6, 5));
        QCOMPARE(w.moves, 0);
        QCOMPARE(w.currentTab(), 1);

        pressMoveRelease(h.find("Label10"), QPoint(6, 5));
        QCOMPARE(w.moves, 0);
        QCOMPARE(w.opened.size(), 1);

        // Released outside the close image: no click, so the window stays open; and no drag either.
        pressMoveRelease(h.find("Image1"), QPoint(-20, -20));
        QCOMPARE(w.moves, 0);
        // The bars themselves still drag.
        sendMouse(h.find("Picture3"), QEvent::MouseMove, QPoint(3, 3), Qt::NoButton, Qt::LeftButton);
        QCOMPARE(w.moves, 1);
    }

    // What is typed into a group box stays what is typed: no group name is completed into it.
    void defectGroupBoxesKeepWhatIsTyped() {
        Harness h;
        auto& w = openActive(h);
        h.clickTab(2);
        QComboBox* text6 = h.combo("text6");
        QVERIFY(text6->findText(QStringLiteral("补益剂")) >= 0);
        text6->setFocus();
        QTRY_VERIFY(text6->lineEdit()->hasFocus());
        Harness::type(text6->lineEdit(), QStringLiteral("补"));

        QCOMPARE(text6->currentText(), QStringLiteral("补"));
        QVERIFY(w.currentQuery().contains(QStringLiteral("[分组] like '%补%'")));

        QComboBox* c1 = h.combo("C1");
        c1->setFocus();
        QTRY_VERIFY(c1->lineEdit()->hasFocus());
        Harness::type(c1->lineEdit(), QStringLiteral("补益"));
        QCOMPARE(c1->currentText(), QStringLiteral("补益"));
    }

    // A double-click on a link opens its page once, however the window system reports the second press.
    void defectDoubleClickedLinksOpenOnce() {
        for (const bool secondPress : {false, true}) {
            Harness h;
            auto& w = h.open();
            doubleClick(h.find("Label10"), secondPress);
            QCOMPARE(w.opened.size(), 1);
            doubleClick(h.find("Label4"), secondPress);
            QCOMPARE(w.opened.size(), 2);
            QVERIFY(w.opened[0] != w.opened[1]);
        }
    }
};

QTEST_MAIN(KeyboardTest)
#include "tst_keyboard.moc"
