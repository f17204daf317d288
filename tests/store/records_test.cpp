// SPDX-License-Identifier: GPL-3.0-or-later

// What the record actions and the editor's save do to the personal database.
#include "fixture.h"

#include "store/codec.h"
#include "store/records.h"
#include "store/schema.h"
#include "store/sqlite.h"
#include "store/storeerror.h"

#include <QTest>
#include <QThread>

using namespace corvessa::store;
using corvessa::testsupport::FixtureDatabases;

namespace {

const QString kTextbook =
    QStringLiteral("select * from[中药方剂] where [分组] ='1' and [类别] = '中药经方' order by [方名]");
const QDateTime kNow(QDate(2026, 12, 8), QTime(4, 35, 0));

struct Row {
    QString name, source, indications, content, category, key, group;
};

QList<Row> personalRows(FixtureDatabases& db) {
    Recordset& rs = db.store().recordset();
    rs.open(QStringLiteral("select * from[中药方剂] order by rowid"), db.store().personalConnection());
    QList<Row> rows;
    for (; !rs.eof(); rs.moveNext()) {
        auto text = [&](const char* column) { return rs.field(QString::fromUtf8(column)).toString(); };
        rows.append({text("方名"), text("出处"), text("主治"), text("内容"), text("类别"), text("序号"),
                     text("分组")});
    }
    rs.release();
    return rows;
}

// The first textbook prescription of the library, as the record actions carry it.
RecordFields firstTextbookRecord(FixtureDatabases& db) {
    Recordset& rs = db.store().recordset();
    rs.open(kTextbook, db.store().libraryConnection());
    RecordFields fields;
    if (!rs.eof())
        fields = {rs.field(QStringLiteral("方名")), rs.field(QStringLiteral("出处")),
                  rs.field(QStringLiteral("主治")), rs.field(QStringLiteral("内容"))};
    rs.release();
    return fields;
}

} // namespace

