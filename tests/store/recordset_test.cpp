// SPDX-License-Identifier: GPL-3.0-or-later

// The program's own SQL texts, run through the shared recordset on real (fixture) database files.
#include "fixture.h"

#include "store/codec.h"
#include "store/connectionstring.h"
#include "store/recordset.h"
#include "store/schema.h"
#include "store/sqlite.h"
#include "store/storeerror.h"

#include <QCollator>
#include <QFile>
#include <QTest>

using namespace corvessa::store;
using corvessa::testsupport::FixtureDatabases;

namespace {

const QString kTextbook =
    QStringLiteral("select * from[中药方剂] where [分组] ='1' and [类别] = '中药经方' order by [方名]");

QString librarySearch(const QString& name, const QString& source, const QStringList& keywords,
                      const QString& category) {
    QStringList k = keywords;
    while (k.size() < 5)
        k << QString();
    return QStringLiteral("select * from[中药方剂] where [方名] like '%") + name +
           QStringLiteral("%' and [出处] like '%") + source + QStringLiteral("%' and [主治] like '%") + k[0] +
           QStringLiteral("%'and [主治] like '%") + k[1] + QStringLiteral("%'and [主治] like '%") + k[2] +
           QStringLiteral("%'and [主治] like '%") + k[3] + QStringLiteral("%' and [主治] like '%") + k[4] +
           QStringLiteral("%'and [类别] = '") + category + QStringLiteral("' order by [方名]");
}

QStringList column(Recordset& rs, const QString& name) {
    QStringList values;
    for (rs.moveFirst(); !rs.eof(); rs.moveNext())
        values << rs.field(name).toString();
    return values;
}

void addPersonal(Recordset& rs, const QString& connection, const QString& name, const QString& category,
                 const QString& key) {
    rs.setLockType(adLockOptimistic);
    rs.setCursorLocation(adUseClient);
    rs.open(QStringLiteral("select * from[中药方剂] "), connection);
    rs.requery();
    rs.addNew();
    rs.setField(QStringLiteral("方名"), name);
    rs.setField(QStringLiteral("出处"), QString());
    rs.setField(QStringLiteral("主治"), QString());
    rs.setField(QStringLiteral("内容"), scramble(name + QStringLiteral("的内容")));
    rs.setField(QStringLiteral("类别"), category);
    rs.setField(QStringLiteral("序号"), key);
    rs.setField(QStringLiteral("分组"), QStringLiteral(""));
    rs.update();
    rs.requery();
    rs.release();
}

} // namespace

class RecordsetTest : public QObject {
    Q_OBJECT

private slots:
    void groupListReadsTheDefaultGroupsInOrder() {
        FixtureDatabases db;
        Recordset& rs = db.store().recordset();
        rs.setLockType(adLockOptimistic);
        rs.setCursorLocation(adUseClient);
        rs.open(QStringLiteral("select * from[分组]"), db.store().personalConnection());
        rs.requery();
        QCOMPARE(rs.recordCount(), 19);
        QCOMPARE(column(rs, QStringLiteral("分组")), defaultGroups());
        rs.release();
    }

    void searchesCountBeforeReadingAndOrderByPinyin() {
        FixtureDatabases db;
        Recordset& rs = db.store().recordset();
        rs.open(kTextbook, db.store().libraryConnection());
        const int textbook = rs.recordCount();
        QCOMPARE(textbook, 10); // every third fixture formula is marked
        QVERIFY(!rs.eof());

        rs.open(librarySearch(QString(), QString(), {}, kCategoryClassic), db.store().libraryConnection());
        QCOMPARE(rs.recordCount(), 30);
        const QStringList names = column(rs, QStringLiteral("方名"));
        QCollator pinyin(QLocale(QLocale::Chinese, QLocale::China));
        QStringList sorted = names;
        std::stable_sort(sorted.begin(), sorted.end(),
                         [&](const QString& a, const QString& b) { return pinyin.compare(a, b) < 0; });
        QCOMPARE(names, sorted);
        QVERIFY(names.indexOf(QStringLiteral("大柴胡汤")) < names.indexOf(QStringLiteral("小柴胡汤")));

        // The same query returns the same rows in the same order: rows are found again by position.
        rs.requery();
        QCOMPARE(column(rs, QStringLiteral("方名")), names);

        rs.open(librarySearch(QStringLiteral("柴胡"), QStringLiteral("伤寒"), {}, kCategoryClassic),
                db.store().libraryConnection());
        QVERIFY(rs.recordCount() >= 2);
        for (const QString& name : column(rs, QStringLiteral("方名")))
            QVERIFY(name.contains(QStringLiteral("柴胡")));

        rs.open(QStringLiteral(
                    "select * from[中药方剂] where [方名] like '%%' and [类别] = '中药功效' order by [方名]"),
                db.store().libraryConnection());
        QCOMPARE(rs.recordCount(), 8);
        QVERIFY(rs.field(QStringLiteral("出处")).isNull()); // herb entries have no source
        QVERIFY(rs.field(QStringLiteral("内容")).toString().contains(QStringLiteral("@$")));
        rs.release();
    }

