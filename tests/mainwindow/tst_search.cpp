// SPDX-License-Identifier: GPL-3.0-or-later

// The searches: exact query texts per tab, keyword cutting, numbered lines, the empty-input message, the
// change triggers, the source picker, and input that would break a query.
#include "harness.h"
#include "mainwindow/search.h"
#include "store/schema.h"

#include <QPushButton>
#include <QTest>

using namespace corvessa;
using namespace corvessa::testsupport;
namespace search = mainwindow::search;

namespace {

const QString kTab0Example = QStringLiteral("select * from[中药方剂] where [方名] like '%麻黄%' and [出处] "
                                            "like '%%' and [主治] like '%头痛%'and [主治] "
                                            "like '%%'and [主治] like '%%'and [主治] like '%%' and [主治] "
                                            "like '%%'and [类别] = '中药经方' order by [方名]");

} // namespace

class SearchTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { initMainWindowTests(); }

    // ---- query texts
    // ------------------------------------------------------------------------------------------

    void libraryQueryOnTab0IsExact() {
        Harness h;
        auto& w = h.open();
        h.edit("Text1")->setText(QStringLiteral("麻黄"));
        h.edit("Text4")->setText(QStringLiteral("头痛"));
        h.pressEnter(h.edit("Text4"));
        QCOMPARE(w.currentQuery(), kTab0Example);
    }

    void libraryQueryOnTab1ReadsFavourites() {
        Harness h;
        auto& w = h.open();
        h.clickTab(1);
        h.edit("Text1")->setText(QStringLiteral("麻黄"));
        h.edit("Text4")->setText(QStringLiteral("头痛"));
        h.pressEnter(h.edit("Text1"));
        QString expected = kTab0Example;
        expected.replace(QStringLiteral("'中药经方'"), QStringLiteral("'我的收藏'"));
        QCOMPARE(w.currentQuery(), expected);
    }

    void personalQueryRemovesAll() {
        Harness h;
        auto& w = h.open();
        h.clickTab(2);
        h.combo("text6")->setEditText(QStringLiteral("全部"));
        h.edit("Text1")->setText(QStringLiteral("补"));
        QCOMPARE(w.currentQuery(),
                 QStringLiteral("select * from[中药方剂] where [方名] like '%补%' and [分组] like "
                                "'%%' and [类别] = '个人验方' order by [方名]"));
        h.combo("text6")->setEditText(QStringLiteral("补益剂全部"));
        QCOMPARE(w.currentQuery(),
                 QStringLiteral("select * from[中药方剂] where [方名] like '%补%' and [分组] like "
                                "'%补益剂%' and [类别] = '个人验方' order by [方名]"));
    }

    void herbalQueryOnTab3() {
        Harness h;
        auto& w = h.open();
        h.clickTab(3);
        Harness::type(h.edit("Text1"), QStringLiteral("丹"));
        QCOMPARE(w.currentQuery(),
                 QStringLiteral("select * from[中药方剂] where [方名] like '%丹%' and [类别] = "
                                "'中药功效' order by [方名]"));
        QCOMPARE(h.lines(), QStringList{QStringLiteral("[1]丹砂")});
    }

    void inputsAreTakenUntrimmed() {
        Harness h;
        auto& w = h.open();
        h.edit("Text1")->setText(QStringLiteral(" 麻黄 "));
        h.pressEnter(h.edit("Text1"));
        QVERIFY(w.currentQuery().contains(QStringLiteral("like '% 麻黄 %'")));
    }

    // ---- keyword cutting
    // --------------------------------------------------------------------------------------

    void keywordSeparators_data() {
        QTest::addColumn<QString>("input");
        QTest::newRow("full-width comma") << QStringLiteral("腹痛，呕吐");
        QTest::newRow("comma") << QStringLiteral("腹痛,呕吐");
        QTest::newRow("blank") << QStringLiteral("腹痛 呕吐");
        QTest::newRow("enumeration comma") << QStringLiteral("腹痛、呕吐");
        QTest::newRow("full stop") << QStringLiteral("腹痛。呕吐");
        QTest::newRow("outer blanks") << QStringLiteral("  腹痛，呕吐  ");
    }
    void keywordSeparators() {
        QFETCH(QString, input);
        const search::KeywordSlots keywords = search::cutKeywords(input);
        QCOMPARE(keywords[0], QStringLiteral("腹痛"));
        QCOMPARE(keywords[1], QStringLiteral("呕吐"));
        for (int k = 2; k < 5; ++k)
            QVERIFY(keywords[size_t(k)].isEmpty());
    }

    void doubleBlankGivesEmptySlot() {
        const search::KeywordSlots keywords = search::cutKeywords(QStringLiteral("腹痛  呕吐"));
        QCOMPARE(keywords[0], QStringLiteral("腹痛"));
        QCOMPARE(keywords[1], QString());
        QCOMPARE(keywords[2], QStringLiteral("呕吐"));
    }

    void onlyFirstFiveKeywords() {
        const search::KeywordSlots keywords = search::cutKeywords(QStringLiteral("一,二,三,四,五,六,七"));
        QCOMPARE(QStringList(keywords.begin(), keywords.end()), (QStringList{"一", "二", "三", "四", "五"}));
    }

    void fullWidthBlankIsNoSeparator() {
        const search::KeywordSlots keywords = search::cutKeywords(QStringLiteral("腹痛　呕吐"));
        QCOMPARE(keywords[0], QStringLiteral("腹痛　呕吐"));
    }

    void keywordsRequireEveryWord() {
        Harness h(Harness::fixturePath(QStringLiteral("library.jsonl")));
        h.open();
        h.edit("Text4")->setText(QStringLiteral("腹痛、呕吐"));
        h.pressEnter(h.edit("Text4"));
        QCOMPARE(h.lines(), QStringList{QStringLiteral("[1]测试腹痛呕吐方[测试方书]")});
        h.edit("Text4")->setText(
            QStringLiteral("腹痛  呕吐")); // the empty slot between asks for a value only
        h.pressEnter(h.edit("Text4"));
        QCOMPARE(h.lines(), QStringList{QStringLiteral("[1]测试腹痛呕吐方[测试方书]")});
        h.edit("Text4")->setText(QStringLiteral("腹痛"));
        h.pressEnter(h.edit("Text4"));
        QCOMPARE(h.lines().size(), 2);
    }

    void recordWithoutSourceOnlyInTextbookList() {
        Harness h(Harness::fixturePath(QStringLiteral("library.jsonl")));
        h.open();
        QVERIFY(h.lines().contains(QStringLiteral("[2]测试无出处方[]")));
        h.edit("Text1")->setText(QStringLiteral("测试无出处方"));
        h.pressEnter(h.edit("Text1"));
        QVERIFY(h.lines().isEmpty());
    }

    // ---- numbered lines
    // ---------------------------------------------------------------------------------------

    void numberWidths() {
        QCOMPARE(search::numberWidth(0), 1);
        QCOMPARE(search::numberWidth(9), 1);
        QCOMPARE(search::numberWidth(10), 2);
        QCOMPARE(search::numberWidth(99), 2);
        QCOMPARE(search::numberWidth(100), 3);
        QCOMPARE(search::numberWidth(9999), 4);
        QCOMPARE(search::numberWidth(10000), 5);
        QCOMPARE(search::numberWidth(67485), 5);
        QCOMPARE(search::resultLine(123456, 5, QStringLiteral("甲"), QVariant(), false),
                 QStringLiteral("[23456]甲"));
        QCOMPARE(search::resultLine(7, 3, QVariant(), QVariant(), true), QStringLiteral("[007][]"));
    }

    void listedWidths_data() {
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        QTest::newRow("9") << 9 << "[1]"
                           << "[9]";
        QTest::newRow("10") << 10 << "[01]"
                            << "[10]";
        QTest::newRow("99") << 99 << "[01]"
                            << "[99]";
        QTest::newRow("100") << 100 << "[001]"
                             << "[100]";
    }
    void listedWidths() {
        QFETCH(int, rows);
        QFETCH(QString, first);
        QFETCH(QString, last);
        Harness h;
        h.addManyPersonal(rows, QStringLiteral("收藏方"), store::kCategoryFavourite);
        h.open();
        h.clickTab(1);
        const QStringList lines = h.lines();
        QCOMPARE(lines.size(), rows);
        QCOMPARE(lines.first(), first + QStringLiteral("收藏方00001[测试出处]"));
        QVERIFY(lines.last().startsWith(last));
    }

    // ---- empty input
    // ------------------------------------------------------------------------------------------

    void emptyInputMessageOnTab0() {
        Harness h;
        auto& w = h.open();
        const QStringList before = h.lines();
        const QString query = w.currentQuery();
        w.setSelectedRecordKey(QStringLiteral("240101120000"));
        h.edit("Text1")->setText(QStringLiteral("   "));
        h.edit("Text4")->setText(QStringLiteral(" "));
        w.setSelectedRecordKey(QStringLiteral("240101120000"));
        h.pressEnter(h.edit("Text3"));
        QCOMPARE(h.messenger().shown(), QStringList{QStringLiteral("请输入查询条件！")});
        QCOMPARE(h.lines(), before);
        QCOMPARE(w.currentQuery(), query);
        QVERIFY(w.selectedRecordKey().isEmpty());
    }

    void noEmptyInputMessageOnOtherTabs() {
        Harness h;
        h.addPersonal(QStringLiteral("收藏甲"), store::kCategoryFavourite, QStringLiteral("240101120000"),
                      QStringLiteral("【组成】甲"), QString(), QStringLiteral("书"), QStringLiteral("主治"));
        h.addPersonal(QStringLiteral("个人甲"), store::kCategoryPersonal, QStringLiteral("240101120001"),
                      QStringLiteral("【组成】乙"), QStringLiteral("补益剂"));
        h.open();
        for (int tab = 1; tab <= 3; ++tab) {
            h.clickTab(tab);
            h.edit("Text1")->setText(QStringLiteral("  "));
            h.edit("Text1")->clear();
            h.pressEnter(h.edit("Text1"));
            QVERIFY(!h.lines().isEmpty());
        }
        QVERIFY(h.messenger().shown().isEmpty());
    }

    // ---- triggers
    // ---------------------------------------------------------------------------------------------

    void typingOnTab0DoesNotSearchUntilEnter() {
        Harness h;
        auto& w = h.open();
        const QString textbook = w.currentQuery();
        Harness::type(h.edit("Text1"), QStringLiteral("桂枝"));
        QCOMPARE(w.currentQuery(), textbook);
        h.pressEnter(h.edit("Text1"));
        QVERIFY(w.currentQuery().contains(QStringLiteral("'%桂枝%'")));
        QVERIFY(h.edit("Text1")->text() == QStringLiteral("桂枝")); // Enter adds no character
        QVERIFY(h.lines().size() >= 3);
    }

    void typingOnTab3FollowsEveryKeystroke() {
        Harness h;
        h.open();
        h.clickTab(3);
        QCOMPARE(h.lines().size(), 8); // every herb entry
        Harness::type(h.edit("Text1"), QStringLiteral("石"));
        QCOMPARE(h.lines().size(), 4); // 石钟乳, 矾石, 滑石, 紫石英
        Harness::type(h.edit("Text1"), QStringLiteral("英"));
        QCOMPARE(h.lines(), QStringList{QStringLiteral("[1]紫石英")});
    }

    void enterOnTabs2And3RunsTheirOwnSearch() {
        Harness h;
        h.addPersonal(QStringLiteral("个人甲"), store::kCategoryPersonal, QStringLiteral("240101120001"),
                      QStringLiteral("【组成】乙"), QStringLiteral("补益剂"));
        auto& w = h.open();
        h.clickTab(2);
        h.pressEnter(h.edit("Text1"));
        QVERIFY(w.currentQuery().contains(QStringLiteral("'个人验方'")));
        QCOMPARE(h.lines(), QStringList{QStringLiteral("[1]个人甲")});
        h.clickTab(3);
        h.pressEnter(h.edit("Text1"));
        QVERIFY(w.currentQuery().contains(QStringLiteral("'中药功效'")));
        QVERIFY(h.messenger().shown().isEmpty());
    }

    void groupChangeOnTab2Searches() {
        Harness h;
        h.addPersonal(QStringLiteral("个人甲"), store::kCategoryPersonal, QStringLiteral("1"),
                      QStringLiteral("甲"), QStringLiteral("补益剂"));
        h.addPersonal(QStringLiteral("个人乙"), store::kCategoryPersonal, QStringLiteral("2"),
                      QStringLiteral("乙"), QStringLiteral("解表剂"));
        h.addPersonal(QStringLiteral("个人丙"), store::kCategoryPersonal, QStringLiteral("3"),
                      QStringLiteral("丙"), QVariant());
        h.open();
        h.clickTab(2);
        QCOMPARE(h.lines().size(), 2); // a record without a group is not listed even for all groups
        h.combo("text6")->setCurrentIndex(h.combo("text6")->findText(QStringLiteral("补益剂")));
        QCOMPARE(h.lines(), QStringList{QStringLiteral("[1]个人甲")});
        h.combo("text6")->setEditText(QStringLiteral("表"));
        QCOMPARE(h.lines(), QStringList{QStringLiteral("[1]个人乙")});
    }

    void groupChangeElsewhereDoesNotSearch() {
        Harness h;
        auto& w = h.open();
        const QString query = w.currentQuery();
        h.combo("text6")->setEditText(QStringLiteral("补益剂"));
        QCOMPARE(w.currentQuery(), query);
    }

    void everyInputChangeClearsTheKey() {
        Harness h;
        auto& w = h.open();
        for (const char* name : {"Text1", "Text3", "Text4"}) {
            w.setSelectedRecordKey(QStringLiteral("240101120000"));
            h.edit(name)->setText(QStringLiteral("甲"));
            QVERIFY2(w.selectedRecordKey().isEmpty(), name);
        }
        w.setSelectedRecordKey(QStringLiteral("240101120000"));
        h.combo("text6")->setEditText(QStringLiteral("甲"));
        QVERIFY(w.selectedRecordKey().isEmpty());
    }

    void searchButtonAndHiddenButtonsRunSearches() {
        Harness h;
        auto& w = h.open();
        h.edit("Text1")->setText(QStringLiteral("桂枝"));
        h.clickAction(0);
        QVERIFY(w.currentQuery().contains(QStringLiteral("'%桂枝%'")));
        QCOMPARE(w.actions, QList<int>{0});
        h.clickAction(0, Qt::RightButton);
        QCOMPARE(w.actions, (QList<int>{0, 0}));
        h.find<QPushButton>("Command2")->click();
        QVERIFY(w.currentQuery().contains(QStringLiteral("'中药功效'")));
        h.find<QPushButton>("Command5")->click();
        QCOMPARE(w.currentQuery(), search::kTextbookQuery);
    }

    // ---- source picker
    // ----------------------------------------------------------------------------------------

    void pickerFiltersByContainedText() {
        Harness h;
        h.open();
        h.edit("Text3")->setText(QStringLiteral("伤寒"));
        QCOMPARE(h.lines("List2"), (QStringList{"伤寒类方", "注解伤寒论"}));
        QVERIFY(!h.list("List2")->isHidden());
        h.edit("Text3")->setText(QStringLiteral("没有这本书"));
        QVERIFY(h.lines("List2").isEmpty());
        QVERIFY(h.list("List2")->isHidden());
        h.edit("Text3")->clear();
        QCOMPARE(h.lines("List2"), Harness::fixtureCatalogue());
    }

    void pickerFocusArrowEnterAndHide() {
        Harness h;
        auto& w = h.open();
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QListWidget* picker = h.list("List2");
        h.edit("Text1")->setFocus();
        QVERIFY(picker->isHidden());
        h.edit("Text3")->setFocus();
        QTRY_VERIFY(h.edit("Text3")->hasFocus());
        QVERIFY(!picker->isHidden()); // focus shows it, whatever it holds
        Harness::type(h.edit("Text3"), QStringLiteral("方"));
        QCOMPARE(h.lines("List2").size(), 5);
        QTest::keyClick(h.edit("Text3"), Qt::Key_Down);
        QTRY_VERIFY(picker->hasFocus());
        QCOMPARE(picker->currentRow(), 0);
        QTest::keyClick(picker, Qt::Key_Down);
        QTest::keyClick(picker, Qt::Key_Return);
        QCOMPARE(h.edit("Text3")->text(), QStringLiteral("伤寒类方"));
        QCOMPARE(h.edit("Text3")->cursorPosition(), 4);
        QVERIFY(h.edit("Text3")->hasFocus());
        QVERIFY(picker->isHidden());
        h.edit("Text3")->setText(QStringLiteral("没有这本书"));
        h.edit("Text1")->setFocus();
        h.edit("Text3")->setFocus();
        QTRY_VERIFY(h.edit("Text3")->hasFocus());
        QVERIFY(!picker->isHidden());                   // shown empty
        QTest::keyClick(h.edit("Text3"), Qt::Key_Down); // nothing to pick: stays in the field
        QVERIFY(h.edit("Text3")->hasFocus());
        h.resultList()->setFocus();
        QTRY_VERIFY(picker->isHidden());
    }

    void pickerDoubleClickPicks() {
        Harness h;
        auto& w = h.open();
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QListWidget* picker = h.list("List2");
        h.edit("Text3")->setFocus();
        Harness::type(h.edit("Text3"), QStringLiteral("伤寒"));
        const QRect second = picker->visualItemRect(picker->item(1));
        QTest::mouseClick(picker->viewport(), Qt::LeftButton, {}, second.center());
        QTest::mouseDClick(picker->viewport(), Qt::LeftButton, {}, second.center());
        QCOMPARE(h.edit("Text3")->text(), QStringLiteral("注解伤寒论"));
        QVERIFY(picker->isHidden());
    }

    void pickerHidesOnClicksAndActions() {
        Harness h;
        h.open();
        QListWidget* picker = h.list("List2");
        auto press = [](QWidget* widget) {
            QTest::mousePress(widget, Qt::LeftButton, {}, QPoint(2, 2));
            QTest::mouseRelease(widget, Qt::LeftButton, {}, QPoint(2, 2));
        };
        for (const char* name : {"Picture1", "Picture3"}) {
            picker->show();
            press(h.find(name));
            QVERIFY2(picker->isHidden(), name);
        }
        picker->show();
        press(h.detail()->viewport());
        QVERIFY(picker->isHidden());
        picker->show();
        h.clickAction(0);
        QVERIFY(picker->isHidden());
        picker->show();
        h.clickTab(0);
        QVERIFY(picker->isHidden());
    }

    // ---- typed apostrophes and failing queries
    // ----------------------------------------------------------------

    void apostrophesSearchNormally() {
        Harness h(Harness::fixturePath(QStringLiteral("library.jsonl")));
        auto& w = h.open();
        h.edit("Text1")->setText(QStringLiteral("牛黄清心丸'"));
        h.pressEnter(h.edit("Text1"));
        QCOMPARE(h.lines(), QStringList{QStringLiteral("[1]牛黄清心丸'[测试方书'卷一]")});
        QVERIFY(w.currentQuery().contains(QStringLiteral("'%牛黄清心丸''%'")));
        h.edit("Text1")->clear();
        h.edit("Text3")->setText(QStringLiteral("方书'"));
        h.edit("Text4")->setText(QStringLiteral("神志不清'"));
        h.pressEnter(h.edit("Text3"));
        QVERIFY(h.lines().isEmpty()); // the apostrophe is searched for as a character
        h.edit("Text4")->setText(QStringLiteral("烦躁"));
        h.pressEnter(h.edit("Text3"));
        QCOMPARE(h.lines().size(), 1);
        h.clickTab(2);
        h.combo("text6")->setEditText(QStringLiteral("补'益"));
        h.clickTab(3);
        h.edit("Text1")->setText(QStringLiteral("'"));
        QVERIFY(h.messenger().shown().isEmpty());
    }

    void failingQueryShowsOneMessageAndGoesOn() {
        Harness h;
        auto& w = h.open();
        h.db().execLibrary(QStringLiteral("ALTER TABLE [中药方剂] RENAME TO [旧表]"));
        h.edit("Text1")->setText(QStringLiteral("桂枝"));
        h.pressEnter(h.edit("Text1"));
        QCOMPARE(h.messenger().shown().size(), 1);
        QVERIFY(h.messenger().last().startsWith(QStringLiteral("查询失败")));
        QVERIFY(h.lines().isEmpty());
        QVERIFY(w.currentQuery().contains(QStringLiteral("'%桂枝%'")));
        h.messenger().clear();
        // A tab selection whose cleared input and own search both fail tells the user once, and the steps
        // after the failing ones still run.
        QCOMPARE(h.edit("Text1")->text(), QStringLiteral("桂枝"));
        h.clickTab(3);
        QCOMPARE(h.messenger().shown().size(), 1);
        QCOMPARE(w.currentTab(), 3);
        QVERIFY(h.edit("Text1")->text().isEmpty());
        QCOMPARE(h.resultList()->y(), 128);
        QVERIFY(h.edit("Text3")->isHidden());
        h.db().execLibrary(QStringLiteral("ALTER TABLE [旧表] RENAME TO [中药方剂]"));
        h.clickTab(0);
        QCOMPARE(h.lines().size(), 10);
    }
};

QTEST_MAIN(SearchTest)
#include "tst_search.moc"
