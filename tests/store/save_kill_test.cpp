// SPDX-License-Identifier: GPL-3.0-or-later

// A save interrupted by the process dying at any moment loses nothing that was saved before it and leaves a
// database that opens.
#include "fixture.h"

#include "store/records.h"
#include "store/sqlite.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QTest>

using corvessa::testsupport::FixtureDatabases;

class SaveKillTest : public QObject {
    Q_OBJECT

private slots:
    void killedSavesKeepEveryCommittedRecord() {
        FixtureDatabases db;
        db.store().closeAll();
        QRandomGenerator random(20261208);
        QStringList mustExist; // names that saves reported as done
        int reported = 0;
        for (int round = 0; round < 12; ++round) {
            QProcess child;
            child.start(QStringLiteral(CORVESSA_SAVE_CHILD), {db.dataFolder(), QString::number(round)});
            QVERIFY(child.waitForStarted());
            // The kill falls at a random moment after the first reported save: on a loaded machine opening
            // the encrypted file alone can take longer than the whole random wait.
            QVERIFY2(child.waitForReadyRead(60000), "the child reported no save");
            QTest::qWait(int(random.bounded(0, 550)));
            child.kill();
            child.waitForFinished();
            // Even saves add a record named after them; the odd save after one overwrites it under its own
            // name. A reported even save must therefore survive under its name or its successor's, a reported
            // odd one under its own.
            for (const QByteArray& line : child.readAllStandardOutput().split('\n')) {
                bool ok = false;
                const int i = line.toInt(&ok);
                if (!ok)
                    continue;
                ++reported;
                const QString name = QStringLiteral("%1-方%2").arg(round);
                mustExist << (i % 2 ? name.arg(i) : name.arg(i) + QLatin1Char('|') + name.arg(i + 1));
            }
            // Reopen after every kill, as the next start does: an interrupted save is rolled back.
            corvessa::store::Connection connection(db.personalPath(), FixtureDatabases::password());
            corvessa::store::Statement check(connection, QStringLiteral("PRAGMA integrity_check"));
            QVERIFY(check.step());
            QCOMPARE(check.value(0).toString(), QStringLiteral("ok"));
        }
        QVERIFY2(reported > 12, "the child saved too little to test anything");

        corvessa::store::Connection connection(db.personalPath(), FixtureDatabases::password());
        corvessa::store::Statement find(connection,
                                        QStringLiteral("SELECT count(*) FROM [中药方剂] WHERE [方名] = ?"));
        for (const QString& names : mustExist) {
            int found = 0;
            for (const QString& name : names.split(QLatin1Char('|'))) {
                find.bind(1, name);
                QVERIFY(find.step());
                found += int(find.int64(0));
                find.reset();
            }
            QVERIFY2(found == 1, qPrintable(QStringLiteral("%1 found %2 times").arg(names).arg(found)));
        }
    }
};

QTEST_GUILESS_MAIN(SaveKillTest)
#include "save_kill_test.moc"