    void moveStepsToTheRowAtAPosition() {
        FixtureDatabases db;
        Recordset& rs = db.store().recordset();
        rs.open(kTextbook, db.store().libraryConnection());
        const QStringList names = column(rs, QStringLiteral("方名"));
        rs.requery();
        rs.move(4);
        QCOMPARE(rs.field(QStringLiteral("方名")).toString(), names[4]);
        // Content is read on demand and comes back exactly as stored.
        QVERIFY(
            unscramble(rs.field(QStringLiteral("内容")).toString()).startsWith(QStringLiteral("【组成】")));
        rs.move(int(names.size()) - 4);
        QVERIFY(rs.eof());
        QVERIFY_THROWS_EXCEPTION(StoreError, rs.field(QStringLiteral("方名")));
        QVERIFY_THROWS_EXCEPTION(StoreError, rs.move(1));
        rs.release();
    }

    void personalRecordsAreAddedUpdatedAndDeletedOnTheCurrentRow() {
        FixtureDatabases db;
        Recordset& rs = db.store().recordset();
        const QString personal = db.store().personalConnection();
        addPersonal(rs, personal, QStringLiteral("自拟方甲"), kCategoryPersonal,
                    QStringLiteral("261208043500"));
        addPersonal(rs, personal, QStringLiteral("收藏方"), kCategoryFavourite,
                    QStringLiteral("261208043500"));
        addPersonal(rs, personal, QStringLiteral("收藏方"), kCategoryFavourite,
                    QStringLiteral("261208043500"));

        // The editor's save: find by key, overwrite the first match.
        rs.setLockType(adLockOptimistic);
        rs.setCursorLocation(adUseClient);
        rs.open(QStringLiteral("select * from[中药方剂] where [序号] = '261208043500'"), personal);
        QCOMPARE(rs.recordCount(), 3);
        rs.setField(QStringLiteral("方名"), QStringLiteral("自拟方乙"));
        rs.setField(QStringLiteral("序号"), QStringLiteral("261208043501"));
        rs.update();
        rs.requery();
        rs.release();

        // Deleting by key and category removes one favourite only, even though the key is shared.
        rs.setLockType(adLockOptimistic);
        rs.setCursorLocation(adUseClient);
        rs.open(
            QStringLiteral("select * from[中药方剂] where  [序号] = '261208043500' and [类别] = '我的收藏'"),
            personal);
        QCOMPARE(rs.recordCount(), 2);
        rs.deleteCurrent();
        rs.update();
        rs.requery();
        QCOMPARE(rs.recordCount(), 1);
        rs.release();

        rs.open(
            QStringLiteral(
                "select * from[中药方剂] where [方名] like '%%' and [分组] like '%%' and [类别] = '个人验方' "
                "order by [方名]"),
            personal);
        QCOMPARE(column(rs, QStringLiteral("方名")), QStringList{QStringLiteral("自拟方乙")});
        QCOMPARE(column(rs, QStringLiteral("序号")), QStringList{QStringLiteral("261208043501")});
        rs.moveFirst();
        QCOMPARE(unscramble(rs.field(QStringLiteral("内容")).toString()), QStringLiteral("自拟方甲的内容"));
        rs.release();
    }

