// SPDX-License-Identifier: GPL-3.0-or-later

// The databases built into the program must open with the program's own password and hold what a first start
// needs: the library with its textbook list, and an empty personal database with the default groups.
#include "embedded_databases.h"
#include "startup.h"
#include "store/recordset.h"
#include "store/schema.h"

#include <QTemporaryDir>
#include <QTest>

using namespace corvessa;

class EmbeddedDatabasesTest : public QObject {
    Q_OBJECT

private slots:
    void firstStartOpensBothDatabases() {
        QTemporaryDir dir;
        const app::Placement placement = app::placeDatabases(
            {dir.path(), QString(), dir.path()}, resources::libraryDatabase(), resources::personalTemplate());
        store::Connections connections;
        store::Recordset rs(connections);
        rs.open(QStringLiteral(
                    "select * from[中药方剂] where [分组] ='1' and [类别] = '中药经方' order by [方名]"),
                placement.libraryConnection);
        QVERIFY(rs.recordCount() > 0);
        rs.open(QStringLiteral(
                    "select * from[中药方剂] where [方名] like '%%' and [类别] = '中药功效' order by [方名]"),
                placement.libraryConnection);
        QVERIFY(rs.recordCount() > 0);
        rs.open(QStringLiteral("select * from[中药方剂] "), placement.personalConnection);
        QCOMPARE(rs.recordCount(), 0);
        rs.open(QStringLiteral("select * from[分组]"), placement.personalConnection);
        QCOMPARE(rs.recordCount(), int(store::defaultGroups().size()));
        QVERIFY(rs.columns().contains(QStringLiteral("分组")));
        rs.release();
    }
};

QTEST_GUILESS_MAIN(EmbeddedDatabasesTest)
#include "embedded_databases_test.moc"