class RecordsTest : public QObject {
    Q_OBJECT

private slots:
    void favouritesAndCopiesKeepTheStoredText() {
        FixtureDatabases db;
        const RecordFields library = firstTextbookRecord(db);
        QVERIFY(!library.storedContent.toString().isEmpty());
        const QString first = appendPersonalRecord(db.store(), library, kCategoryFavourite, kNow);
        const QString second = appendPersonalRecord(db.store(), library, kCategoryFavourite, kNow);
        QCOMPARE(first, QStringLiteral("261208043500"));
        QCOMPARE(second, QStringLiteral("261208043501")); // the same second is taken: the next free one

        RecordFields fromFavourite = library;
        fromFavourite.source = QStringLiteral("");
        fromFavourite.indications = QStringLiteral("");
        appendPersonalRecord(db.store(), fromFavourite, kCategoryPersonal, kNow);

        const QList<Row> rows = personalRows(db);
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows[0].content, library.storedContent.toString()); // moved as stored, not scrambled again
        QCOMPARE(rows[0].source, library.source.toString());
        QCOMPARE(rows[0].indications, library.indications.toString());
        QCOMPARE(rows[0].group, QString());
        QCOMPARE(rows[2].category, kCategoryPersonal);
        QCOMPARE(rows[2].source, QString());
        QCOMPARE(rows[2].key, QStringLiteral("261208043502"));
    }

    void deleteRemovesOneRecordOfTheCategory() {
        FixtureDatabases db;
        // Older databases can hold records that share a key; a delete removes only the first of them.
        for (const char* category : {"我的收藏", "我的收藏", "个人验方"})
            db.execPersonal(
                QStringLiteral(
                    "INSERT INTO [中药方剂] ([方名],[类别],[序号]) VALUES ('甲','%1','260101000000')")
                    .arg(QString::fromUtf8(category)));
        QVERIFY(deletePersonalRecord(db.store(), QStringLiteral("260101000000"), kCategoryFavourite));
        QList<Row> rows = personalRows(db);
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[0].category, kCategoryFavourite);
        QCOMPARE(rows[1].category, kCategoryPersonal);
        QVERIFY(deletePersonalRecord(db.store(), QStringLiteral("260101000000"), kCategoryPersonal));
        QVERIFY(!deletePersonalRecord(db.store(), QStringLiteral("260101000000"), kCategoryPersonal));
        QVERIFY(!deletePersonalRecord(db.store(), QStringLiteral("x' or '1'='1"), kCategoryFavourite));
        QCOMPARE(personalRows(db).size(), 1);
    }

    void saveAddsThenOverwritesWithAFreshKey() {
        FixtureDatabases db;
        const QString key =
            savePersonalPrescription(db.store(), QString(), QStringLiteral("自拟方"),
                                     QStringLiteral(" 补益剂"), QStringLiteral("【组成】人参三两"), kNow);
        QCOMPARE(personalRows(db).size(), 1);
        const QString again =
            savePersonalPrescription(db.store(), key, QStringLiteral("自拟方二"), QStringLiteral("全部"),
                                     QStringLiteral("【组成】人参二两"), kNow);
        QVERIFY(again != key);
        QCOMPARE(again.size(), 12);
        const QList<Row> rows = personalRows(db);
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0].name, QStringLiteral("自拟方二"));
        QCOMPARE(rows[0].group, QStringLiteral("全部"));
        QCOMPARE(unscramble(rows[0].content), QStringLiteral("【组成】人参二两"));
        QCOMPARE(rows[0].key, again);
    }

    void saveOverACopyEmptiesSourceAndIndications() {
        FixtureDatabases db;
        const RecordFields library = firstTextbookRecord(db);
        const QString key = appendPersonalRecord(db.store(), library, kCategoryPersonal, kNow);
        QVERIFY(!personalRows(db)[0].source.isEmpty());
        savePersonalPrescription(db.store(), key, QStringLiteral("改过的方"), QString(),
                                 QStringLiteral("内容"), kNow);
        const QList<Row> rows = personalRows(db);
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0].source, QString());
        QCOMPARE(rows[0].indications, QString());
    }

    void refusedSaveChangesNothing() {
        FixtureDatabases db;
        const QString key = savePersonalPrescription(db.store(), QString(), QStringLiteral("原方"), QString(),
                                                     QStringLiteral("原内容"), kNow);
        QVERIFY_THROWS_EXCEPTION(StoreError,
                                 savePersonalPrescription(db.store(), key, QString(201, QChar(0x65B9)),
                                                          QString(), QStringLiteral("新内容"), kNow));
        QVERIFY_THROWS_EXCEPTION(StoreError, savePersonalPrescription(db.store(), key, QStringLiteral("新方"),
                                                                      QString(101, QChar(0x7EC4)),
                                                                      QStringLiteral("新内容"), kNow));
        QVERIFY(!db.store().recordset().isOpen());
        const QList<Row> rows = personalRows(db);
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0].name, QStringLiteral("原方"));
        QCOMPARE(rows[0].key, key);
        // A key with a quote in it (typed into an old database by hand) cannot break the statement.
        const QString quoted =
            savePersonalPrescription(db.store(), QStringLiteral("it's"), QStringLiteral("另一方"), QString(),
                                     QStringLiteral("x"), kNow);
        QCOMPARE(personalRows(db).size(), 2);
        QVERIFY(quoted != key);
    }

    // Another window holds the write lock with a record of this very second not yet committed: the key must
    // be chosen after it commits, never before.
    void twoInstancesSavingInOneSecondNeverShareAKey() {
        FixtureDatabases db;
        // Both windows have their connections open before either saves.
        db.store().connections().connection(db.store().personalConnection());
        Connection other(db.personalPath(), FixtureDatabases::password());
        other.exec(QStringLiteral("BEGIN IMMEDIATE"));
        other.exec(QStringLiteral("INSERT INTO [中药方剂] ([方名],[类别],[序号]) VALUES "
                                  "('另一个窗口的方','个人验方','261208043500')"));
        QString key;
        QString failure;
        QThread* mine = QThread::create([&] {
            try {
                key = appendPersonalRecord(
                    db.store(),
                    {QStringLiteral("我的方"), QStringLiteral(""), QStringLiteral(""), QStringLiteral("x")},
                    kCategoryPersonal, kNow);
            } catch (const StoreError& error) {
                failure = error.detail();
            }
        });
        mine->start();
        QThread::msleep(300); // the save has chosen its key by now, unless it waits for the lock
        other.exec(QStringLiteral("COMMIT"));
        mine->wait();
        delete mine;
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        QCOMPARE(key, QStringLiteral("261208043501"));
        db.store().closeAll();

        // An edit of one's own record then never lands on the other window's.
        savePersonalPrescription(db.store(), key, QStringLiteral("我的方改"), QString(), QStringLiteral("y"),
                                 kNow);
        QStringList names;
        for (const Row& row : personalRows(db))
            names << row.name;
        names.sort();
        QCOMPARE(names, (QStringList{QStringLiteral("另一个窗口的方"), QStringLiteral("我的方改")}));
    }
};

QTEST_GUILESS_MAIN(RecordsTest)
#include "records_test.moc"