    void requerySeesEveryWriteSinceTheOpen() {
        FixtureDatabases db;
        Recordset& rs = db.store().recordset();
        const QString personal = db.store().personalConnection();
        const QString favourites =
            QStringLiteral("select * from[中药方剂] where [类别] = '我的收藏' order by [方名]");
        rs.open(favourites, personal);
        QCOMPARE(rs.recordCount(), 0);

        // A write through another connection to the same file (another window, another process)...
        Connections other;
        Recordset writer(other);
        addPersonal(writer, personal, QStringLiteral("甲方"), kCategoryFavourite,
                    QStringLiteral("261208000001"));
        rs.requery();
        QCOMPARE(rs.recordCount(), 1);

        // ...and one through this connection.
        addPersonal(writer, personal, QStringLiteral("乙方"), kCategoryFavourite,
                    QStringLiteral("261208000002"));
        Recordset second(db.store().connections());
        addPersonal(second, personal, QStringLiteral("丙方"), kCategoryFavourite,
                    QStringLiteral("261208000003"));
        rs.requery();
        QCOMPARE(column(rs, QStringLiteral("方名")),
                 (QStringList{QStringLiteral("丙方"), QStringLiteral("甲方"), QStringLiteral("乙方")}));

        // A value set but not written is dropped by a requery, as it is by a new open.
        rs.release();
        rs.setLockType(adLockOptimistic);
        rs.open(favourites, personal);
        rs.setField(QStringLiteral("方名"), QStringLiteral("未保存"));
        rs.requery();
        QCOMPARE(rs.field(QStringLiteral("方名")).toString(), QStringLiteral("丙方"));
        rs.release();
    }

    void anUnchangedQueryIsAnsweredFromTheKeptResult() {
        FixtureDatabases db;
        Recordset& rs = db.store().recordset();
        const QString library = db.store().libraryConnection();
        const QString classic = librarySearch(QString(), QString(), {}, kCategoryClassic);
        rs.setLockType(adLockOptimistic);
        rs.setCursorLocation(adUseClient);
        rs.open(classic, library);
        rs.requery();
        const QStringList names = column(rs, QStringLiteral("方名"));
        rs.release();

        // The detail view's re-run: same text, same connection, unchanged data. Nothing is read again, and
        // the row at a position is the row the listing showed there.
        Connection& connection = db.store().connections().connection(library);
        const qint64 prepared = connection.statementsPrepared();
        rs.setLockType(adLockOptimistic);
        rs.setCursorLocation(adUseClient);
        rs.open(classic, library);
        rs.requery();
        QCOMPARE(connection.statementsPrepared(), prepared);
        QCOMPARE(rs.recordCount(), int(names.size()));
        QCOMPARE(rs.position(), 0);
        rs.move(int(names.size()) - 1);
        QCOMPARE(rs.field(QStringLiteral("方名")).toString(), names.last());
        // The memo is still read from the file, by the row's identity.
        QVERIFY(
            unscramble(rs.field(QStringLiteral("内容")).toString()).startsWith(QStringLiteral("【组成】")));
        rs.release();

        // The same text on another file is another result.
        const QString favourites =
            QStringLiteral("select * from[中药方剂] where [类别] = '我的收藏' order by [方名]");
        addPersonal(rs, db.store().personalConnection(), QStringLiteral("甲方"), kCategoryFavourite,
                    QStringLiteral("261208000001"));
        rs.open(favourites, db.store().personalConnection());
        QCOMPARE(rs.recordCount(), 1);
        rs.release();
        rs.open(favourites, library);
        QCOMPARE(rs.recordCount(), 0);
        rs.release();
    }

