// SPDX-License-Identifier: GPL-3.0-or-later

// The importer's reading of the classical texts, on snippets copied from the source books.
#include "formulaparser.h"
#include "herbparser.h"
#include "library.h"
#include "mandoku.h"
#include "normalizer.h"
#include "report.h"

#include <QSet>
#include <QTest>

using namespace corvessa::importer;

namespace {

SourceFile snippet(const char* text) {
    return parseMandoku(QStringLiteral("#+TITLE: 普濟方\n#+PROPERTY: JUAN 卷一百一\n") +
                            QString::fromUtf8(text),
                        QStringLiteral("KR3e0067_100.txt"));
}

// A snippet of another book; the first line of the snippet is line 1 of the file.
SourceFile excerpt(const char* text) {
    return parseMandoku(QString::fromUtf8(text), QStringLiteral("excerpt.txt"));
}

// Parses an excerpt of an edition whose printed column is `width` characters wide: a snippet has too few
// lines for the parser to measure it.
std::vector<RawFormula> parseColumn(const char* text, int width, const QString& layout = {},
                                    ParseStats* stats = nullptr) {
    SourceFile file = excerpt(text);
    file.fullWidth = width;
    return parseFormulas(file, Layout::parse(layout), stats);
}

// Parses an excerpt as parseColumn does, knowing the names the books print as headers of their own.
std::vector<RawFormula> parseKnowing(const char* text, int width, const QSet<QString>& names) {
    SourceFile file = excerpt(text);
    file.fullWidth = width;
    Layout layout;
    layout.knownNames = &names;
    return parseFormulas(file, layout);
}

// 御纂醫宗金鑑 卷五十五: each complaint a title, a verse and a note, its recipes after them.
const char* const kSectionsWithVerses = R"(　衂血¶
衂血之候鼻乾燥身熱不渴苦頭疼失表分汗麻桂治¶
内熱犀角瀉心清¶
　(註/)衂血者鼻中出血也其候鼻中乾燥身熱不渴苦¶
　　頭痛是熱傷陽絡也有因傷寒失汗衂血者乃熱¶
　　鬱於營其身無汗宜以麻黃湯汗之身有汗者宜¶
　　以桂枝湯解之設無表病因内熱而衂者宜以犀¶
　　角地黃湯清之熱盛者四物三黃瀉心湯瀉之外¶
　　俱用髮灰散或黒梔子末吹鼻其衂自止¶
麻黃湯¶
　麻黃　　　　　杏仁(炒去皮尖/)¶
　桂枝　　　　　甘草(生/)¶
　　引用生薑水煎服¶
　(方/歌)傷寒失表營鬱熱身體無汗血妄行須用麻黃湯¶
　　調治桂枝麻黃杏草同¶
桂枝湯(方見自汗/)¶
犀角地黃湯¶
　牡丹皮　　　　白芍藥¶
　犀角　　　　　生地黄¶
　　水煎服¶
　　便硬者加川大黃¶
　(方/歌)犀角地黃湯治衂效非常丹皮芍犀地便秘加大¶
　　黃¶
四物三黃瀉心湯¶
　川芎　　　　　當歸(酒洗/)¶
　生地黃　　　　赤芍藥¶
　黃芩　　　　　黃連¶
　川大黃(酒洗/)¶
　　水煎服¶
　(方/歌)四物三黃瀉心湯熱盛吐衂功最良芎歸生地赤¶
　　芍藥黃芩黃連川大黃¶
髪灰散¶
　取壯實人頭髪隂陽瓦煆成灰放在地上去火性研¶
　細末吹入鼻中血衂自止¶
　吐血¶
吐血不咳因熱逆若兼咳嗽努勞傷内熱犀角地黃治¶
努傷承氣四物嚐勞傷有熱雞蘇散無熱須用救肺良¶
　(註/)小兒吐血不咳嗽者多因内熱致血妄行上逆也¶
　　宜以犀角地黃湯主之若因努勞吐血者則兼咳¶
　　嗽先用桃仁承氣湯以破逐之次用加味四物湯¶
　　和之又有勞傷吐血者亦兼咳嗽痰中𢃄血有熱¶
　　者雞蘇散主之無熱者救肺散主之¶
犀角地黃湯(方見本門衂血/)¶
桃仁承氣湯¶
　桃仁(去皮尖研/)　大黃¶
　芒消　　　　　甘草¶
　桂枝¶
　　加當歸芍藥蘇木紅花¶
　　水煎服¶
　(方/歌)努傷吐血先破逐桃仁承氣湯妙絶桃仁黃消草¶
　　桂枝加入歸芍蘇紅㨗¶
)";

// 御纂醫宗金鑑 卷四十四: the recipes the verse sings between the title and the verse; after the last
// section the chapter's collection of recipes.
const char* const kSectionBeforeACollection = R"(　經行吐衄證治¶
　　三黄四物湯¶
　　犀角地黄湯¶
經前吐衄為熱壅三黄四物大芩連經後吐衄仍有熱¶
犀角地黄芍牡丹¶
　(註/)經前吐血衄血乃内熱壅廹其血宜用三黄四物¶
　　湯瀉之其方即四物湯加大黄黄芩黄連經後吐¶
　　血衄血雖仍有熱亦不宜瀉但當用犀角地黄湯¶
　　清之其方即犀角生地黄赤芍藥牡丹皮也¶
調經門彚方¶
四君子湯¶
　人參　　　　　白术(土炒/)¶
　茯苓(各二/錢)　　　甘草(一錢/)¶
　　右剉薑棗水煎服¶
異功散¶
　人參　　　　　白术(土炒/)¶
　茯苓(各二/錢)　　　甘草(五分/炙)¶
)";

// 御纂醫宗金鑑 卷六十七: a page of blank lines where a figure stood, then a note wrapped in the middle of a
// name ("…宜服仙" / "　　方活命飲…").
const char* const kSectionPaddedWithBlankLines = R"(　¶
　¶
　¶
　¶
　¶
　¶
　¶
　中脘疽¶
中脘疽由胃火生臍上四寸隱隱疼堅硬漫腫無紅熱¶
不食嘔噦毒内攻¶
　(註/)此證一名胃疽發於心胸之下臍上四寸任衇經¶
　　中脘穴隱痛日久向外生疽堅硬漫腫皮色無紅¶
　　無熱由過食炙煿以致胃腑火毒而成人迎衇盛¶
　　是毒氣攻裏作嘔不食咳𠻳膿痰者逆初宜服仙¶
　　方活命飲色紫堅硬宜服山甲内消散膿勢將成¶
　　内外治法俱按癰疽腫瘍潰瘍門若起長膿遲或¶
　　瘡不焮痛者急用艾壯隔獨頭蒜片置患上灸之¶
　　囘陽¶
山甲内消散¶
　穿山甲(三大片/炒)　　當歸尾¶
　大黃　　　　　　甘草節(各三錢/)¶
　土木鱉(三個/)　　　黑牽牛¶
　殭蠶(各一錢/炒)¶
　　酒水各一鍾煎八分空心服渣再煎服大便行三¶
　　四次方食稀粥淡味調理¶
　(方/歌)山甲内消火毒積色紫堅疼中脘疽歸尾大黃殭¶
)";

// 御纂醫宗金鑑 卷七十四: the herbs of a second stage two to a line, their doses further down.
const char* const kSecondStageInPairs = R"(回生丹¶
　黑豆(三升取汁三盌去豆/煮熟)¶
　紅花(三兩炒黄色入醇酒大壺/同煑三五滚去紅花用汁)¶
　生大黄(一觔/研末)　　蘇木(二兩剉用河水五/盌煎汁三盌去渣)¶
　　先將大黄末以好米醋三四盌攪匀文武火熬成¶
　　膏如此二遍次下紅花酒蘇木湯黑豆汁共熬成¶
　　膏離火再入後藥¶
　當歸　　　　　熟地¶
　川芎　　　　　白茯苓¶
　延胡索　　　　烏藥¶
　香附　　　　　蒲黄¶
　牛膝　　　　　桃仁(另研/)¶
　蒼术(各二兩浸炒/米泔水)白芍(酒炒/)¶
　甘草(炙/)　　　　羌活¶
　山茰肉(酒浸/)　　三棱¶
　陳皮　　　　　地榆¶
　木香　　　　　五靈脂(各五錢/)¶
　人參　　　　　白术(土炒/)¶
　青皮　　　　　木𤓰(各三錢/)¶
　良薑(四錢/)　　　乳香¶
　沒藥(各一錢/)¶
　　共研細末用大黄膏為丸如彈子大每服一丸黄¶
　　酒炖化通口服¶
　(方/歌)回生產後存惡露致發癰疽服可逐除熱活瘀榮¶
)";

// 御纂醫宗金鑑 卷四十五: a list of recipes printed elsewhere, the last with its reference, then the names of
// the recipes the next verse sings.
const char* const kReferencesThenSungNames = R"(膠艾四物湯¶
四物湯¶
琥珀散¶
八珍湯¶
十全大補湯¶
人參養榮湯¶
歸脾湯¶
逍遙散(方俱見前調經彚方内/)¶
　　補中益氣湯¶
　　益胃升陽湯¶
氣陷補中益氣舉保元升柴歸术陳益胃升陽加芩麯¶
腹痛加芍𠻳減參¶
　(註/)崩漏日乆脾傷食少中氣下陷不能載血者宜用¶
　　補中益氣湯益胃升陽湯升舉之補中益氣湯即¶
　　人參黄耆甘草保元湯加升麻柴胡當歸白术陳¶
　　皮也益胃升陽湯即補中益氣湯加黄芩神麯也¶
　　若腹痛者宜加白芍藥有熱者用黄芩無熱者用¶
　　肉桂調之咳𠻳者肺熱也減人參¶
　　調經升陽除濕湯¶
夾水水瀉不甚弱調經升陽除濕湯耆草升柴歸蒼术¶
羌獨藁本蔓荆防¶
)";

// 類證普濟本事方 卷五: the indication on a line of its own above the name.
const char* const kIndicationAboveTheName = R"(　右細末煉蜜丸如梧子大米飲下三十圓晁推官方¶
治腸痔¶
鱉甲散¶
　　鱉甲　蝟皮(炙黒/焦)穿山甲(炙/焦)白礬(枯/)附子　猪牙¶
　　皂(各半兩炙焦/存性二分)麝香(一分/研)¶
　右細末研匀蒸餅丸如梧子大米飲下二十丸食前¶
　日三服¶
又方¶
　　槐花(炒/)白礬(枯各/一兩)附子(半/兩)¶
　右細末蒸餅丸如梧子大每服二十丸米飲下食前¶
　日三服以上二方龎老𫝊¶
　　　衂血吐血咯血方¶
)";

// 證治準繩 卷七十二: a 治 that goes on with the text of a full line.
const char* const kTextThenName = R"(搐投黒白飲温蜜湯空心調下微泄似茶褐色二三行¶
進白芍藥湯水薑棗煎服常用此法亦妙　若臍凸(音/迭)¶
肚緊微有青色口撮不開肝風盛而脾土受制不可施¶
治凡有此候百無一治縦使得安亦非長夀¶
控痰飲¶
　　蝎尾　銅青(各半/錢)朱砂(一/錢)膩粉(一/字)麝香(少/許)¶
　右為末每服一字臘茶清調下先吐風痰然後和胃¶
　或有段甘草方吐痰隨輕重用¶
)";

// 赤水玄珠 卷二十五 and 卷三十: a usage, then the next section's title two spaces in, with notes or named a
// 門.
const char* const kTitleWithNotesAfterUsage = R"(麝香散　治臍風撮口¶
　赤脚蜈蚣(酒炙/半條)川烏頭尖(三/個)麝香(少/許)¶
　　右為末每服半字金銀湯調下¶
立聖散　治臍風撮口¶
　赤蜈蚣(一條/酒炙)蝎梢(七/個)瞿麥(五/分)殭蠶(七個/炒)¶
　　右為末先用鵞毛管吹少許入鼻啼哭則可治仍¶
　　用薄荷湯調三五分¶
　　臍突光腫　(臍汁不乾/)　(附腸癰/)¶
生生子曰小兒月内旬日臍突光腫如吹捻動微響赤¶
　腫虚大可畏此由初生先斷其帶束縛不𦂳浴洗之¶
)";
const char* const kChapterAfterUsage = R"(㧞毒散　敷痔腫毒處¶
　大黄　黄蘗　白芨　石膏　黄芩　黄連　白蘝¶
　梔子　朴硝(各等/分)¶
　　右為末用井花水調塗¶
　　湯火門¶
凡湯火傷急向火炙雖極痛強忍一時即不痛慎勿以¶
　冷物塌之及井底泥𫝊之使熱氣不出爛入肌肉¶
)";

// 普濟方 卷三百三: the herb line after a full one, cut in the middle of 吳茱萸, set one space in.
const char* const kHerbsCarriedOneSpaceIn = R"(赤箭散(出聖/惠方)　治金瘡中風痙口噤不語¶
　　赤箭(一/兩)桂心　防風(去/蘆)巴豆(去皮心研紙裹/壓去油各三分)吳茱¶
　茰(半兩湯浸七/遍焙乾微炒)附子(三分炮製/去皮臍)乾蝎(半兩/生用)¶
　右為末用釅醋三升熬成膏可丸即丸梧桐子大每¶
　服不計時候以熱䓤酒下三丸服後汗出為効¶
蛇啣草散(出聖/惠方)　治金瘡中風痙内傷疼痛¶
)";

// 傷寒類方 卷二: the articles that prescribe a recipe printed after it.
const char* const kArticlesAfterTheRecipe = R"(白頭翁湯(十八/)¶
　白頭翁(二兩/)黄連　　黄蘖　　秦皮(各三/兩)右四味¶
　以水七升煮取二升去滓温服一升不愈更服一升¶
熱利下重者白頭翁湯主之(凡下重皆/屬於熱)¶
下利欲飲水者以有熱故也白頭翁湯主之¶
牡蠣澤瀉散(十九/)¶
)";

// 仁齋直指 卷八 (a paragraph edition) and 證治準繩 卷三十三: a title printed elsewhere, then the title of the
// recipe printed here, carried on in the same paragraph or on the same line.
const char* const kReferenceThenTitleInAParagraph = R"(　　右㕮咀每服四錢水盞半薑五片煎八分食後温服¶
¶
　　消風百解散(和濟方)治咳𠻳聲重身熱頭疼(方見傷風門)¶
加減三竒湯(東垣方)治咳嗽上氣喘促胸膈不利¶
¶
　　枳梗　　　　陳皮　　　　甘草¶
¶
　　青皮　　　　人參　　　　紫蘇¶
¶
　　桑白皮(各五錢)　半夏(七錢)　　　杏仁(三錢)¶
¶
　　五味子(四錢)¶
¶
　　右㕮咀每六七錢入薑煎服¶
)";
const char* const kReferencesThenTitleOnALine = R"(滋隂地黄丸(見目/昏)　選竒湯(見頭/痛)　抵聖散　治目偏¶
　風牽疼痛¶
　　荆芥穗(二/兩)　芎藭　羌活(去/蘆)　楮實(麩/炒)　木賊(各/一)¶
　　(兩/)　甘草(炙半/兩)¶
　右為細末每服二錢食後茶清調服¶
)";

// 證治準繩 卷二十三 and 三因方 卷四: a title, then the clause that says what the recipe treats.
const char* const kTitleThenClause = R"(治嗽得效方　治諸嗽乆不瘥¶
<pb:KR3e0078_WYG_023-11b>¶
　　人參　欵冬花　白礬(枯/)佛耳草　甘草(各二/錢)¶
　右剉碎作一服用水二鍾生薑三片棗一枚烏梅半¶
　個煎至七分食後服¶
)";
const char* const kTitleThenClauseCarried = R"(治中方　治太陰傷寒手足温自利不渇腹滿時痛咽¶
　乾其脈尺寸俱沉細¶
　　人参　炮薑　白术　甘草　陳皮　青皮¶
)";

// A formula as the parser hands it on, for the steps that rename formulas after parsing.
RawFormula recipe(const char* name, bool derived, const char* indications = "", const char* cited = "") {
    RawFormula formula;
    formula.name = QString::fromUtf8(name);
    formula.indications = QString::fromUtf8(indications);
    formula.cited = QString::fromUtf8(cited);
    formula.derived = derived;
    return formula;
}

const RawFormula* named(const std::vector<RawFormula>& formulas, const QString& name) {
    for (const RawFormula& formula : formulas) {
        if (formula.name == name)
            return &formula;
    }
    return nullptr;
}

// 普濟方 卷一百二: 天門冬 and 甘草 cut by the ends of full lines ("天門" / "冬(各一…", "甘" / "草").
const char* const kWrappedHerb = R"(經外干于腑不愈則加頭疼面赤而渴燥也¶
　　　方¶
五補丸(出千/金方)凡風服湯藥多患虛熱翕翕宜除熱¶
　　防風　人參　蓯蓉　乾地黄　麥門冬　天門¶
　　冬(各一/兩半)芍藥　獨活　乾薑　白术　丹參　甘¶
　　草　茯神　升麻　黄耆　甘菊花　地骨皮¶
<pb:KR3e0067_WYG_102-35b>¶
　　石斛　食茱萸(一云山/茱萸)牛膝　五加皮　薯蕷(各/三)¶
　　(十/銖)秦芁　芎藭　桂心　防己　生薑屑　黄芩¶
　　(各一/兩)附子(十八/銖)石膏　寒水石(二/兩)羚羊角(一兩/半)¶
　右為末白蜜和丸如梧桐子大生薑蜜湯服二十丸¶
)";

// 聖濟總錄纂要 卷十九: 當歸 cut at the end of a line one cell short of the column.
const char* const kNearlyFull = R"(七香丸方　治口及身殠¶
　　白豆䓻仁　丁香　藿香　零陵香　青木香¶
　　白芷　桂心(各一/兩)　香附子(二/兩)　甘松香　當¶
　　歸(各半/兩)　檳榔(二/枚)　沉香(一/兩)¶
　為末鍊蜜和丸常含一丸大豆大咽汁日三夜一亦¶
)";

