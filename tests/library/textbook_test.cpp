// SPDX-License-Identifier: GPL-3.0-or-later

// Textbook marking: the record comes from the book the textbook names (or the component book inside a
// collection), under the name or an alias, and is never a cross-reference stub or a record without 组成.
#include "library.h"

#include <QTest>

using namespace corvessa::importer;

namespace {

LibraryRecord record(const QString& name, const QString& book, const QString& file, const QString& content) {
    LibraryRecord r;
    r.name = name;
    r.book = book;
    r.source = book;
    r.file = file;
    r.category = kCategoryFormula;
    r.content = content + QStringLiteral("【出处】") + book;
    return r;
}

const QString kWithComposition = QStringLiteral("【组成】甲一两　乙二两【用法】水煎");

} // namespace

class TextbookTest : public QObject {
    Q_OBJECT

private slots:
    void marksTheRecordOfTheAttributedBook() {
        std::vector<LibraryRecord> records{
            record(QStringLiteral("四物汤"), QStringLiteral("圣济总录纂要"),
                   QStringLiteral("KR3e0027/KR3e0027_001.txt"), kWithComposition),
            record(QStringLiteral("四物汤"), QStringLiteral("太平惠民和剂局方"),
                   QStringLiteral("KR3e0033/KR3e0033_009.txt"), QStringLiteral("【组成】方见妇人门")),
            record(QStringLiteral("四物汤"), QStringLiteral("太平惠民和剂局方"),
                   QStringLiteral("KR3e0033/KR3e0033_009.txt"), QStringLiteral("【主治】丙丁")),
            record(QStringLiteral("四物汤"), QStringLiteral("太平惠民和剂局方"),
                   QStringLiteral("KR3e0033/KR3e0033_009.txt"), kWithComposition)};
        const TextbookMarking marking =
            markTextbook(records, {{QStringLiteral("四物汤"), QStringLiteral("太平惠民和剂局方"), {}}}, {});
        QCOMPARE(marking.found, QStringList{QStringLiteral("四物汤")});
        QCOMPARE(records[0].group, QString()); // an older book is not the attributed one
        QCOMPARE(records[1].group, QString()); // a stub pointing elsewhere
        QCOMPARE(records[2].group, QString()); // no 组成
        QCOMPARE(records[3].group, QStringLiteral("1"));
    }

    void differentFormulasOfOneNameInTheBookAreLeftUnmarked() {
        std::vector<LibraryRecord> records{
            record(QStringLiteral("温胆汤"), QStringLiteral("三因极一病证方论"),
                   QStringLiteral("KR3e0041/KR3e0041_008.txt"), kWithComposition),
            record(QStringLiteral("温胆汤"), QStringLiteral("三因极一病证方论"),
                   QStringLiteral("KR3e0041/KR3e0041_009.txt"), QStringLiteral("【组成】丙三两【用法】水煎")),
            // The same formula printed twice, with other blanks, is one formula.
            record(QStringLiteral("二陈汤"), QStringLiteral("三因极一病证方论"),
                   QStringLiteral("KR3e0041/KR3e0041_009.txt"), kWithComposition),
            record(QStringLiteral("二陈汤"), QStringLiteral("三因极一病证方论"),
                   QStringLiteral("KR3e0041/KR3e0041_011.txt"),
                   QStringLiteral("【组成】甲一两乙二两【用法】煎"))};
        const TextbookMarking marking =
            markTextbook(records,
                         {{QStringLiteral("温胆汤"), QStringLiteral("三因极一病证方论"), {}},
                          {QStringLiteral("二陈汤"), QStringLiteral("三因极一病证方论"), {}}},
                         {});
        QCOMPARE(marking.found, QStringList{QStringLiteral("二陈汤")});
        QCOMPARE(records[0].group, QString());
        QCOMPARE(records[1].group, QString());
        QCOMPARE(records[2].group, QStringLiteral("1"));
        QCOMPARE(records[3].group, QString());
        QCOMPARE(marking.unmarked.size(), size_t(1));
        QVERIFY(marking.unmarked[0].second.startsWith(QStringLiteral("2 different formulas")));
    }

