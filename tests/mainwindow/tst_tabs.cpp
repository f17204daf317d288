// SPDX-License-Identifier: GPL-3.0-or-later

// Tabs and window chrome: press feedback, the selection steps and the arrangement per mode, the tutorial tab,
// window drag, the close image, the blinking line and the links.
#include "harness.h"
#include "mainwindow/layout.h"
#include "mainwindow/search.h"
#include "store/schema.h"

#include <QApplication>
#include <QFrame>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace corvessa;
using namespace corvessa::testsupport;
using mainwindow::textColour;

namespace {

void sendMove(QWidget* widget, Qt::MouseButtons buttons) {
    const QPointF at(10, 10);
    QMouseEvent event(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

void click(QWidget* widget, Qt::MouseButton button = Qt::LeftButton) {
    QTest::mouseClick(widget, button, {}, widget->rect().center());
}

const QColor kTeal(0, 128, 128);
const QColor kRed(255, 0, 0);

} // namespace

class TabsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { initMainWindowTests(); }

    void pressShowsBorderUntilRelease() {
        Harness h;
        h.open();
        auto* tab = h.find<QFrame>("Picture4_2");
        QWidget* hitArea = h.find("Label2_2");
        QTest::mousePress(hitArea, Qt::RightButton, {}, QPoint(5, 5));
        QCOMPARE(tab->frameShape(), QFrame::Box);
        QTest::mouseRelease(hitArea, Qt::RightButton, {}, QPoint(5, 5));
        QCOMPARE(tab->frameShape(), QFrame::NoFrame);
        QCOMPARE(h.window().currentTab(), 2); // any button selects
    }

    void arrangement_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QRect>("list");
        QTest::addColumn<int>("detailHeight");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("hidden");
        QTest::newRow("中药方剂") << 0 << QRect(4, 252, 297, 372) << 489
                                  << "Text3 Label6 Text4 Label7 Text7 Label17 Picture6_0 Label16"
                                  << "text6 Label14 Picture6_1 Picture6_2 Picture5_8";
        QTest::newRow("我的收藏") << 1 << QRect(4, 252, 297, 372) << 489
                                  << "Text3 Label6 Text4 Label7 Text7 Label17 Picture6_1"
                                  << "text6 Label14 Picture6_0 Picture6_2 Picture5_8 Label16";
        QTest::newRow("个人验方") << 2 << QRect(4, 156, 297, 471) << 489
                                  << "text6 Label14 Picture6_2 Picture5_8"
                                  << "Text3 Label6 Text4 Label7 Text7 Label17 Picture6_0 Picture6_1 Label16";
        QTest::newRow("中药饮片")
            << 3 << QRect(4, 128, 297, 500) << 533 << ""
            << "Text3 Label6 Text4 Label7 Text7 Label17 text6 Label14 Picture6_0 Picture6_1 Picture6_2 "
               "Picture5_8 Label16";
    }
    void arrangement() {
        QFETCH(int, mode);
        QFETCH(QRect, list);
        QFETCH(int, detailHeight);
        QFETCH(QString, shown);
        QFETCH(QString, hidden);
        Harness h;
        auto& w = h.open();
        h.clickTab(mode == 0 ? 3 : 0); // come from another mode
        h.clickTab(mode);
        QCOMPARE(w.currentTab(), mode);
        QCOMPARE(h.resultList()->geometry(), list);
        QCOMPARE(h.detail()->height(), detailHeight);
        for (const QString& name : shown.split(QLatin1Char(' '), Qt::SkipEmptyParts))
            QVERIFY2(!h.find(name)->isHidden(), qPrintable(name));
        for (const QString& name : hidden.split(QLatin1Char(' '), Qt::SkipEmptyParts))
            QVERIFY2(h.find(name)->isHidden(), qPrintable(name));
        QCOMPARE(h.detail()->isReadOnly(), mode != 2);
        QVERIFY(!h.find("Picture5_0")->isHidden()); // never changed by a tab; covered by the list on 2 and 3
        for (int i = 0; i < 5; ++i) {
            const bool selected = i == mode;
            QCOMPARE(h.label(QStringLiteral("Label1_%1").arg(i))->font().bold(), selected);
            QCOMPARE(textColour(h.label(QStringLiteral("Label1_%1").arg(i))) == kTeal, selected);
        }
    }

    void selectionClearsInputsViewsAndKey() {
        Harness h;
        auto& w = h.open();
        h.selectLine(0);
        h.edit("Text1")->setText(QStringLiteral("甲"));
        h.edit("Text3")->setText(QStringLiteral("乙"));
        h.edit("Text4")->setText(QStringLiteral("丙"));
        h.combo("text6")->setEditText(QStringLiteral("丁"));
        w.setSelectedRecordKey(QStringLiteral("240101120000"));
        h.clickTab(1);
        for (const char* name : {"Text1", "Text3", "Text4"})
            QVERIFY2(h.edit(name)->text().isEmpty(), name);
        QVERIFY(h.combo("text6")->currentText().isEmpty());
        QVERIFY(h.detail()->toPlainText().isEmpty());
        QVERIFY(w.selectedRecordKey().isEmpty());
        QVERIFY(h.list("List2")->isHidden());
        QVERIFY(h.lines().isEmpty()); // no favourites: empty list, no message
        QVERIFY(h.messenger().shown().isEmpty());
    }