// 普濟方 卷四: ingredients set out as a table, two-character names spread over their cells.
// A line a cell short of the column that ends in the first half of 麥門冬; notes make the cell count
// uncertain, so the herb words tell.
const char* const kCutShort = R"(補肺湯(出聖濟/總録)　治吐血後胸中痞痛口燥不喜食¶
　　黃耆(細/剉)　桂(去粗/皮)　生乾地黃(焙/)　赤茯苓(去黒/皮)¶
　　厚樸(去粗皮生/薑汁炙)　紫苑(去苖/土)　當歸(切/焙)　陳橘¶
　　皮(湯浸去白/焙乾用)　五味子(各二/兩)　逺志(去/心)　麥門¶
<pb:KR3e0067_WYG_190-19a>¶
　　冬(去心/焙)　甘草(炙/剉)　鍾乳(研成/粉)　白石英(研成/粉)¶
　　桑白皮根(剉炒各/一兩)　人参(一/兩)¶
　右粗搗篩再入研藥同和匀每服五錢以水一盞半¶
　大棗二枚劈破同煎至一盞去滓温服日二夜一¶
)";

// The same herbs printed whole elsewhere, and two that stand side by side without being one word.
const char* const kWholeHerbs = R"(　　麥門冬(去心一/兩)　陳橘皮(湯浸去白/一兩)　甘草(炙半/兩)　蘇木(剉二/兩)¶
　　陳橘皮(去白/焙)　麥門冬(各二/兩)　甘草(一/兩)　蘇木(一/兩)¶
　　鷄蘇(一/兩)　木賊(一/兩)　當歸(切焙/二兩)　木賊(去節/半兩)¶
)";

// 又方 told as running text over a full line: the line ends inside 麥門冬.
const char* const kRunningAgain = R"(治人心下虛悸方¶
　麻黄半夏等分蜜丸如大豆日三丸半夏湯洗去滑乾¶
又方茯苓乾地黄各四兩人參桂各三兩甘草二兩麥¶
　門冬一斤去心半夏六兩洗滑生薑一斤以水一斗¶
　又殺烏鷄取血及肝心煮三升分四服日三夜一其¶
　間少食無爽作三劑差¶
)";

// A title after "and also" (外臺): its 又方 are recipes for 胡臭, not for the recipe before it.
const char* const kAgainTitle = R"(　　風人聞香四七日靜洗手水落地香五七日把他人¶
　　手亦香禁五辛下氣去臭第一(出第六/卷中)¶
又石灰散主胡臭方¶
　　青木香　　楓香　　　丁香　　　薫陸香(各/二)¶
　　(兩/)　　　　陽起石　　橘皮(各三/兩)　礬石(四兩/燒)¶
　　石灰(一升/熬)¶
　右八味𢷬下篩以綿作篆子麤如四指長四寸展取¶
　藥著上即以絹囊盛之繫著臂先以布拭揩令痛然¶
　後夾之¶
又方¶
　　水銀胡粉面脂研和傅之大驗(救急/同)¶
)";

// A recipe, then a title the parser cannot read, then a 又方 of that title's: the 又方 has no known parent.
const char* const kAgainAfterUnreadTitle = R"(狼牙湯(古今/錄驗)療婦人隂蝕其中爛傷膿水淋漓臭穢¶
　狼牙(三/兩)右㕮咀以水四升煮取半升去滓内苦酒如¶
　雞子中黄大沸湯一盃消盡夜適寒温以綿纒筯頭¶
　大如繭濡湯以瀝瘡中日四五度即瘥¶
補遺治産後隂户生瘡¶
　　青黛　黄丹　水粉　五倍子(等分/為末)¶
　用賣肉鋪上拭肉巾燒為末和前藥先以荆芥薄荷¶
　柏葉煎湯洗浄後摻藥如瘡乾可用油調末塗之¶
又方　平胃散加貫衆末每服二錢熟煮豬肝拌藥内¶
　隂户中¶
)";

// The complaint and at once its recipe, with no 方 between them.
const char* const kComplaintThenRecipe = R"(治蠍螫(出徳生/堂方)¶
　即以前神仙奪命丹一丸磨水塗之立住疼三上無¶
　不驗(奪命丹方見咽/喉門喉痺煩)¶
治蠍螫人用石榴花葉及皮爛搗炒令熱封疼上冷即¶
　換之¶
又方(出聖/惠方)用黑角梳掌熱炙熨之¶
)";

// A title that names only the complaint: its words are the indication, for the 又方 after it as well.
const char* const kComplaintTitle = R"(解砒毒方¶
　右用菉豆半升細擂去滓以新汲水調通口服¶
<pb:KR3e0059_WYG_010-37b>¶
　或用真靛花二錢分作二服以井花水濃調服　紫¶
　河車研水調服¶
又方用早禾稈燒灰新汲水淋汁絹巾濾過冷服一椀¶
<pb:KR3e0059_WYG_010-38a>¶
　毒從下利即安¶
)";

// A sentence of the text that wraps at 治 onto the margin: "…灸刺諸藥不能" / "治抵當烏頭桂枝湯主之".
const char* const kSentenceAtTheMargin = R"(　右三味以水八升煮取三升温服七合日三服若寒¶
　多者加生薑成一觔痛多而嘔者加橘皮二兩白术¶
寒疝腹中痛逆冷手足不仁若身疼痛灸刺諸藥不能¶
治抵當烏頭桂枝湯主之¶
　註曰起于寒疝腹痛而至逆冷手足不仁則陽氣大¶
烏頭桂枝湯方¶
　烏頭¶
　右一味以水二升煎减半去滓以桂枝湯五合觧¶
)";

// Herbs without doses whose usage says they are taken in equal parts (局方, paragraphs between blank lines).
const char* const kEqualParts = R"(　　右為細末每服二錢入鹽少許用沸湯㸃服不拘時¶
¶
　　二薑丸飬脾温胃去冷消痰大治心脾疼寛胸下氣進¶
美飲食療一切冷物所傷並皆治之¶
¶
　　乾薑(炮)　　　　　　　良薑(去蘆頭)¶
¶
　　右件等分為細末麫糊為丸如梧桐子大每服十五¶
丸至二十丸食後橘皮湯下姙娠婦人不宜服¶
¶
)";

// An essay that closes with advice, and case histories after it: no recipe.
const char* const kAdviceAndCases = R"(數而無力隂虗也用六味地黄丸若面黄目澁眵多手¶
麻者脾肺虗也用黄茋芍藥湯¶
　　治驗¶
　一小兒嗽血發熱用四物湯加参术而愈後飲食過多¶
　腹脹嗽血用六君子湯而安¶
)";

const char* const kTable = R"(可治以人參黄耆湯¶
　　　人　參　　　白茯苓　　　熟地黄¶
　　　甘　草(炙/)　　地骨皮(各半/兩)　黄　耆¶
　　　白芍藥　　　桔　梗　　　天門冬¶
　　　半　夏(製/)　當　歸(各一/兩)　陳　皮(去白/二兩)¶
　右㕮咀入生薑十片水煎一兩去滓食前服滋養血¶
)";

// 赤水元珠 卷五: herbs without doses on the clause's indent, the dose only on the last line.
const char* const kUndosedHerbs = R"(葶藶丸　治涌水証如溢囊裹裡漿或遍身腫滿按腹¶
　不堅疾行則濯濯有聲或喘欬不定¶
　葶藶(炒/)澤㵼　椒目　桑白皮　木猪苓¶
　杏仁(各五/錢)¶
　　為末煉蜜丸梧子大每二三十丸葱白湯下不拘¶
)";

// 聖濟總錄纂要 卷六: ingredients without doses, usage one space in without 右; a 當歸 name.
const char* const kPlainUsage = R"(白頭翁湯　治熱痢下重¶
　　白頭翁　川連　川栢　秦皮(三/兩)¶
<pb:KR3e0027_WYG_006-26b>¶
　水煎三錢温服¶
當歸湯　治冷痢裏急後重¶
　　川歸(酒/炒)胡椒　乾薑　阿膠(一/兩)川連　紫朴(二/兩)¶
　共末醋熬膠末為膏丸梧子大陳皮湯下二十丸¶
　　　痢後脱肛¶
<pb:KR3e0027_WYG_006-27a>¶
)";

// 普濟方 卷二百十三: a section title set three spaces in ends the record before it.
const char* const kSectionTitle = R"(四物湯　治休息痢¶
　熱湯下駐車丸每服百粒痢初服而愈¶
治休息痢¶
　用梅根葉煎濃湯服之¶
<pb:KR3e0067_WYG_213-15a>¶
　　　痢兼渇(附論/)¶
夫痢不瘥則腸胃虚弱津液减耗不能上潤於咽嗌故¶
口舌焦乾而内煩使人引飲飲多則濕氣淫溢肌肉虚¶
浮而痢亦不瘥¶
　　　又方¶
人參湯　治洩痢上膈虚熱煩渇引飲口瘡不下食困¶
　劣¶
　　人參　白茯苓　木香　麥門冬　葛根　前胡¶
)";

// 普濟方 卷一百一, the end of the file: the colophon closes the 卷, not the last recipe.
const char* const kColophon = R"(　如白膠汗從腰脚中出候汗盡煖五木湯浴湏慎風¶
　一日更三五日一服¶
<pb:KR3e0067_WYG_100-43b>¶
　¶
　¶
　普濟方卷一百一¶
)";

// 玉機微義 卷九 and 普濟方 卷二百四十一: headings that only point at a recipe in another chapter.
const char* const kStub = R"(　皆其法也¶
　　治風熱之劑¶
川芎石膏湯¶
　　(方見中風門/)¶
仙术芎散治風熱燥熱¶
　　防風通聖中加菊花藿香砂仁减麻黄芒硝¶
　右為末每服一二錢¶
紫雪方　此方主療脚氣毒遍内外煩熱口中生瘡¶
　及狂易呌走並善解諸般草熱藥毒發邪熱卒黄等¶
　效¶
　　　方見積熱痼冷門諸熱類¶
)";

// 太平惠民和劑局方 卷九: a name run on into its description, taken because doses follow.
const char* const kRunOnName = R"(¶
　　四物湯調益榮衛滋飬氣血治衝任虚損月水不調臍¶
腹㽲痛崩中漏下血瘕塊硬發歇疼痛姙娠宿冷將理¶
失宜胎動不安血下不止及産後乗虚風寒内摶惡露¶
不下結生瘕聚少腹堅痛時作寒熱¶
¶
<pb:KR3e0033_WYG_009-13b>¶
　　當歸(去蘆酒浸炒)川芎　　　　熟地(酒浸蒸)芍藥(白各等分)¶
¶
　　右為粗末每服三錢水一盞半煎至八分去查熱服¶
空心食前若姙娠胎動不安下血不止者加艾十葉¶
)";

// 太平惠民和劑局方 卷二: ingredient lines of a paragraph edition, one of them opening with 石膏.
const char* const kParagraphIngredients = R"(¶
　　林檎散治傷寒及時行疫癘頭痛項强壯熱惡寒腰背¶
四肢拘急煩疼面赤咽乾嘔逆煩渴¶
¶
<pb:KR3e0033_WYG_002-2b>¶
　　山梔子(去皮)　麻黄(去節)　　乾葛¶
¶
　　川大黄　　蒼术(去皮)　　肉桂(去麄皮)¶
¶
　　石膏(各一兩半)　木通　　　當歸(去蘆洗)¶
¶
　　甘草(炙)　　瞿麥　　　川芎¶
¶
　　右為麄末毎服二錢水一盞入林檎糝十數斤新者¶
亦得煎七分稍熱服不拘時相次再服衣被葢汗出¶
為度¶
)";

// 醫門法律 卷四: a formula printed without ingredients, then a note, then the next formula's header.
const char* const kHeaderAfterNote = R"(¶
　　(二十)麻黄附子甘草湯　治傷寒少陰經二三日無裏證¶
用此方温經微發其汗金匱用治少陰水病少氣脉¶
沉虚脹者發其汗即已又少陰無裏證而有表證反¶
發熱者去甘草加細辛名麻黄附子細辛湯二方皆¶
<pb:KR3e0092_WYG_004-9b>¶
少陰表法也¶
¶
　　(已上十四方引證仲景傷寒證治)¶
¶
　　(二十一)白朮附子湯　金匱治風濕相搏身體煩疼不能轉¶
側脉浮虚而濇者用桂枝附子湯若大便堅小便自¶
利者用此方¶
¶
　　白朮(二兩)附子(一枚半炮去皮)甘草(一兩炙)生薑(一兩半切)¶
¶
　　大棗(六枚劈)¶
¶
　　右五味以水三升煮取一升去滓分温三服一服覺¶
)";

// 新編金匱要畧方論 卷上: everything indented, the heading five spaces in.
const char* const kDeepIndent = R"(　太陽病其證備身體強几几然脉反沉遲此爲痓括樓¶
<pb:KR3e0007_SBCK_001-5b>¶
　桂枝湯主之¶
　　　　　括蔞桂枝湯方¶
　　　　　　括蔞根(二/兩)桂枝(三/兩)芍藥(三/兩)¶
　　　　　　甘草(二/兩)生姜(三/兩)大棗(十二/枚)¶
　　　　右六味以水九升煮取三升分温三服取㣲汗¶
　　　　汗不出食頃啜熱粥發之¶
　太陽病無汗而小便反少氣上衝胸口噤不得語𣣔作¶
)";

// 注解傷寒論 卷三: the commentary between the ingredients and a usage printed at the margin.
const char* const kCommentary = R"(葛根湯方¶
　　葛根(四/兩)麻黄(三兩/去節)桂(二兩/去皮)¶
<pb:KR3e0008_SBCK_003-1b>¶
　　芍藥(二兩/㓛)丼草(二兩/炙)生薑(三兩/切)¶
　　大棗(十二/枚擘)¶
　本草云輕可去實麻黄葛根之属是也此以中¶
　風表實故加二物於桂枝湯中也¶
右㭍味㕮咀以水一斗先煑麻黄葛根减二升去¶
沫内諸藥煑取三升去滓温服一升覆取㣲似汗¶
不須啜粥餘如桂枝法將息及禁忌¶
太陽與陽明合病者必自下利葛根湯主之¶
)";

// 注解傷寒論 卷三: ingredients one space in, the commentary after them, and the usage, at the margin.
const char* const kCommentaryAtMargin = R"(葛根黄芩黄連湯方¶
　葛根(半斤)丼草(二兩炙/味丼平)¶
　黄芩(二兩味/苦寒)黄連(三兩味/苦寒)¶
<pb:KR3e0008_SBCK_003-3b>¶
　内經曰丼發散爲陽表未解者散以葛根丼草¶
　之丼苦以堅裏氣弱者堅以黄芩黄連之苦¶
右四味以水八升先煑葛根减二升内諸藥煑取¶
二升去滓分温再服¶
太陽病頭痛發熱身疼腰痛骨節疼痛惡風無汗¶
)";

// 外臺祕要方 卷一: a title that the text runs on into, "…作此黄連解" / "毒湯方".
const char* const kRunOnTitle = R"(　　以豬膽灌下部用亦立通(張仲景傷寒論云豬膽/和法醋少許灌穀道中)¶
又前軍督護劉車者得時疾三日已汗解因飲酒復劇¶
苦煩悶乾嘔口燥呻吟錯語不得卧余思作此黄連解¶
毒湯方¶
　　黄連(三兩/)　黄芩　　　黄蘗(各二/兩)　梔子(十四/枚擘)¶
<pb:KR3e0015_WYG_005-41b>¶
　右四味切以水六升煑取二升分二服一服目明再¶
)";

// 壽親養老新書 卷一: a 治… clause wrapped into the name's line.
const char* const kTwoLineTitle = R"(　　四時通用男女婦人方¶
<pb:KR3e0021_WYG_001-11a>¶
治老人風熱上攻頭旋運悶喜卧怔悸起即欲倒背急¶
身强旋覆花散(女人/通用)¶
　旋覆花(半/兩)　　　前胡(一/兩)　　　麥門冬(一兩/去心)¶
　蔓荆子(半/兩)　　　白术(二/分)　　　枳殻(二分去/穰麵炒)¶
　右為末每服三錢水一中盞入薑半分同煎至六分¶
　去滓温服不計時候¶
)";

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

// 普濟方 卷三百八十五 and 卷三百六十四: names that end in 餅子 and 飲子.
const char* const kZiNames = R"(化涎餅子　治小兒風熱涎盛發喘嗽¶
　　鉄粉(研/)人參　白术　硼砂　馬牙硝　粉霜¶
<pb:KR3e0067_WYG_385-5a>¶
　　牛黄　麝香(各一/錢)丹砂(二錢/研)¶
　右搗研為細末煉蜜和丸如皂子大捻作餅子别以¶
　丹砂為衣二嵗兒服半餅子薄荷湯化下¶
羚羊角湯　治小兒風熱心膈煩悶身體壯熱少睡多¶
)";
const char* const kZiWithNote = R"(凉膈飲子(一名清/肺飲子)治&KR0630;鼻清肺¶
　　桑白皮　地骨皮　黄芩　生乾地黄(各等/分)¶
　右㕮咀水煎去滓食後大小加减服¶
<pb:KR3e0067_WYG_364-65a>¶
石膽散　治鼻乾病疳蟲上蝕於鼻赤痒及連唇生瘡¶
)";

// 普濟方 卷一百三十五: the usage's last words carried to a line set one step further in.
const char* const kUsageCarriedOn = R"(桂心散　治隂毒傷寒項直脚冷百節疼痛¶
　　桂心　麻黄(去根/節)附子(炮製去皮/臍各三兩)甘草(炙微/赤剉)赤芍¶
　　藥　乾薑(炮製/剉)枳殻(麩炒黄/去穰)杏仁(去皮尖雙仁麩/炒微黄各半兩)¶
　　柴胡(一兩/去苗)¶
　右㕮咀為散毎服四錢以水一中盞入生薑半分煎¶
<pb:KR3e0067_WYG_134-26a>¶
　　至六分去滓不計時候稍熱頻服汗出為度¶
迴陽丹　治隂毒傷寒面青手足逆冷心腹氣脹脈候¶
)";

