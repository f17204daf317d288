// SPDX-License-Identifier: GPL-3.0-or-later

// Missing-glyph codes: the hand-checked table of the characters they stand for, and the importer's reading of
// the source texts with it.
#include "mandoku.h"

#include <QFile>
#include <QSet>
#include <QTest>
#include <stdexcept>
#include <utility>

using namespace corvessa::importer;

namespace {

const GlyphTable& sampleTable() {
    static const GlyphTable table =
        parseGlyphTable(QStringLiteral("# code, character, occurrences, evidence\n"
                                       "KR1082\t薢\t132\t萆_ 120/132\n"
                                       "\n"
                                       "KR0008\t-\t860\tcatch-all\n"
                                       "&KR0797;&KR0803;\t栝蔞\t202\tcorpus 栝蔞 851\n"
                                       "括&KR0803;\t括蔞\t24\tcorpus 括蔞 544\n"
                                       "菝&KR0797;\t菝葜\t4\tcorpus 菝葜 123\n"
                                       "灸&KR1082;\t-\t1\tnot 薢 here\n"),
                        QStringLiteral("sample.tsv"));
    return table;
}

// The error the table gives for `content`, or the empty text when it is accepted.
QString rejection(const QString& content) {
    try {
        parseGlyphTable(content, QStringLiteral("bad.tsv"));
    } catch (const std::runtime_error& error) {
        return QString::fromStdString(error.what());
    }
    return QString();
}

} // namespace

class GlyphsTest : public QObject {
    Q_OBJECT

private slots:
    void mappedCodeBecomesItsCharacter() {
        const SourceFile file =
            parseMandoku(QStringLiteral("　　萆&KR1082;(各一兩)¶"), QString(), sampleTable());
        QCOMPARE(file.lines.front().text, QStringLiteral("萆薢(各一兩)"));
    }

    void unlistedAndUndecidedCodesStayBoxes() {
        const SourceFile file =
            parseMandoku(QStringLiteral("白&KR0008;蠶　竹&KR0377;¶"), QString(), sampleTable());
        QCOMPARE(file.lines.front().text, QStringLiteral("白□蠶　竹□"));
        QVERIFY(!sampleTable().codes.contains(QStringLiteral("KR0008")));
        // Without a table every code is a box.
        QCOMPARE(parseMandoku(QStringLiteral("萆&KR1082;¶"), QString()).lines.front().text,
                 QStringLiteral("萆□"));
    }

    void sequencesAreReplacedBeforeSingleCodes() {
        // Both halves missing, one half printed, and a code that is another glyph after 菝.
        const SourceFile file =
            parseMandoku(QStringLiteral("　　&KR0797;&KR0803;根　括&KR0803;實　菝&KR0797;　&KR0797;¶"),
                         QString(), sampleTable());
        QCOMPARE(file.lines.front().text, QStringLiteral("栝蔞根　括蔞實　菝葜　□"));
        // A "-" sequence keeps its code a box where the single code would read another character.
        const SourceFile kept =
            parseMandoku(QStringLiteral("灸&KR1082;第五椎　萆&KR1082;¶"), QString(), sampleTable());
        QCOMPARE(kept.lines.front().text, QStringLiteral("灸□第五椎　萆薢"));
        // A single code beside a sequence's code, but not in that sequence, is untouched.
        QCOMPARE(parseMandoku(QStringLiteral("&KR0803;根　𤓰&KR0803;¶"), QString(), sampleTable())
                     .lines.front()
                     .text,
                 QStringLiteral("□根　𤓰□"));
        // A sequence takes as many cells as it has codes and characters.
        const QString raw = QStringLiteral("　　&KR0797;&KR0803;根¶");
        QCOMPARE(parseMandoku(raw, QString(), sampleTable()).lines.front().width,
                 parseMandoku(raw, QString()).lines.front().width);
    }

    void malformedSequencesAreRejected() {
        QVERIFY(rejection(QStringLiteral("括&KR0803;\t括蔞\t24\tevidence\n")).isEmpty());
        QVERIFY(rejection(QStringLiteral("&KR0797;&KR0803;\t-\t202\tevidence\n")).isEmpty());
        const QString changed = rejection(QStringLiteral("# head\n括&KR0803;\t栝蔞\t24\tevidence\n"));
        QVERIFY2(changed.contains(QStringLiteral("bad.tsv:2")) && changed.contains(QStringLiteral("prints")),
                 qPrintable(changed));
        // Each malformed row, and the words its rejection must hold.
        const std::pair<const char*, const char*> malformed[] = {
            {"括&KR0803;\t括\t24\tevidence\n", "each of its cells"},
            {"括&KR0803;\t括蔞x\t24\tevidence\n", "each of its cells"},
            {"括&KR803;\t括蔞\t24\tevidence\n", "&KR0123;"},
            {"&KR0803\t蔞\t24\tevidence\n", "&KR0123;"},
            {"括x&KR0803;\t括x蔞\t24\tevidence\n", "neither Han"},
            {"&KR0803;\t蔞\t24\tevidence\n", "row of its own"},
            {"&KR0797;&KR0803;\t栝蔞\tmany\tevidence\n", "number"},
        };
        for (const auto& [row, reason] : malformed)
            QVERIFY2(rejection(QString::fromUtf8(row)).contains(QString::fromUtf8(reason)), row);
        const QString twice = rejection(QStringLiteral("括&KR0803;\t括蔞\t24\te\n括&KR0803;\t-\t24\te\n"));
        QVERIFY2(twice.contains(QStringLiteral("bad.tsv:2")) && twice.contains(QStringLiteral("line 1")),
                 qPrintable(twice));
    }

