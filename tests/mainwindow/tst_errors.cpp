// SPDX-License-Identifier: GPL-3.0-or-later

// What the user reads when something fails: a Chinese sentence naming the cause, never the database engine's
// English; and search input that would have reached the engine's limits is dealt with before any SQL.
#include "harness.h"
#include "mainwindow/errortext.h"
#include "mainwindow/inputguard.h"
#include "store/sqlite.h"
#include "store/storeerror.h"

#include <QRegularExpression>
#include <QTest>

using namespace corvessa;
using testsupport::Harness;
using Kind = store::StoreError::Kind;

namespace {

bool hasLatinWords(const QString& text) {
    static const QRegularExpression latin(QStringLiteral("[A-Za-z]{3,}"));
    return latin.match(text).hasMatch();
}

} // namespace

class ErrorsTest : public QObject {
    Q_OBJECT

private slots:
    void everyKindIsAChineseSentenceWithoutTheTechnicalText() {
        const QString raw = QStringLiteral("database is locked (select * from x)");
        for (Kind kind :
             {Kind::Locked, Kind::DiskFull, Kind::Damaged, Kind::ReadOnly, Kind::CannotOpen, Kind::TooLong,
              Kind::TooComplex, Kind::Constraint, Kind::NoMemory, Kind::Io, Kind::Other}) {
            const QString text = mainwindow::userMessage(store::StoreError(kind, raw));
            QVERIFY2(!text.isEmpty() && !hasLatinWords(text), qPrintable(text));
        }
        QVERIFY(mainwindow::userMessage(store::StoreError(Kind::Locked, raw))
                    .contains(QStringLiteral("另一个窗口")));
        QVERIFY(mainwindow::userMessage(store::StoreError(Kind::DiskFull, raw))
                    .contains(QStringLiteral("磁盘已满")));
        QVERIFY(
            mainwindow::userMessage(store::StoreError(Kind::Damaged, raw)).contains(QStringLiteral("损坏")));
        QCOMPARE(mainwindow::userMessage(store::StoreError(Kind::ReadOnly, raw)),
                 QStringLiteral("数据库文件是只读的，无法保存。"));
        QVERIFY(mainwindow::userMessage(store::StoreError(Kind::TooLong, raw, QStringLiteral("方名")))
                    .contains(QStringLiteral("“方名”的内容太长")));
    }

    void guardStripsNulsAndRefusesOverlongInput() {
        QCOMPARE(mainwindow::guardSearchInput(QStringLiteral("桂枝") + QChar(u'\0') + QStringLiteral("汤")),
                 std::optional<QString>(QStringLiteral("桂枝汤")));
        QVERIFY(
            mainwindow::guardSearchInput(QString(mainwindow::kMaxSearchInput, QChar(0x65B9))).has_value());
        QVERIFY(!mainwindow::guardSearchInput(QString(mainwindow::kMaxSearchInput + 1, QChar(0x65B9)))
                     .has_value());
    }

    void aNulInASearchFieldStillSearches() {
        Harness h;
        h.open();
        h.edit(QStringLiteral("Text1"))->setText(QStringLiteral("桂枝") + QChar(u'\0'));
        h.window().librarySearch();
        for (const QString& text : h.messenger().shown())
            QVERIFY2(!hasLatinWords(text), qPrintable(text));
        QVERIFY(!h.lines().isEmpty());
        QVERIFY(!h.window().currentQuery().contains(QChar(u'\0')));
    }

    void anOverlongSearchIsRefusedBeforeSql() {
        Harness h;
        h.open();
        const QString before = h.window().currentQuery();
        h.edit(QStringLiteral("Text4"))->setText(QString(17000, QChar(0x75DB)));
        h.messenger().clear();
        h.window().librarySearch();
        QCOMPARE(h.messenger().shown(), QStringList{mainwindow::kSearchInputTooLong});
        QCOMPARE(h.window().currentQuery(), before); // no statement was run
        // The personal tab's search runs at every keystroke: it refuses the same way.
        h.window().selectTab(mainwindow::kModePersonal);
        h.messenger().clear();
        h.edit(QStringLiteral("Text1"))->setText(QString(17000, QChar(0x65B9)));
        QVERIFY(!h.messenger().shown().isEmpty());
        for (const QString& text : h.messenger().shown())
            QCOMPARE(text, mainwindow::kSearchInputTooLong);
    }

    void aLockedDatabaseReadsAsAnotherWindow() {
        Harness h;
        h.open();
        h.window().selectTab(mainwindow::kModePersonal);
        // Another window holds the personal database for longer than a search waits.
        store::Connection other(h.db().personalPath(), testsupport::FixtureDatabases::password());
        other.exec(QStringLiteral("BEGIN EXCLUSIVE"));
        h.db().store().closeAll();
        h.messenger().clear();
        h.window().personalSearch();
        other.exec(QStringLiteral("COMMIT"));
        QCOMPARE(h.messenger().shown().size(), 1);
        QVERIFY2(h.messenger().last().contains(QStringLiteral("另一个窗口")),
                 qPrintable(h.messenger().last()));
        QVERIFY(!hasLatinWords(h.messenger().last()));
    }
};

QTEST_MAIN(ErrorsTest)
#include "tst_errors.moc"