    void theKeptResultIsDroppedByEveryWrite() {
        FixtureDatabases db;
        Recordset& rs = db.store().recordset();
        const QString personal = db.store().personalConnection();
        const QString favourites =
            QStringLiteral("select * from[中药方剂] where [类别] = '我的收藏' order by [方名]");
        addPersonal(rs, personal, QStringLiteral("甲方"), kCategoryFavourite, QStringLiteral("261208000001"));
        rs.open(favourites, personal);
        QCOMPARE(rs.recordCount(), 1);
        rs.release();

        // A write through this very recordset, on a result that was itself taken from the kept one.
        rs.setLockType(adLockOptimistic);
        rs.open(favourites, personal);
        rs.setField(QStringLiteral("方名"), QStringLiteral("乙方"));
        rs.update();
        rs.release();
        rs.open(favourites, personal);
        QCOMPARE(column(rs, QStringLiteral("方名")), QStringList{QStringLiteral("乙方")});
        rs.release();

        // A write through another recordset on the same connection.
        Recordset second(db.store().connections());
        addPersonal(second, personal, QStringLiteral("丙方"), kCategoryFavourite,
                    QStringLiteral("261208000002"));
        rs.open(favourites, personal);
        QCOMPARE(column(rs, QStringLiteral("方名")),
                 (QStringList{QStringLiteral("丙方"), QStringLiteral("乙方")}));
        rs.release();

        // A write through another set of connections (another window, another process).
        Connections other;
        Recordset writer(other);
        addPersonal(writer, personal, QStringLiteral("丁方"), kCategoryFavourite,
                    QStringLiteral("261208000003"));
        rs.open(favourites, personal);
        QCOMPARE(rs.recordCount(), 3);
        rs.release();

        // Connections closed and opened again (as around a backup) never match a result read before.
        rs.open(favourites, personal);
        rs.release();
        db.store().connections().closeAll();
        {
            Connections third;
            Recordset remover(third);
            remover.setLockType(adLockOptimistic);
            remover.open(favourites, personal);
            remover.deleteCurrent();
            remover.release();
        }
        rs.open(favourites, personal);
        QCOMPARE(rs.recordCount(), 2);
        rs.release();
    }

    void theKeptResultFollowsDeletesAndRollbacks() {
        FixtureDatabases db;
        Recordset& rs = db.store().recordset();
        const QString personal = db.store().personalConnection();
        const QString groups = QStringLiteral("select * from[分组]");
        rs.open(groups, personal);
        QCOMPARE(rs.recordCount(), 19);
        rs.release();
        rs.open(QStringLiteral("Delete * from[分组]"), personal);
        rs.release();
        rs.open(groups, personal);
        QCOMPARE(rs.recordCount(), 0);
        rs.release();

        // The group editor empties and refills the table in one transaction; a result read inside it must not
        // outlive a rollback.
        Connection& connection = db.store().connections().connection(personal);
        rs.setLockType(adLockOptimistic);
        rs.open(groups, personal);
        rs.addNew();
        rs.setField(QStringLiteral("分组"), QStringLiteral("补益剂"));
        rs.update();
        rs.release();
        rs.open(groups, personal);
        QCOMPARE(rs.recordCount(), 1);
        rs.release();
        connection.exec(QStringLiteral("BEGIN"));
        rs.open(QStringLiteral("Delete * from[分组]"), personal);
        rs.open(groups, personal);
        QCOMPARE(rs.recordCount(), 0);
        rs.release();
        connection.exec(QStringLiteral("ROLLBACK"));
        rs.open(groups, personal);
        QCOMPARE(column(rs, QStringLiteral("分组")), QStringList{QStringLiteral("补益剂")});
        rs.release();
    }

    void unsavedChangesAreNeverKept() {
        FixtureDatabases db;
        Recordset& rs = db.store().recordset();
        const QString personal = db.store().personalConnection();
        const QString groups = QStringLiteral("select * from[分组]");
        rs.setLockType(adLockOptimistic);
        rs.open(groups, personal);
        rs.setField(QStringLiteral("分组"), QStringLiteral("未保存"));
        rs.release();
        rs.open(groups, personal);
        QCOMPARE(rs.field(QStringLiteral("分组")).toString(), QStringLiteral("解表剂"));
        rs.release();

        rs.setLockType(adLockOptimistic);
        rs.open(groups, personal);
        rs.addNew();
        rs.release();
        rs.open(groups, personal);
        QCOMPARE(rs.recordCount(), 19);
        rs.release();
    }

