// SPDX-License-Identifier: GPL-3.0-or-later

// The group editor window: its controls, load, save rules, close without saving, the failing save and the
// drag.
#include "fixture.h"
#include "groupeditor/groupeditor.h"
#include "mainwindow/grouppickers.h"
#include "mainwindow/messenger.h"
#include "scriptedmessenger.h"
#include "store/recordset.h"
#include "store/schema.h"
#include "store/sqlite.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

using corvessa::groupeditor::GroupEditor;
using corvessa::mainwindow::refillGroupPickers;
using corvessa::mainwindow::ScriptedMessenger;
using corvessa::testsupport::FixtureDatabases;
using namespace corvessa::store;

namespace {

const QString kAll = QStringLiteral("全部");

QStringList storedGroups(FixtureDatabases& fixture) {
    Connection& connection = fixture.store().connections().connection(fixture.store().personalConnection());
    Statement select(connection, QStringLiteral("select [分组] from [分组] order by rowid"));
    QStringList groups;
    while (select.step())
        groups << select.value(0).toString();
    return groups;
}

QStringList items(const QComboBox& box) {
    QStringList result;
    for (int i = 0; i < box.count(); ++i)
        result << box.itemText(i);
    return result;
}

// An editor whose window moves are counted instead of handed to the window system.
class ProbeEditor : public GroupEditor {
public:
    using GroupEditor::GroupEditor;
    int moves = 0;

protected:
    void startWindowMove() override { ++moves; }
};

// The fixture databases, the main window's two pickers (holding what a previous fill left) and an open
// editor.
struct Scene {
    FixtureDatabases fixture;
    ScriptedMessenger messenger;
    QComboBox text6;
    QComboBox c1;
    QPointer<ProbeEditor> editor;

    Scene() {
        text6.setObjectName(QStringLiteral("text6"));
        c1.setObjectName(QStringLiteral("C1"));
        for (QComboBox* box : {&text6, &c1}) {
            box->setEditable(true);
            box->addItems({kAll, QStringLiteral("旧分组")});
        }
    }
    ~Scene() { delete editor; }

    ProbeEditor* open() {
        editor = new ProbeEditor(fixture.store(), messenger);
        connectPickers(editor);
        editor->show();
        return editor;
    }
    // The main window refills its pickers from what the editor says it saved.
    void connectPickers(GroupEditor* opened) {
        if (opened)
            QObject::connect(opened, &GroupEditor::groupsSaved, opened,
                             [this](const QStringList& groups) { refillGroupPickers(&text6, &c1, groups); });
    }
    QPlainTextEdit* text() const { return editor->findChild<QPlainTextEdit*>(QStringLiteral("Text1")); }
    QPushButton* saveButton() const { return editor->findChild<QPushButton*>(QStringLiteral("Command1")); }
    QWidget* child(const char* name) const { return editor->findChild<QWidget*>(QString::fromLatin1(name)); }
    // A closed editor deletes itself once the event loop runs.
    bool closedAndGone() {
        const bool hidden = editor && !editor->isVisible();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return hidden && editor.isNull();
    }
};

void sendMove(QWidget* target, Qt::MouseButtons buttons) {
    const QPointF at(target->width() / 2.0, target->height() / 2.0);
    QMouseEvent move(QEvent::MouseMove, at, target->mapToGlobal(at), Qt::NoButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &move);
}

} // namespace

class GroupEditorTest : public QObject {
    Q_OBJECT

private slots:
    void textRules();
    void controlsAndPlacement();
    void loadShowsTheStoredGroupsOneLineEach();
    void saveRules();
    void closeImageDiscardsTheText();
    void failingSaveChangesNothingAndKeepsTheText();
    void openShowsOneWindowAndRefusesUnreadableGroups();
    void dragOnlyWithTheLeftButton();
    void savedGroupsAreAnnouncedNotPushed();
    void keyboardSavesAndEscapeCloses();
    void screenReaderNames();
};

