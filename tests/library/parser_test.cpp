// The importer's reading of the classical texts, on snippets copied from the source books.
#include "formulaparser.h"
#include "herbparser.h"
#include "library.h"
#include "mandoku.h"
#include "normalizer.h"

#include <QTest>

using namespace corvessa::importer;

namespace {

SourceFile snippet(const char* text) {
    return parseMandoku(QStringLiteral("#+TITLE: 普濟方\n#+PROPERTY: JUAN 卷一百一\n") +
                            QString::fromUtf8(text),
                        QStringLiteral("KR3e0067_100.txt"));
}

// 普濟方 卷一百一: headers at the margin, clause continued one space in, ingredients two in, usage one in.
const char* const kMarginLayout = R"(<pb:KR3e0067_WYG_100-2a>¶
　　　方¶
牛黃眞珠丸(出聖濟/總録)　治風驚鎭心安神化涎¶
<pb:KR3e0067_WYG_100-2b>¶
　　牛黃(研/)眞珠(研/)琥珀(研/)麝香(研/)天竺黃(研/)甘草(炙/剉)¶
　　天麻　龍腦(研一/錢半)金箔　銀箔(各一十片/同研入藥)鐵粉(研/各)¶
　　(一/錢)丹砂(研半/兩)¶
　右爲末同拌匀煉蜜和丸如雞頭大别用大金箔五¶
　片衮爲衣每服一丸細嚼人參薄荷湯下小兒半丸¶
十黃散(出千/金方)　治五臓六腑血氣少亡䰟失魄五臓覺¶
　不安忽忽喜悲心中善恐怖如有鬼物此皆發于大¶
<pb:KR3e0067_WYG_100-3a>¶
　驚及當風從高墮下落水所致悉主之¶
　　雄黃　人參(各五/两)大黃　黃蘗　黃耆　細辛¶
　右治下篩未食温酒服方寸匕日三不知至二匕羸¶
又方(出千/金方)¶
　　羊糞末(一/兩)煉成猪脂(二/兩)¶
　右相和令勻用塗腫處¶
)";

// 太平惠民和劑局方 卷二: paragraphs separated by blank lines, the header indented and wrapped to the margin.
const char* const kParagraphLayout = R"(<pb:KR3e0033_WYG_002-3b>¶
¶
　　麻黄湯治傷寒頭痛發熱惡風骨節痛喘滿無汗¶
¶
　　麻黄(去節二兩)　杏仁(七兩　去皮尖炒過研如膏)¶
¶
　　肉桂(去麄皮三兩)甘草(炙一兩)¶
¶
　　右為麄散入杏仁膏令匀毎服三錢水一盞半煎八¶
分去滓溫服汗出為度若病自汗者不可服不拘時¶
¶
　　治傷寒¶
¶
　　人參敗毒散治傷寒時氣頭痛項强壯熱惡寒身體煩¶
疼及寒壅欬嗽鼻聲重風痰頭痛嘔噦寒熱並治之¶
¶
　　人參(去蘆洗焙)　茯苓(去皮)　　甘草¶
¶
　　右為細末毎服二錢水一盞生薑薄荷各少許煎七¶
分去滓溫服不拘時寒多則熱服熱多則溫服¶
¶
)";

} // namespace

class ParserTest : public QObject {
    Q_OBJECT

private slots:
    void mandokuLinesKeepIndentPageAndNotes() {
        const SourceFile file = snippet(kMarginLayout);
        QCOMPARE(file.juan, QStringLiteral("卷一百一"));
        QCOMPARE(file.lines.front().text, QStringLiteral("方"));
        QCOMPARE(file.lines.front().indent, 3);
        QCOMPARE(file.lines.front().page, QStringLiteral("KR3e0067_WYG_100-2a"));
        QCOMPARE(file.lines[1].text, QStringLiteral("牛黃眞珠丸(出聖濟總録)　治風驚鎭心安神化涎"));
        QCOMPARE(file.lines[2].page, QStringLiteral("KR3e0067_WYG_100-2b"));
        QCOMPARE(parseMandoku(QStringLiteral("缺&KR0008;字¶"), QString()).lines.front().text,
                 QStringLiteral("缺□字"));
        QString wrapped = QStringLiteral("鐵粉(研各)");
        appendWrapped(wrapped, QStringLiteral("(一錢)丹砂"));
        QCOMPARE(wrapped, QStringLiteral("鐵粉(研各一錢)丹砂"));
    }

