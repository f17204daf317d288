// SPDX-License-Identifier: GPL-3.0-or-later

// The library the build ships, opened the way the program opens it: the searches users run find real records,
// the importer met its targets, and every stored text comes back intact from its scrambled form.
#include "store/codec.h"
#include "store/connectionstring.h"
#include "store/linkdecoder.h"
#include "store/recordset.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace corvessa;

namespace {

QString nameSearch(const QString& name) {
    return QStringLiteral("select * from[中药方剂] where [方名] like '%") + name +
           QStringLiteral(
               "%' and [出处] like '%%' and [主治] like '%%'and [主治] like '%%'and [主治] like "
               "'%%'and [主治] like '%%' and [主治] like '%%'and [类别] = '中药经方' order by [方名]");
}

} // namespace

class LibraryContentTest : public QObject {
    Q_OBJECT

    store::Connections m_connections;
    QString m_connection;
    QJsonObject m_report;

private slots:
    void initTestCase() {
        const QFileInfo library(QStringLiteral(CORVESSA_LIBRARY_DB));
        QVERIFY2(library.exists(), qPrintable(library.filePath()));
        m_connection =
            store::makeConnectionString(library.absolutePath(), library.fileName(),
                                        store::decodeLinkList(QString::fromLatin1(store::links::kPassword)));
        QFile report(QStringLiteral(CORVESSA_LIBRARY_REPORT));
        QVERIFY(report.open(QIODevice::ReadOnly));
        m_report = QJsonDocument::fromJson(report.readAll()).object();
        QVERIFY(!m_report.isEmpty());
    }

    void nameSearchFindsTheClassics_data() {
        QTest::addColumn<QString>("name");
        for (const char* name : {"麻黄汤", "桂枝汤", "小柴胡汤", "四君子汤", "至宝丹"})
            QTest::newRow(name) << QString::fromUtf8(name);
    }
    void nameSearchFindsTheClassics() {
        QFETCH(QString, name);
        store::Recordset rs(m_connections);
        rs.setLockType(store::adLockOptimistic);
        rs.setCursorLocation(store::adUseClient);
        rs.open(nameSearch(name), m_connection);
        QVERIFY(rs.recordCount() > 0);
        bool exact = false;
        for (; !rs.eof(); rs.moveNext()) {
            QVERIFY(rs.field(QStringLiteral("方名")).toString().contains(name));
            exact = exact || rs.field(QStringLiteral("方名")).toString() == name;
        }
        QVERIFY2(exact, "a record carries exactly the searched name");
    }

    void indicationSearchNeedsBothKeywords() {
        // 腹痛，呕吐 cut into the first two keyword slots.
        const QString sql = QStringLiteral(
            "select * from[中药方剂] where [方名] like '%%' and [出处] like '%%' and [主治] like '%腹痛%'and "
            "[主治] like '%呕吐%'and [主治] like '%%'and [主治] like '%%' and [主治] like '%%'and [类别] = "
            "'中药经方' order by [方名]");
        store::Recordset rs(m_connections);
        rs.open(sql, m_connection);
        QVERIFY(rs.recordCount() >= 10);
        for (; !rs.eof(); rs.moveNext()) {
            const QString indications = rs.field(QStringLiteral("主治")).toString();
            QVERIFY(indications.contains(QStringLiteral("腹痛")) &&
                    indications.contains(QStringLiteral("呕吐")));
        }
    }

    void reportMeetsTheTargets() {
        QVERIFY(m_report.value(QStringLiteral("formulas")).toInt() >= 50000);
        QVERIFY(m_report.value(QStringLiteral("herbs")).toInt() >= 400);
        // Names are marked only from the book the textbook attributes them to; the rest are listed unmarked.
        QVERIFY(m_report.value(QStringLiteral("textbookFound")).toInt() >= 140);
        QCOMPARE(m_report.value(QStringLiteral("textbookFound")).toInt() +
                     int(m_report.value(QStringLiteral("textbookUnmarked")).toObject().size()),
                 m_report.value(QStringLiteral("textbookListed")).toInt());
        QVERIFY(m_report.value(QStringLiteral("withIndications")).toInt() * 10 >=
                m_report.value(QStringLiteral("formulas")).toInt() * 7);
        int perBook = 0;
        for (const QJsonValue n : m_report.value(QStringLiteral("formulasPerBook")).toObject())
            perBook += n.toInt();
        QCOMPARE(perBook, m_report.value(QStringLiteral("formulas")).toInt());
    }

