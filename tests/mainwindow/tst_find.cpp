// SPDX-License-Identifier: GPL-3.0-or-later

// Finding beyond the designed searches: pinyin in 名称, traditional and variant input, the 组成 input, and
// result lines that keep their record's rowid.
#include "harness.h"
#include "mainwindow/resultmodel.h"
#include "store/codec.h"
#include "store/ingredients.h"
#include "store/schema.h"
#include "store/sqlite.h"
#include "store/textnorm.h"

#include <QTemporaryFile>
#include <QTest>

using namespace corvessa;
using namespace corvessa::testsupport;

namespace {

// The names of the listed lines: "[n]name[source]" -> name.
QStringList names(const QStringList& lines) {
    QStringList result;
    for (const QString& line : lines) {
        QString name = line.mid(line.indexOf(QLatin1Char(']')) + 1);
        if (const qsizetype source = name.indexOf(QLatin1Char('[')); source >= 0)
            name.truncate(source);
        result << name;
    }
    return result;
}

// A small library input written for one test: name, category and readable content per record.
QString writeLibrary(QTemporaryFile& file, const QList<std::array<QString, 3>>& records) {
    file.open();
    for (const auto& [name, category, content] : records) {
        file.write(
            QStringLiteral("{\"方名\": \"%1\", \"出处\": \"测试方书\", \"主治\": \"测试\", \"内容\": \"%2\", "
                           "\"类别\": \"%3\", \"分组\": \"\"}\n")
                .arg(name, content, category)
                .toUtf8());
    }
    file.close();
    return file.fileName();
}

QString search(Harness& h, const char* input, const QString& text) {
    for (const char* name : {"Text1", "Text3", "Text4", "Text7"})
        h.edit(name)->clear();
    h.edit(input)->setText(text);
    h.pressEnter(h.edit(input));
    return h.window().currentQuery();
}

} // namespace

class FindTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { initMainWindowTests(); }

    void pinyinFindsNamesByInitialsAndFullReading() {
        Harness h;
        auto& w = h.open();
        for (const char* typed : {"gzt", "guizhitang", "gui zhi tang", "GuiZhi"}) {
            search(h, "Text1", QString::fromLatin1(typed));
            QVERIFY2(names(h.lines()).contains(QStringLiteral("桂枝汤")), typed);
            QVERIFY2(!names(h.lines()).contains(QStringLiteral("麻黄汤")), typed);
        }
        // The keys take the place of the name pattern; the rest of the query is as designed.
        QVERIFY2(
            w.currentQuery().startsWith(QStringLiteral("select * from[中药方剂] where rowid in (select")),
            qPrintable(w.currentQuery()));
        QVERIFY(
            w.currentQuery().endsWith(QStringLiteral("'guizhi*') and [出处] like '%%' and [主治] like "
                                                     "'%%'and [主治] like '%%'and [主治] like '%%'and [主治] "
                                                     "like '%%' and [主治] like '%%'and [类别] = '中药经方' "
                                                     "order by [方名]")));
        search(h, "Text1", QStringLiteral("mht"));
        QVERIFY(names(h.lines()).contains(QStringLiteral("麻黄汤")));
        QVERIFY(h.messenger().shown().isEmpty());
    }

    void nameWithChineseIsNoPinyin() {
        Harness h;
        auto& w = h.open();
        const QString query = search(h, "Text1", QStringLiteral("麻黄"));
        QVERIFY(query.startsWith(QStringLiteral("select * from[中药方剂] where [方名] like '%麻黄%' and")));
        QVERIFY(!w.currentQuery().contains(QStringLiteral("[拼音]")));
    }

    void pinyinOnTheHerbalTabFollowsTyping() {
        QTemporaryFile input;
        Harness h(writeLibrary(
            input, {{QStringLiteral("人参"), store::kCategoryHerb, QStringLiteral("人参@$测试")},
                    {QStringLiteral("丹砂"), store::kCategoryHerb, QStringLiteral("丹砂@$测试")}}));
        h.open();
        h.clickTab(3);
        Harness::type(h.edit("Text1"), QStringLiteral("rs"));
        QCOMPARE(h.lines(), QStringList{QStringLiteral("[1]人参")});
        Harness::type(h.edit("Text1"), QStringLiteral("x"));
        QVERIFY(h.lines().isEmpty());
    }

    void pinyinOnThePersonalAndFavouriteTabs() {
        Harness h;
        h.addPersonal(QStringLiteral("桂枝汤"), store::kCategoryPersonal, QStringLiteral("261208000001"),
                      QStringLiteral("【组成】测试"), QStringLiteral("解表剂"));
        h.addPersonal(QStringLiteral("麻黄汤"), store::kCategoryFavourite, QStringLiteral("261208000002"));
        h.open();
        h.clickTab(2);
        Harness::type(h.edit("Text1"), QStringLiteral("gzt"));
        QCOMPARE(h.lines(), QStringList{QStringLiteral("[1]桂枝汤")});
        h.clickTab(1);
        search(h, "Text1", QStringLiteral("mh"));
        QCOMPARE(names(h.lines()), QStringList{QStringLiteral("麻黄汤")});
        // A record renamed since gets its keys anew before the next search.
        h.db().execPersonal(
            QStringLiteral("UPDATE [中药方剂] SET [方名] = '桂枝汤' WHERE [序号] = '261208000002'"));
        search(h, "Text1", QStringLiteral("mh"));
        QVERIFY(h.lines().isEmpty());
        search(h, "Text1", QStringLiteral("gz"));
        QCOMPARE(names(h.lines()), QStringList{QStringLiteral("桂枝汤")});
    }

    void traditionalInputFindsTheSimplifiedNames() {
        Harness h;
        h.open();
        search(h, "Text1", QStringLiteral("麻黄汤"));
        const QStringList simplified = h.lines();
        QVERIFY(!simplified.isEmpty());
        search(h, "Text1", QStringLiteral("麻黃湯"));
        QCOMPARE(h.lines(), simplified);
        // 出处 and 主治 are normalised the same way.
        search(h, "Text3", QStringLiteral("注解傷寒論"));
        QVERIFY(names(h.lines()).contains(QStringLiteral("桂枝汤")));
    }

    void variantInputFindsTheStandardForm() {
        store::TextNormalizer normalizer;
        if (normalizer(QStringLiteral("黄耆")) != QStringLiteral("黄芪"))
            QSKIP("the normaliser does not map 耆 to 芪");
        QTemporaryFile input;
        Harness h(writeLibrary(
            input, {{QStringLiteral("黄芪汤"), store::kCategoryClassic, QStringLiteral("【组成】测试")}}));
        h.open();
        search(h, "Text1", QStringLiteral("黄耆"));
        QCOMPARE(names(h.lines()), QStringList{QStringLiteral("黄芪汤")});
    }

    void compositionNeedsEveryHerb() {
        Harness h;
        auto& w = h.open();
        const QString query = search(h, "Text7", QStringLiteral("麻黄，桂枝"));
        QVERIFY(h.messenger().shown().isEmpty()); // the 组成 input alone is a search
        QVERIFY(query.contains(QStringLiteral("[组成索引]")));
        // Exactly the formulas whose composition holds both, by reading every one.
        store::Connection& library =
            h.db().store().connections().connection(h.db().store().libraryConnection());
        store::Statement all(
            library, QStringLiteral("SELECT [方名],[内容] FROM [中药方剂] WHERE [类别] = '中药经方'"));
        QStringList expected;
        while (all.step()) {
            const QString composition =
                store::ingredients::compositionOf(store::unscramble(all.value(1).toString()));
            if (composition.contains(QStringLiteral("麻黄")) && composition.contains(QStringLiteral("桂枝")))
                expected << all.value(0).toString();
        }
        QVERIFY(expected.contains(QStringLiteral("麻黄汤")));
        QStringList listed = names(h.lines());
        listed.sort();
        expected.sort();
        QCOMPARE(listed, expected);
        // The same separators as 主治, and other conditions still apply.
        search(h, "Text7", QStringLiteral("麻黄 桂枝"));
        QCOMPARE(names(h.lines()).size(), expected.size());
        h.edit("Text1")->setText(QStringLiteral("不存在的名字"));
        h.pressEnter(h.edit("Text7"));
        QVERIFY(h.lines().isEmpty());
        QVERIFY(w.currentQuery().contains(QStringLiteral("不存在的名字")));
    }

    void compositionCountsForTheEmptyInputCheck() {
        Harness h;
        h.open();
        search(h, "Text7", QStringLiteral("   "));
        QCOMPARE(h.messenger().shown(), QStringList{QStringLiteral("请输入查询条件！")});
    }

    void favouritesAreMatchedByTheirComposition() {
        Harness h;
        h.addPersonal(QStringLiteral("甲方"), store::kCategoryFavourite, QStringLiteral("261208000001"),
                      QStringLiteral("【组成】白茯苓　甘草【用法】测试"));
        h.addPersonal(QStringLiteral("乙方"), store::kCategoryFavourite, QStringLiteral("261208000002"),
                      QStringLiteral("【组成】甘草【用法】茯苓"));
        h.addPersonal(QStringLiteral("丙方"), store::kCategoryPersonal, QStringLiteral("261208000003"),
                      QStringLiteral("【组成】茯苓"), QStringLiteral("解表剂"));
        h.open();
        h.clickTab(1);
        QCOMPARE(h.lines().size(), 2);
        search(h, "Text7", QStringLiteral("茯苓"));
        QCOMPARE(names(h.lines()), QStringList{QStringLiteral("甲方")});
        search(h, "Text7", QStringLiteral("茯苓，麻黄"));
        QVERIFY(h.lines().isEmpty());
        search(h, "Text7", QStringLiteral("甘草"));
        QCOMPARE(h.lines().size(), 2);
    }

    void compositionRowSitsUnderIndicationsOnTheSearchTabs() {
        Harness h;
        h.open();
        QCOMPARE(h.label("Label17")->text(), QStringLiteral("组成"));
        QVERIFY(h.edit("Text7")->y() > h.edit("Text4")->y());
        QVERIFY(h.resultList()->y() >= h.edit("Text7")->geometry().bottom());
        for (int tab : {2, 3}) {
            h.clickTab(tab);
            QVERIFY(h.edit("Text7")->isHidden());
        }
        h.edit("Text7")->setText(QStringLiteral("甘草"));
        h.clickTab(1);
        QVERIFY(!h.edit("Text7")->isHidden());
        QVERIFY(h.edit("Text7")->text().isEmpty()); // cleared with the other inputs
    }

    void linesKeepTheirRecordsRowid() {
        Harness h;
        auto& w = h.open();
        search(h, "Text1", QStringLiteral("汤"));
        const int count = h.lineCount();
        QVERIFY(count > 2);
        store::Connection& library =
            h.db().store().connections().connection(h.db().store().libraryConnection());
        for (int row = 0; row < count; ++row) {
            const QModelIndex index = h.resultList()->model()->index(row, 0);
            store::Statement name(library, QStringLiteral("SELECT [方名] FROM [中药方剂] WHERE rowid = ?"));
            name.bind(1, index.data(mainwindow::ResultModel::kRowIdRole));
            QVERIFY(name.step());
            QCOMPARE(names({index.data().toString()}).first(), name.value(0).toString());
        }
        // The detail view reads the line's record directly: no query is run again to find it.
        h.selectLine(1);
        const QString shown = h.detail()->toPlainText();
        QVERIFY(!shown.isEmpty());
        h.selectLine(0);
        w.state().currentQuery = QStringLiteral("select * from[没有这个表]");
        h.selectLine(1);
        QCOMPARE(h.detail()->toPlainText(), shown);
        QVERIFY(h.messenger().shown().isEmpty());
    }

    void detailOfARecordDeletedSinceShowsNothing() {
        Harness h;
        h.addPersonal(QStringLiteral("甲方"), store::kCategoryFavourite, QStringLiteral("261208000001"));
        h.addPersonal(QStringLiteral("乙方"), store::kCategoryFavourite, QStringLiteral("261208000002"));
        h.open();
        h.clickTab(1);
        h.db().execPersonal(QStringLiteral("DELETE FROM [中药方剂] WHERE [方名] = '乙方'"));
        h.selectLine(1);
        QVERIFY(h.detail()->toPlainText().isEmpty());
        QVERIFY(h.window().selectedRecordKey().isEmpty());
        h.selectLine(0);
        QCOMPARE(h.window().selectedRecordKey(), QStringLiteral("261208000001"));
    }

    void contextMenuActionsWorkOnTheList() {
        Harness h;
        h.open();
        QAbstractItemView* list = h.resultList();
        QAction action(QStringLiteral("测试"));
        list->addAction(&action);
        list->setContextMenuPolicy(Qt::ActionsContextMenu);
        QVERIFY(list->actions().contains(&action));
        h.selectLine(2);
        QCOMPARE(list->currentIndex().row(), 2);
        QCOMPARE(list->selectionModel()->selectedIndexes().size(), 1);
    }
};

QTEST_MAIN(FindTest)
#include "tst_find.moc"
