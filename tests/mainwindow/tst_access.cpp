// SPDX-License-Identifier: GPL-3.0-or-later

// The window for screen readers and older eyes: Chinese names through the accessibility interface, pressing
// through it, message boxes that read their text, the text size and its memory, and copying a whole record.
#include "harness.h"
#include "mainwindow/layout.h"
#include "mainwindow/zoom.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFrame>
#include <QMessageBox>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

using namespace corvessa;
using namespace corvessa::testsupport;

namespace {

bool isChinese(const QString& text) {
    for (const QChar ch : text) {
        if (ch.unicode() >= 0x4E00 && ch.unicode() <= 0x9FFF)
            return true;
    }
    return false;
}

QString spokenName(QObject* object) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(object);
    return face ? face->text(QAccessible::Name) : QString();
}

// Everything a user reads or operates on the window as it stands: inputs, lists, the detail view, the tabs
// and the action buttons that are shown.
QList<QWidget*> operatedControls(QWidget& window) {
    QList<QWidget*> result;
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(&window))
            continue;
        const QString name = widget->objectName();
        const bool input =
            (qobject_cast<QLineEdit*>(widget) && !qobject_cast<QComboBox*>(widget->parent())) ||
            qobject_cast<QComboBox*>(widget) || qobject_cast<QPlainTextEdit*>(widget);
        const bool list = qobject_cast<QAbstractItemView*>(widget) != nullptr;
        const bool panel =
            name.startsWith(QLatin1String("Picture4_")) || name.startsWith(QLatin1String("Picture5_"));
        if (input || list || panel)
            result << widget;
    }
    return result;
}

void wheel(QWidget* target, int delta, Qt::KeyboardModifiers modifiers) {
    const QPointF at(10, 10);
    QWheelEvent event(at, target->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, modifiers,
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(target, &event);
}

int listLineHeight(QAbstractItemView* list) {
    return list->sizeHintForRow(0);
}

} // namespace

class AccessTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { initMainWindowTests(); }

    void everyControlHasAChineseName() {
        Harness h;
        auto& w = h.open();
        h.addPersonal(QStringLiteral("收藏甲"), QStringLiteral("我的收藏"), QStringLiteral("260101000001"));
        for (int tab = 0; tab < 4; ++tab) {
            w.selectTab(tab);
            const QList<QWidget*> controls = operatedControls(w);
            QVERIFY(controls.size() >= 8);
            for (QWidget* control : controls) {
                const QString spoken = spokenName(control);
                QVERIFY2(isChinese(spoken), qPrintable(control->objectName() + QLatin1String(": ") + spoken));
            }
        }
        for (int i = 0; i < mainwindow::kTabCount; ++i) {
            QAccessibleInterface* tab =
                QAccessible::queryAccessibleInterface(h.find(QStringLiteral("Picture4_%1").arg(i)));
            QCOMPARE(tab->role(), QAccessible::PageTab);
        }
        QAccessibleInterface* favourite = QAccessible::queryAccessibleInterface(h.find("Picture5_1"));
        QCOMPARE(favourite->role(), QAccessible::Button);
        QCOMPARE(favourite->text(QAccessible::Name), QStringLiteral("收藏"));
        QVERIFY(favourite->text(QAccessible::Description).contains(QStringLiteral("Ctrl+D")));
        QCOMPARE(spokenName(h.find("Text4")), QStringLiteral("主治"));
        QCOMPARE(spokenName(h.find("Text7")), QStringLiteral("组成"));
        QCOMPARE(spokenName(h.find("List1")), QStringLiteral("查询结果"));
        for (QAction* action : static_cast<QWidget&>(w).actions())
            QVERIFY2(isChinese(action->text()), qPrintable(action->objectName()));
    }

    // A result line reads as its text.
    void listLinesReadTheirText() {
        Harness h;
        h.open();
        QAccessibleInterface* list = QAccessible::queryAccessibleInterface(h.resultList());
        QVERIFY(list);
        QStringList read;
        for (int i = 0; i < list->childCount(); ++i) {
            if (QAccessibleInterface* child = list->child(i))
                read << child->text(QAccessible::Name);
        }
        QCOMPARE(read, h.lines());
    }

    // Pressing a button through the accessibility interface runs it, as Enter does.
    void pressThroughTheAccessibilityInterface() {
        Harness h(Harness::fixturePath(QStringLiteral("library.jsonl")));
        auto& w = h.open();
        QAccessibleInterface* search = QAccessible::queryAccessibleInterface(h.find("Picture5_0"));
        QVERIFY(search && search->actionInterface());
        QVERIFY(search->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));
        h.edit("Text1")->setText(QStringLiteral("腹痛"));
        search->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(w.actions, QList<int>{mainwindow::kActionSearch});
        QCOMPARE(h.lines().size(), 2);

        QAccessibleInterface* tab = QAccessible::queryAccessibleInterface(h.find("Picture4_3"));
        tab->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(w.currentTab(), 3);
    }

    // A real message box says its title as its name and its text as its description.
    void messageBoxesReadTheirText() {
        mainwindow::DialogMessenger dialogs;
        QString name;
        QString description;
        QTimer::singleShot(0, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                QAccessibleInterface* face = QAccessible::queryAccessibleInterface(box);
                name = face->text(QAccessible::Name);
                description = face->text(QAccessible::Description);
                box->accept();
            }
        });
        dialogs.information(nullptr, QStringLiteral("已收藏！"));
        QCOMPARE(name, QStringLiteral("提示"));
        QCOMPARE(description, QStringLiteral("已收藏！"));
    }

    void zoomByKeysAndWheel() {
        Harness h;
        auto& w = h.open();
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        auto* detail = h.detail();
        auto* list = h.resultList();
        const qreal detailPoints = detail->font().pointSizeF();
        const qreal listPoints = list->font().pointSizeF();
        QCOMPARE(listLineHeight(list), 22);
        list->setFocus();

        QTest::keyClick(list, Qt::Key_Equal, Qt::ControlModifier);
        QCOMPARE(w.zoom().percent(), 110);
        QCOMPARE(detail->font().pointSizeF(), detailPoints * 1.1);
        QCOMPARE(list->font().pointSizeF(), listPoints * 1.1);
        QCOMPARE(listLineHeight(list), 24);

        QTest::keyClick(list, Qt::Key_Minus, Qt::ControlModifier);
        QTest::keyClick(list, Qt::Key_Minus, Qt::ControlModifier);
        QCOMPARE(w.zoom().percent(), 90);
        QTest::keyClick(list, Qt::Key_0, Qt::ControlModifier);
        QCOMPARE(w.zoom().percent(), 100);
        QCOMPARE(detail->font().pointSizeF(), detailPoints);

        // Ctrl with the wheel zooms the two views; the wheel alone does not.
        wheel(detail->viewport(), 120, Qt::ControlModifier);
        wheel(list->viewport(), 120, Qt::ControlModifier);
        QCOMPARE(w.zoom().percent(), 125);
        wheel(list->viewport(), -120, Qt::ControlModifier);
        QCOMPARE(w.zoom().percent(), 110);
        wheel(list->viewport(), 120, Qt::NoModifier);
        QCOMPARE(w.zoom().percent(), 110);

        // The ends hold.
        for (int i = 0; i < 20; ++i)
            w.zoom().zoomIn();
        QCOMPARE(w.zoom().percent(), 300);
        for (int i = 0; i < 20; ++i)
            w.zoom().zoomOut();
        QCOMPARE(w.zoom().percent(), 80);
    }

    void zoomIsRememberedByTheSettingsFile() {
        QTemporaryDir base;
        const QString path = base.filePath(QStringLiteral("corvessa.ini"));
        {
            Harness h;
            auto& w = h.open();
            const std::unique_ptr<QSettings> settings = mainwindow::openViewSettings(base.path());
            w.useViewSettings(settings.get());
            QCOMPARE(w.zoom().percent(), 100);
            w.zoom().setPercent(150);
        }
        const QFileDevice::Permissions rights = QFile::permissions(path);
        QVERIFY(rights.testFlags(QFile::ReadOwner | QFile::WriteOwner));
        QVERIFY(!(rights & (QFile::ExeOwner | QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                            QFile::ReadOther | QFile::WriteOther | QFile::ExeOther)));
        {
            Harness h;
            auto& w = h.open();
            const qreal designed = h.detail()->font().pointSizeF();
            const std::unique_ptr<QSettings> settings = mainwindow::openViewSettings(base.path());
            w.useViewSettings(settings.get());
            QCOMPARE(w.zoom().percent(), 150);
            QCOMPARE(h.detail()->font().pointSizeF(), designed * 1.5);
            QCOMPARE(listLineHeight(h.resultList()), 33);
            w.zoom().reset();
        }
        {
            // A value edited by hand that no key offers is not taken.
            QSettings edited(path, QSettings::IniFormat);
            edited.setValue(QStringLiteral("view/zoomPercent"), 137);
            edited.sync();
            Harness h;
            auto& w = h.open();
            const std::unique_ptr<QSettings> settings = mainwindow::openViewSettings(base.path());
            w.useViewSettings(settings.get());
            QCOMPARE(w.zoom().percent(), 100);
        }
    }

    // The context menu of the result list copies the whole record of the line; the list offers it as an
    // action of its own.
    void copyWholeRecord() {
        Harness h(Harness::fixturePath(QStringLiteral("library.jsonl")));
        auto& w = h.open();
        QCOMPARE(h.resultList()->contextMenuPolicy(), Qt::ActionsContextMenu);
        QAction* copy = w.findChild<QAction*>(QStringLiteral("actionCopyRecord"));
        QVERIFY(copy && h.resultList()->actions().contains(copy));
        QCOMPARE(copy->text(), QStringLiteral("复制整条记录"));

        QGuiApplication::clipboard()->setText(QStringLiteral("之前"));
        copy->trigger(); // nothing shown yet: the clipboard keeps what it had
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("之前"));

        h.edit("Text1")->setText(QStringLiteral("腹痛"));
        w.librarySearch();
        QCOMPARE(h.lines().value(1), QStringLiteral("[2]测试腹痛呕吐方[测试方书]"));
        h.selectLine(1);
        copy->trigger();
        const QString copied = QGuiApplication::clipboard()->text();
        QVERIFY(copied.startsWith(
            QStringLiteral("方名：测试腹痛呕吐方\n出处：测试方书\n主治：腹痛，呕吐，发热\n\n")));
        QVERIFY(copied.endsWith(h.detail()->toPlainText()));
        QVERIFY(copied.contains(QStringLiteral("【组成】半夏")));
    }
};

QTEST_MAIN(AccessTest)
#include "tst_access.moc"