    void valuesComeBackWithTheirKind() {
        FixtureDatabases db;
        Recordset& rs = db.store().recordset();
        const QString personal = db.store().personalConnection();
        rs.open(QStringLiteral("select count(*) from[分组]"), personal);
        QCOMPARE(rs.recordCount(), 1);
        QCOMPARE(rs.columns(), QStringList{QStringLiteral("count(*)")});
        const QVariant count = rs.field(QStringLiteral("COUNT(*)"));
        QCOMPARE(count.typeId(), QMetaType::LongLong);
        QCOMPARE(count.toLongLong(), 19);
        rs.release();

        rs.open(QStringLiteral("select NULL as [空], '' as [零], -9007199254740993 as [大], "
                               "'方名𠮷ü' as [字], 2.5 as [小数], x'414243' as [块]"),
                personal);
        QVERIFY(!rs.field(QStringLiteral("空")).isValid());
        const QVariant empty = rs.field(QStringLiteral("零"));
        QVERIFY(empty.isValid());
        QCOMPARE(empty.typeId(), QMetaType::QString);
        QVERIFY(!empty.toString().isNull());
        QVERIFY(empty.toString().isEmpty());
        QCOMPARE(rs.field(QStringLiteral("大")).toLongLong(), Q_INT64_C(-9007199254740993));
        QCOMPARE(rs.field(QStringLiteral("字")).toString(), QStringLiteral("方名𠮷ü"));
        QCOMPARE(rs.field(QStringLiteral("小数")).toString(), QStringLiteral("2.5"));
        QCOMPARE(rs.field(QStringLiteral("块")).toString(), QStringLiteral("ABC"));
        rs.release();

        // The same through "select *", with the text written by the recordset itself.
        const QString name = QStringLiteral("桂枝加𠮷汤（“宋本”）");
        addPersonal(rs, personal, name, kCategoryFavourite, QStringLiteral("261208000001"));
        rs.open(QStringLiteral("select * from[中药方剂] where [类别] = '我的收藏'"), personal);
        QCOMPARE(rs.field(QStringLiteral("方名")).toString(), name);
        QCOMPARE(rs.field(QStringLiteral("方名")).toString(), name); // read twice, converted twice
        QVERIFY(rs.field(QStringLiteral("分组")).isValid());
        QVERIFY(rs.field(QStringLiteral("分组")).toString().isEmpty());
        QVERIFY(!rs.field(QStringLiteral("备用1")).isValid()); // never set: NULL
        // (The stored content's legacy code page has no 𠮷, so only its end is compared.)
        QVERIFY(unscramble(rs.field(QStringLiteral("内容")).toString())
                    .endsWith(QStringLiteral("汤（“宋本”）的内容")));
        rs.release();
    }

    void editsAndDeletionsKeepEveryOtherRowInPlace() {
        FixtureDatabases db;
        Recordset& rs = db.store().recordset();
        const QString personal = db.store().personalConnection();
        const QString favourites =
            QStringLiteral("select * from[中药方剂] where [类别] = '我的收藏' order by [方名]");
        addPersonal(rs, personal, QStringLiteral("甲方"), kCategoryFavourite, QStringLiteral("261208000001"));
        addPersonal(rs, personal, QStringLiteral("乙方"), kCategoryFavourite, QStringLiteral("261208000002"));
        addPersonal(rs, personal, QStringLiteral("丙方"), kCategoryFavourite, QStringLiteral("261208000003"));

        rs.setLockType(adLockOptimistic);
        rs.open(favourites, personal);
        QCOMPARE(column(rs, QStringLiteral("方名")),
                 (QStringList{QStringLiteral("丙方"), QStringLiteral("甲方"), QStringLiteral("乙方")}));
        rs.moveFirst();
        rs.move(2);
        rs.setField(QStringLiteral("方名"), QStringLiteral("丁方"));
        rs.setField(QStringLiteral("出处"), QVariant());
        rs.update();
        rs.move(-1);
        rs.deleteCurrent(); // 甲方
        QCOMPARE(rs.recordCount(), 2);
        QCOMPARE(rs.field(QStringLiteral("方名")).toString(), QStringLiteral("丁方"));
        QVERIFY(!rs.field(QStringLiteral("出处")).isValid());
        QCOMPARE(rs.field(QStringLiteral("序号")).toString(), QStringLiteral("261208000002"));
        QCOMPARE(unscramble(rs.field(QStringLiteral("内容")).toString()), QStringLiteral("乙方的内容"));
        rs.move(-1);
        QCOMPARE(rs.field(QStringLiteral("方名")).toString(), QStringLiteral("丙方"));
        QCOMPARE(rs.field(QStringLiteral("序号")).toString(), QStringLiteral("261208000003"));
        rs.deleteCurrent(); // the first row: the next one moves up
        QCOMPARE(rs.field(QStringLiteral("方名")).toString(), QStringLiteral("丁方"));
        rs.deleteCurrent(); // the last row: nothing is current any more
        QVERIFY(rs.eof());
        QCOMPARE(rs.recordCount(), 0);

        // A row added and not yet stored has no values, its memo included, until they are set.
        rs.addNew();
        QCOMPARE(rs.recordCount(), 1);
        QVERIFY(!rs.field(QStringLiteral("方名")).isValid());
        QVERIFY(!rs.field(QStringLiteral("内容")).isValid());
        rs.setField(QStringLiteral("内容"), QStringLiteral("新内容"));
        rs.setField(QStringLiteral("类别"), kCategoryFavourite);
        QCOMPARE(rs.field(QStringLiteral("内容")).toString(), QStringLiteral("新内容"));
        rs.update();
        QCOMPARE(rs.field(QStringLiteral("内容")).toString(), QStringLiteral("新内容"));
        rs.release();

        rs.open(favourites, personal);
        QCOMPARE(rs.recordCount(), 1);
        QVERIFY(!rs.field(QStringLiteral("方名")).isValid());
        QCOMPARE(rs.field(QStringLiteral("内容")).toString(), QStringLiteral("新内容"));
        rs.release();
    }