    void componentBooksAreFileRangesOfTheirCollection() {
        const std::vector<TextbookBook> books{
            {QStringLiteral("正体类要"), QStringLiteral("薛氏医案"), 11, 12}};
        std::vector<LibraryRecord> records{
            record(QStringLiteral("八珍汤"), QStringLiteral("薛氏医案"),
                   QStringLiteral("KR3e0070/KR3e0070_030.txt"), kWithComposition),
            record(QStringLiteral("八珍汤"), QStringLiteral("薛氏医案"),
                   QStringLiteral("KR3e0070/KR3e0070_012.txt"), kWithComposition)};
        const TextbookMarking marking =
            markTextbook(records, {{QStringLiteral("八珍汤"), QStringLiteral("正体类要"), {}}}, books);
        QCOMPARE(marking.found, QStringList{QStringLiteral("八珍汤")});
        QCOMPARE(records[0].group, QString());
        QCOMPARE(records[1].group, QStringLiteral("1"));
    }

    void aliasesFindTheBooksOwnName() {
        const std::vector<TextbookBook> books{
            {QStringLiteral("金匮要略"), QStringLiteral("金匮要略论注"), 0, 0}};
        std::vector<LibraryRecord> records{
            record(QStringLiteral("酸枣仁汤"), QStringLiteral("三因极一病证方论"),
                   QStringLiteral("KR3e0041/KR3e0041_011.txt"), kWithComposition),
            record(QStringLiteral("酸枣汤"), QStringLiteral("金匮要略论注"),
                   QStringLiteral("KR3e0006/KR3e0006_006.txt"), kWithComposition),
            record(QStringLiteral("黄耆建中汤"), QStringLiteral("金匮要略论注"),
                   QStringLiteral("KR3e0006/KR3e0006_006.txt"), kWithComposition)};
        const TextbookMarking marking = markTextbook(
            records,
            {{QStringLiteral("酸枣仁汤"), QStringLiteral("金匮要略"), {QStringLiteral("酸枣汤")}},
             {QStringLiteral("黄芪建中汤"), QStringLiteral("金匮要略"), {}}},
            books);
        QCOMPARE(marking.found, (QStringList{QStringLiteral("酸枣仁汤"), QStringLiteral("黄芪建中汤")}));
        QCOMPARE(records[0].group, QString());
        QCOMPARE(records[1].group, QStringLiteral("1"));
        QCOMPARE(records[2].group, QStringLiteral("1"));
    }

    void namesWithoutTheirBookStayUnmarkedWithAReason() {
        std::vector<LibraryRecord> records{
            record(QStringLiteral("玉屏风散"), QStringLiteral("普济方"),
                   QStringLiteral("KR3e0067/KR3e0067_100.txt"), kWithComposition),
            record(QStringLiteral("天王补心丹"), QStringLiteral("薛氏医案"),
                   QStringLiteral("KR3e0070/KR3e0070_030.txt"), QStringLiteral("【组成】方见前"))};
        const std::vector<TextbookBook> books{
            {QStringLiteral("校注妇人良方"), QStringLiteral("薛氏医案"), 26, 48}};
        const TextbookMarking marking =
            markTextbook(records,
                         {{QStringLiteral("玉屏风散"), QStringLiteral("医方类聚"), {}},
                          {QStringLiteral("天王补心丹"), QStringLiteral("校注妇人良方"), {}}},
                         books);
        QVERIFY(marking.found.isEmpty());
        QCOMPARE(records[0].group, QString());
        QCOMPARE(records[1].group, QString());
        QCOMPARE(marking.unmarked.size(), size_t(2));
        QCOMPARE(marking.unmarked[0].first, QStringLiteral("玉屏风散"));
        QVERIFY(marking.unmarked[0].second.contains(QStringLiteral("医方类聚")));
        QVERIFY(marking.unmarked[1].second.contains(QStringLiteral("组成")));
    }
};

QTEST_GUILESS_MAIN(TextbookTest)
#include "textbook_test.moc"