// 外臺秘要方 卷二十二: a chapter's count of its recipes after the last recipe of the chapter before.
const char* const kRecipeCount = R"(崔氏療緊脣方¶
　　取膝頭垢綿裹燒傅之¶
又方¶
　　取屠兒肉几上垢燒塗之¶
又方¶
<pb:KR3e0015_WYG_026-65a>¶
　　燒人屎灰傅之¶
又方¶
　　馬芥亦名刺芥𢷬取汁日暴令濃先揩脣使血出¶
　　以藥匕塗之亦療刺風(並出第/四卷中)¶
　　瀋脣瘡爛方五首¶
肘後療瀋脣常瘡爛方¶
　　以五月五日鯉魚血墨和塗¶
)";

// 證治準繩 卷九十一: the header line fills its column and ends in the first herb's head, "黄" / "耆(剉)".
const char* const kHerbHeadOnHeader = R"(聖惠黄耆散　治小兒痢渴心胸煩悶不欲飲食　黄¶
　　耆(剉/)麥門冬(去心/焙)黄芩(各三/分)烏梅肉(三枚/微炒)龍骨(一/兩)¶
　　白术　黄連(微炒去鬚/各半兩)¶
　右件藥搗麄羅為散每服一錢以水一小盞煎至五¶
　分去滓不計時候量兒大小分減温服¶
<pb:KR3e0078_WYG_091-3b>¶
黄芩散　治小兒痢渴不止　黄芩　訶梨勒(煨用/皮)樗¶
)";

// 外科理例 附方: the clause carried on to a line with a note of its own, before the ingredients.
const char* const kClauseWithNote = R"((四/四)流氣飲　治流注及一切恚怒氣結腫作痛或胸膈¶
　痞悶或風寒濕毒摶于經絡致氣血不和結成腫塊¶
　肉色不變或漫腫木悶無頭(即瘡科流氣飲/)¶
<pb:KR3e0073_WYG_008-15b>¶
　桔梗(炒/)　人參　　當歸(酒拌/)官桂　　甘草(炙/)¶
　黄耆(鹽湯/浸炒)厚朴(姜製/)防風　　紫蘇　　芍藥¶
　烏藥　　枳殻(各七/分)㯽榔　　木香　　川芎¶
　白芷(各五/分)¶
　水二鍾煎八分食逺服¶
(四/五)獨參湯　治潰瘍氣血虛極惡寒或發熱或失血之¶
)";

// 赤水元珠 卷二十二: herbs without doses between a 治… title and its usage.
const char* const kUndosedUnderTitle = R"(治逆産¶
　蛇退(一條順下/完全者)　蠶退紙(一張/)¶
　　右共入新瓦罐内鹽泥固濟煆存性為末煎榆白¶
　　皮湯下一錢三服覺痛便生¶
又方　伏龍肝(研/末)毎服一錢酒調下兒戴土而下¶
)";

// 證治準繩 卷六十五: the clause runs on into the line where the herbs begin; their own lines are set deeper.
const char* const kClauseIntoHerbs = R"(阿膠散　治妊娠或因頓仆胎動不安腰痛腹滿或有¶
　所下或胎上搶心　熟地黄(二/兩)白芍藥　艾葉　當¶
　　歸　甘草　阿膠　黄茋(各一/兩)　一方有川芎¶
　右㕮咀每服半兩薑三片棗一枚同水煎¶
又方　治妊娠胎動不安心神虛煩腹内痛¶
)";

// 赤水元珠 卷二十二: herbs without doses under a header whose clause ends on its own line.
const char* const kUndosedUnderHeader = R"(催生柞木飲子　難産或胎爛腹中腹悶神效¶
　生柞木(一尺/剉)甘草(大者/五寸)¶
　　右水三鍾封罐口煎一鍾半候胎順産門徐徐温¶
　　服即時分娩更無諸苦¶
催生如神散　治横生逆産其功甚大¶
)";

// 赤水玄珠 卷二十六: a 又方 under a new section, after a recipe told as prose, is no recipe of the formula
// before.
const char* const kAgainInNewSection = R"(雄黄丸　治癖積痰𠻳嘔吐¶
　雄黄(五/錢)半夏　神麯　白麵(各一/兩)巴霜(四十九/粒另研)¶
　　右末滴水為丸菉荳大用米糠拌炒赤色每服七¶
　　丸加至十丸嘔吐薑湯下痰𠻳虀菜汁下¶
　　吐瀉門¶
凢霍亂吐不止者用蘆稷米炒黄煎湯飲之立止¶
又方　白扁荳嫩苗煎湯飲之立止如無嫩苗時月即¶
　用白扁荳炒過煎湯與之亦安¶
)";

// 仁斋直指 卷十五: a formula told in its usage alone, then its 又方; and 普濟方 卷三百二: a 又方 after a
// cross-reference.
const char* const kUsageOnlyParent = R"(濕秘㯽榔散治腸胃有濕大便秘澁¶
　　㯽榔(不拘多少/)¶
　右為末毎服二錢用蜜湯㸃服不以時候¶
通治甘遂散治大小便不通¶
　右以甘遂二兩赤皮者為末煉蜜二合和勻毎一兩¶
　重分作四服日進一服蜜水下未知日二脈漸加之¶
又方葵子末三合青竹葉一把水一升煑五沸頓服¶
)";
const char* const kAgainAfterStub = R"(檳榔散　治金瘡接筋補骨并血不止¶
　　㯽榔(剉/)黄連(去鬚並/生用)¶
　右等分搗羅為散乾傅之瘡上¶
治金瘡續筋骨(方見毒箭所傷類/一名庭賓散方)¶
又方(出肘/後方)¶
　用石灰細篩以麻油和之作丸如栝蔞許大以炭火¶
)";

// 普濟方 卷四百二十: the acupuncture chapter's points under a 治… title.
const char* const kPointList = R"(治心痛難俛仰及治心寒心疝衝冐死不知人¶
　　穴　中脘　　治痛搶心　穴　腹結　行間¶
治卒痛煩心中懊憹數欠頻伸心下悸悲　穴　通理¶
)";

// 肘後備急方 卷六: a source before the verb, "又" before another source, and a title with its recipe.
const char* const kSourcesBeforeTheVerb = R"(錢相公篋中方療誤吞錢¶
　以磁石棗許大一塊含之立出¶
又方取艾蒿一把細剉用水五升煎取一升頓服便下¶
又外臺祕要¶
　取飴糖一斤漸漸盡食之鐶及釵便出¶
治卒不得語方以苦酒煮苽子傅頸一周以衣包一日¶
　一夕乃解即差¶
)";

// 赤水玄珠 卷八: herbs one space in without doses, the usage two spaces in.
const char* const kHerbsOneSpaceIn = R"(桂枝羗活湯　處暑前後頭痛項强脉浮惡風有汗¶
　桂枝　羗活　防風　甘草(炙/)¶
　　各等分為粗末每服五錢水一盞半煎至一盞迎¶
　　發日温服吐者加半夏麴¶
麻黄羗活湯　頭痛項强脉浮惡風無汗¶
)";

// 赤水玄珠 卷十五: herbs under a clause carried on, the first herb cut by the line's end, the dose at the
// end.
const char* const kHerbsAfterCarriedClause = R"(八正散　治大人小兒心經藴熱臟腑閉結小便赤澀¶
　癃閉不通熱淋血淋膏淋沙淋石淋並皆治之　車¶
　前子　瞿麥　萹蓄　滑石　甘草　山梔　大黄¶
　(麵包/煨)木通(各等/分)每服五七錢入燈心十莖煎至六分¶
　　食前服¶
又方　治諸淋¶
)";

// 普濟方 卷二百九十七: a usage that calls for more herbs, printed after it.
const char* const kRecipeInStages = R"(抵金膏　治諸般痔漏久不愈者¶
　　花蘂石(火煆過醋/淬研碎)生硫黄(細/研)黄丹(細/研)¶
　　蚌粉(細研以上五/味各二兩)自然銅(一兩火煆/醋淬研碎)¶
　已上六味同研勻用清油三十二兩入銅鍋内用炭¶
　火熬去油十兩次入後藥¶
　　草烏頭(四兩連皮/尖生用)骨碎補(去/毛)漢防己　龍骨　烏¶
　　藥　虎骨(如無用敗皂/五味各二兩)¶
　右件同入前鍋内毎服一小匙温酒下¶
茶蒻散　治諸般痔漏下血疼痛¶
)";

// 御纂醫宗金鑑: the verse and the commentary after a recipe are no part of it.
const char* const kVerseAfterRecipe = R"(千金漏蘆湯　治鼻疽¶
　　漏蘆(二錢)　麻黄(一錢)¶
　右水煎服¶
(方/歌)千金漏蘆鼻疽發¶
　　麻黄升麻翘芩草¶
)";

// 御纂醫宗金鑑 卷二十六: the clause and a herb table one space in, the usage two, then the commentary.
const char* const kTableWithoutDoses = R"(生衇飲¶
　治熱傷元氣氣短倦怠口渇出汗¶
　人參　　　　　麥門冬¶
　五味子¶
　　水煎服¶
　(註/)經云大氣積於胸中則肺主之夫暑熱傷肺肺傷¶
　　則氣亦傷矣故氣短倦怠而喘欬也肺主皮毛肺¶
逍遥散(方見前/調經門)¶
　經行身痛¶
　　羌桂四物湯¶
　　黄耆建中湯¶
當歸六黄湯¶
)";

} // namespace

// 壽親養老新書 卷四: each recipe's name set deep on a line of its own, above the title that says what it
// treats.
const char* const kNameAboveTitle = R"(　　紫莧粥¶
治産前後赤白痢¶
　紫莧葉(細剉/一握)粇米(三/合)¶
　右先以水煎莧葉取汁去滓下米煮粥空心食之立¶
<pb:KR3e0021_WYG_004-68a>¶
　瘥¶
　　滑石粥¶
治産後小便不利淋澁¶
　滑石(半兩/别研)瞿麥穗(一/兩)粇米(三/合)¶
　右以水三升先煎瞿麥取二升半濾去滓将汁入米¶
　煮如常粥将熟入鹽少許葱白三寸方入滑石末煮¶
　令稀稠得所分作三度食之¶
)";

// 普濟方 卷一百五十九: the first stage only grinds; the herbs of the second and the real usage follow.
const char* const kTwoStages = R"(鹿角膠煎　治久肺氣咳𠻳¶
　　鹿角膠(四兩搗碎/炒令黄)赤茯苓(一/兩)紫苑(一兩去/苖土)紫蘇子¶
　　(二兩/炒)貝母(一兩/煨黄)百合(一/兩)¶
　上六味搗羅為末¶
　　杏仁(湯浸一兩去皮/尖雙仁炒研)生地黄汁(五/合)生薑汁(三/合)白蜜¶
　　(八/兩)牛酥(五/合)¶
　右藥都一處與地黄汁等相和攪勻於銀器内以慢¶
　火煎成膏每於食後含半棗大嚥津¶
蛤蚧丸　治久咳𠻳¶
　　蛤蚧(一對/)¶
)";

// 普濟方 卷五十: a title that recommends its recipe is the parent of the 又方 after it.
const char* const kRecommendedRecipe = R"(烏蛇圓　治風毒眉毛墮落冝服¶
　　烏蛇肉　白附子　白殭蠶　乾蠍　防風(各半/兩)¶
　右為末煉蜜和搗三二百杵丸如梧桐子大每日空¶
　心温酒下二十丸夜臨卧再服¶
治眉毛脱落冝用此方¶
　用蓮子草搗攪取汁磨生鐵塗之以手揩磨令藥氣¶
　透肉一日可三兩度塗之為妙¶
又方(出聖/惠方)¶
　用白礬十兩燒令汁盡細研為末以蒸餅和丸如梧¶
　桐子大每日空腹以温水下七丸日加一丸至四十¶
　丸减一丸周而復始効¶
)";

// 普濟方 卷四百二十二: moxibustion under a 治… title.
const char* const kMoxibustion = R"(治疝氣¶
　　於左右足下第二指中節横紋中各灸七壯至三¶
　　七壯止艾丸不須大如麥粒而𦂳實為上¶
)";

