// SPDX-License-Identifier: GPL-3.0-or-later

// The record behind a selected line: found by position in the current query, shown by the rules of its tab,
// its key remembered; rows that are gone and columns without a value show nothing and do not crash.
#include "harness.h"
#include "mainwindow/detailview.h"
#include "store/schema.h"

#include <QTest>

using namespace corvessa;
using namespace corvessa::testsupport;
namespace detail = mainwindow::detail;

namespace {

int rowOf(const QStringList& lines, const QString& needle) {
    for (int i = 0; i < lines.size(); ++i) {
        if (lines[i].contains(needle))
            return i;
    }
    return -1;
}

} // namespace

class DetailTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { initMainWindowTests(); }

    // ---- text rules
    // -------------------------------------------------------------------------------------------

    void lineBreakPasses() {
        const QString six(6, QLatin1Char('\n'));
        QCOMPARE(detail::tidyLineBreaks(QStringLiteral("a") + six + QStringLiteral("b")),
                 QStringLiteral("a\n\n\nb"));
        QCOMPARE(
            detail::tidyLineBreaks(QStringLiteral("a") + QString(5, QLatin1Char('\n')) + QStringLiteral("b")),
            QStringLiteral("a\n\nb"));
        QCOMPARE(
            detail::tidyLineBreaks(QStringLiteral("a") + QString(7, QLatin1Char('\n')) + QStringLiteral("b")),
            QStringLiteral("a\n\n\n\nb"));
        QCOMPARE(detail::tidyLineBreaks(QStringLiteral("a\r\n\r\n\r\nb")), QStringLiteral("a\n\nb"));
        QCOMPARE(detail::tidyLineBreaks(QStringLiteral("a\n\nb")), QStringLiteral("a\n\nb"));
    }

    void headingsStartLines() {
        QCOMPARE(detail::breakBeforeHeadings(QStringLiteral("【组成】甲【主治】乙")),
                 QStringLiteral("\n【组成】甲\n【主治】乙"));
    }

    void herbNameWithMarkerRemovedEverywhere() {
        QCOMPARE(detail::herbText(QStringLiteral("丹砂@$丹砂味甘。丹砂@$又丹砂@"), QStringLiteral("[1]丹砂")),
                 QStringLiteral("丹砂味甘。又丹砂@"));
        // Only the first "]" ends the number.
        QCOMPARE(detail::herbText(QStringLiteral("甲]乙@$文"), QStringLiteral("[01]甲]乙")),
                 QStringLiteral("文"));
    }

    // ---- per tab
    // ----------------------------------------------------------------------------------------------

    void libraryRecordOnTab0() {
        Harness h;
        auto& w = h.open();
        w.setSelectedRecordKey(QStringLiteral("240101120000"));
        const int row = rowOf(h.lines(), QStringLiteral("]桂枝汤["));
        h.selectLine(row);
        QCOMPARE(w.selectedRow(), row);
        const QString shown = h.detail()->toPlainText();
        QVERIFY(shown.startsWith(QStringLiteral("\n【组成】桂枝(三两去皮/味辛热)")));
        QVERIFY(shown.contains(QStringLiteral("\n【主治】而气逆也")));
        QVERIFY(w.selectedRecordKey().isEmpty());
    }

    void sixBreaksShownAsThree() {
        Harness h(Harness::fixturePath(QStringLiteral("library.jsonl")));
        h.open();
        h.edit("Text1")->setText(QStringLiteral("测试六行方"));
        h.pressEnter(h.edit("Text1"));
        h.selectLine(0);
        QCOMPARE(h.detail()->toPlainText(), QStringLiteral("甲\n\n\n乙\n\n丙\n\n\n\n丁"));
    }

    void herbEntryOnTab3() {
        Harness h(Harness::fixturePath(QStringLiteral("library.jsonl")));
        auto& w = h.open();
        h.clickTab(3);
        QCOMPARE(h.lines(), (QStringList{"[1]测试饮片", "[2]测试饮片乙"}));
        w.setSelectedRecordKey(QStringLiteral("240101120000"));
        h.selectLine(0);
        QCOMPARE(h.detail()->toPlainText(), QStringLiteral("测试饮片味甘平。又名。测试饮片@别名"));
        QVERIFY(w.selectedRecordKey().isEmpty());
        h.selectLine(1);
        QCOMPARE(h.detail()->toPlainText(), QStringLiteral("味苦寒。\n\n\n主治测试"));
    }

    void realHerbEntryIsNotUnscrambled() {
        Harness h;
        h.open();
        h.clickTab(3);
        h.selectLine(rowOf(h.lines(), QStringLiteral("]丹砂")));
        QVERIFY(h.detail()->toPlainText().startsWith(QStringLiteral("丹砂味甘㣲寒")));
    }

    void favouriteSetsKey() {
        Harness h;
        h.addPersonal(QStringLiteral("收藏甲"), store::kCategoryFavourite, QStringLiteral("240101120000"),
                      QStringLiteral("【组成】甲\n\n\n\n\n\n乙"), QString(), QStringLiteral("书"),
                      QStringLiteral("主治"));
        auto& w = h.open();
        h.clickTab(1);
        QCOMPARE(h.lines(), QStringList{QStringLiteral("[1]收藏甲[书]")});
        h.selectLine(0);
        QCOMPARE(h.detail()->toPlainText(), QStringLiteral("\n【组成】甲\n\n\n乙"));
        QCOMPARE(w.selectedRecordKey(), QStringLiteral("240101120000"));
        QCOMPARE(h.label("Label15")->text(), QStringLiteral("240101120000"));
        QVERIFY(h.detail()->isReadOnly());
    }

    void personalRecordFillsEditor() {
        Harness h;
        h.addPersonal(QStringLiteral("自拟方"), store::kCategoryPersonal, QStringLiteral("240101120001"),
                      QStringLiteral("【组成】黄芪　白术"), QStringLiteral("补益剂"));
        auto& w = h.open();
        h.clickTab(2);
        h.selectLine(0);
        QCOMPARE(h.detail()->toPlainText(), QStringLiteral("\n【组成】黄芪　白术"));
        QCOMPARE(h.edit("Text5")->text(), QStringLiteral("自拟方"));
        QCOMPARE(h.combo("C1")->currentText(), QStringLiteral("补益剂"));
        QCOMPARE(w.selectedRecordKey(), QStringLiteral("240101120001"));
        QVERIFY(!h.detail()->isReadOnly());
    }

    void sameNameToldApartByPosition() {
        Harness h(Harness::fixturePath(QStringLiteral("library.jsonl")));
        h.open();
        h.edit("Text1")->setText(QStringLiteral("测试同名方"));
        h.pressEnter(h.edit("Text1"));
        const QStringList lines = h.lines();
        QCOMPARE(lines.size(), 2);
        h.selectLine(1);
        const QString second = h.detail()->toPlainText();
        h.selectLine(0);
        const QString first = h.detail()->toPlainText();
        QVERIFY(first != second);
        // Each line shows the record that produced it.
        QCOMPARE(lines[0].contains(QStringLiteral("甲")), first.contains(QStringLiteral("第一首")));
    }

    void searchKeepsDetailView() {
        Harness h;
        h.open();
        h.selectLine(0);
        const QString shown = h.detail()->toPlainText();
        QVERIFY(!shown.isEmpty());
        h.edit("Text1")->setText(QStringLiteral("麻黄"));
        h.pressEnter(h.edit("Text1"));
        QCOMPARE(h.detail()->toPlainText(), shown);
    }

    // ---- rows that cannot be reached, columns without a value, long lists
    // -------------------------------------

    void vanishedRowShowsEmptyView() {
        Harness h;
        h.addPersonal(QStringLiteral("收藏甲"), store::kCategoryFavourite, QStringLiteral("1"),
                      QStringLiteral("甲"), QString(), QStringLiteral("书"), QStringLiteral("主治"));
        h.addPersonal(QStringLiteral("收藏乙"), store::kCategoryFavourite, QStringLiteral("2"),
                      QStringLiteral("乙"), QString(), QStringLiteral("书"), QStringLiteral("主治"));
        auto& w = h.open();
        h.clickTab(1);
        h.selectLine(0);
        QVERIFY(!h.detail()->toPlainText().isEmpty());
        h.db().execPersonal(QStringLiteral("DELETE FROM [中药方剂] WHERE [序号] = '2'"));
        h.selectLine(1);
        QVERIFY(h.detail()->toPlainText().isEmpty());
        QVERIFY(w.selectedRecordKey().isEmpty());
        QCOMPARE(w.selectedRow(), 1);
        QVERIFY(h.messenger().shown().isEmpty());
    }

    void columnsWithoutValue() {
        Harness h(Harness::fixturePath(QStringLiteral("library.jsonl")));
        auto& w = h.open();
        h.edit("Text1")->setText(QStringLiteral("测试空内容方"));
        h.pressEnter(h.edit("Text1"));
        h.detail()->setPlainText(QStringLiteral("旧内容"));
        h.selectLine(0);
        QVERIFY(h.detail()->toPlainText().isEmpty());

        h.db().execPersonal(QStringLiteral("INSERT INTO [中药方剂] ([方名],[出处],[主治],[类别]) VALUES "
                                           "('无序号方', '书', '主治', '我的收藏')"));
        h.db().execPersonal(QStringLiteral("INSERT INTO [中药方剂] ([方名],[类别],[分组]) VALUES "
                                           "('无序号个人方', '个人验方', '补益剂')"));
        h.clickTab(1);
        h.selectLine(0);
        QVERIFY(h.detail()->toPlainText().isEmpty());
        QVERIFY(w.selectedRecordKey().isEmpty());
        h.clickTab(2);
        h.selectLine(0);
        QCOMPARE(h.edit("Text5")->text(), QStringLiteral("无序号个人方"));
        QVERIFY(w.selectedRecordKey().isEmpty());
        QVERIFY(h.messenger().shown().isEmpty());
    }

    void failingQueryEmptiesViewWithOneMessage() {
        Harness h;
        h.open();
        h.selectLine(0);
        h.db().execLibrary(QStringLiteral("ALTER TABLE [中药方剂] RENAME TO [旧表]"));
        h.selectLine(1);
        QCOMPARE(h.messenger().shown().size(), 1);
        QVERIFY(h.detail()->toPlainText().isEmpty());
        h.db().execLibrary(QStringLiteral("ALTER TABLE [旧表] RENAME TO [中药方剂]"));
    }

    void lineBeyond32767() {
        Harness h;
        h.addManyPersonal(40000, QStringLiteral("收藏方"), store::kCategoryFavourite);
        auto& w = h.open();
        h.clickTab(1);
        QCOMPARE(h.lineCount(), 40000);
        QCOMPARE(h.lines().last(), QStringLiteral("[40000]收藏方40000[测试出处]"));
        h.selectLine(39999);
        QCOMPARE(w.selectedRow(), 39999);
        QCOMPARE(w.selectedRecordKey(), QStringLiteral("000000040000"));
        QCOMPARE(h.detail()->toPlainText(), QStringLiteral("\n【组成】测试"));
    }
};

QTEST_MAIN(DetailTest)
#include "tst_detail.moc"