void GroupEditorTest::textRules() {
    using namespace corvessa::groupeditor;
    QCOMPARE(textFromGroups({QStringLiteral("甲"), QStringLiteral(" 乙 ")}), QStringLiteral("甲\n 乙 \n"));
    QCOMPARE(textFromGroups({}), QString());
    QCOMPARE(groupsFromText(QStringLiteral("甲\n 乙 \n")),
             (QStringList{QStringLiteral("甲"), QStringLiteral(" 乙 ")}));
    QCOMPARE(groupsFromText(QStringLiteral("\n   \n\t\n\u3000\n")), QStringList());
    QCOMPARE(groupsFromText(QStringLiteral("甲\n甲\n\n乙")),
             (QStringList{QStringLiteral("甲"), QStringLiteral("甲"), QStringLiteral("乙")}));
    // Round trip: what is loaded saves back unchanged.
    QCOMPARE(groupsFromText(textFromGroups(defaultGroups())), defaultGroups());

    QComboBox text6, c1;
    c1.setEditable(true);
    c1.setEditText(QStringLiteral("打到一半"));
    text6.addItem(QStringLiteral("旧"));
    refillGroupPickers(&text6, &c1, {QStringLiteral("甲"), QStringLiteral("乙")});
    for (QComboBox* box : {&text6, &c1}) {
        QCOMPARE(items(*box), (QStringList{kAll, QStringLiteral("甲"), QStringLiteral("乙")}));
        QCOMPARE(box->currentText(), QString());
    }
    refillGroupPickers(nullptr, &c1, {}); // a missing box is skipped
    QCOMPARE(items(c1), QStringList{kAll});
}