// 小兒衛生總微論方 卷十八: the 又方's own indication on its title line.
const char* const kAgainWithItsUse = R"(慱金散　治眼赤腫痛不可忍¶
　　黄連(一錢/)¶
　右為末毎用少許點之¶
又方洗風毒熱赤¶
　　銅碌(一錢/)滑石(二錢/)¶
　右研極細毎用少許沸湯㸃洗¶
)";

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
        auto dizzy = parseHeader(QStringLiteral("又方治風頭旋用蟬殻二兩微炒為末非時温酒下一"));
        QCOMPARE(dizzy->clause, QStringLiteral("風頭旋"));
        QCOMPARE(dizzy->rest, QStringLiteral("用蟬殻二兩微炒為末非時温酒下一"));
        auto asBefore = parseHeader(QStringLiteral("又方治如前以鹿角炙令熱安舌下"));
        QVERIFY(asBefore->clause.isEmpty()); // the complaint of the recipe before
        QCOMPARE(asBefore->rest, QStringLiteral("以鹿角炙令熱安舌下"));
        // 外臺秘要方: a title that says what the recipe treats, then again after 此方療; a sentence before 治
        // that ends in 不 names no book.
        auto twice = parseHeader(QStringLiteral(
            "唐侍郎大續命湯主手足攣急及不隨此方療苦脚氣上又中風四肢壯熱如火攣急或縱不隨氣衝胷中方"));
        QVERIFY(twice);
        QCOMPARE(twice->name, QStringLiteral("唐侍郎大續命湯"));
        QVERIFY(twice->clause.endsWith(
            QStringLiteral("手足攣急及不隨　苦脚氣上又中風四肢壯熱如火攣急或縱不隨氣衝胷中")));
        QVERIFY(parseHeader(QStringLiteral("生麥門冬湯方(外臺此方治礜石發)"))->clause.isEmpty());
        const auto recipe = parseColumn("唐侍郎大續命湯主手足攣急及不隨此方療苦脚氣¶\n"
                                        "上又中風四肢壯熱如火攣急或縱不隨氣衝胷中方¶\n"
                                        "　　當歸(二兩/)　芎藭(一兩/)桂心(一兩/)　麻黄(二兩/去節)¶\n"
                                        "　右十二味切以水九升煮取三升去滓分四服¶\n",
                                        21);
        QCOMPARE(recipe.size(), size_t(1));
        QCOMPARE(recipe[0].name, QStringLiteral("唐侍郎大續命湯"));
        QVERIFY(recipe[0].indications.endsWith(QStringLiteral("氣衝胷中"))); // the title's 方 is no complaint
        auto negated = parseHeader(QStringLiteral("小疾不治令人至死療之皆用升麻膏方"));
        QVERIFY(negated);
        QCOMPARE(negated->name, QStringLiteral("升麻膏"));
        QVERIFY(negated->cited.isEmpty() && negated->clause.isEmpty() && negated->needsIngredients);
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

    void wrappedHerbNamesStayWhole() {
        const SourceFile wide = snippet(kWrappedHerb);
        QCOMPARE(wide.fullWidth, 21); // the column of this edition
        QVERIFY(wide.wraps(wide.lines[3]));
        QVERIFY(!wide.wraps(wide.lines[5]));
        SourceFile unknown = wide;
        unknown.fullWidth = 0; // where the column is not known, nothing is taken as wrapped
        const auto before = parseFormulas(unknown);
        QCOMPARE(before.size(), size_t(1)); // doses two lines below the name still make it a header
        QVERIFY(before.front().ingredients.contains(QStringLiteral("丹參　甘　草")));
        const auto after = parseFormulas(wide);
        QCOMPARE(after.size(), size_t(1));
        QCOMPARE(after.front().name, QStringLiteral("五補丸"));
        QVERIFY(after.front().ingredients.contains(QStringLiteral("麥門冬　天門冬(各一兩半)芍藥")));
        QVERIFY(after.front().ingredients.contains(QStringLiteral("丹參　甘草　茯神")));
        QVERIFY(after.front().ingredients.endsWith(QStringLiteral("羚羊角(一兩半)")));
        QVERIFY(after.front().usage.startsWith(QStringLiteral("右為末白蜜")));

        SourceFile nearly = excerpt(kNearlyFull);
        nearly.fullWidth = 21;
        QCOMPARE(nearly.lines[2].width, 20);
        QVERIFY(!nearly.wraps(nearly.lines[1])); // ends in a whole name: 青木香 / 白芷
        QVERIFY(nearly.wraps(nearly.lines[2]));
        const auto aromatic = parseFormulas(nearly);
        QCOMPARE(aromatic.size(), size_t(1));
        QVERIFY(aromatic.front().ingredients.contains(QStringLiteral("青木香　白芷")));
        QVERIFY(aromatic.front().ingredients.contains(QStringLiteral("甘松香　當歸(各半兩)")));

        // The heading of this table is a sentence, and no record is made of it.
        const auto table = parseFormulas(excerpt(kTable));
        QVERIFY(!named(table, QStringLiteral("可治以人參黄耆湯")));
        const SourceFile cells = excerpt(kTable);
        QCOMPARE(closeTableCells(cells.lines[1].text), QStringLiteral("人參　　　白茯苓　　　熟地黄"));
        QCOMPARE(closeTableCells(cells.lines[2].text), QStringLiteral("甘草(炙)　　地骨皮(各半兩)　黄耆"));
        QCOMPARE(closeTableCells(cells.lines[4].text),
                 QStringLiteral("半夏(製)　當歸(各一兩)　陳皮(去白二兩)"));
        // Outside a table one space separates two ingredients.
        QCOMPARE(closeTableCells(QStringLiteral("白頭翁　川連　川栢　秦皮(三兩)")),
                 QStringLiteral("白頭翁　川連　川栢　秦皮(三兩)"));
    }

    void usageWithoutMarkerAndSectionTitles() {
        const auto formulas = parseColumn(kPlainUsage, 21);
        QCOMPARE(formulas.size(), size_t(2));
        QCOMPARE(formulas[0].ingredients, QStringLiteral("白頭翁　川連　川栢　秦皮(三兩)"));
        QCOMPARE(formulas[0].usage, QStringLiteral("水煎三錢温服"));
        QCOMPARE(formulas[0].indications, QStringLiteral("熱痢下重"));
        QCOMPARE(formulas[1].name, QStringLiteral("當歸湯"));
        QCOMPARE(formulas[1].usage, QStringLiteral("共末醋熬膠末為膏丸梧子大陳皮湯下二十丸"));
        QVERIFY(!formulas[1].ingredients.contains(QStringLiteral("痢後脱肛")));
        QCOMPARE(formulas[1].passageLast, 7); // the passage ends before the section title

        const auto undosed = parseFormulas(excerpt(kUndosedHerbs));
        QCOMPARE(undosed.size(), size_t(1));
        QCOMPARE(undosed[0].indications,
                 QStringLiteral("涌水証如溢囊裹裡漿或遍身腫滿按腹不堅疾行則濯濯有聲或喘欬不定"));
        QVERIFY(undosed[0].ingredients.startsWith(QStringLiteral("葶藶(炒)澤㵼　椒目　桑白皮　木猪苓")));
        QVERIFY(undosed[0].ingredients.contains(QStringLiteral("杏仁(各五錢)")));

        ParseStats stats;
        const auto titled = parseFormulas(excerpt(kSectionTitle), {}, &stats);
        QVERIFY(stats.sectionTitles >= 2);
        for (const RawFormula& formula : titled) {
            QVERIFY2(!formula.usage.contains(QStringLiteral("痢兼渇")), qPrintable(formula.name));
            QVERIFY2(!formula.ingredients.endsWith(QStringLiteral("又方")), qPrintable(formula.name));
        }
        const RawFormula* ginseng = named(titled, QStringLiteral("人參湯"));
        QVERIFY(ginseng);
        QCOMPARE(ginseng->indications, QStringLiteral("洩痢上膈虚熱煩渇引飲口瘡不下食困劣"));
    }

    void colophonsAndStubsAreNoRecipeText() {
        ParseStats stats;
        const auto formulas = parseFormulas(snippet(kColophon), {}, &stats);
        QCOMPARE(stats.colophons, 1);
        for (const RawFormula& formula : formulas)
            QVERIFY(!formula.usage.contains(QStringLiteral("普濟方卷")));
        QVERIFY(isColophon(QStringLiteral("金匱要略論註卷四")));
        QVERIFY(isColophon(QStringLiteral("普濟方巻二百二"))); // 巻, as the editions print it too
        QVERIFY(!isColophon(QStringLiteral("卷柏散　治脱肛")));

        ParseStats stubs;
        const auto noStub = parseFormulas(excerpt(kStub), {}, &stubs);
        QVERIFY(!named(noStub, QStringLiteral("川芎石膏湯")));
        QVERIFY(!named(noStub, QStringLiteral("紫雪方")));
        QCOMPARE(stubs.stubs, 2);
        const RawFormula* next = named(noStub, QStringLiteral("仙术芎散"));
        QVERIFY(next);
        QCOMPARE(next->usage, QStringLiteral("右為末每服一二錢"));
    }

    void headingRecall() {
        // 當歸 opens names; 當 alone still opens prose.
        QVERIFY(parseHeader(QStringLiteral("當歸湯　治冷痢裏急後重")));
        QVERIFY(!parseHeader(QStringLiteral("當以四物湯")));
        QVERIFY(!parseHeader(QStringLiteral("按前白虎加人參湯專治")));
        QVERIFY(!parseHeader(QStringLiteral("者屬調胃承氣湯方")));
        QVERIFY(!parseHeader(QStringLiteral("治目方用黄連多矣而羊肝丸尤奇異方")));

        const auto formulas = parseFormulas(excerpt(kRunOnName));
        QCOMPARE(formulas.size(), size_t(1));
        QCOMPARE(formulas[0].name, QStringLiteral("四物湯"));
        QVERIFY(formulas[0].indications.startsWith(QStringLiteral("調益榮衛")));
        QVERIFY(formulas[0].ingredients.startsWith(QStringLiteral("當歸(去蘆酒浸炒)川芎")));
        // Without doses after it, such a line stays prose.
        QVERIFY(parseFormulas(excerpt("¶\n　　四物湯調益榮衛滋飬氣血¶\n")).empty());

        const auto paragraph = parseFormulas(excerpt(kParagraphIngredients));
        QCOMPARE(paragraph.size(), size_t(1));
        QCOMPARE(paragraph[0].name, QStringLiteral("林檎散"));
        QVERIFY(paragraph[0].ingredients.contains(QStringLiteral("石膏(各一兩半)　木通")));
        QVERIFY(paragraph[0].ingredients.endsWith(QStringLiteral("瞿麥　川芎")));

        const auto afterNote = parseFormulas(excerpt(kHeaderAfterNote));
        const RawFormula* atractylodes = named(afterNote, QStringLiteral("白朮附子湯"));
        QVERIFY(atractylodes);
        QVERIFY(atractylodes->ingredients.startsWith(QStringLiteral("白朮(二兩)")));
        for (const RawFormula& formula : afterNote) {
            if (formula.name != atractylodes->name)
                QVERIFY(!formula.ingredients.contains(QStringLiteral("白朮")));
        }
    }

    void perBookLayouts() {
        const Layout deep = Layout::parse(QStringLiteral("headings=5 ingredients=6 usage=4"));
        QCOMPARE(deep.headingIndent, 5);
        QVERIFY(parseFormulas(excerpt(kDeepIndent)).empty());
        const auto formulas = parseFormulas(excerpt(kDeepIndent), deep);
        QCOMPARE(formulas.size(), size_t(1));
        QCOMPARE(formulas[0].name, QStringLiteral("括蔞桂枝湯"));
        QVERIFY(formulas[0].ingredients.endsWith(QStringLiteral("大棗(十二枚)")));
        QCOMPARE(formulas[0].usage,
                 QStringLiteral("右六味以水九升煮取三升分温三服取㣲汗汗不出食頃啜熱粥發之"));

        const auto plain = parseColumn(kCommentary, 19);
        QCOMPARE(plain.size(), size_t(1));
        QVERIFY(plain.front().usage.startsWith(QStringLiteral("本草云")));
        const auto withUsage = parseColumn(kCommentary, 19, QStringLiteral("commentary=1 usage=0"));
        QCOMPARE(withUsage.size(), size_t(1));
        QVERIFY(!withUsage[0].ingredients.contains(QStringLiteral("本草云")));
        QVERIFY(withUsage[0].usage.startsWith(QStringLiteral("右㭍味㕮咀")));
        QVERIFY(withUsage[0].usage.endsWith(QStringLiteral("將息及禁忌")));

        const auto atMargin = parseColumn(kCommentaryAtMargin, 19, QStringLiteral("commentary=1 usage=0"));
        QCOMPARE(atMargin.size(), size_t(1));
        QCOMPARE(atMargin[0].ingredients,
                 QStringLiteral("葛根(半斤)丼草(二兩炙味丼平)　黄芩(二兩味苦寒)黄連(三兩味苦寒)"));
        QCOMPARE(atMargin[0].usage, QStringLiteral("右四味以水八升先煑葛根减二升内諸藥煑取二升去滓分温再服"));
    }

    void sectionsOfAnEditionWithVerses() {
        const QString layout = QStringLiteral("ingredients=1 usage=2");
        const auto formulas = parseColumn(kSectionsWithVerses, 21, layout);
        // The title names the complaint of every recipe under its note; the next title takes over.
        const RawFormula* mahuang = named(formulas, QStringLiteral("麻黃湯"));
        const RawFormula* xijiao = named(formulas, QStringLiteral("犀角地黃湯"));
        const RawFormula* taoren = named(formulas, QStringLiteral("桃仁承氣湯"));
        QVERIFY(mahuang && xijiao && taoren);
        QCOMPARE(mahuang->indications, QStringLiteral("衂血"));
        QCOMPARE(xijiao->indications, QStringLiteral("衂血"));
        QCOMPARE(xijiao->usage, QStringLiteral("水煎服　便硬者加川大黃"));
        QCOMPARE(taoren->indications, QStringLiteral("吐血"));

        // A chapter's collection of recipes after its last section belongs to none of them.
        const auto collected = parseColumn(kSectionBeforeACollection, 21, layout);
        const RawFormula* sijunzi = named(collected, QStringLiteral("四君子湯"));
        QVERIFY(sijunzi);
        QVERIFY(sijunzi->indications.isEmpty());
        QCOMPARE(sijunzi->ingredients, QStringLiteral("人參　白术(土炒)　茯苓(各二錢)　甘草(一錢)"));

        // Blank lines where a figure stood do not turn the edition into one of paragraphs: the note
        // stays a note, and the recipe after it keeps its herbs.
        const auto padded = parseColumn(kSectionPaddedWithBlankLines, 21, layout);
        QCOMPARE(padded.size(), size_t(1));
        QCOMPARE(padded[0].name, QStringLiteral("山甲内消散"));
        QCOMPARE(padded[0].indications, QStringLiteral("中脘疽"));
        QVERIFY(padded[0].ingredients.startsWith(QStringLiteral("穿山甲(三大片炒)")));
        QVERIFY(padded[0].usage.endsWith(QStringLiteral("淡味調理")));

        // The names under "逍遙散(方俱見…)" are the next verse's, not a recipe of 逍遙散.
        QVERIFY(parseColumn(kReferencesThenSungNames, 21, layout).empty());

        // "…再入後藥" and the herbs two to a line: the second stage is the same recipe's.
        const auto staged = parseColumn(kSecondStageInPairs, 21, layout);
        QCOMPARE(staged.size(), size_t(1));
        QVERIFY(staged[0].ingredients.contains(QStringLiteral("當歸　熟地")));
        QVERIFY(staged[0].ingredients.endsWith(QStringLiteral("沒藥(各一錢)")));
        QVERIFY(staged[0].usage.endsWith(QStringLiteral("通口服")));
    }

    void titlesAfterAReference() {
        const auto paragraph = parseFormulas(excerpt(kReferenceThenTitleInAParagraph));
        QCOMPARE(paragraph.size(), size_t(1));
        QCOMPARE(paragraph[0].name, QStringLiteral("加減三竒湯"));
        QCOMPARE(paragraph[0].indications, QStringLiteral("咳嗽上氣喘促胸膈不利"));
        QVERIFY(paragraph[0].ingredients.startsWith(QStringLiteral("枳梗")));

        const auto line = parseColumn(kReferencesThenTitleOnALine, 21);
        QCOMPARE(line.size(), size_t(1));
        QCOMPARE(line[0].name, QStringLiteral("抵聖散"));
        QCOMPARE(line[0].indications, QStringLiteral("目偏風牽疼痛"));
    }

    void clauseAfterATitle() {
        const auto formulas = parseColumn(kTitleThenClause, 21);
        QCOMPARE(formulas.size(), size_t(1));
        QCOMPARE(formulas[0].name, QStringLiteral("治嗽得效方"));
        QCOMPARE(formulas[0].indications, QStringLiteral("諸嗽乆不瘥"));
        QVERIFY(formulas[0].ingredients.startsWith(QStringLiteral("人參")));
        const auto carried = parseColumn(kTitleThenClauseCarried, 21);
        QCOMPARE(carried.size(), size_t(1));
        QCOMPARE(carried[0].indications, QStringLiteral("太陰傷寒手足温自利不渇腹滿時痛咽乾其脈尺寸俱沉細"));
        QCOMPARE(carried[0].ingredients, QStringLiteral("人参　炮薑　白术　甘草　陳皮　青皮"));
        // 普濟方 卷八十五: the recipe told under the clause stays the recipe.
        const auto told = parseColumn(R"(治鹽擦眼(出經驗/良方)　治一切眼疾¶
　用籠蒻燒灰淋汁洗之久久可效¶
)",
                                      21);
        QCOMPARE(told.size(), size_t(1));
        QCOMPARE(told[0].indications, QStringLiteral("一切眼疾"));
        QCOMPARE(told[0].body, QStringLiteral("用籠蒻燒灰淋汁洗之久久可效"));
    }

    void indicationInTheArticlesAfter() {
        const auto formulas = parseColumn(kArticlesAfterTheRecipe, 21);
        QCOMPARE(formulas.size(), size_t(1));
        QCOMPARE(formulas[0].name, QStringLiteral("白頭翁湯"));
        QCOMPARE(formulas[0].indications, QStringLiteral("熱利下重者"));
        QVERIFY(formulas[0].ingredients.startsWith(QStringLiteral("白頭翁(二兩)黄連")));
    }

    void indicationAboveTheName() {
        const auto formulas = parseColumn(kIndicationAboveTheName, 21);
        QCOMPARE(formulas.size(), size_t(2));
        QCOMPARE(formulas[0].name, QStringLiteral("鱉甲散"));
        QCOMPARE(formulas[0].indications, QStringLiteral("腸痔"));
        QVERIFY(formulas[0].ingredients.startsWith(QStringLiteral("鱉甲")));
        QCOMPARE(formulas[1].name, QStringLiteral("鱉甲散又方"));
        QCOMPARE(formulas[1].indications, QStringLiteral("腸痔"));

        // "…不可施" / "治凡有此候…": the sentence goes on; it tells no indication of 控痰飲.
        const auto told = parseColumn(kTextThenName, 21);
        const RawFormula* kongtan = named(told, QStringLiteral("控痰飲"));
        QVERIFY(kongtan);
        QVERIFY(kongtan->indications.isEmpty());
    }

    void titlesAfterAUsageAndHerbsOneSpaceIn() {
        const QString layout = QStringLiteral("ingredients=1 usage=2");
        const auto noted = parseColumn(kTitleWithNotesAfterUsage, 21, layout);
        const RawFormula* lisheng = named(noted, QStringLiteral("立聖散"));
        QVERIFY(lisheng);
        QCOMPARE(lisheng->usage, QStringLiteral("右為末先用鵞毛管吹少許入鼻啼哭則可治仍用薄荷湯調三五分"));
        const auto chapter = parseColumn(kChapterAfterUsage, 21, layout);
        QCOMPARE(chapter.size(), size_t(1));
        QCOMPARE(chapter[0].usage, QStringLiteral("右為末用井花水調塗"));

        const auto carried = parseColumn(kHerbsCarriedOneSpaceIn, 21);
        QCOMPARE(carried.size(), size_t(1)); // the title after it has nothing under it here
        QVERIFY(carried[0].ingredients.contains(QStringLiteral("吳茱茰(半兩湯浸七遍焙乾微炒)")));
        QVERIFY(carried[0].ingredients.endsWith(QStringLiteral("乾蝎(半兩生用)")));
        QVERIFY(carried[0].usage.startsWith(QStringLiteral("右為末")));
    }

    void titlesRunOnFromText() {
        SourceFile file = excerpt(kRunOnTitle);
        file.fullWidth = 21;
        ParseStats first;
        const auto unknown = parseFormulas(file, {}, &first);
        QVERIFY(first.wantsNames);
        QVERIFY(!named(unknown, QStringLiteral("毒湯")));
        const QSet<QString> names{QStringLiteral("黄連解毒湯"), QStringLiteral("旋覆花散")};
        Layout layout;
        layout.knownNames = &names;
        const auto known = parseFormulas(file, layout);
        const RawFormula* found = named(known, QStringLiteral("黄連解毒湯"));
        QVERIFY(found);
        QVERIFY(found->ingredients.startsWith(QStringLiteral("黄連(三兩)")));

        SourceFile twoLines = excerpt(kTwoLineTitle);
        twoLines.fullWidth = 21;
        QVERIFY(named(parseFormulas(twoLines), QStringLiteral("身强旋覆花散")));
        const auto joined = parseFormulas(twoLines, layout);
        const RawFormula* inula = named(joined, QStringLiteral("旋覆花散"));
        QVERIFY(inula);
        QVERIFY(inula->runOn);
        QVERIFY(inula->indications.endsWith(QStringLiteral("起即欲倒背急身强")));
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
        QCOMPARE(records[0].provenance, QStringLiteral("KR3e0067/KR3e0067_100.txt:5-11 KR3e0067_WYG_100-2a"));
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

    void ziNamesStayWhole() {
        const auto cake = parseFormulas(snippet(kZiNames));
        QVERIFY(!cake.empty());
        QCOMPARE(cake[0].name, QStringLiteral("化涎餅子"));
        QCOMPARE(cake[0].indications, QStringLiteral("小兒風熱涎盛發喘嗽"));
        const auto drink = parseFormulas(snippet(kZiWithNote));
        QVERIFY(!drink.empty());
        QCOMPARE(drink[0].name, QStringLiteral("凉膈飲子"));
        QVERIFY(drink[0].indications.endsWith(QStringLiteral("鼻清肺")));
        QVERIFY(!drink[0].indications.startsWith(QStringLiteral("子")));
        // A bare heading line (證治準繩 卷三十五) is as long as its 子 allows.
        QVERIFY(parseHeader(QStringLiteral("轆轤轉關天門冬飲子")));
        QCOMPARE(parseHeader(QStringLiteral("轆轤轉關天門冬飲子"))->name,
                 QStringLiteral("轆轤轉關天門冬飲子"));
        // 錠子 too: "回疔錠子　治疔瘡大効" (普濟方), and the bare "保生錠子" (儒門事親).
        const auto lozenge = parseHeader(QStringLiteral("回疔錠子　治疔瘡大効"));
        QVERIFY(lozenge);
        QCOMPARE(lozenge->name, QStringLiteral("回疔錠子"));
        QCOMPARE(lozenge->clause, QStringLiteral("疔瘡大効"));
        QCOMPARE(parseHeader(QStringLiteral("保生錠子"))->name, QStringLiteral("保生錠子"));
        // 飲 and 餅 still end a name where no 子 follows.
        QCOMPARE(parseHeader(QStringLiteral("犀角飲　治小兒蠱毒痢下血不止身體壯熱"))->name,
                 QStringLiteral("犀角飲"));
    }

    void usageCarriedOnOneStepIn() {
        SourceFile file = snippet(kUsageCarriedOn);
        file.fullWidth = 21; // the column of this edition
        const auto formulas = parseFormulas(file);
        const RawFormula* cinnamon = named(formulas, QStringLiteral("桂心散"));
        QVERIFY(cinnamon);
        QCOMPARE(
            cinnamon->usage,
            QStringLiteral("右㕮咀為散毎服四錢以水一中盞入生薑半分煎至六分去滓不計時候稍熱頻服汗出為度"));
        QVERIFY(cinnamon->ingredients.endsWith(QStringLiteral("柴胡(一兩去苗)")));
        QVERIFY(!cinnamon->usage.contains(QStringLiteral("迴陽丹")));
    }

    void recipeCountsEndThePassage() {
        ParseStats stats;
        const auto lips = parseColumn(kRecipeCount, 20, {}, &stats);
        QCOMPARE(stats.sectionTitles, 1);
        QVERIFY(lips.size() >= 4);
        for (const RawFormula& formula : lips)
            QVERIFY2(!formula.body.contains(QStringLiteral("脣瘡爛方")) &&
                         !formula.ingredients.contains(QStringLiteral("脣瘡爛方")),
                     qPrintable(formula.name));
    }

    void clauseAndHerbsKeepTheirWords() {
        const auto astragalus = parseColumn(kHerbHeadOnHeader, 21);
        QVERIFY(!astragalus.empty());
        QCOMPARE(astragalus[0].name, QStringLiteral("聖惠黄耆散"));
        QCOMPARE(astragalus[0].indications, QStringLiteral("小兒痢渴心胸煩悶不欲飲食"));
        QVERIFY(astragalus[0].ingredients.startsWith(QStringLiteral("黄耆(剉)麥門冬")));

        const auto breech = parseFormulas(excerpt(kUndosedUnderTitle));
        QVERIFY(!breech.empty());
        QCOMPARE(breech[0].indications, QStringLiteral("逆産"));
        QCOMPARE(breech[0].ingredients, QStringLiteral("蛇退(一條順下完全者)　蠶退紙(一張)"));
        QVERIFY(breech[0].usage.startsWith(QStringLiteral("右共入新瓦罐内")));

        const auto gelatin = parseColumn(kClauseIntoHerbs, 21);
        QVERIFY(!gelatin.empty());
        QCOMPARE(gelatin[0].indications, QStringLiteral("妊娠或因頓仆胎動不安腰痛腹滿或有所下或胎上搶心"));
        QVERIFY(gelatin[0].ingredients.startsWith(QStringLiteral("熟地黄(二兩)白芍藥")));

        const auto birth = parseColumn(kUndosedUnderHeader, 21);
        QVERIFY(!birth.empty());
        QCOMPARE(birth[0].name, QStringLiteral("催生柞木飲子"));
        QCOMPARE(birth[0].indications, QStringLiteral("難産或胎爛腹中腹悶神效"));
        QCOMPARE(birth[0].ingredients, QStringLiteral("生柞木(一尺剉)甘草(大者五寸)"));

        const auto flow = parseFormulas(excerpt(kClauseWithNote));
        const RawFormula* drink = named(flow, QStringLiteral("流氣飲"));
        QVERIFY(drink);
        QVERIFY(drink->indications.endsWith(QStringLiteral("肉色不變或漫腫木悶無頭(即瘡科流氣飲)")));
        QVERIFY(drink->ingredients.startsWith(QStringLiteral("桔梗(炒)")));
    }

    void titlesWithTheirSourceAndIndication() {
        const QSet<QString> known = {QStringLiteral("青膏"), QStringLiteral("升麻湯"),
                                     QStringLiteral("蘇粥")};
        auto ointment = parseHeader(QStringLiteral("千金治傷寒頭痛項強四肢煩疼青膏方"), &known);
        QVERIFY(ointment);
        QCOMPARE(ointment->name, QStringLiteral("青膏"));
        QCOMPARE(ointment->clause, QStringLiteral("傷寒頭痛項強四肢煩疼"));
        QCOMPARE(ointment->cited, QStringLiteral("千金"));
        // Without the known names the title is not cut at a guess: it waits for them.
        auto unknown = parseHeader(QStringLiteral("千金治傷寒頭痛項強四肢煩疼青膏方"));
        QVERIFY(unknown && unknown->guessedName);
        QCOMPARE(unknown->name, QStringLiteral("治傷寒頭痛項強四肢煩疼青膏方"));

        auto counted = parseHeader(QStringLiteral("深師療天行毒病酷熱下痢七物升麻湯方"), &known);
        QCOMPARE(counted->name, QStringLiteral("七物升麻湯"));
        QCOMPARE(counted->clause, QStringLiteral("天行毒病酷熱下痢"));
        // A word of purpose is no source: it stays with the indication.
        auto food = parseHeader(QStringLiteral("食治老人五淋燥痛小便不多秘澀不通蘇粥方"), &known);
        QCOMPARE(food->name, QStringLiteral("蘇粥"));
        QCOMPARE(food->clause, QStringLiteral("食治老人五淋燥痛小便不多秘澀不通"));
        QVERIFY(food->cited.isEmpty());

        auto plain = parseHeader(QStringLiteral("崔氏療傷寒始得一二日方"));
        QCOMPARE(plain->kind, HeaderKind::Unnamed);
        QCOMPARE(plain->name, QStringLiteral("療傷寒始得一二日方"));
        QCOMPARE(plain->clause, QStringLiteral("傷寒始得一二日"));
        QCOMPARE(plain->cited, QStringLiteral("崔氏"));
        auto also = parseHeader(QStringLiteral("又麻黄解肌湯療傷寒三四日煩疼不解者方"));
        QCOMPARE(also->name, QStringLiteral("麻黄解肌湯"));
        QCOMPARE(also->clause, QStringLiteral("傷寒三四日煩疼不解者"));
        const QSet<QString> antimalarial = {QStringLiteral("度瘴散")};
        auto ending = parseHeader(QStringLiteral("療傷寒一二日至三日可發汗度瘴散方"), &antimalarial);
        QCOMPARE(ending->name, QStringLiteral("度瘴散"));
        QCOMPARE(ending->clause, QStringLiteral("傷寒一二日至三日可發汗"));
        QVERIFY(parseHeader(QStringLiteral("療傷寒一二日至三日可發汗度瘴散方"))->guessedName);
        auto reed = parseHeader(QStringLiteral("治妊娠頭疼壯熱心煩嘔吐不下食名蘆根湯"));
        QCOMPARE(reed->name, QStringLiteral("蘆根湯"));
        QCOMPARE(reed->clause, QStringLiteral("妊娠頭疼壯熱心煩嘔吐不下食"));
        QCOMPARE(parseHeader(QStringLiteral("又麥門冬散方"))->name, QStringLiteral("麥門冬散"));
        QCOMPARE(parseHeader(QStringLiteral("又外臺祕要"))->kind, HeaderKind::Again);
        const auto book = parseHeader(QStringLiteral("本事方治睛疼難忍者"));
        QCOMPARE(book->name, QStringLiteral("治睛疼難忍者方"));
        QCOMPARE(book->cited, QStringLiteral("本事方"));
        QCOMPARE(parseHeader(QStringLiteral("又發背方"))->kind, HeaderKind::Unnamed); // a complaint
        // "又" before a complaint is no other book.
        QVERIFY(!parseHeader(QStringLiteral("又腎消夜尿七八升方")) ||
                parseHeader(QStringLiteral("又腎消夜尿七八升方"))->kind != HeaderKind::Again);
        // Sentences of the text stay text.
        QVERIFY(!parseHeader(QStringLiteral("又少隂病得病二三日口燥咽乾急下之冝承氣湯")));
        QVERIFY(!parseHeader(QStringLiteral("仲景治此宜用桂枝湯")));

        const auto swallowed = parseFormulas(excerpt(kSourcesBeforeTheVerb));
        QCOMPARE(swallowed.size(), size_t(4));
        QCOMPARE(swallowed[0].name, QStringLiteral("療誤吞錢方"));
        QCOMPARE(swallowed[0].cited, QStringLiteral("錢相公篋中方"));
        QCOMPARE(swallowed[1].name, QStringLiteral("療誤吞錢方又方"));
        QCOMPARE(swallowed[2].name, QStringLiteral("療誤吞錢方又方"));
        QCOMPARE(swallowed[2].cited, QStringLiteral("外臺祕要"));
        QCOMPARE(swallowed[3].name, QStringLiteral("治卒不得語方"));
        QVERIFY(swallowed[3].body.startsWith(QStringLiteral("以苦酒煮苽子")));
    }

    void herbsWhereTheLayoutPutsThem() {
        auto onHeader = parseHeader(QStringLiteral("當歸散　治血脉不通　當歸　穿山甲(灰炒)蒲黄(炒各半兩)"));
        QCOMPARE(onHeader->clause, QStringLiteral("血脉不通"));
        QCOMPARE(onHeader->herbs, QStringLiteral("當歸　穿山甲(灰炒)蒲黄(炒各半兩)"));
        // A clause in two parts, without doses, stays whole.
        auto twoParts = parseHeader(QStringLiteral("琥珀散　治心膈迷悶　腹臟撮痛(一名烏藥散)"));
        QCOMPARE(twoParts->clause, QStringLiteral("心膈迷悶　腹臟撮痛(一名烏藥散)"));
        QVERIFY(twoParts->herbs.isEmpty());

        const auto formulas = parseColumn(kHerbsOneSpaceIn, 21, QStringLiteral("ingredients=1 usage=2"));
        QCOMPARE(formulas.size(), size_t(1));
        QCOMPARE(formulas[0].indications, QStringLiteral("處暑前後頭痛項强脉浮惡風有汗"));
        QCOMPARE(formulas[0].ingredients, QStringLiteral("桂枝　羗活　防風　甘草(炙)"));
        QCOMPARE(formulas[0].usage,
                 QStringLiteral("各等分為粗末每服五錢水一盞半煎至一盞迎發日温服吐者加半夏麴"));
    }

    void herbTablesWithoutDoses() {
        const auto formulas = parseColumn(kTableWithoutDoses, 22, QStringLiteral("ingredients=1 usage=2"));
        QCOMPARE(formulas.size(), size_t(1));
        QCOMPARE(formulas[0].indications, QStringLiteral("熱傷元氣氣短倦怠口渇出汗"));
        QCOMPARE(formulas[0].ingredients, QStringLiteral("人參　麥門冬　五味子"));
        QCOMPARE(formulas[0].usage, QStringLiteral("水煎服"));
        // The list of recipes under a cross-reference is no recipe of its own.
        QVERIFY(!named(formulas, QStringLiteral("逍遥散")));
    }

    void herbsAfterAClauseCarriedOn() {
        const auto formulas =
            parseColumn(kHerbsAfterCarriedClause, 21, QStringLiteral("ingredients=1 usage=2"));
        QVERIFY(!formulas.empty());
        QCOMPARE(formulas[0].name, QStringLiteral("八正散"));
        QCOMPARE(formulas[0].indications,
                 QStringLiteral("大人小兒心經藴熱臟腑閉結小便赤澀癃閉不通熱淋血淋膏淋沙淋石淋並皆治之"));
        QVERIFY(formulas[0].ingredients.startsWith(QStringLiteral("車前子　瞿麥")));
        QVERIFY(formulas[0].ingredients.contains(QStringLiteral("木通(各等分)")));
    }

    void recipesEndWhereTheBookSays() {
        const auto stages = parseFormulas(excerpt(kRecipeInStages));
        QCOMPARE(stages.size(), size_t(1));
        QVERIFY(stages[0].ingredients.contains(QStringLiteral("草烏頭(四兩連皮尖生用)")));
        QVERIFY(stages[0].usage.endsWith(QStringLiteral("毎服一小匙温酒下")));

        QVERIFY(endsRecipes(QStringLiteral("(方歌)千金漏蘆鼻疽發")));
        QVERIFY(endsRecipes(QStringLiteral("(註)此方")));
        const auto verse = parseFormulas(excerpt(kVerseAfterRecipe));
        QCOMPARE(verse.size(), size_t(1));
        QCOMPARE(verse[0].usage, QStringLiteral("右水煎服"));

        // The text's sentence "…者NAME主之" heads a recipe only where doses follow.
        auto clam = parseHeader(QStringLiteral("吐後渴欲得飲而貪水者文蛤湯主之方"));
        QCOMPARE(clam->name, QStringLiteral("文蛤湯"));
        QCOMPARE(clam->clause, QStringLiteral("吐後渴欲得飲而貪水者"));
        QVERIFY(clam->needsIngredients);
        auto cimicifuga = parseHeader(QStringLiteral("治小兒頭面身體赤毒腫起作片宜用升麻膏"));
        QCOMPARE(cimicifuga->name, QStringLiteral("升麻膏"));
        QCOMPARE(cimicifuga->clause, QStringLiteral("小兒頭面身體赤毒腫起作片"));
        const QSet<QString> known = {QStringLiteral("小青龍湯"), QStringLiteral("榆皮湯")};
        auto qualified = parseHeader(QStringLiteral("深師療時復有欬者增損阮氏小青龍湯方"), &known);
        QCOMPARE(qualified->name, QStringLiteral("增損阮氏小青龍湯"));
        QCOMPARE(parseHeader(QStringLiteral("療淋榆皮湯方"), &known)->name, QStringLiteral("榆皮湯"));
        const QSet<QString> horn = {QStringLiteral("羚羊角散")};
        auto prescribing = parseHeader(QStringLiteral("治冰翳久不去者羚羊角散主之方"), &horn);
        QCOMPARE(prescribing->name, QStringLiteral("羚羊角散"));
        QCOMPARE(prescribing->clause, QStringLiteral("冰翳久不去者"));

        // A chapter's title with notes on what it holds ends the recipe; a usage line ending in "第一" of
        // a count of days does not.
        SourceFile chapter =
            excerpt("治舌上出血如泉方¶\n　燒鐵箆熱爍孔中良¶\n　　脣病第五(甲煎法/灸法)　(方/)¶\n"
                    "潤脾膏治脾熱脣焦枯無潤方¶\n　　生天門冬(切/)生地黄汁(一/升)¶\n");
        const auto lips = parseFormulas(chapter);
        QCOMPARE(lips.size(), size_t(2));
        QCOMPARE(lips[0].body + lips[0].ingredients, QStringLiteral("燒鐵箆熱爍孔中良"));
        SourceFile days = excerpt("王倪丹¶\n　光明辰砂(二十/八兩)　甘草　逺志(去心/秤)¶\n"
                                  "　　右甘草等四味剉以水二大斗(案此下疑/有脱字)後用細¶\n"
                                  "　　布囊盛丹砂懸于釡中著水和藥炭火煮之第一¶\n　　日兼夜用陰火水紋動¶\n");
        days.fullWidth = days.lines[3].width;
        const auto pill = parseFormulas(days);
        QVERIFY2(pill[0].usage.endsWith(QStringLiteral("第一日兼夜用陰火水紋動")), qPrintable(pill[0].usage));
    }

    void anotherRecipeFollowsItsOwnParent() {
        const auto section = parseFormulas(excerpt(kAgainInNewSection));
        QCOMPARE(section.size(), size_t(1));
        QCOMPARE(section[0].name, QStringLiteral("雄黄丸"));
        // One that says what it treats is named by it.
        const auto told = parseFormulas(excerpt("一婦隂中挺出五寸許悶痛重墜水出淋漓小便澁滯¶\n"
                                                "一方　治隂挺下脱¶\n"
                                                "　當歸　黄芩(各二/兩)牡蠣(二兩/半)¶"));
        QCOMPARE(told.size(), size_t(1));
        QCOMPARE(told[0].name, QStringLiteral("治隂挺下脱方"));

        const auto usageOnly = parseFormulas(excerpt(kUsageOnlyParent));
        QCOMPARE(usageOnly.size(), size_t(3));
        QCOMPARE(usageOnly[1].name, QStringLiteral("通治甘遂散"));
        // Told in its usage alone, the recipe is its own composition.
        QVERIFY(usageOnly[1].usage.isEmpty());
        QVERIFY(usageOnly[1].body.startsWith(QStringLiteral("右以甘遂二兩")));
        QVERIFY(usageOnly[1].body.endsWith(QStringLiteral("未知日二脈漸加之")));
        QCOMPARE(usageOnly[2].name, QStringLiteral("通治甘遂散又方"));
        QCOMPARE(usageOnly[2].indications, QStringLiteral("大小便不通"));

        ParseStats stats;
        const auto afterStub = parseFormulas(excerpt(kAgainAfterStub), {}, &stats);
        QCOMPARE(stats.stubs, 1);
        QCOMPARE(afterStub.size(), size_t(2));
        QCOMPARE(afterStub[1].name, QStringLiteral("治金瘡續筋骨方又方"));
        QCOMPARE(afterStub[1].indications, QStringLiteral("金瘡續筋骨"));

        // Points to needle or burn are no recipes.
        QVERIFY(parseFormulas(excerpt(kPointList)).empty());
    }

    void titlesThatHeadTheirOtherRecipes() {
        const auto lime = parseColumn(kAgainTitle, 21);
        QCOMPARE(lime.size(), size_t(2));
        QCOMPARE(lime[0].name, QStringLiteral("石灰散"));
        QCOMPARE(lime[0].indications, QStringLiteral("胡臭"));
        QVERIFY(lime[0].ingredients.startsWith(QStringLiteral("青木香")));
        QCOMPARE(lime[1].name, QStringLiteral("石灰散又方"));
        QCOMPARE(lime[1].indications, QStringLiteral("胡臭"));
        // A complaint alone titles its recipe; a book or a physician does not.
        const auto nightmare = parseHeader(QStringLiteral("又人喜魘及惡夢者方(以下並辟魘方)"));
        QVERIFY(nightmare && nightmare->kind == HeaderKind::Unnamed);
        QCOMPARE(nightmare->name, QStringLiteral("人喜魘及惡夢者方"));
        QCOMPARE(nightmare->clause, QStringLiteral("人喜魘及惡夢者"));
        QCOMPARE(parseHeader(QStringLiteral("又發背神驗方"))->clause, QStringLiteral("發背"));
        for (const char* other :
             {"又千金翼方", "又許仁則秘方", "又若重發者療之方", "又點眼方", "又乾嘔下利黄芩湯主之方"}) {
            const auto header = parseHeader(QString::fromUtf8(other));
            QVERIFY2(!header || header->kind == HeaderKind::Again, other);
        }

        // Text between a recipe and a 又方 takes the 又方 from that recipe, even where the recipe closes only
        // after the text.
        const auto afterText = parseColumn(kAgainAfterUnreadTitle, 21);
        QCOMPARE(afterText.size(), size_t(1));
        QCOMPARE(afterText[0].name, QStringLiteral("狼牙湯"));

        const auto scorpion = parseColumn(kComplaintThenRecipe, 21);
        QCOMPARE(scorpion.size(), size_t(3));
        QCOMPARE(scorpion[1].name, QStringLiteral("治蠍螫人方"));
        QCOMPARE(scorpion[1].indications, QStringLiteral("蠍螫人"));
        QCOMPARE(scorpion[1].body, QStringLiteral("用石榴花葉及皮爛搗炒令熱封疼上冷即換之"));
        QCOMPARE(scorpion[2].name, QStringLiteral("治蠍螫人方又方"));
        const auto arsenic = parseColumn(kComplaintTitle, 21);
        QCOMPARE(arsenic.size(), size_t(2));
        QCOMPARE(arsenic[0].indications, QStringLiteral("解砒毒"));
        QCOMPARE(arsenic[1].name, QStringLiteral("解砒毒方又方"));
        QCOMPARE(arsenic[1].indications, QStringLiteral("解砒毒"));
        // A book before the complaint, or what is done to it, is no part of it; a food after a book is no
        // complaint.
        const auto complaintOf = [](const char* title) {
            QString text = QString::fromUtf8(kComplaintTitle);
            text.replace(0, 4, QString::fromUtf8(title));
            return parseColumn(text.toUtf8().constData(), 21).front().indications;
        };
        QCOMPARE(complaintOf("必效染白髮方"), QStringLiteral("染白髮"));
        QCOMPARE(complaintOf("齒齦腫痛千金翼方"), QStringLiteral("齒齦腫痛"));
        QCOMPARE(complaintOf("洗痔方"), QStringLiteral("痔"));
        QCOMPARE(complaintOf("寒瘧塗方"), QStringLiteral("寒瘧"));
        QCOMPARE(complaintOf("圍腫方"), QStringLiteral("腫"));
        QCOMPARE(complaintOf("痜瘡二方"), QStringLiteral("痜瘡")); // 景岳全書: the count of its recipes
        QVERIFY(complaintOf("第二方").isEmpty());                  // the second of a series
        QVERIFY(complaintOf("千金紫餺飥方").isEmpty());
        QVERIFY(complaintOf("洗眼方").isEmpty());
        // Titles that name a kind of recipe, a book, a physician or a herb say nothing of what it treats.
        int titled = 0;
        for (const char* title :
             {"熏藥方", "三因方", "天南星方", "劉庭瑞已效方", "荜豆香澡豆方", "默默不欲飲食心煩方"}) {
            QString text = QString::fromUtf8(kComplaintTitle);
            text.replace(0, 4, QString::fromUtf8(title));
            for (const RawFormula& record : parseColumn(text.toUtf8().constData(), 21)) {
                if (record.derived)
                    continue;
                ++titled;
                QVERIFY2(record.indications.isEmpty() ||
                             record.indications == QStringLiteral("默默不欲飲食心煩"),
                         title);
            }
        }
        QVERIFY(titled >= 4);
        const auto sentence = parseColumn(kSentenceAtTheMargin, 21);
        QCOMPARE(sentence.size(), size_t(1));
        QCOMPARE(sentence[0].name, QStringLiteral("烏頭桂枝湯"));
        const auto ginger = parseColumn(kEqualParts, 21);
        QCOMPARE(ginger.size(), size_t(1));
        QVERIFY(ginger[0].name.startsWith(QStringLiteral("二薑丸")));
        QCOMPARE(ginger[0].ingredients, QStringLiteral("乾薑(炮)　良薑(去蘆頭)"));
        QVERIFY(ginger[0].usage.startsWith(QStringLiteral("右件等分")));
        const QSet<QString> known = {QStringLiteral("黄茋芍藥湯"), QStringLiteral("六味地黄丸")};
        Layout withNames;
        withNames.knownNames = &known;
        SourceFile essay = excerpt(kAdviceAndCases);
        essay.fullWidth = 21;
        QVERIFY(parseFormulas(essay, withNames).empty());
        // Instructions that begin like a title are none.
        QVERIFY(!parseHeader(QStringLiteral("治如在髪際須剪剃去髪看皮破不破依上用藥敷若")));
    }

    void recipesUnderABooksTitle() {
        // 赤水玄珠 prints "丹溪方　治火痛" where a recipe's name stands: the book is the source.
        const auto raw = [](const char* name, const char* indications, bool derived = false) {
            return recipe(name, derived, indications);
        };
        std::vector<RawFormula> formulas = {raw("丹溪方", "火痛"),
                                            raw("丹溪方又方", "火痛", true),
                                            raw("拔萃方", "㗜藥治偏頭疼眼疾"),
                                            raw("海上方", "產後鼻衄中風以荆芥為末童子小便調下二錢匕"),
                                            raw("鯽魚方", "腸風血痔及下痢膿血"),
                                            raw("鯽魚方又方", "腸風血痔及下痢膿血", true)};
        const QSet<QString> books = {QStringLiteral("丹溪方"), QStringLiteral("拔萃方"),
                                     QStringLiteral("海上方")};
        QCOMPARE(nameRecipesUnderBookTitles(formulas, books), 2);
        QCOMPARE(formulas[0].name, QStringLiteral("治火痛方"));
        QCOMPARE(formulas[0].cited, QStringLiteral("丹溪方"));
        QCOMPARE(formulas[1].name, QStringLiteral("治火痛方又方"));
        QCOMPARE(formulas[2].name, QStringLiteral("㗜藥"));
        QCOMPARE(formulas[2].indications, QStringLiteral("偏頭疼眼疾"));
        QCOMPARE(formulas[3].name, QStringLiteral("海上方")); // the words are the recipe, not a complaint
        QCOMPARE(formulas[4].name, QStringLiteral("鯽魚方")); // no book
        QCOMPARE(formulas[5].name, QStringLiteral("鯽魚方又方"));
    }

    void namesAboveTheirTitles() {
        const auto formulas = parseColumn(kNameAboveTitle, 21);
        QCOMPARE(formulas.size(), size_t(2));
        QCOMPARE(formulas[0].name, QStringLiteral("紫莧粥"));
        QCOMPARE(formulas[0].indications, QStringLiteral("産前後赤白痢"));
        QCOMPARE(formulas[0].ingredients, QStringLiteral("紫莧葉(細剉一握)粇米(三合)"));
        QVERIFY(formulas[0].usage.endsWith(QStringLiteral("空心食之立瘥")));
        QCOMPARE(formulas[1].name, QStringLiteral("滑石粥"));
        QCOMPARE(formulas[1].firstLine, 7);
        QVERIFY(formulas[1].usage.endsWith(QStringLiteral("分作三度食之")));
        // A section's title at that depth ("　　食治眼目方") names no recipe.
        const auto section = parseColumn("　　食治眼目方¶\n治老人肝臟虚弱逺視無力¶\n"
                                         "　猪肝(一具細切/去筋膜)葱白(一握去/鬚切)¶\n　右煮作羮食之¶",
                                         21);
        QCOMPARE(section.size(), size_t(1));
        QCOMPARE(section[0].name, QStringLiteral("治老人肝臟虚弱逺視無力方"));
    }

    void recipesInStagesAndOthersThatAreNone() {
        const auto stages = parseColumn(kTwoStages, 21);
        QCOMPARE(stages.size(), size_t(2));
        QVERIFY(stages[0].ingredients.endsWith(QStringLiteral("牛酥(五合)")));
        QVERIFY(stages[0].usage.startsWith(QStringLiteral("上六味搗羅為末")));
        QVERIFY(stages[0].usage.endsWith(QStringLiteral("含半棗大嚥津")));
        // A first stage that says how the medicine is taken is a whole recipe: the herbs after it are not
        // its own.
        const auto whole = parseColumn("萬安丸　治鬼瘧¶\n　　虎頭骨(酒炙/三兩)藜蘆(六/兩)¶\n"
                                       "　右為末令患者頭上戴一丸立瘥¶\n　　甘草　烏梅(各等/分)¶\n"
                                       "　右㕮咀每服半兩¶",
                                       21);
        QCOMPARE(whole.size(), size_t(1));
        QCOMPARE(whole[0].usage, QStringLiteral("右為末令患者頭上戴一丸立瘥"));

        QVERIFY(parseColumn(kMoxibustion, 21).empty());
        QVERIFY(endsRecipes(QStringLiteral("癩風方論")));
        QVERIFY(endsRecipes(QStringLiteral("按已上諸方治陽癎之藥")));
        QVERIFY(!endsRecipes(QStringLiteral("按摩膏")));

        // A section's label, a complaint or another recipe's name under a name is no recipe; a short one
        // that says what to do, a changed recipe, or one herb is.
        const QSet<QString> herbs{QStringLiteral("黄耆")};
        const auto under = [&herbs](const char* text, bool body = false) {
            RawFormula formula = recipe("六味丸", false);
            (body ? formula.body : formula.ingredients) = QString::fromUtf8(text);
            return namesNoRecipe(formula, herbs);
        };
        QVERIFY(under("肺癰"));
        QVERIFY(under("健忘門"));
        QVERIFY(under("鹿角散"));
        QVERIFY(under("方並見熱門", true));
        QVERIFY(!under("以熱瓦熨之", true));
        QVERIFY(!under("每吞三撮", true));
        QVERIFY(!under("本方加羌活"));
        QVERIFY(!under("黄耆"));
        QVERIFY(!under("鼠粘子(三錢)"));
    }

    void anotherRecipeAfterARecommendation() {
        const auto formulas = parseColumn(kRecommendedRecipe, 21);
        QCOMPARE(formulas.size(), size_t(3));
        QCOMPARE(formulas[1].name, QStringLiteral("治眉毛脱落方"));
        QCOMPARE(formulas[2].name, QStringLiteral("治眉毛脱落方又方"));
        QCOMPARE(formulas[2].indications, QStringLiteral("眉毛脱落"));
        // A sentence that recommends the recipe is still no title.
        QVERIFY(!parseHeader(QStringLiteral("治之不已者宜用此方")));

        const auto own = parseColumn(kAgainWithItsUse, 21);
        QCOMPARE(own.size(), size_t(2));
        QCOMPARE(own[1].name, QStringLiteral("慱金散又方"));
        QCOMPARE(own[1].indications, QStringLiteral("洗風毒熱赤"));
        QCOMPARE(own[1].ingredients, QStringLiteral("銅碌(一錢)滑石(二錢)"));
    }

    void headersThatCarryMoreThanAName() {
        // The indication as the name's note; herbs with notes after the name; 丸子 is one ending.
        const auto purge = parseHeader(QStringLiteral("大承氣湯(治大實大滿)"));
        QCOMPARE(purge->clause, QStringLiteral("大實大滿"));
        QVERIFY(parseHeader(QStringLiteral("黄耆湯(主治並見陰證論)"))->clause.isEmpty());
        const auto talents =
            parseHeader(QStringLiteral("增損三才丸　天門冬(酒浸去心)熟地黄(酒蒸)人參(去蘆)"));
        QCOMPARE(talents->name, QStringLiteral("增損三才丸"));
        QVERIFY(talents->clause.isEmpty());
        QCOMPARE(talents->herbs, QStringLiteral("天門冬(酒浸去心)熟地黄(酒蒸)人參(去蘆)"));
        const auto pill = parseHeader(QStringLiteral("青州白丸子(一名白丸子)治男子婦人手足癱瘓"));
        QCOMPARE(pill->name, QStringLiteral("青州白丸子"));
        QCOMPARE(pill->clause, QStringLiteral("男子婦人手足癱瘓"));
        QCOMPARE(parseHeader(QStringLiteral("局方青州白丸子"))->name, QStringLiteral("局方青州白丸子"));
        // The book a recipe comes from, without the recipe's other name.
        QCOMPARE(parseHeader(QStringLiteral("枳實丸(出百一選方一名枳實三百丸)　治痞"))->cited,
                 QStringLiteral("百一選方"));
        QCOMPARE(parseHeader(QStringLiteral("生熱飲子(一名交加飲子出十便良方)治脾寒"))->cited,
                 QStringLiteral("十便良方"));
        QCOMPARE(parseHeader(QStringLiteral("牛黃眞珠丸(出聖濟總録)　治風驚"))->cited,
                 QStringLiteral("聖濟總録"));

        // "治證同前" takes the indication of the recipe before; "風證" files the recipe, it is no part of its
        // name.
        const auto formulas = parseColumn("定喘湯　治肺虚喘急¶\n　　人參(一/兩)¶\n　右水煎服¶\n"
                                          "補肺湯　治證同前(滄州李官人宅/又名清金湯)¶\n　　鸎粟殻(製二/兩)¶\n"
                                          "　右㕮咀水煎服¶\n風證神术散治四時瘟疫頭痛¶\n　　蒼术(五/兩)¶\n"
                                          "　右剉散水煎服¶",
                                          21);
        QCOMPARE(formulas.size(), size_t(3));
        QCOMPARE(formulas[1].indications, QStringLiteral("肺虚喘急"));
        QCOMPARE(formulas[2].name, QStringLiteral("神术散"));
    }

    void anotherRecipeAfterAListOfOthers() {
        // A list of recipes printed in other chapters heads nothing, though it fills its line.
        const auto listed = parseColumn("二陳湯(痰/飲)　涼膈㪚(發/熱)　通聖㪚(眩/暈)　厚朴大黄湯(見/痞)¶\n"
                                        "甘遂㪚¶\n　右以甘遂二兩赤皮者為末煉蜜二合和勻每一兩¶\n"
                                        "又方　葵子末三合青竹葉一把水一升煮五沸頓服¶",
                                        21);
        QCOMPARE(listed.size(), size_t(2));
        QCOMPARE(listed[0].name, QStringLiteral("甘遂㪚"));
        QCOMPARE(listed[1].name, QStringLiteral("甘遂㪚又方"));
    }

    void herbNamesCutShortOfTheColumn() {
        HerbWords counter;
        counter.count(excerpt(kWholeHerbs));
        SourceFile cut = excerpt(kCutShort);
        cut.fullWidth = 21;
        counter.count(cut);
        const QSet<QString> words = counter.frequent(2);
        QVERIFY(words.contains(QStringLiteral("麥門冬")));
        QVERIFY(!words.contains(QStringLiteral("麥門"))); // a line's cut end is not counted as a word
        QCOMPARE(cut.lines[3].width, 20);
        QVERIFY(!cut.wraps(cut.lines[2]) && !cut.wraps(cut.lines[3]));
        markCutWords(cut, words);
        QVERIFY(cut.wraps(cut.lines[2]) && cut.wraps(cut.lines[3]));
        QVERIFY(!cut.wraps(cut.lines[5]));
        const auto formulas = parseFormulas(cut);
        QCOMPARE(formulas.size(), size_t(1));
        QVERIFY(formulas[0].ingredients.contains(QStringLiteral("當歸(切焙)　陳橘皮(湯浸去白焙乾用)")));
        QVERIFY(formulas[0].ingredients.contains(QStringLiteral("逺志(去心)　麥門冬(去心焙)　甘草")));

        // Two whole herbs whose ends happen to make a third stay apart: 鷄蘇 and 木賊, not 蘇木.
        SourceFile apart = excerpt("　　人參(一/兩)　當歸(切/焙)　鷄蘇¶\n　　木賊(去節/)　甘草(炙/)¶\n");
        apart.fullWidth = apart.lines[0].width + 1;
        QVERIFY(words.contains(QStringLiteral("蘇木")));
        markCutWords(apart, words);
        QVERIFY(!apart.wraps(apart.lines[0]));
        // A full line that ends with a whole herb, the next beginning with another: 甘草 and 蘇木, apart.
        SourceFile full = excerpt("半夏瀉心湯¶\n　　半夏(洗/)　黄芩(各三/兩)　人參(二兩/)　甘草¶\n"
                                  "　　蘇木(各三/兩)　黄連(一兩/)¶\n　右七味切¶\n");
        full.fullWidth = full.lines[1].width;
        QVERIFY(full.wraps(full.lines[1]));
        markCutWords(full, words);
        QVERIFY(!full.wraps(full.lines[1]));
        QVERIFY(parseFormulas(full)[0].ingredients.contains(QStringLiteral("甘草　蘇木(各三兩)")));
        // The build's count of names cut in 组成 tells the two apart the same way.
        QCOMPARE(wrapSplits(QStringLiteral("人參　甘　草(炙)　麥門冬"), words), 1);
        QCOMPARE(wrapSplits(QStringLiteral("人參　鷄蘇　木賊(一兩)"), words), 0);

        // A recipe told as running text: the full line runs on without a space.
        SourceFile running = excerpt(kRunningAgain);
        running.fullWidth = 21;
        const auto again = parseFormulas(running);
        QCOMPARE(again.size(), size_t(2));
        QVERIFY(again[1].body.contains(QStringLiteral("甘草二兩麥門冬一斤去心")));
    }

    void herbsThatTheClauseLineBegins() {
        // The clause's line ends in the first herbs, their doses below; a full line may cut the last name.
        SourceFile file = excerpt(R"(補虚四君子湯　治脾氣虚損吐瀉少食　人參¶
　　白术　茯苓　甘草(各等分)¶
　右每服二錢薑棗水煎¶
聖惠黄連丸　治小皃曩利經久不斷增減有時　黄¶
　　連(去鬚/微炒)人參(去芦/頭)赤石脂　龍骨　甘草(炙微/赤剉)黄¶
　　芩　厚朴(去麄皮塗生薑/汁炙令香熟)白茯苓(各半/兩)¶
　右件藥搗羅為末煉蜜和丸如麻子大每服以粥飲¶
三因獨活散　治氣虚感風或驚恐相乗肝膽受邪使¶
　上氣不守正位致頭招搖手足顫掉漸成目昏　獨¶
　　活　地骨皮　細辛　芎藭　菊花(甘味/者)防風(去/叉)¶
　　甘草(炙等/分)　剉為粗末毎服三錢水盞半煎至一¶
紫草木香湯　治痘出不快大便泄利　紫草　木香¶
　　茯苓　白术(各等/分)甘草(减/半)　一方無甘草¶
　右剉散入糯米百粒水煎右毎貼三錢¶
香薷湯　治霍亂初覺不好則用　腹痛吐痢¶
　　香薷(切/)小蒜(碎各/一升)厚朴(六兩/炙)生薑(十/兩)¶
　右切以水一斗煑取三升分三服¶
)");
        file.fullWidth = 21;
        markCutWords(file, {QStringLiteral("黄連"), QStringLiteral("黄芩"), QStringLiteral("獨活"),
                            QStringLiteral("木香"), QStringLiteral("茯苓"), QStringLiteral("人參")});
        const auto formulas = parseFormulas(file);
        QCOMPARE(formulas.size(), size_t(5));
        QCOMPARE(formulas[0].indications, QStringLiteral("脾氣虚損吐瀉少食"));
        QVERIFY(formulas[0].ingredients.startsWith(QStringLiteral("人參　白术　茯苓")));
        QCOMPARE(formulas[1].indications, QStringLiteral("小皃曩利經久不斷增減有時"));
        QVERIFY(formulas[1].ingredients.startsWith(QStringLiteral("黄連(去鬚微炒)人參")));
        QVERIFY(formulas[2].indications.endsWith(QStringLiteral("漸成目昏")));
        QVERIFY(formulas[2].ingredients.startsWith(QStringLiteral("獨活　地骨皮")));
        // The full line ends in a whole herb: the next line's first herb is another.
        QCOMPARE(formulas[3].indications, QStringLiteral("痘出不快大便泄利"));
        QVERIFY(formulas[3].ingredients.startsWith(QStringLiteral("紫草　木香　茯苓　白术")));
        // Words of the clause after a space stay with it.
        QCOMPARE(formulas[4].indications, QStringLiteral("霍亂初覺不好則用　腹痛吐痢"));
        QVERIFY(formulas[4].ingredients.startsWith(QStringLiteral("香薷(切)")));
    }

    void recipesInTwoStagesAndIndicationsAround() {
        // The usage calls for the herbs printed after it: the second stage's herbs and usage are the
        // recipe's.
        const auto marrow = parseColumn(R"(鹿髓煎丸(出聖濟/總録)　治久積風熱發積驚悸氣滿不安¶
　　鹿髓(五/合)生天門冬(汁三/合濾)清酒(五/合)¶
　已上藥八味先煎地黃天門冬汁清酒五分可减二¶
　如調陽餹傾入銀器或石器中復於重湯上煮攪如¶
　調膏即如後傾藥味¶
　　茯神(去/木)龍骨　人參(各一/兩)枳殻(去穰/麩炒)¶
　右除八味為煎外搗羅為末入在煎中和搗令匀丸¶
薯蕷煎方(出千/金方)¶
　　薯蕷(一/斤)¶
)",
                                        21);
        QCOMPARE(marrow.size(), size_t(2));
        QVERIFY(marrow[0].ingredients.contains(QStringLiteral("茯神(去木)龍骨")));
        QVERIFY(marrow[0].usage.endsWith(QStringLiteral("右除八味為煎外搗羅為末入在煎中和搗令匀丸")));

        // An edition that indents its recipes prints the article that prescribes one above it.
        const auto lily = parseColumn(R"(　百合病渇不差者用後方主之¶
　　　　　括蔞牡蠣散方¶
　　　　　　括蔞根　牡蠣(熬等/分)¶
　　　　右爲細末飲服方寸匕日三服¶
　百合病變發熱者(二作發/寒熱)百合滑石散主之¶
　　　　　百合滑石散方¶
　　　　　　百合(一两/炙)滑石(三/两)¶
　　　　右爲散飮服方寸匕日三服¶
)",
                                      21, QStringLiteral("headings=5 ingredients=6 usage=4"));
        QCOMPARE(lily.size(), size_t(2));
        QVERIFY(lily[0].indications.isEmpty());
        QCOMPARE(lily[1].indications, QStringLiteral("百合病變發熱者"));

        // A short line that changes the recipe stays in the usage; a short title after a usage does not.
        const auto rhino = parseColumn(R"(犀角地黃湯¶
　牡丹皮　　　　白芍藥¶
　犀角　　　　　生地黄¶
　　水煎服¶
　　便硬者加川大黃¶
　　吐瀉門¶
四物三黃瀉心湯¶
　當歸　　　　　川芎¶
　　水煎服¶
)",
                                       21, QStringLiteral("ingredients=1 usage=2"));
        QCOMPARE(rhino.size(), size_t(2));
        QCOMPARE(rhino[0].usage, QStringLiteral("水煎服　便硬者加川大黃"));

        // "神僊膏藥" is the plaster's name; "證同上或有…" is the indication before, and more.
        const auto referred = parseHeader(QStringLiteral("羌活勝風湯(見外障)川芎行經散　治目中青黤如物傷"));
        QVERIFY(referred);
        QCOMPARE(referred->name, QStringLiteral("川芎行經散"));
        QCOMPARE(referred->clause, QStringLiteral("目中青黤如物傷"));
        const auto plaster = parseHeader(QStringLiteral("神僊膏藥"));
        QVERIFY(plaster);
        QCOMPARE(plaster->name, QStringLiteral("神僊膏藥"));
        QVERIFY(plaster->clause.isEmpty());
        const auto eyes = parseColumn(R"(川芎行經散　治目中青黤如物傷狀¶
　　川芎(一/兩)¶
　右為末¶
消凝大丸子　治證同上或有眵淚沙澀並治¶
　　滑石(一/兩)¶
　右為末¶
)",
                                      21);
        QCOMPARE(eyes.size(), size_t(2));
        QCOMPARE(eyes[1].indications, QStringLiteral("目中青黤如物傷狀或有眵淚沙澀並治"));
    }

    void recipesToldInTheirUsageUnderATitle() {
        // 普濟方 卷一百三十: a 治… title whose recipe is all in its 右… line, carried on one step deeper.
        const auto told = parseColumn(R"(治傷寒時氣瘟疫頭痛壮熱脈盛始得一二日¶
　右取真砂一兩以水一斗煮取一升頓服覆衣被取¶
　　汗忌生血物¶
治傷寒及温病頭痛壮熱脈盛始得一二日方(出肘/後方)¶
　右破雞子一枚著冷水半升中攪令相得别煮一升水令¶
　　沸以雞子水投其湯中急攪調適寒温頓服覆取汗¶
雞子湯治發汗後二三日不解頭痛肉熱¶
　　麻黄(一兩/去節)甘草(一兩/炙)¶
　右切以水二升扣雞子白令置水合和令勻内藥後¶
青蒿散　治隂陽二毒傷寒及肢體疼倦¶
　右用青蒿八九月候成實多採去枝梗以童子小便¶
　　浸三兩日漉起酢乾日晒為末毎服三錢水一盞¶
　　烏梅一箇同煎七分温服¶
豉酒方　治傷寒毒氣攻手足及身體虛腫宜服此方¶
　(出聖/恵方)¶
　右用豉五合微炒以酒一升半煎五七沸去滓隨性¶
　　稍熱飲之¶
香麹散　　治食過飽煩悶但欲卧而腹脹¶
　右熬麹令㣲香拌服方寸匕湏大麥生麹佳無麹以¶
　　蘖亦得凡人飲食過度生嚼蘿蔔嚥之¶
鐵粉丸治小兒驚疳壯熱及睡多汗心神煩躁多驚¶
　右為末同研令匀以燒飯和丸如菉豆大兒毎嵗以¶
　粥飲下二丸¶
)",
                                      21);
        QCOMPARE(told.size(), size_t(6));
        QCOMPARE(told[0].indications, QStringLiteral("傷寒時氣瘟疫頭痛壮熱脈盛始得一二日"));
        QCOMPARE(told[0].body, QStringLiteral("右取真砂一兩以水一斗煮取一升頓服覆衣被取汗忌生血物"));
        QVERIFY(told[0].ingredients.isEmpty());
        QCOMPARE(told[1].indications, QStringLiteral("傷寒及温病頭痛壮熱脈盛始得一二日"));
        QVERIFY(told[1].body.endsWith(QStringLiteral("頓服覆取汗")));
        QVERIFY(told[1].ingredients.isEmpty());
        QCOMPARE(told[2].name, QStringLiteral("雞子湯"));
        // The doses may come in the lines the usage is carried on to.
        QCOMPARE(told[3].name, QStringLiteral("青蒿散"));
        QVERIFY(told[3].body.endsWith(QStringLiteral("烏梅一箇同煎七分温服")));
        // A source note on a line of its own between the title and the usage.
        QCOMPARE(told[4].cited, QStringLiteral("聖恵方"));
        QCOMPARE(told[4].indications, QStringLiteral("傷寒毒氣攻手足及身體虛腫宜服此"));
        QVERIFY(told[4].body.endsWith(QStringLiteral("稍熱飲之")));
        QCOMPARE(told[5].indications, QStringLiteral("食過飽煩悶但欲卧而腹脹")); // no dose, but taken
        QVERIFY(told[5].body.endsWith(QStringLiteral("生嚼蘿蔔嚥之")));
        // A usage that calls for the powder printed after it goes on with its herbs.
        const auto stages = parseColumn(R"(治惡瘡久不差肉黒爛膿色黒赤¶
　右先以不灰木檳榔各一分為細末摻貼瘡上候肉¶
　紅膿黄即用後木香散¶
　　木香(二/錢)檳榔(一/錢)黄連(去鬚/四錢)¶
　右同為細末乾摻貼上用之必効¶
)",
                                        21);
        QCOMPARE(stages.size(), size_t(1));
        QCOMPARE(stages[0].ingredients, QStringLiteral("木香(二錢)檳榔(一錢)黄連(去鬚四錢)"));
        QVERIFY(stages[0].usage.endsWith(QStringLiteral("用之必効")));
        // 鐵粉丸's herbs are not printed: its usage alone is no recipe.
        QVERIFY(!named(told, QStringLiteral("鐵粉丸")));
    }

    void indicationsAsBefore() {
        // 小兒衛生總微論方: "狀同前" and "主治如前" take the indication of the recipe before; a title with
        // nothing under it ("治偏搐方") leaves it as printed, since the recipe before may not have been read.
        const auto same = parseColumn(R"(箭蚛散治耳中膿出¶
　　箭竹内蛀蟲糞屑(二/錢)坯子臙脂(二/錢)凌霄花(乾者/二錢)¶
　右為細末拌匀毎用時先以綿撚子搌耳中膿盡¶
紅綿散狀同前¶
　　信砒(一錢/匕)坯子臙脂(三錢/匕)麝香(一字/匕)¶
　右為末每用少許¶
治偏搐方¶
雙金散治如前¶
　右以蜈蚣一条大者去頭足尾用真酥塗慢火上炙¶
　黄置枮子面南用快竹刀子當脊縫中停利作两半¶
)",
                                      21);
        QCOMPARE(same.size(), size_t(3));
        QCOMPARE(same[1].indications, QStringLiteral("耳中膿出"));
        QCOMPARE(same[2].indications, QStringLiteral("如前"));

        // 普濟方 卷四百五 and 卷一百八十九: a kind of recipe is no indication; 乂方 is the transcription's
        // 又方.
        const auto kinds = parseColumn(R"(天烏散　貼方¶
　　南星　赤小豆　草烏　黄栢(各等/分)¶
　右為末生姜自然汁貼患處或用米醋調尤佳¶
治卒鼻衂(出聖/恵方)¶
　右取水一罐鑚底作小孔令射病人頂上名音門以¶
乂方(出肘/後方)¶
　右水和粉一升如粥飲之立差¶
)",
                                       21);
        QCOMPARE(kinds.size(), size_t(3));
        QCOMPARE(kinds[0].name, QStringLiteral("天烏散"));
        const auto washing =
            parseColumn("洗方(出危/氏方)¶\n　　黄連　黄芩　荆芥　蛇床子(各一/兩)側柏葉(四/兩)兒¶\n"
                        "　　茶　鏡面草　蚵皮草(各一/握)¶\n　右用新汲水煎傾盆内薫候通手却洗¶\n",
                        21);
        QCOMPARE(washing.size(), size_t(1));
        QCOMPARE(washing[0].name, QStringLiteral("洗方"));
        QVERIFY(washing[0].indications.isEmpty());
        QVERIFY(kinds[0].indications.isEmpty());
        QCOMPARE(kinds[2].name, QStringLiteral("治卒鼻衂方又方"));
        QCOMPARE(kinds[2].indications, QStringLiteral("卒鼻衂"));

        // Titles that name only the complaint, with a word of praise or use after it; 理 is no verb to drop.
        const auto complaints = parseColumn(R"(諸疔瘡方¶
　　蟾酥(一錢/)　輕粉(半錢/)¶
　右為末¶
齒痛通用方¶
　　細辛(一兩/)　蓽撥(一兩/)¶
　右為末¶
枳實理中丸　理中焦除痞滿¶
　　枳實(一兩/)　白术(二兩/)¶
　右為末¶
)",
                                            21);
        QCOMPARE(complaints.size(), size_t(3));
        QCOMPARE(complaints[0].indications, QStringLiteral("諸疔瘡"));
        QCOMPARE(complaints[1].indications, QStringLiteral("齒痛"));
        QCOMPARE(complaints[2].indications, QStringLiteral("理中焦除痞滿"));

        // 證治準繩 卷六十一: the parent's note on its own herbs does not go to its 又方.
        const auto noted = parseColumn(R"(千金翼治吐血百方不瘥療十十瘥神驗不傳方(詳此/藥性)¶
　(治熱毒吐/血有效)¶
　　地黄汁(半/升)生大黄末一(方寸七/)¶
　右煎地黄汁三兩沸調大黄末令勻分為三服¶
又方　桂心為末水調方寸七日夜可二十服¶
)",
                                       21);
        QCOMPARE(noted.size(), size_t(2));
        QVERIFY(noted[0].indications.contains(QStringLiteral("治熱毒吐血有效")));
        QCOMPARE(noted[1].indications, QStringLiteral("吐血百方不瘥療十十瘥神驗不傳"));
    }

    void herbsAndTitlesAroundTheClause() {
        // 婦人大全良方: herbs without doses on the line before the herbs with doses are herbs, not 主治.
        SourceFile listed = excerpt(R"(治婦人血風勞¶
　琥珀　沒藥　木香　當歸　芍藥　白芷　羌活¶
　　乾地黄　延胡索　川芎(各半/兩)　土𤓰根　丹皮¶
　　白朮　桂(各一/兩)¶
　　右件為末毎服二錢水一盞煎至七分益酒三分¶
)");
        listed.fullWidth = 21;
        const auto list = parseFormulas(listed);
        QCOMPARE(list.size(), size_t(1));
        QCOMPARE(list[0].indications, QStringLiteral("婦人血風勞"));
        QVERIFY(list[0].ingredients.startsWith(QStringLiteral("琥珀　沒藥　木香")));

        // 證治準繩: the clause's line ends with the first herb, whose dose opens the next line.
        const auto head = parseColumn(R"(養生必用黄連阿膠丸　治熱痢下重膿血疼痛腹中¶
　痛不可忍老人産婦虚勞人小兒竝宜服　黄連(去/鬚)¶
　　(一兩/半)白茯苓　白芍藥　阿膠(杵碎慢火炒如珠子白/色别杵為細末各半兩)¶
　右上三物為細末斟酌米醋多少熬膠得所和勻入¶
)",
                                      21);
        QCOMPARE(head.size(), size_t(1));
        QVERIFY(head[0].indications.endsWith(QStringLiteral("竝宜服")));
        QVERIFY(head[0].ingredients.startsWith(QStringLiteral("黄連(去鬚)(一兩半)白茯苓")));
        // 普濟方: a section's title set three steps in after a full usage line, and a chapter's count.
        const auto titles = parseColumn(R"(治腸痔大便常有血下部痒痛如蟲咬者¶
　右掘地作坑燒令赤酒沃其中𢷬呉茱茰二升入内乗¶
　熱扳開小孔以下部榻上冷乃止不過三四度即差¶
　　　氣痔(附論/)¶
又療水榖痢方¶
　　取鯽魚無問多少治如食法以新布乾拭斷血脉¶
　　喫之即得差忌如常法¶
　　石發兩脚卒冷兩脅腋卒熱并口噤方三首¶
)",
                                        21);
        QCOMPARE(titles.size(), size_t(2));
        QCOMPARE(titles[0].indications, QStringLiteral("腸痔大便常有血下部痒痛如蟲咬者"));
        QVERIFY(titles[0].body.endsWith(QStringLiteral("不過三四度即差")));
        QVERIFY(!titles[1].body.contains(QStringLiteral("石發")));
    }

    void recipeNamesReadAsBooks() {
        // The source was read from the words before the title's 治, as "鯽魚方治…" gives it.
        const auto raw = [](const char* name, const char* cited, bool derived = false) {
            RawFormula formula = recipe(name, derived, "", cited);
            formula.citedFromTitle = !derived;
            return formula;
        };
        std::vector<RawFormula> formulas = {raw("治腸風血痔及下痢膿血方", "鯽魚方"),
                                            raw("治腸風血痔及下痢膿血方又方", "", true),
                                            raw("治脚氣疼痛不可屈伸方", "烏頭湯方"),
                                            raw("治牙疼方", "搐鼻方"),
                                            raw("治咳嗽方", "十全博救方"),
                                            raw("治吐血方", "聖惠方"),
                                            raw("治病如前方", "快斑散此方"),
                                            raw("治憂思鬱怒諸氣痞滿停滯通利大小便方", "分心氣飲真方")};
        QHash<QString, int> citations = {{QStringLiteral("聖惠方"), 300}};
        for (const RawFormula& formula : formulas)
            ++citations[formula.cited];
        const QSet<QString> herbs = {QStringLiteral("鯽魚"), QStringLiteral("烏頭"), QStringLiteral("聖惠")};
        QCOMPARE(nameRecipesMistakenForBooks(formulas, citations, herbs), 4);
        QCOMPARE(formulas[7].name, QStringLiteral("分心氣飲真方")); // a form of medicine in it: no book
        QCOMPARE(formulas[0].name, QStringLiteral("鯽魚方"));
        QVERIFY(formulas[0].cited.isEmpty());
        QCOMPARE(formulas[1].name, QStringLiteral("鯽魚方又方"));
        QCOMPARE(formulas[2].name, QStringLiteral("烏頭湯"));
        QCOMPARE(formulas[3].name, QStringLiteral("搐鼻方"));
        QCOMPARE(formulas[4].cited, QStringLiteral("十全博救方")); // a book's title, no herb nor use in it
        QCOMPARE(formulas[5].cited, QStringLiteral("聖惠方"));     // cited often: a book, whatever its words
        QCOMPARE(formulas[6].cited, QStringLiteral("快斑散此方")); // a sentence, not a name
    }

    void volumesOfNeedlesAndCharms() {
        const auto volume = [](const char* lines) {
            return excerpt(
                (QStringLiteral("欽定四庫全書¶\n") + QString::fromUtf8(lines)).toUtf8().constData());
        };
        QVERIFY(isNonDrugVolume(volume("　普濟方卷四百二十二　明　周王朱橚　撰¶\n　　鍼灸門¶\n　　　喘¶\n")));
        QVERIFY(isNonDrugVolume(volume("　備急千金要方卷八十七　唐　孫思邈　撰¶\n"
                                       "　　　　　　　　　　　　宋　林億等　校正¶\n　針灸¶\n")));
        QVERIFY(isNonDrugVolume(volume("　外臺秘要方卷三十九¶\n　　　　唐　王燾　撰¶\n　　明堂序¶\n")));
        QVERIFY(isNonDrugVolume(volume("　普濟方卷二百七十　明　周王朱橚　撰¶\n　　符禁門¶\n")));
        // A 卷 of drug recipes that speaks of moxibustion later on is kept.
        QVERIFY(!isNonDrugVolume(volume("　普濟方卷二百七十二　明　周王朱橚　撰¶\n　　諸瘡腫門¶\n"
                                        "　　　諸瘡腫(附論/)¶\n針灸法¶\n")));
    }

    void indicationsAroundTheName() {
        // 蘭臺軌範: the source's note closes the name, though 膠 came before it.
        const auto noted = parseHeader(QStringLiteral("補肺阿膠散(錢乙/)止𠻳生津"));
        QVERIFY(noted);
        QCOMPARE(noted->name, QStringLiteral("補肺阿膠散"));
        QCOMPARE(noted->clause, QStringLiteral("止𠻳生津"));

        // A complaint, then a known name; but not a name's own first words (小, 桂枝).
        const QSet<QString> known{QStringLiteral("二黄散"),   QStringLiteral("柴胡湯"),
                                  QStringLiteral("小柴胡湯"), QStringLiteral("梔子湯"),
                                  QStringLiteral("奪命散"),   QStringLiteral("茯苓散"),
                                  QStringLiteral("天竈火丹")};
        const auto pregnant = parseHeader(QStringLiteral("治懐孕胎漏二黄散"), &known);
        QVERIFY(pregnant);
        QCOMPARE(pregnant->name, QStringLiteral("二黄散"));
        QCOMPARE(pregnant->clause, QStringLiteral("懐孕胎漏"));
        const auto asBefore = parseHeader(QStringLiteral("治如前小柴胡湯"), &known);
        QVERIFY(asBefore && asBefore->name != QStringLiteral("柴胡湯"));
        const auto gardenia = parseHeader(QStringLiteral("療傷寒已差勞復如初脉浮無汗者桂枝梔子湯"), &known);
        QVERIFY(gardenia && gardenia->name != QStringLiteral("梔子湯"));
        // Two characters say a complaint; one may be a book's remnant, and 小兒 alone says none.
        const auto boil = parseHeader(QStringLiteral("治丁瘡奪命散"), &known);
        QVERIFY(boil);
        QCOMPARE(boil->name, QStringLiteral("奪命散"));
        QCOMPARE(boil->clause, QStringLiteral("丁瘡"));
        const auto remnant = parseHeader(QStringLiteral("治要茯苓散"), &known);
        QVERIFY(remnant && remnant->name != QStringLiteral("茯苓散"));
        const auto child = parseHeader(QStringLiteral("治小兒天竈火丹"), &known);
        QVERIFY(child && child->name != QStringLiteral("天竈火丹"));

        // 證治準繩: the clause's last words open the line of herbs.
        const auto tail = parseColumn(R"(白附丸　通治小兒咳嗽有痰感冐發熱吐㵼心神不¶
　安神効　南星(二/兩)半夏　白附子　白礬(各一/兩)¶
　右為細末薑汁糊丸如桐子大一歲兒服八丸用薄¶
)",
                                      21);
        QCOMPARE(tail.size(), size_t(1));
        QVERIFY(tail[0].indications.endsWith(QStringLiteral("心神不安神効")));
        QVERIFY(tail[0].ingredients.startsWith(QStringLiteral("南星(二兩)")));

        // 金匱要略論註: the article that prescribes the recipe, with the commentary between them; a
        // sentence broken where its last line reads as a title is read whole.
        const QSet<QString> jianzhong{QStringLiteral("小建中湯")};
        const auto article = parseKnowing(R"(太陽病其證備身體强几几然脈反沉遲此為痓括蔞¶
桂枝湯主之¶
　註曰此為痓證有汗不惡寒者主方太陽病其證備¶
括蔞桂枝湯方¶
　括蔞根(三/兩)　桂枝(三兩/去皮)　甘艸(二兩/炙)¶
　右六味㕮咀以水七升㣲火煑取三升去滓適寒温¶
陽毒之為病面赤斑斑如錦紋咽喉痛唾膿血五日可治¶
七日不可治小建中湯主之¶
　註曰陽毒非必極熱乃天地恒之陽邪也¶
建中湯方¶
　膠飴(一/升)　桂枝(三兩/去皮)¶
　右六味㕮咀以水七升㣲火煑取三升去滓適寒温¶
)",
                                          21, jianzhong);
        QCOMPARE(article.size(), size_t(2));
        QCOMPARE(article[0].name, QStringLiteral("括蔞桂枝湯"));
        QCOMPARE(article[0].indications, QStringLiteral("太陽病其證備身體强几几然脈反沉遲此為痓"));
        QCOMPARE(article[1].indications, QString()); // 小建中湯 is another recipe
        const auto broken = parseKnowing(R"(陽毒之為病面赤斑斑如錦紋咽喉痛唾膿血五日可治¶
七日不可治升麻鱉甲湯主之¶
　註曰陽毒非必極熱乃天地恒之陽邪也¶
升麻鱉甲湯方¶
　升麻(二/兩)　當歸(一/兩)¶
　右六味以水四升煑取一升頓服之¶
)",
                                         21, jianzhong);
        QCOMPARE(broken.size(), size_t(1));
        QVERIFY(broken[0].indications.startsWith(QStringLiteral("陽毒之為病")));
        QVERIFY(broken[0].indications.endsWith(QStringLiteral("七日不可治")));

        // 壽親養老新書: herbs without doses under a titled complaint, measured in the usage.
        const QSet<QString> astragalus{QStringLiteral("黄耆散")};
        const auto old = parseKnowing(R"(治老人心脾積熱或流疰脚膝疼痛黄耆散(男子女/人通用)¶
　黄耆　赤芍藥　牡丹皮　香白芷　沙參¶
　甘草(炙/)肉桂(去/皮)　柴胡(去/苖)　當歸(洗後/炙)¶
　右件等分擣羅為末每服二錢水一盞薑三片煎至¶
　五分日進三服春冬每煎時入蜜蒸瓜蔞煎半匙忌¶
　粘食炙煿等物¶
)",
                                      21, astragalus);
        QCOMPARE(old.size(), size_t(1));
        QCOMPARE(old[0].name, QStringLiteral("黄耆散"));
        QCOMPARE(old[0].indications, QStringLiteral("老人心脾積熱或流疰脚膝疼痛"));
        QVERIFY(old[0].ingredients.endsWith(QStringLiteral("當歸(洗後炙)")));
        QVERIFY(old[0].usage.startsWith(QStringLiteral("右件等分")));
    }

    void recipesToldAsTextUnderATitle() {
        // 普濟方: the title says what the recipe treats, the running text under it is the recipe, and the
        // 又方 after it are its own, not those of the title before it.
        const auto mouth = parseColumn(R"(治口臭方¶
　用象膽每夜和水研少許綿裹貼齒根上每夜含之¶
香薷方(出聖/惠方)　治口臭¶
　用香薷一把水一斗煎取三升稍稍含之¶
又方(出肘/後方)¶
　用細辛豆䓻含之甚良¶
)",
                                       21);
        QCOMPARE(mouth.size(), size_t(3));
        QCOMPARE(mouth[1].name, QStringLiteral("香薷方"));
        QCOMPARE(mouth[1].indications, QStringLiteral("口臭"));
        QVERIFY(mouth[1].body.startsWith(QStringLiteral("用香薷一把")));
        QVERIFY(mouth[1].toldInText);
        QCOMPARE(mouth[2].name, QStringLiteral("香薷方又方"));

        // 世醫得效方: under a bare name, prose with doses and a way to take them.
        const auto seeds = parseColumn(R"(餌柏實方¶
　柏子仁二升搗令細醇酒四升漬攪如泥下白蜜二¶
　升棗膏三升搗令可圓入乾地黄末白术末各一升¶
　攪和圓如梧桐子大每服三十圓日二服二十日萬¶
　病皆愈¶
)",
                                       21);
        QCOMPARE(seeds.size(), size_t(1));
        QVERIFY(seeds[0].body.startsWith(QStringLiteral("柏子仁二升")));
        QVERIFY(seeds[0].indications.isEmpty());

        // 仁齋直指, paragraphs: a title run together with its complaint among the herbs starts a recipe.
        SourceFile paragraphs = excerpt(R"(　　山豆根方治咽喉上膈熱毒患瘰癧者常常含汁嚥下¶
仍以¶
¶
　　山豆根　　　紫蘇葉細剉煎湯臨卧服¶
¶
　　解熱方瘰癧四畔紅腫多汁為熱證¶
¶
　　小黒豆(二合)　　紫蘇(一莖)　　　薑(七片)¶
¶
　　右細剉煎湯食後服¶
¶
)");
        paragraphs.fullWidth = 23;
        const auto cooling = parseFormulas(paragraphs);
        QCOMPARE(cooling.size(), size_t(2));
        QVERIFY(!cooling[0].ingredients.contains(QStringLiteral("解熱")));
        QCOMPARE(cooling[1].name, QStringLiteral("解熱方"));
        QVERIFY(cooling[1].ingredients.startsWith(QStringLiteral("小黒豆(二合)")));

        // 備急千金要方: the title says what it treats and ends there; the prose under it is the recipe, and a
        // chapter's number set two steps in ends it.
        const auto vinegar = parseColumn(R"(枳茹酒主諸藥不能瘥者方¶
　枳實上青刮取末欲至心止得茹五升微火炒去濕¶
　氣以酒一斗漬微火暖令得藥味隨性飲之主口僻¶
　眼急大驗治緩風急風並佳(肘後以治身直不得屈/伸反覆者枳樹皮亦得)¶
　　角弓反張第七(方/)¶
)",
                                         21);
        QCOMPARE(vinegar.size(), size_t(1));
        QCOMPARE(vinegar[0].name, QStringLiteral("枳茹酒"));
        QCOMPARE(vinegar[0].indications, QStringLiteral("諸藥不能瘥者"));
        QVERIFY(vinegar[0].body.startsWith(QStringLiteral("枳實上青")));
        QVERIFY(!vinegar[0].body.contains(QStringLiteral("第七")));

        // A clause carried on under the title is still no recipe: no dose, nothing taken.
        const auto clause = parseColumn(R"(四物湯　調益榮衛滋養氣血¶
　治衝任虚損月水不調¶
)",
                                        21);
        QVERIFY(clause.empty());
    }

    void herbsAndCitationsOnTheTitleLine() {
        // 證治準繩: herbs printed on the title line, without notes, are herbs, not what the recipe treats.
        const auto line = parseHeader(QStringLiteral("桂枝去桂加茯苓白术湯方　芍藥　茯苓　白术(各/二)"));
        QVERIFY(line);
        QCOMPARE(line->clause, QString());
        QVERIFY(line->herbs.startsWith(QStringLiteral("芍藥　茯苓")));
        // After the clause, herbs without doses whose doses follow on the next line are herbs too.
        const auto bleeding = parseHeader(QStringLiteral("固經丸　治陰崩不止　艾葉(醋/炒)鹿角霜　伏龍肝"));
        QVERIFY(bleeding);
        QCOMPARE(bleeding->clause, QStringLiteral("陰崩不止"));
        QCOMPARE(bleeding->herbs, QStringLiteral("艾葉(醋/炒)鹿角霜　伏龍肝"));
        const auto catalogue = parseHeader(QStringLiteral("黒龍丹　理中元　催生符　生地黄　羗活"));
        QVERIFY(!catalogue || !catalogue->herbs.startsWith(QStringLiteral("催生符")));
        // 備急千金要方: 主 after the name says what the recipe is for, as 治 does.
        const auto serves = parseHeader(QStringLiteral("練中圓主宿食不消大便難方(肘後名/承氣丸)"));
        QVERIFY(serves);
        QCOMPARE(serves->name, QStringLiteral("練中圓"));
        QCOMPARE(serves->clause, QStringLiteral("宿食不消大便難"));
        // …but recipes listed after a name are no herbs of it, and a herb heading a line of herbs is no name.
        const auto listed = parseHeader(QStringLiteral("補肝丸　補腎丸　石決明丸　皂角丸"));
        QVERIFY(!listed || listed->herbs.isEmpty());
        QVERIFY(!parseHeader(QStringLiteral("石膏　　　黄芩　　　甘草　　　赤芍藥")));
        // 丹溪 is cited after the complaint: 丹 ends no name there.
        const auto cited = parseHeader(QStringLiteral("沙瘡丹溪云沙瘡殺蟲為主"));
        QVERIFY(!cited || cited->name != QStringLiteral("沙瘡丹"));

        // 婦人大全良方: a short paragraph that tells the case and ends in the recipe it calls for.
        const QSet<QString> known{QStringLiteral("葱白湯")};
        const auto scallion = parseKnowing(R"(若卒暴不通小腹膨急氣上衝心悶絶欲死此由暴寒¶
乘并膀胱或從憂驚氣無所伸鬱閉而不流氣衝脬系¶
不正診其脉右手澁小左手急大宜葱白湯方¶
　　橘皮(三/兩)葵子(一/兩)葱白(一/莖)¶
　右㕮咀水五升煑取二升分三服(出指/迷方)¶
)",
                                           21, known);
        QCOMPARE(scallion.size(), size_t(1));
        QVERIFY(scallion[0].indications.startsWith(QStringLiteral("若卒暴不通")));
        QVERIFY(scallion[0].indications.endsWith(QStringLiteral("左手急大")));

        // 普濟方: the clause carried on over two indents, then the herbs with their doses.
        const auto tonic = parseColumn(R"(當歸丸　治婦人血海虛損榮衛不足多至潮熱心煩¶
　　口乾喜冷腹脇刺痛腰腿疼痛痰多喘嗽驚悸怔忡¶
　經候不調或閉斷不通亦宜服¶
　　當歸　石斛(去/根)　　栢子仁　　紫石英(煆醋滓/七遍)¶
　　鹿茸　鼈甲(醋炙各/二兩)卷栢葉(一/兩)　川牛膝(酒洗一/兩半)¶
　右和勻藥末醋糊為丸虛寒者加炮附子二兩咳𠻳¶
)",
                                       21);
        QCOMPARE(tonic.size(), size_t(1));
        QVERIFY(tonic[0].indications.endsWith(QStringLiteral("亦宜服")));
        QVERIFY(tonic[0].ingredients.startsWith(QStringLiteral("當歸　石斛(去根)")));
        QVERIFY(tonic[0].usage.startsWith(QStringLiteral("右和勻")));

        // 仁齋直指: a cross-reference, then a title of another recipe run on into it: the herbs below are
        // not the cross-referenced recipe's.
        ParseStats stats;
        SourceFile pointer = excerpt(R"(　　萬病解毒圓治挑生毒蠱毒藥毒草毒金石毒百虫毒¶
蛇畜獸惡毒鬼胎鬼氣癰疽諸病一切毒出入可以此¶
藥隨身若覺意思不快四大不和即磨服之(方見癰疽門)¶
治挑生方¶
¶
　　好茶生明礬各一錢沸湯調服即吐毒¶
¶
)");
        pointer.fullWidth = 23;
        const auto stub = parseFormulas(pointer, {}, &stats);
        QVERIFY(!named(stub, QStringLiteral("萬病解毒圓")));
        QCOMPARE(stats.stubs, 1);
        QVERIFY(named(stub, QStringLiteral("治挑生方")));
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
