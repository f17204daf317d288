// SPDX-License-Identifier: GPL-3.0-or-later

// The action buttons that write: favourites, copies, deletes, "添   加", the editor's save and the group
// editor. Each case drives the real window by its control names and checks the personal database afterwards.
#include "harness.h"
#include "store/codec.h"
#include "store/recordset.h"
#include "store/schema.h"
#include "store/store.h"

#include <QTest>

using namespace corvessa;
using namespace corvessa::testsupport;

namespace {

struct Stored {
    QString name, source, indications, content, category, group, key;
};

QList<Stored> personal(Harness& h) {
    store::Recordset& rs = h.db().store().recordset();
    rs.open(QStringLiteral("select * from[中药方剂] order by rowid"), h.db().store().personalConnection());
    QList<Stored> rows;
    for (; !rs.eof(); rs.moveNext()) {
        auto text = [&](const char* column) { return rs.field(QString::fromUtf8(column)).toString(); };
        rows.append({text("方名"), text("出处"), text("主治"), text("内容"), text("类别"), text("分组"),
                     text("序号")});
    }
    rs.release();
    return rows;
}

QString libraryContent(Harness& h, const QString& name) {
    store::Recordset& rs = h.db().store().recordset();
    rs.open(QStringLiteral("select * from[中药方剂] where [方名] = '%1'").arg(name),
            h.db().store().libraryConnection());
    const QString content = rs.field(QStringLiteral("内容")).toString();
    rs.release();
    return content;
}

int rowOf(const QStringList& lines, const QString& needle) {
    for (int i = 0; i < lines.size(); ++i) {
        if (lines[i].contains(needle))
            return i;
    }
    return -1;
}

void showLibraryRecord(Harness& h, const QString& name) {
    const int row = rowOf(h.lines(), QStringLiteral("]%1[").arg(name));
    QVERIFY(row >= 0);
    h.selectLine(row);
    QVERIFY(!h.detail()->toPlainText().isEmpty());
}

} // namespace

class ActionsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { initMainWindowTests(); }

    void favouriteNeedsAShownRecord() {
        Harness h;
        h.open();
        h.clickAction(1);
        QVERIFY(h.messenger().shown().isEmpty());
        QVERIFY(personal(h).isEmpty());
    }

    void favouriteTwiceStoresTwoCopiesWithSourceAndIndications() {
        Harness h;
        h.open();
        showLibraryRecord(h, QStringLiteral("桂枝汤"));
        h.clickAction(1);
        h.clickAction(1, Qt::RightButton); // any mouse button
        QCOMPARE(h.messenger().shown(),
                 (QStringList{QStringLiteral("已收藏！"), QStringLiteral("已收藏！")}));
        const QList<Stored> rows = personal(h);
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[0].name, QStringLiteral("桂枝汤"));
        QCOMPARE(rows[0].category, store::kCategoryFavourite);
        QCOMPARE(rows[0].source, QStringLiteral("注解伤寒论"));
        QVERIFY(!rows[0].indications.isEmpty());
        QCOMPARE(rows[0].content, libraryContent(h, QStringLiteral("桂枝汤"))); // stored form, unchanged
        QCOMPARE(rows[0].key.size(), 12);
        QVERIFY(rows[0].key != rows[1].key); // keys are unique even within one second
    }

    void copiesActOnTheShownRecordNotOnTheRowAtItsPosition() {
        Harness h;
        h.open();
        showLibraryRecord(h, QStringLiteral("桂枝汤"));
        const int shownRow = h.window().selectedRow();
        // A new search puts another record at that position; the detail view still shows 桂枝汤.
        h.type(h.edit(QStringLiteral("Text1")), QStringLiteral("柴胡"));
        h.pressEnter(h.edit(QStringLiteral("Text1")));
        QVERIFY(h.lines().size() > 0);
        QVERIFY(h.lines().size() <= shownRow || !h.lines()[shownRow].contains(QStringLiteral("]桂枝汤[")));
        h.clickAction(2);
        QCOMPARE(h.messenger().last(), QStringLiteral("已复制！"));
        const QList<Stored> rows = personal(h);
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0].name, QStringLiteral("桂枝汤"));
        QCOMPARE(rows[0].category, store::kCategoryPersonal);
        QCOMPARE(rows[0].source, QStringLiteral("注解伤寒论")); // a copy from the library keeps its source
    }

    void aFailedWriteIsNotReportedAsDone() {
        Harness h;
        h.open();
        showLibraryRecord(h, QStringLiteral("桂枝汤"));
        h.db().execPersonal(QStringLiteral("PRAGMA query_only = ON"));
        h.clickAction(1);
        QCOMPARE(h.messenger().shown().size(), 1);
        QVERIFY(h.messenger().last() != QStringLiteral("已收藏！"));
        h.db().execPersonal(QStringLiteral("PRAGMA query_only = OFF"));
        QVERIFY(personal(h).isEmpty());
    }

    void copyFromAFavouriteLeavesSourceAndIndicationsEmpty() {
        Harness h;
        h.addPersonal(QStringLiteral("收藏甲"), store::kCategoryFavourite, QStringLiteral("260101000000"),
                      QStringLiteral("【组成】甲"), QString(), QStringLiteral("某书"),
                      QStringLiteral("头痛"));
        h.open();
        h.clickTab(1);
        h.selectLine(0);
        h.clickAction(1); // the library's buttons do nothing on this tab
        h.clickAction(4);
        QCOMPARE(h.messenger().shown(), QStringList{QStringLiteral("已复制！")});
        const QList<Stored> rows = personal(h);
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[1].category, store::kCategoryPersonal);
        QCOMPARE(rows[1].source, QString());
        QCOMPARE(rows[1].indications, QString());
        QCOMPARE(rows[1].content, rows[0].content);
    }

    void deleteAsksAndRemovesOneRecordOfItsCategory() {
        Harness h;
        for (const QString& category :
             {store::kCategoryFavourite, store::kCategoryFavourite, store::kCategoryPersonal})
            h.addPersonal(QStringLiteral("同键方"), category, QStringLiteral("260101000000"));
        h.open();
        h.clickTab(1);
        h.clickAction(3); // no record shown: no key, nothing asked
        QVERIFY(h.messenger().shown().isEmpty());

        h.selectLine(0);
        h.messenger().setNextAnswer(false);
        h.clickAction(3);
        QCOMPARE(h.messenger().last(), QStringLiteral("确定进行删除吗！"));
        QCOMPARE(personal(h).size(), 3);
        QVERIFY(!h.detail()->toPlainText().isEmpty());

        h.messenger().setNextAnswer(true);
        h.clickAction(3);
        QList<Stored> rows = personal(h);
        QCOMPARE(rows.size(), 2); // the other favourite with the same key stays, and so does the own one
        QCOMPARE(rows[1].category, store::kCategoryPersonal);
        QVERIFY(h.detail()->toPlainText().isEmpty());
        QCOMPARE(h.lines().size(), 1); // the favourites list was searched again
        QCOMPARE(h.window().selectedRecordKey(), QString());

        h.clickTab(2);
        h.selectLine(0);
        h.clickAction(6);
        rows = personal(h);
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0].category, store::kCategoryFavourite);
        QVERIFY(h.lines().isEmpty());
        QCOMPARE(h.edit(QStringLiteral("Text5"))->text(),
                 QStringLiteral("同键方")); // the editor keeps its values
    }

    void saveValidatesTrimsAndAddsANewRecord() {
        Harness h;
        h.open();
        h.clickTab(2);
        h.edit(QStringLiteral("Text5"))->setText(QStringLiteral("   "));
        h.detail()->setPlainText(QStringLiteral("【组成】甘草"));
        h.clickAction(5);
        QCOMPARE(h.messenger().last(), QStringLiteral("方剂名称或方剂内容不能为空！"));
        h.edit(QStringLiteral("Text5"))->setText(QStringLiteral("  自拟方  "));
        h.detail()->setPlainText(QStringLiteral("   "));
        h.clickAction(5);
        QCOMPARE(h.messenger().shown().size(), 2);
        QVERIFY(personal(h).isEmpty());

        h.combo(QStringLiteral("C1"))->setEditText(QStringLiteral(" 补益剂"));
        h.detail()->setPlainText(QStringLiteral("【组成】人参\n【用法】水煎"));
        h.clickAction(5);
        QCOMPARE(h.messenger().shown().size(), 2);
        const QList<Stored> rows = personal(h);
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0].name, QStringLiteral("自拟方"));
        QCOMPARE(rows[0].group, QStringLiteral(" 补益剂"));
        QCOMPARE(rows[0].category, store::kCategoryPersonal);
        QCOMPARE(store::unscramble(rows[0].content), QStringLiteral("【组成】人参\n【用法】水煎"));
        QCOMPARE(h.combo(QStringLiteral("text6"))->currentText(), QStringLiteral(" 补益剂"));
        QCOMPARE(h.lines(), QStringList{QStringLiteral("[1]自拟方")});
    }

    void savingTwiceOverwritesTheRecordItWrote() {
        Harness h;
        h.addPersonal(QStringLiteral("旧方"), store::kCategoryPersonal, QStringLiteral("250101000000"),
                      QStringLiteral("【组成】旧"), QStringLiteral("补益剂"), QStringLiteral("某书"),
                      QStringLiteral("某证"));
        h.open();
        h.clickTab(2);
        h.selectLine(0);
        QCOMPARE(h.edit(QStringLiteral("Text5"))->text(), QStringLiteral("旧方"));
        h.detail()->setPlainText(QStringLiteral("【组成】新"));
        h.clickAction(5);
        h.detail()->setPlainText(QStringLiteral("【组成】再改"));
        h.clickAction(5);
        const QList<Stored> rows = personal(h);
        QCOMPARE(rows.size(), 1);
        QCOMPARE(store::unscramble(rows[0].content), QStringLiteral("【组成】再改"));
        QCOMPARE(rows[0].source, QString()); // every column is written
        QVERIFY(rows[0].key != QStringLiteral("250101000000"));
        QCOMPARE(h.window().selectedRecordKey(), rows[0].key);
    }

    void addEmptiesTheEditorAndTheKey() {
        Harness h;
        h.addPersonal(QStringLiteral("旧方"), store::kCategoryPersonal, QStringLiteral("250101000000"));
        h.open();
        h.clickTab(2);
        h.selectLine(0);
        h.clickAction(7);
        QCOMPARE(h.edit(QStringLiteral("Text5"))->text(), QString());
        QCOMPARE(h.combo(QStringLiteral("C1"))->currentText(), QString());
        QCOMPARE(h.detail()->toPlainText(), QString());
        QCOMPARE(h.window().selectedRecordKey(), QString());
        h.edit(QStringLiteral("Text5"))->setText(QStringLiteral("新方"));
        h.detail()->setPlainText(QStringLiteral("【组成】新"));
        h.clickAction(5);
        QCOMPARE(personal(h).size(), 2); // the prescription shown before is untouched
        QCOMPARE(personal(h)[0].name, QStringLiteral("旧方"));
    }

    void refusedSaveKeepsWhatWasTyped() {
        Harness h;
        h.open();
        h.clickTab(2);
        const QString longName(201, QChar(0x65B9));
        h.edit(QStringLiteral("Text5"))->setText(longName);
        h.detail()->setPlainText(QStringLiteral("【组成】甲"));
        h.edit(QStringLiteral("Text1"))->setText(QStringLiteral("查"));
        h.clickAction(5);
        QCOMPARE(h.messenger().shown().size(), 1);
        QVERIFY(h.messenger().last().contains(QStringLiteral("方名")));
        QCOMPARE(h.edit(QStringLiteral("Text5"))->text(), longName);
        QCOMPARE(h.detail()->toPlainText(), QStringLiteral("【组成】甲"));
        QCOMPARE(h.edit(QStringLiteral("Text1"))->text(), QStringLiteral("查"));
        QVERIFY(personal(h).isEmpty());
    }

    void charactersOutsideCodePage936AreSavedUnchanged() {
        Harness h;
        h.open();
        h.clickTab(2);
        // A Thai letter, an Ext B and an Ext A character: none is in code page 936, all must be kept.
        h.edit(QStringLiteral("Text5"))->setText(QStringLiteral("方ก"));
        h.detail()->setPlainText(QStringLiteral("【组成】𠮷䓖\r\n治久𠻳"));
        const QString typed = h.detail()->toPlainText();
        h.clickAction(5);
        QVERIFY(h.messenger().shown().isEmpty()); // saved without a question
        const QList<Stored> rows = personal(h);
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0].name, QStringLiteral("方ก"));
        QCOMPARE(store::unscramble(rows[0].content), typed);
    }

    void editGroupsOpensTheGroupEditor() {
        Harness h;
        h.open();
        int opened = 0;
        h.window().setGroupEditorOpener([&] { ++opened; });
        h.clickTab(2);
        h.clickAction(8);
        QCOMPARE(opened, 1);
    }
};

QTEST_MAIN(ActionsTest)
#include "tst_actions.moc"