    void eachModeRunsItsSearchLast() {
        Harness h;
        h.addPersonal(QStringLiteral("个人甲"), store::kCategoryPersonal, QStringLiteral("1"),
                      QStringLiteral("甲"), QStringLiteral("补益剂"));
        auto& w = h.open();
        // Leave text in the inputs, so that clearing them runs searches of the new mode first.
        h.clickTab(2);
        h.edit("Text1")->setText(QStringLiteral("没有"));
        h.combo("text6")->setEditText(QStringLiteral("没有"));
        QVERIFY(h.lines().isEmpty());
        h.clickTab(2);
        QCOMPARE(h.lines(), QStringList{QStringLiteral("[1]个人甲")});
        QCOMPARE(w.currentQuery(), mainwindow::search::personalQuery(QString(), QString()));

        h.clickTab(3);
        h.edit("Text1")->setText(QStringLiteral("丹"));
        h.clickTab(3);
        QCOMPARE(h.lines().size(), 8);
        QCOMPARE(w.currentQuery(), mainwindow::search::herbalQuery(QString()));

        h.clickTab(0);
        QCOMPARE(w.currentQuery(), mainwindow::search::kTextbookQuery);
        QCOMPARE(h.lines().size(), 10);
        QCOMPARE(h.label("Label16")->text(), QStringLiteral("提示：点“查询”按钮，可在近十万首方剂中搜索！"));
        QVERIFY(!h.label("Label16")->isHidden());
    }

    void tutorialTabRunsOnlyItsSteps() {
        Harness h;
        auto& w = h.open();
        h.clickTab(2);
        h.edit("Text1")->setText(QStringLiteral("个"));
        h.detail()->setPlainText(QStringLiteral("草稿"));
        const QStringList lines = h.lines();
        const QString query = w.currentQuery();
        h.list("List2")->show();
        h.clickTab(4);
        QCOMPARE(w.currentTab(), 2);
        QCOMPARE(h.edit("Text1")->text(), QStringLiteral("个"));
        QCOMPARE(h.detail()->toPlainText(), QStringLiteral("草稿"));
        QCOMPARE(h.lines(), lines);
        QCOMPARE(w.currentQuery(), query);
        QVERIFY(h.detail()->isReadOnly());
        QVERIFY(h.label("Label16")->isHidden());
        QVERIFY(h.list("List2")->isHidden());
        QVERIFY(!h.find("text6")->isHidden()); // the arrangement of the mode stays
        for (int i = 0; i < 5; ++i)
            QVERIFY(!h.label(QStringLiteral("Label1_%1").arg(i))->font().bold());
        QCOMPARE(w.opened.size(), 1);
        QCOMPARE(w.opened.first(),
                 QUrl::fromLocalFile(h.db().dataFolder() +
                                     QStringLiteral("/help/corvessa-search-tutorial-01.html")));
    }

    void linksOpenDecodedPages() {
        Harness h;
        auto& w = h.open();
        click(h.label("Label10"));
        click(h.label("Label4"));
        click(h.label("Label4"), Qt::RightButton);
        QCOMPARE(w.opened.size(), 2);
        QCOMPARE(w.opened[0].toLocalFile(),
                 h.db().dataFolder() + QStringLiteral("/help/corvessa-news-and-tips-1.html"));
        QCOMPARE(w.opened[1].toLocalFile(), h.db().dataFolder() + QStringLiteral("/help/about-data.html"));
        QCOMPARE(h.label("Label10")->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(h.label("Label4")->cursor().shape(), Qt::PointingHandCursor);
    }

    void dragOnlyWithLeftButtonAlone() {
        Harness h;
        auto& w = h.open();
        for (const char* name : {"Picture2", "Picture3"}) {
            w.moves = 0;
            sendMove(h.find(name), Qt::RightButton);
            sendMove(h.find(name), Qt::NoButton);
            sendMove(h.find(name), Qt::LeftButton | Qt::RightButton);
            QCOMPARE(w.moves, 0);
            sendMove(h.find(name), Qt::LeftButton);
            QCOMPARE(w.moves, 1);
        }
        w.moves = 0;
        sendMove(h.find("Picture1"), Qt::LeftButton);
        QCOMPARE(w.moves, 0);
    }

    void blinkAlternatesTealAndRed() {
        Harness h;
        auto& w = h.open();
        auto* timer = w.findChild<QTimer*>(QStringLiteral("Timer1"));
        QCOMPARE(timer->interval(), 2000);
        QVERIFY(timer->isActive());
        QCOMPARE(textColour(h.label("Label10")), kTeal);
        QVERIFY(QMetaObject::invokeMethod(timer, "timeout"));
        QCOMPARE(textColour(h.label("Label10")), kRed);
        QVERIFY(QMetaObject::invokeMethod(timer, "timeout"));
        QCOMPARE(textColour(h.label("Label10")), kTeal);
    }

    void closeImageClosesOnceThroughTheHook() {
        Harness h;
        auto& w = h.open();
        w.show();
        QSignalSpy closing(&w, &mainwindow::MainWindow::closing);
        click(h.label("Image1"), Qt::RightButton);
        QVERIFY(w.isVisible());
        click(h.label("Image1"));
        QVERIFY(!w.isVisible());
        QCOMPARE(closing.count(), 1);
        QVERIFY(!w.findChild<QTimer*>(QStringLiteral("Timer1"))->isActive());
    }

    void actionButtonsPaintPressAndRelease() {
        Harness h;
        auto& w = h.open();
        QWidget* hitArea = h.find("Label9_1");
        QTest::mousePress(hitArea, Qt::LeftButton, {}, QPoint(3, 3));
        QCOMPARE(mainwindow::background(h.find("Picture5_1")), QColor(192, 192, 192));
        // The release reaches the pressed button even outside it.
        QTest::mouseRelease(hitArea, Qt::LeftButton, {}, QPoint(500, 500));
        QCOMPARE(mainwindow::background(h.find("Picture5_1")), QColor(237, 238, 238));
        QCOMPARE(w.actions, QList<int>{1});
    }
};

QTEST_MAIN(TabsTest)
#include "tst_tabs.moc"