    void groupTableIsReplacedWithTheDeleteStatement() {
        FixtureDatabases db;
        Recordset& rs = db.store().recordset();
        const QString personal = db.store().personalConnection();
        rs.open(QStringLiteral("Delete * from[分组]"), personal);
        QVERIFY(!rs.isOpen());
        rs.release();
        rs.setLockType(adLockOptimistic);
        rs.setCursorLocation(adUseClient);
        rs.open(QStringLiteral("select * from[分组]"), personal);
        rs.requery();
        QCOMPARE(rs.recordCount(), 0);
        for (const QString& group :
             {QStringLiteral(" 理气剂 "), QStringLiteral("补益剂"), QStringLiteral("补益剂")}) {
            rs.addNew();
            rs.setField(QStringLiteral("分组"), group);
            rs.update();
        }
        rs.requery();
        QCOMPARE(
            column(rs, QStringLiteral("分组")),
            (QStringList{QStringLiteral(" 理气剂 "), QStringLiteral("补益剂"), QStringLiteral("补益剂")}));
        rs.release();
    }

    void columnLimitsAreEnforced() {
        FixtureDatabases db;
        Recordset& rs = db.store().recordset();
        const QString personal = db.store().personalConnection();
        rs.setLockType(adLockOptimistic);
        rs.setCursorLocation(adUseClient);
        rs.open(QStringLiteral("select * from[中药方剂] "), personal);
        rs.addNew();
        rs.setField(QStringLiteral("方名"), QString(200, QChar(0x65B9)));
        rs.setField(QStringLiteral("分组"), QString(100, QChar(0x7EC4)));
        rs.update(); // exactly at the limits: accepted

        rs.addNew();
        rs.setField(QStringLiteral("方名"), QString(201, QChar(0x65B9)));
        try {
            rs.update();
            QFAIL("a name of 201 characters was accepted");
        } catch (const StoreError& error) {
            QCOMPARE(error.kind(), StoreError::Kind::TooLong);
            QCOMPARE(error.subject(), QStringLiteral("方名"));
        }
        rs.release();

        // A group of 101 to 200 characters fits table 分组 but not the 分组 column of a prescription.
        rs.setLockType(adLockOptimistic);
        rs.open(QStringLiteral("select * from[分组]"), personal);
        rs.addNew();
        rs.setField(QStringLiteral("分组"), QString(200, QChar(0x7EC4)));
        rs.update();
        rs.addNew();
        rs.setField(QStringLiteral("分组"), QString(201, QChar(0x7EC4)));
        QVERIFY_THROWS_EXCEPTION(StoreError, rs.update());
        rs.release();

        rs.setLockType(adLockOptimistic);
        rs.open(QStringLiteral("select * from[中药方剂] "), personal);
        rs.addNew();
        rs.setField(QStringLiteral("分组"), QString(101, QChar(0x7EC4)));
        QVERIFY_THROWS_EXCEPTION(StoreError, rs.update());
        // Limits count UTF-16 units: 100 characters outside the basic plane take 200 units.
        rs.setField(QStringLiteral("分组"), QStringLiteral("𠮷").repeated(51));
        QVERIFY_THROWS_EXCEPTION(StoreError, rs.update());
        rs.release();

        rs.open(QStringLiteral(
                    "select * from[中药方剂] where [方名] like '%%' and [分组] like '%%' and [类别] = '' "),
                personal);
        QCOMPARE(rs.recordCount(), 0);
        rs.release();
    }