    void widthsCountOneCellPerCode() {
        const QString raw = QStringLiteral("　　萆&KR1082;　白&KR0008;蠶(各一/兩&KR1082;)¶");
        const SourceLine with = parseMandoku(raw, QString(), sampleTable()).lines.front();
        const SourceLine without = parseMandoku(raw, QString()).lines.front();
        QCOMPARE(with.width, without.width);
        // 2 indent + 萆□ + space + 白□蠶 + a note of 2/2 half-cells.
        QCOMPARE(with.width, 2 + 2 + 1 + 3 + 2);
        QCOMPARE(with.text, QStringLiteral("萆薢　白□蠶(各一兩薢)"));
    }

    void glyphsDescribedByTheirParts() {
        const GlyphTable table = parseGlyphTable(QStringLiteral("[病-丙+(穩-禾)]\t癮\t124\t_疹\n"),
                                                 QStringLiteral("described.tsv"));
        const QString raw = QStringLiteral("　治[病-丙+(穩-禾)]疹(二/方)¶");
        const SourceLine line = parseMandoku(raw, QString(), table).lines.front();
        QCOMPARE(line.text, QStringLiteral("治癮疹(二方)"));
        // One cell, not a note of half-cells: 1 indent + 治癮疹 + a note of 1/1.
        QCOMPARE(line.width, 1 + 3 + 1);
        // A description the table does not list stays as printed.
        QCOMPARE(parseMandoku(QStringLiteral("其跡[夙-歹+ㄙ]¶"), QString(), table).lines.front().text,
                 QStringLiteral("其跡[夙-歹+ㄙ]"));
        QVERIFY(
            rejection(QStringLiteral("[病-丙+(穩-禾)]\t癮疹\t124\te\n")).contains(QStringLiteral("one Han")));
        QVERIFY(
            rejection(QStringLiteral("[病-丙+(穩-禾)]\t-\t124\te\n")).contains(QStringLiteral("one Han")));
    }

    void malformedLinesAreRejected() {
        QVERIFY(rejection(QStringLiteral("KR1082\t薢\t132\tevidence\n")).isEmpty());
        const QString fewFields = rejection(QStringLiteral("KR1082 薢 132 evidence\n"));
        QVERIFY2(fewFields.contains(QStringLiteral("bad.tsv:1")) &&
                     fewFields.contains(QStringLiteral("tabs")),
                 qPrintable(fewFields));
        QVERIFY(rejection(QStringLiteral("K1082\t薢\t132\tevidence\n")).contains(QStringLiteral("KR0123")));
        QVERIFY(rejection(QStringLiteral("KR1082\t萆薢\t132\tevidence\n")).contains(QStringLiteral("Han")));
        QVERIFY(rejection(QStringLiteral("KR1082\tx\t132\tevidence\n")).contains(QStringLiteral("Han")));
        QVERIFY(rejection(QStringLiteral("KR1082\t薢\tmany\tevidence\n")).contains(QStringLiteral("number")));
        QVERIFY(rejection(QStringLiteral("KR1082\t薢\t132\t \n")).contains(QStringLiteral("evidence")));
        const QString twice = rejection(QStringLiteral("# head\nKR1082\t薢\t132\te\nKR1082\t-\t132\te\n"));
        QVERIFY2(twice.contains(QStringLiteral("bad.tsv:3")) && twice.contains(QStringLiteral("line 2")),
                 qPrintable(twice));
    }

    // The shipped table: one Han character per mapped code, each code once.
    void shippedTableIsWellFormed() {
        QFile file(QStringLiteral(CORVESSA_GLYPH_TABLE));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString content = QString::fromUtf8(file.readAll());
        const GlyphTable table = readGlyphTable(QStringLiteral(CORVESSA_GLYPH_TABLE));
        QVERIFY(table.codes.size() >= 20);
        QVERIFY(!table.sequences.empty());
        QSet<QString> codes;
        int listed = 0;
        for (const QString& line : content.split(QLatin1Char('\n'))) {
            if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
                continue;
            const QString code = line.section(QLatin1Char('\t'), 0, 0);
            QVERIFY2(!codes.contains(code), qPrintable(code));
            codes.insert(code);
            ++listed;
        }
        QVERIFY(listed > table.codes.size()); // some codes are listed as "-", and sequences
        for (auto it = table.codes.constBegin(); it != table.codes.constEnd(); ++it) {
            const QList<uint> ucs4 = it.value().toUcs4();
            QVERIFY2(ucs4.size() == 1 && QChar::script(ucs4[0]) == QChar::Script_Han, qPrintable(it.key()));
            QVERIFY(codes.contains(it.key()));
        }
    }
};

QTEST_GUILESS_MAIN(GlyphsTest)
#include "glyphs_test.moc"