    void headersOfEveryKind() {
        auto named = parseHeader(QStringLiteral("牛黃眞珠丸(出聖濟總録)　治風驚鎭心安神化涎"));
        QVERIFY(named);
        QCOMPARE(named->name, QStringLiteral("牛黃眞珠丸"));
        QCOMPARE(named->cited, QStringLiteral("聖濟總録"));
        QCOMPARE(named->clause, QStringLiteral("風驚鎭心安神化涎"));
        auto joined = parseHeader(QStringLiteral("海麥門冬湯治勞復氣欲絶者用之有効能起死囘生"));
        QVERIFY(joined);
        QCOMPARE(joined->name, QStringLiteral("海麥門冬湯"));
        auto cited = parseHeader(QStringLiteral("(宣明)三稜散(三六)　治積聚癥瘕痃癖不散堅滿痞悶食"));
        QVERIFY(cited);
        QCOMPARE(cited->name, QStringLiteral("三稜散"));
        QCOMPARE(cited->cited, QStringLiteral("宣明"));
        auto bare = parseHeader(QStringLiteral("桂枝湯方"));
        QVERIFY(bare);
        QCOMPARE(bare->name, QStringLiteral("桂枝湯"));
        auto unnamed = parseHeader(QStringLiteral("治咽傷語聲不徹方"));
        QVERIFY(unnamed);
        QCOMPARE(unnamed->kind, HeaderKind::Unnamed);
        QCOMPARE(unnamed->clause, QStringLiteral("咽傷語聲不徹"));
        auto again = parseHeader(QStringLiteral("又方燒炊箄一枚漿水服方寸匕"));
        QVERIFY(again);
        QCOMPARE(again->kind, HeaderKind::Again);
        QCOMPARE(again->rest, QStringLiteral("燒炊箄一枚漿水服方寸匕"));
        // Prose, ingredients, usage and chapter titles are no headers.
        QVERIFY(!parseHeader(QStringLiteral("宜服小柴胡湯治之")));
        QVERIFY(!parseHeader(QStringLiteral("人參(去蘆洗焙)　茯苓(去皮)　　甘草")));
        QVERIFY(!parseHeader(QStringLiteral("右為細末毎服二錢水一盞")));
        QVERIFY(!parseHeader(QStringLiteral("治女人帶下諸方")));
        QVERIFY(isUsageStart(QStringLiteral("上件藥擣羅為末")));
        QVERIFY(
            looksLikeIngredients(QStringLiteral("中桂　地龍(各四分)羗活(二錢)黄栢　甘草(各一錢)蘇木(六分)")));
        QVERIFY(!looksLikeIngredients(QStringLiteral("太陽經中令人腰脊或脛腨臂腰中痛不可忍")));
    }

    void marginLayoutRecords() {
        const auto formulas = parseFormulas(snippet(kMarginLayout));
        QCOMPARE(formulas.size(), size_t(3));
        const RawFormula& first = formulas[0];
        QCOMPARE(first.name, QStringLiteral("牛黃眞珠丸"));
        QCOMPARE(first.page, QStringLiteral("KR3e0067_WYG_100-2a"));
        QVERIFY(first.ingredients.startsWith(QStringLiteral("牛黃(研)眞珠(研)")));
        QVERIFY(first.ingredients.endsWith(QStringLiteral("鐵粉(研各一錢)丹砂(研半兩)")));
        QCOMPARE(first.usage,
                 QStringLiteral("右爲末同拌匀煉蜜和丸如雞頭大别用大金箔五片衮爲衣每服一丸細嚼人參薄荷湯下"
                                "小兒半丸"));
        const RawFormula& second = formulas[1];
        QCOMPARE(second.cited, QStringLiteral("千金方"));
        QCOMPARE(second.indications,
                 QStringLiteral("五臓六腑血氣少亡䰟失魄五臓覺不安忽忽喜悲心中善恐怖如有鬼物"
                                "此皆發于大驚及當風從高墮下落水所致悉主之"));
        QCOMPARE(second.page, QStringLiteral("KR3e0067_WYG_100-2b"));
        const RawFormula& again = formulas[2];
        QVERIFY(again.derived);
        QCOMPARE(again.name, QStringLiteral("十黃散又方"));
        QCOMPARE(again.indications, second.indications);
        QCOMPARE(again.usage, QStringLiteral("右相和令勻用塗腫處"));
    }

    void paragraphLayoutRecords() {
        const auto formulas = parseFormulas(snippet(kParagraphLayout));
        QCOMPARE(formulas.size(), size_t(2));
        QCOMPARE(formulas[0].name, QStringLiteral("麻黄湯"));
        QCOMPARE(formulas[0].indications, QStringLiteral("傷寒頭痛發熱惡風骨節痛喘滿無汗"));
        QCOMPARE(
            formulas[0].ingredients,
            QStringLiteral("麻黄(去節二兩)　杏仁(七兩　去皮尖炒過研如膏)　肉桂(去麄皮三兩)甘草(炙一兩)"));
        QVERIFY(formulas[0].usage.endsWith(QStringLiteral("若病自汗者不可服不拘時")));
        QCOMPARE(formulas[1].name, QStringLiteral("人參敗毒散"));
        QVERIFY(formulas[1].indications.endsWith(QStringLiteral("寒熱並治之")));
    }