void GroupEditorTest::controlsAndPlacement() {
    Scene scene;
    QVERIFY(scene.fixture.isValid());
    ProbeEditor* editor = scene.open();
    QCOMPARE(editor->objectName(), QStringLiteral("Form2"));
    QCOMPARE(editor->windowTitle(), QStringLiteral("编辑分组"));
    QVERIFY(editor->isWindow());
    QVERIFY(editor->windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(editor->windowModality(), Qt::NonModal);

    QWidget* title = scene.child("Picture2");
    QVERIFY(title);
    QCOMPARE(title->palette().color(QPalette::Window), QColor(75, 151, 199));
    QVERIFY(title->autoFillBackground());
    auto* label11 = editor->findChild<QLabel*>(QStringLiteral("Label11"));
    QVERIFY(label11);
    QCOMPARE(label11->text(), QStringLiteral("编辑分组"));
    QCOMPARE(label11->parentWidget(), title);
    auto* image3 = editor->findChild<QLabel*>(QStringLiteral("Image3"));
    auto* image1 = editor->findChild<QLabel*>(QStringLiteral("Image1"));
    QVERIFY(image3 && image1);
    QVERIFY(!image3->pixmap().isNull() && !image1->pixmap().isNull());
    QCOMPARE(image1->parentWidget(), title);
    QVERIFY(scene.child("Picture1"));
    QVERIFY(scene.text());
    QCOMPARE(scene.text()->font().family(), QStringLiteral("微软雅黑"));
    QCOMPARE(scene.text()->parentWidget(), scene.child("Picture1"));
    auto* label1 = editor->findChild<QLabel*>(QStringLiteral("Label1"));
    QVERIFY(label1);
    QCOMPARE(label1->text(), QStringLiteral("提示：分组格式为每行一个"));
    QVERIFY(scene.saveButton());
    QCOMPARE(scene.saveButton()->text(), QStringLiteral("保  存"));

    // Centred across, 350 twips above the vertical centre.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QCOMPARE(editor->x(), screen.x() + (screen.width() - editor->width()) / 2);
    QCOMPARE(editor->y(), screen.y() + (screen.height() - editor->height()) / 2 - 23);
}

void GroupEditorTest::loadShowsTheStoredGroupsOneLineEach() {
    {
        Scene scene;
        ProbeEditor* editor = scene.open();
        QVERIFY(editor->isLoaded());
        QCOMPARE(scene.text()->toPlainText(), defaultGroups().join(QLatin1Char('\n')) + QLatin1Char('\n'));
        QCOMPARE(scene.text()->textCursor().position(), scene.text()->document()->characterCount() - 1);
        QVERIFY(scene.messenger.shown().isEmpty());
        // Opening the editor changes nothing in the pickers.
        QCOMPARE(items(scene.text6), (QStringList{kAll, QStringLiteral("旧分组")}));
    }
    {
        // The stored order and the blanks of a name come through as they are.
        Scene scene;
        scene.fixture.execPersonal(QStringLiteral("DELETE FROM [分组]"));
        scene.fixture.execPersonal(
            QStringLiteral("INSERT INTO [分组] VALUES ('乙'), ('  理气剂  '), ('甲'), ('乙')"));
        scene.open();
        QCOMPARE(scene.text()->toPlainText(), QStringLiteral("乙\n  理气剂  \n甲\n乙\n"));
    }
}

void GroupEditorTest::saveRules() {
    {
        // An unchanged text rewrites the same groups in the same order, fills both pickers and closes.
        Scene scene;
        scene.open();
        QVERIFY(scene.editor->save());
        QCOMPARE(storedGroups(scene.fixture), defaultGroups());
        QCOMPARE(items(scene.text6), QStringList{kAll} + defaultGroups());
        QCOMPARE(items(scene.c1), QStringList{kAll} + defaultGroups());
        QVERIFY(scene.messenger.shown().isEmpty());
        QVERIFY(scene.closedAndGone());
    }
    {
        // Blanks around a name are kept, empty and blank-only lines dropped, duplicates kept; through the
        // button.
        Scene scene;
        scene.fixture.execPersonal(QStringLiteral("INSERT INTO [中药方剂] ([方名],[类别],[分组],[序号]) "
                                                  "VALUES ('自拟方','个人验方','解表剂','260101000000')"));
        scene.open();
        scene.text()->setPlainText(QStringLiteral("  理气剂  \n\n   \n补益剂\n补益剂\n\t\n最后"));
        QTest::mouseClick(scene.saveButton(), Qt::LeftButton);
        const QStringList expected{QStringLiteral("  理气剂  "), QStringLiteral("补益剂"),
                                   QStringLiteral("补益剂"), QStringLiteral("最后")};
        QCOMPARE(storedGroups(scene.fixture), expected);
        QCOMPARE(items(scene.text6), QStringList{kAll} + expected);
        QCOMPARE(items(scene.c1), QStringList{kAll} + expected);
        QVERIFY(scene.closedAndGone());
        // A prescription whose group is gone keeps it.
        Connection& connection =
            scene.fixture.store().connections().connection(scene.fixture.store().personalConnection());
        Statement kept(connection,
                       QStringLiteral("select [分组] from [中药方剂] where [序号] = '260101000000'"));
        QVERIFY(kept.step());
        QCOMPARE(kept.value(0).toString(), QStringLiteral("解表剂"));
    }
    {
        // An empty text empties the table; the pickers keep only "全部".
        Scene scene;
        scene.open();
        scene.text()->clear();
        QVERIFY(scene.editor->save());
        QCOMPARE(storedGroups(scene.fixture), QStringList());
        QCOMPARE(items(scene.text6), QStringList{kAll});
        QCOMPARE(items(scene.c1), QStringList{kAll});
    }
    {
        // 200 characters is the longest name the table takes.
        Scene scene;
        scene.open();
        const QString longest(200, QChar(0x957F));
        scene.text()->setPlainText(longest);
        QVERIFY(scene.editor->save());
        QCOMPARE(storedGroups(scene.fixture), QStringList{longest});
    }
}

void GroupEditorTest::closeImageDiscardsTheText() {
    Scene scene;
    scene.open();
    scene.text()->setPlainText(QStringLiteral("全新的分组\n"));
    // A right click does nothing; a left click closes without saving.
    QTest::mouseClick(scene.child("Image1"), Qt::RightButton);
    QVERIFY(scene.editor && scene.editor->isVisible());
    QTest::mouseClick(scene.child("Image1"), Qt::LeftButton);
    QVERIFY(scene.closedAndGone());
    QCOMPARE(storedGroups(scene.fixture), defaultGroups());
    QCOMPARE(items(scene.text6), (QStringList{kAll, QStringLiteral("旧分组")}));
    QCOMPARE(items(scene.c1), (QStringList{kAll, QStringLiteral("旧分组")}));
    QVERIFY(scene.messenger.shown().isEmpty());
}

void GroupEditorTest::failingSaveChangesNothingAndKeepsTheText() {
    Scene scene;
    scene.open();
    scene.c1.setEditText(QStringLiteral("正在输入"));
    // Valid lines first, so some rows were already written when the database refuses the long one.
    const QString typed = QStringLiteral("甲\n乙\n") + QString(201, QChar(0x957F)) + QStringLiteral("\n丙\n");
    scene.text()->setPlainText(typed);

    QVERIFY(!scene.editor->save());
    QCOMPARE(storedGroups(scene.fixture), defaultGroups());
    QCOMPARE(scene.messenger.shown().size(), 1);
    QVERIFY(scene.messenger.last().contains(QStringLiteral("分组没有保存")));
    QVERIFY(scene.messenger.last().contains(QStringLiteral("太长")));
    QVERIFY(scene.editor && scene.editor->isVisible());
    QCOMPARE(scene.text()->toPlainText(), typed);
    QCOMPARE(items(scene.text6), (QStringList{kAll, QStringLiteral("旧分组")}));
    QCOMPARE(scene.c1.currentText(), QStringLiteral("正在输入"));
    QCOMPARE(scene.fixture.store().recordset().isOpen(), false);

    // The failed attempt left no transaction behind: the corrected text saves at once.
    scene.text()->setPlainText(QStringLiteral("甲\n乙\n丙\n"));
    QVERIFY(scene.editor->save());
    QCOMPARE(storedGroups(scene.fixture),
             (QStringList{QStringLiteral("甲"), QStringLiteral("乙"), QStringLiteral("丙")}));
    QCOMPARE(scene.messenger.shown().size(), 1);
    QVERIFY(scene.closedAndGone());
}

void GroupEditorTest::openShowsOneWindowAndRefusesUnreadableGroups() {
    {
        Scene scene;
        QPointer<GroupEditor> first = GroupEditor::open(scene.fixture.store(), scene.messenger);
        QVERIFY(first && first->isVisible());
        first->textBox()->setPlainText(QStringLiteral("还没保存"));
        // A second press of the button brings the same window forward, with the text as the user left it.
        QCOMPARE(GroupEditor::open(scene.fixture.store(), scene.messenger), first.data());
        QCOMPARE(first->textBox()->toPlainText(), QStringLiteral("还没保存"));
        delete first;
    }
    {
        // Groups that cannot be read must not open an empty editor whose save would wipe them.
        Scene scene;
        scene.fixture.execPersonal(QStringLiteral("ALTER TABLE [分组] RENAME TO [分组旧]"));
        GroupEditor* editor = GroupEditor::open(scene.fixture.store(), scene.messenger);
        QVERIFY(!editor);
        QCOMPARE(scene.messenger.shown().size(), 1);
        QVERIFY(scene.messenger.last().startsWith(QStringLiteral("分组无法读取")));
        for (QWidget* window : QApplication::topLevelWidgets())
            QVERIFY(!qobject_cast<GroupEditor*>(window));
        QVERIFY(!scene.fixture.store().recordset().isOpen());

        ProbeEditor direct(scene.fixture.store(), scene.messenger);
        QVERIFY(!direct.isLoaded());
        QVERIFY(!direct.findChild<QPushButton*>(QStringLiteral("Command1"))->isEnabled());
        QVERIFY(!direct.save());
        QCOMPARE(items(scene.text6), (QStringList{kAll, QStringLiteral("旧分组")}));
    }
}

void GroupEditorTest::dragOnlyWithTheLeftButton() {
    Scene scene;
    ProbeEditor* editor = scene.open();
    QWidget* title = scene.child("Picture2");
    sendMove(title, Qt::NoButton);
    sendMove(title, Qt::RightButton);
    sendMove(title, Qt::MiddleButton);
    sendMove(title, Qt::LeftButton | Qt::RightButton);
    QCOMPARE(editor->moves, 0);
    sendMove(title, Qt::LeftButton);
    QCOMPARE(editor->moves, 1);
    // The body is no drag area, and neither is the close image.
    sendMove(scene.child("Picture1"), Qt::LeftButton);
    sendMove(scene.child("Image1"), Qt::LeftButton);
    QCOMPARE(editor->moves, 1);
    QVERIFY(editor->isVisible());
}

void GroupEditorTest::savedGroupsAreAnnouncedNotPushed() {
    Scene scene;
    auto* editor = new ProbeEditor(scene.fixture.store(), scene.messenger);
    QSignalSpy saved(editor, &GroupEditor::groupsSaved);
    editor->show();
    editor->textBox()->setPlainText(QStringLiteral("甲\n 乙 \n"));
    QVERIFY(editor->save());
    QCOMPARE(saved.count(), 1);
    QCOMPARE(saved.first().first().toStringList(),
             (QStringList{QStringLiteral("甲"), QStringLiteral(" 乙 ")}));
    // Nobody listened: the editor itself touches no other window's boxes.
    QCOMPARE(items(scene.text6), (QStringList{kAll, QStringLiteral("旧分组")}));

    // A failed save announces nothing.
    auto* failing = new ProbeEditor(scene.fixture.store(), scene.messenger);
    QSignalSpy none(failing, &GroupEditor::groupsSaved);
    failing->textBox()->setPlainText(QString(201, QChar(0x957F)));
    QVERIFY(!failing->save());
    QCOMPARE(none.count(), 0);
    delete failing;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void GroupEditorTest::keyboardSavesAndEscapeCloses() {
    {
        // Escape closes without saving, as the close image does.
        Scene scene;
        ProbeEditor* editor = scene.open();
        QVERIFY(QTest::qWaitForWindowActive(editor));
        scene.text()->setFocus();
        QTest::keyClicks(scene.text(), "abc");
        QTest::keyClick(scene.text(), Qt::Key_Escape);
        QVERIFY(scene.closedAndGone());
        QCOMPARE(storedGroups(scene.fixture), defaultGroups());
    }
    {
        // Tab leaves the text for the save button (no tab character is typed); Enter on it saves.
        Scene scene;
        ProbeEditor* editor = scene.open();
        QVERIFY(QTest::qWaitForWindowActive(editor));
        scene.text()->setPlainText(QStringLiteral("甲\n"));
        scene.text()->setFocus();
        QTest::keyClick(scene.text(), Qt::Key_Tab);
        QCOMPARE(scene.text()->toPlainText(), QStringLiteral("甲\n"));
        QTRY_COMPARE(QApplication::focusWidget(), scene.saveButton());
        QVERIFY(scene.saveButton()->toolTip().contains(QStringLiteral("Ctrl+S")));
        QTest::keyClick(scene.saveButton(), Qt::Key_Return);
        QCOMPARE(storedGroups(scene.fixture), QStringList{QStringLiteral("甲")});
        QCOMPARE(items(scene.c1), (QStringList{kAll, QStringLiteral("甲")}));
        QVERIFY(scene.closedAndGone());
    }
    {
        // Ctrl+S saves from the text.
        Scene scene;
        ProbeEditor* editor = scene.open();
        QVERIFY(QTest::qWaitForWindowActive(editor));
        scene.text()->setPlainText(QStringLiteral("乙\n"));
        scene.text()->setFocus();
        QTest::keyClick(scene.text(), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(storedGroups(scene.fixture), QStringList{QStringLiteral("乙")});
        QVERIFY(scene.closedAndGone());
    }
}

void GroupEditorTest::screenReaderNames() {
    Scene scene;
    ProbeEditor* editor = scene.open();
    for (const char* name : {"Text1", "Command1", "Image1"}) {
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(scene.child(name));
        QVERIFY(face);
        const QString spoken = face->text(QAccessible::Name);
        QVERIFY2(!spoken.isEmpty() && spoken.at(0).unicode() >= 0x4E00, name);
    }
    QCOMPARE(QAccessible::queryAccessibleInterface(scene.saveButton())->text(QAccessible::Name),
             QStringLiteral("保存"));
    Q_UNUSED(editor);
}

QTEST_MAIN(GroupEditorTest)
#include "groupeditor_test.moc"