    void parseFaultsAreCountedAndFew() {
        const QJsonObject faults = m_report.value(QStringLiteral("parseFaults")).toObject();
        for (const char* key : {"stubRecords", "stubRecordsDropped", "dosesInIndications",
                                "wrapSplitHerbNames", "colophonsInRecords", "sectionTitlesInComposition"})
            QVERIFY2(faults.contains(QLatin1String(key)), key);
        QVERIFY(m_report.value(QStringLiteral("formulas")).toInt() >= 85000);
        QVERIFY(faults.value(QStringLiteral("stubRecords")).toInt() <= 20);
        QVERIFY(faults.value(QStringLiteral("colophonsInRecords")).toInt() <= 20);
        // Every book that gives formulas has its count of records without 用法.
        const QJsonObject withoutUsage = faults.value(QStringLiteral("withoutUsagePerBook")).toObject();
        for (auto it = withoutUsage.begin(); it != withoutUsage.end(); ++it) {
            QVERIFY2(it.value().toInt() <=
                         m_report.value(QStringLiteral("formulasPerBook")).toObject().value(it.key()).toInt(),
                     qPrintable(it.key()));
        }
    }

    void databaseHoldsWhatTheReportCounts() {
        store::Recordset rs(m_connections);
        rs.open(QStringLiteral("select * from[中药方剂] where [类别] = '中药经方'"), m_connection);
        QCOMPARE(rs.recordCount(), m_report.value(QStringLiteral("formulas")).toInt());
        rs.open(QStringLiteral(
                    "select * from[中药方剂] where [方名] like '%%' and [类别] = '中药功效' order by [方名]"),
                m_connection);
        QCOMPARE(rs.recordCount(), m_report.value(QStringLiteral("herbs")).toInt());
        for (; !rs.eof(); rs.moveNext()) {
            QVERIFY(rs.field(QStringLiteral("出处")).isNull());
            QVERIFY(rs.field(QStringLiteral("主治")).isNull());
            QVERIFY(rs.field(QStringLiteral("分组")).isNull());
            const QString name = rs.field(QStringLiteral("方名")).toString();
            QVERIFY(rs.field(QStringLiteral("内容")).toString().startsWith(name + QStringLiteral("@$")));
        }
        rs.open(QStringLiteral(
                    "select * from[中药方剂] where [分组] ='1' and [类别] = '中药经方' order by [方名]"),
                m_connection);
        QCOMPARE(rs.recordCount(), m_report.value(QStringLiteral("textbookRecords")).toInt());
        for (; !rs.eof(); rs.moveNext()) { // a textbook formula always has ingredients of its own
            const QString text = store::unscramble(rs.field(QStringLiteral("内容")).toString());
            const qsizetype start = text.indexOf(QStringLiteral("【组成】"));
            const QString composition =
                start < 0 ? QString() : text.mid(start + 4).section(QChar(0x3010), 0, 0);
            QVERIFY2(composition.size() >= 2 && !composition.contains(QStringLiteral("方见")),
                     qPrintable(rs.field(QStringLiteral("方名")).toString()));
        }
    }

    void everyTextSurvivesTheCodec() {
        store::Recordset rs(m_connections);
        rs.open(QStringLiteral("select * from[中药方剂] where [类别] = '中药经方'"), m_connection);
        int checked = 0;
        for (; !rs.eof(); rs.moveNext()) {
            const QString text = store::unscramble(rs.field(QStringLiteral("内容")).toString());
            if (text.isEmpty() || text.contains(QLatin1Char('?')) ||
                !text.contains(QStringLiteral("【出处】")))
                QFAIL(qPrintable(rs.field(QStringLiteral("方名")).toString() + QStringLiteral(": ") + text));
            ++checked;
        }
        QVERIFY(checked >= 50000);
    }
};

QTEST_GUILESS_MAIN(LibraryContentTest)
#include "content_test.moc"