    void readOnlyRecordsetsRefuseWrites() {
        FixtureDatabases db;
        Recordset& rs = db.store().recordset();
        rs.open(kTextbook, db.store().libraryConnection()); // default lock type: read-only
        QVERIFY_THROWS_EXCEPTION(StoreError, rs.setField(QStringLiteral("方名"), QStringLiteral("x")));
        QVERIFY_THROWS_EXCEPTION(StoreError, rs.addNew());
        rs.release();
        // A statement the database rejects (an unescaped quote) fails with a message, not a crash.
        QVERIFY_THROWS_EXCEPTION(
            StoreError, rs.open(librarySearch(QStringLiteral("牛黄清心丸'"), QString(), {}, kCategoryClassic),
                                db.store().libraryConnection()));
        QVERIFY(!rs.isOpen());
    }

    void wrongPasswordAndBrokenFilesFailOnTheFirstStatement() {
        FixtureDatabases db;
        Connections connections;
        const QString wrong =
            makeConnectionString(db.dataFolder(), kLibraryFileName, QStringLiteral("1234567"));
        try {
            connections.connection(wrong);
            QFAIL("a wrong password opened the library");
        } catch (const StoreError& error) {
            QCOMPARE(error.kind(), StoreError::Kind::Damaged);
        }
        QVERIFY(!connections.isOpen(wrong));

        const QString missing = makeConnectionString(db.dataFolder() + QStringLiteral("/无"),
                                                     kLibraryFileName, FixtureDatabases::password());
        QVERIFY_THROWS_EXCEPTION(StoreError, connections.connection(missing));

        QFile garbled(db.dataFolder() + QStringLiteral("/garbled.dat"));
        QVERIFY(garbled.open(QIODevice::WriteOnly));
        garbled.write(QByteArray(8192, 'x'));
        garbled.close();
        Recordset rs(connections);
        QVERIFY_THROWS_EXCEPTION(
            StoreError,
            rs.open(kTextbook, makeConnectionString(db.dataFolder(), QStringLiteral("garbled.dat"),
                                                    FixtureDatabases::password())));
    }

    void connectionsAreKeptAndTheJournalIsARollbackJournal() {
        FixtureDatabases db;
        Connections& connections = db.store().connections();
        Connection& first = connections.connection(db.store().personalConnection());
        QCOMPARE(&connections.connection(db.store().personalConnection()), &first);
        Statement mode(first, QStringLiteral("PRAGMA journal_mode"));
        QVERIFY(mode.step());
        QCOMPARE(mode.value(0).toString(), QStringLiteral("delete"));
    }

    void connectionStringsParseBack() {
        const QString s = makeConnectionString(QStringLiteral("/home/a;b/中药方剂数据库/"), kPersonalFileName,
                                               QStringLiteral("pa;s=w"));
        QCOMPARE(
            s, QStringLiteral(
                   "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/home/a;b/中药方剂数据库/个人经方数据库.dat;"
                   "Jet OLEDB:Database Password=pa;s=w"));
        const ConnectionInfo info = parseConnectionString(s);
        QCOMPARE(info.provider, QStringLiteral("Microsoft.Jet.OLEDB.4.0"));
        QCOMPARE(info.dataSource, QStringLiteral("/home/a;b/中药方剂数据库/个人经方数据库.dat"));
        QCOMPARE(info.password, QStringLiteral("pa;s=w"));
        QCOMPARE(joinPath(QStringLiteral("c:\\中药方剂数据库"), kLibraryFileName),
                 QStringLiteral("c:\\中药方剂数据库\\中药方剂数据库S.dat"));
        QVERIFY_THROWS_EXCEPTION(StoreError, parseConnectionString(QStringLiteral("Provider=x;")));
    }
};

QTEST_GUILESS_MAIN(RecordsetTest)
#include "recordset_test.moc"