    void simplifiedTextKeepsEveryCharacter() {
        Normalizer normalize;
        QCOMPARE(normalize(QStringLiteral("麻黃湯")), QStringLiteral("麻黄汤"));
        QCOMPARE(normalize(QStringLiteral("隂陽眞寳煑")), QStringLiteral("阴阳真宝煮"));
        QCOMPARE(normalize(QStringLiteral("㣲炒㕮咀")), QStringLiteral("微炒㕮咀"));
        // 𪚥 has no standard form: it is kept (and counted), never replaced.
        QCOMPARE(normalize(QStringLiteral("𪚥")), QStringLiteral("𪚥"));
        QCOMPARE(normalize.storedOutside936(), 2); // 㕮 and 𪚥
        QCOMPARE(normalize.outside936().count(QStringLiteral("𪚥")), size_t(1));
    }

    void recordLayoutAndTextbookMarking() {
        Normalizer normalize;
        const auto formulas = parseFormulas(snippet(kMarginLayout));
        const Origin origin{QStringLiteral("KR3e0067"), QStringLiteral("普濟方"), QStringLiteral("卷一百一"),
                            QStringLiteral("KR3e0067_100.txt")};
        std::vector<LibraryRecord> records;
        for (const RawFormula& raw : formulas)
            records.push_back(makeFormulaRecord(raw, origin, normalize));
        records.push_back(records.front());
        QCOMPARE(records[1].source, QStringLiteral("普济方·千金方"));
        QVERIFY(records[0].content.startsWith(QStringLiteral("【组成】牛黄(研)真珠(研)")));
        QVERIFY(records[0].content.contains(QStringLiteral("【用法】右为末")));
        QVERIFY(records[0].content.endsWith(
            QStringLiteral("【出处】普济方 卷一百一，引圣济总录（KR3e0067_WYG_100-2a）")));
        QCOMPARE(records[0].provenance, QStringLiteral("KR3e0067/KR3e0067_100.txt KR3e0067_WYG_100-2a"));
        QCOMPARE(removeDuplicates(records), 1);
        const QStringList found = markTextbook(records,
                                               {{QStringLiteral("十黄散"), QStringLiteral("普济方"), {}},
                                                {QStringLiteral("麻黄汤"), QStringLiteral("伤寒论"), {}}},
                                               {})
                                      .found;
        QCOMPARE(found, QStringList{QStringLiteral("十黄散")});
        QCOMPARE(records[1].group, QStringLiteral("1"));
        QCOMPARE(records[0].group, QString());
        const QStringList catalogue = sourceCatalogue(records, {QStringLiteral("本草纲目")});
        QCOMPARE(catalogue, (QStringList{QStringLiteral("本草纲目"), QStringLiteral("普济方·千金方"),
                                         QStringLiteral("普济方·圣济总录")}));
    }

    void herbEntriesStopBeforeTheirPrescriptions() {
        const SourceFile file = parseMandoku(QString::fromUtf8(R"(<pb:KR3e0079_WYG_030-1a>¶
　　金石之三(石類上三/十二種)¶
丹砂(本經/上品)¶
　釋名朱砂(時珍曰丹乃石名)¶
　氣味甘㣲寒無毒¶
　主治身體五臓百病養精神¶
　附方(舊四新十六)¶
　小兒驚熱朱砂半兩¶
)"),
                                             QStringLiteral("KR3e0079_030.txt"));
        const auto herbs = parseHerbs(file);
        QCOMPARE(herbs.size(), size_t(1));
        QCOMPARE(herbs[0].name, QStringLiteral("丹砂"));
        QCOMPARE(herbs[0].sections.size(), 3);
        Normalizer normalize;
        const LibraryRecord record =
            makeHerbRecord(herbs[0],
                           {QStringLiteral("KR3e0079"), QStringLiteral("本草綱目"), QStringLiteral("卷九"),
                            QStringLiteral("KR3e0079_030.txt")},
                           normalize);
        QVERIFY(record.herb());
        QVERIFY(record.content.startsWith(QStringLiteral("丹砂@$\r\n【释名】朱砂")));
        QVERIFY(!record.content.contains(QStringLiteral("小儿惊热")));
    }
};

QTEST_GUILESS_MAIN(ParserTest)
#include "parser_test.moc"
