// SPDX-License-Identifier: GPL-3.0-or-later

#include "formulaparser.h"

#include <QRegularExpression>
#include <algorithm>

namespace corvessa::importer {

namespace {

const QChar kSpace(0x3000);

bool isSuffix(QChar c) {
    static const QString suffixes = QStringLiteral("湯散㪚丸圓圎丹飲飮膏煎酒餅餠錠粥茶露膠方");
    return suffixes.contains(c);
}

// 飲子, 餅子, 丸子 and 錠子 are whole suffixes (涼膈飲子, 化涎餅子, 青州白丸子, 保生錠子): the name does not
// end before their 子.
bool endsName(const QString& text, qsizetype at) {
    static const QString takesZi = QStringLiteral("飲飮餅餠丸圓錠");
    const QChar c = text[at];
    if (c == QChar(0x5B50)) // 子
        return at > 0 && takesZi.contains(text[at - 1]);
    if (!isSuffix(c))
        return false;
    return !(takesZi.contains(c) && at + 1 < text.size() && text[at + 1] == QChar(0x5B50));
}

// Characters that only running prose puts into the stretch before a suffix; a real name never holds them.
bool isProseChar(QChar c) {
    static const QString prose = QStringLiteral("者也曰云矣乎為爲每服於其之而則");
    return prose.contains(c);
}

// A bare line such as 大七氣湯入川芎煎調蘇合香丸 is an instruction that names two formulas, not a header.
bool hasInnerSuffix(const QString& name) {
    static const QString strong = QStringLiteral("湯散丸");
    for (qsizetype i = 1; i + 1 < name.size(); ++i) {
        if (strong.contains(name[i]) && !(i + 2 == name.size() && name.back() == QChar(0x5B50))) // 丸子
            return true;
    }
    return false;
}

// Words that open a sentence of prose, never a formula name. 當 is one, but 當歸 opens hundreds of names;
// 遂, 因 and 可 open a few names too (遂痰丸), which are then taken only where doses follow.
bool startsProse(const QString& text) {
    static const QString openers = QStringLiteral("宜用服與以若或後仍即此其凡皆當須亦乃則故蓋次今又者按");
    if (text.startsWith(QStringLiteral("當歸")))
        return false;
    return openers.contains(text[0]);
}

bool startsWeakly(const QString& text) {
    static const QString weak = QStringLiteral("遂因可");
    return weak.contains(text[0]);
}

// "(方見寒門)", "(見通治)": the recipe is printed in another chapter.
bool isCrossReference(const QString& note) {
    // "方見…", "見…", "方俱見首卷", "俱見腫瘍門", "並見局方": one or several recipes printed elsewhere.
    static const QRegularExpression reference(QStringLiteral("方[俱並并均]?見|^[俱並并均]?見|^方在"));
    return note.contains(reference);
}

// "…(方見傷風門)…", "…(方俱見前)…": where the last note that refers to a recipe printed elsewhere ends, or
// -1.
qsizetype afterLastReference(const QString& text) {
    static const QRegularExpression reference(QStringLiteral("\\(方?[俱並并均]?見[^()]*\\)"));
    qsizetype after = -1;
    for (auto it = reference.globalMatch(text); it.hasNext();)
        after = it.next().capturedEnd();
    return after;
}

// "…(方見傷風門)", "…(方見前)": a text that closes with such a reference.
bool endsWithReference(const QString& text) {
    return !text.isEmpty() && afterLastReference(text) == text.size();
}

// Strips a leading treatment verb from an indications clause.
QString stripVerb(QString clause) {
    static const QStringList verbs = {QStringLiteral("專治"), QStringLiteral("兼治"), QStringLiteral("能治"),
                                      QStringLiteral("亦治"), QStringLiteral("通治"), QStringLiteral("大治"),
                                      QStringLiteral("主治"), QStringLiteral("治"),   QStringLiteral("療"),
                                      QStringLiteral("主")};
    for (const QString& verb : verbs) {
        if (clause.startsWith(verb))
            return clause.mid(verb.size());
    }
    return clause;
}

bool startsWithVerb(const QString& text) {
    static const QRegularExpression verb(
        QStringLiteral("^(治|療|主治|專治|兼治|能治|亦治|通治|大治|理|常服)"));
    return verb.match(text).hasMatch();
}

// Reads "(…)(…)" at `pos`; returns the notes and moves `pos` past them.
QStringList readNotes(const QString& text, qsizetype& pos) {
    QStringList notes;
    while (pos < text.size() && text[pos] == QLatin1Char('(')) {
        const qsizetype end = text.indexOf(QLatin1Char(')'), pos);
        if (end < 0)
            break;
        notes << text.mid(pos + 1, end - pos - 1);
        pos = end + 1;
    }
    return notes;
}

bool isNumbering(const QString& note) {
    static const QRegularExpression numerals(QStringLiteral("^[一二三四五六七八九十百〇零0-9]+$"));
    return numerals.match(note).hasMatch();
}

bool isDoseNote(const QString& note) {
    static const QRegularExpression dose(QStringLiteral("[兩两錢钱分銖枚升合斤片個箇半粒]"));
    return dose.match(note).hasMatch() && note.size() <= 12;
}

// A note that names the book a formula was taken from: "出聖濟總録", or a bare title before the name.
QString citedFrom(const QStringList& notes, bool bareTitles) {
    // "出百一選方一名枳實三百丸", "一名交加飲子出十便良方": the recipe's other name is no part of the book's.
    static const QRegularExpression alias(
        QStringLiteral("^(?:[一又亦]名[^出]{2,10})?出(.{2,13}?)(?:[一又亦]名.*)?$"));
    for (const QString& note : notes) {
        if (const auto match = alias.match(note); match.hasMatch() && note.size() <= 24)
            return match.captured(1);
        if (bareTitles && note.size() >= 2 && note.size() <= 12 && !isNumbering(note))
            return note;
    }
    return {};
}

// "(出聖/恵方)" carried to a line of its own under the title.
bool isSourceNote(const QString& line) {
    return line.startsWith(QStringLiteral("(出")) && line.endsWith(QLatin1Char(')')) &&
           line.count(QLatin1Char('(')) == 1;
}

qsizetype skipSpaces(const QString& text, qsizetype pos) {
    while (pos < text.size() && (text[pos] == kSpace || text[pos] == QLatin1Char(' ')))
        ++pos;
    return pos;
}

// "琥珀　沒藥　木香　當歸": a line of three or more herbs without doses, each a short word.
bool isHerbList(const QString& line) {
    static const QRegularExpression notes(QStringLiteral("\\([^()]*\\)"));
    const QStringList items = QString(line).remove(notes).split(kSpace, Qt::SkipEmptyParts);
    static const QRegularExpression words(QStringLiteral("[治療主用以服之者其此宜也不]"));
    return items.size() >= 3 && std::all_of(items.begin(), items.end(), [](const QString& item) {
               return item.size() <= 5 && !item.contains(words);
           });
}

// "(一兩)", "三錢": a dose written out in a line of text.
bool hasDoseWord(const QString& text) {
    static const QRegularExpression dose(QStringLiteral("[一二三四五六七八九十半][兩两錢钱分銖枚升合斤]"));
    return dose.match(text).hasMatch();
}

// "補肝丸　補腎丸", "一名鼠姑　鹿韭": a list that names recipes, or a herb's other names, rather than herbs.
bool namesRecipesOrAliases(const QString& list) {
    static const QRegularExpression recipes(QStringLiteral("[湯散㪚丸圓丹飲膏方元](?=\\(|　|$)|一名"));
    return list.contains(recipes);
}

// "服方寸匕", "傅之", "含嚥": the text says how the medicine is taken or put on.
bool saysHowTaken(const QString& text) {
    static const QRegularExpression taken(QStringLiteral("方寸匕|[服飲飮塗敷傅貼含嚥咽洗塞摻點灌]"));
    return text.contains(taken);
}

// "用香薷一把水一斗煎取三升…", "取鹽一升…": a recipe told as running text, from its herb to its use.
bool startsRunningRecipe(const QString& text) {
    static const QRegularExpression opens(QStringLiteral("^[用取以]"));
    return text.contains(opens) && hasDoseWord(text.left(24)) && saysHowTaken(text);
}

// "枸杞根一百二十斤切以東流水四石煮…服半升": under a bare name, prose with doses and a way to take them is
// the recipe; a clause would open with its verb, and herbs are set apart by spaces.
bool tellsARecipeInProse(const QString& text) {
    return !startsWithVerb(text) && !text.contains(kSpace) && hasDoseWord(text) && saysHowTaken(text);
}

// A usage that holds a recipe of its own: a dose, or a medicine it names and says how to take
// ("右熬麹令㣲香拌服方寸匕"). "右為末同研令匀…" without a dose speaks of herbs the edition left out.
bool tellsARecipe(const QString& usage) {
    static const QRegularExpression names(QStringLiteral("^右(用|以|取|熬|破|與|浸|蒸|燒|將|先)"));
    return hasDoseWord(usage) || (usage.contains(names) && saysHowTaken(usage));
}

// "深師療天行毒病酷熱下痢七物升麻湯", "…時復有欬者增損阮氏小青龍湯": the count of herbs, or the words after
// the clause's last 者, before a known name are part of the name.
void takeQualifier(QString& clause, QString& name) {
    const qsizetype who = clause.lastIndexOf(QChar(0x8005)); // 者
    if (who >= 2 && clause.size() - who - 1 >= 1 && clause.size() - who - 1 <= 6) {
        name.prepend(clause.mid(who + 1));
        clause.truncate(who + 1);
        return;
    }
    static const QRegularExpression count(QStringLiteral("[一二三四五六七八九十]{1,2}[物味]$"));
    const auto match = count.match(clause);
    if (!match.hasMatch())
        return;
    name.prepend(match.captured());
    clause.chop(match.capturedLength());
}

// "千金療傷寒頭痛項強四肢煩疼青膏方", "崔氏療傷寒始得一二日方", "食治老人五淋燥痛…蘇粥方": a source (or a
// word of purpose), the verb, the indication and the recipe's name run together in one title. The name is the
// known name the title ends with, or the one the title gives after 名; without either the title is read as
// "療…方", as a recipe without a name.
std::optional<Header> attributedTitle(const QString& body, const QString& leadingCited,
                                      const QSet<QString>* knownNames) {
    qsizetype verb = -1;
    for (qsizetype i = 1; i < body.size() && i <= 6 && verb < 0; ++i) {
        if (body[i] == QLatin1Char('(') || body[i] == kSpace)
            return std::nullopt;
        if (body[i] == QChar(0x6CBB) || body[i] == QChar(0x7642)) // 治 療
            verb = i;
    }
    if (verb < 0)
        return std::nullopt;
    const QString prefix = body.left(verb);
    // "小疾不治令人至死療之皆用升麻膏方": a sentence that says what is not treated names no book; the
    // recipe it advises heads the herbs after it.
    if (QStringLiteral("不未莫勿難").contains(prefix.back())) {
        static const QRegularExpression advised(QStringLiteral("用([^用　()]{2,10})方$"));
        if (const auto match = advised.match(body); match.hasMatch() && isSuffix(match.captured(1).back())) {
            Header header;
            header.name = match.captured(1);
            header.needsIngredients = true;
            return header;
        }
    }
    // 黄耆散治腕折: a name with its clause; but 聖惠方治…, 錢相公篋中方療… name a book.
    const bool book = prefix.size() >= 3 && prefix.endsWith(QStringLiteral("方"));
    if ((isSuffix(prefix.back()) && !book) || prefix.contains(QChar(0x540D)))
        return std::nullopt;
    qsizetype end = verb + 1;
    while (end < body.size() && body[end] != QLatin1Char('(') && body[end] != kSpace)
        ++end;
    const QString title = body.mid(verb + 1, end - verb - 1);
    qsizetype p = end;
    const QStringList notes = readNotes(body, p);
    // Text after the title makes it a sentence of the text, not a heading.
    if (title.size() < 2 || title.size() > 30 || skipSpaces(body, p) < body.size())
        return std::nullopt;
    static const QRegularExpression sentence(QStringLiteral("[矣也乎此其]|宜用|用此方|多矣"));
    if (sentence.match(title).hasMatch() || title.endsWith(QStringLiteral("諸方")))
        return std::nullopt;
    static const QString verbWords = QStringLiteral("通專兼能亦大主");
    const bool verbPrefix = prefix.size() == 1 && verbWords.contains(prefix[0]);
    // A source is a book's short title or a physician's name; words of purpose (食治, 下氣治) belong to the
    // indication.
    static const QString purpose = QStringLiteral("食下上補定搜外內生止除消安調理和一凡");
    const bool source = !verbPrefix && prefix.size() >= 2 && !purpose.contains(prefix[0]);
    QString rest = title;
    if (rest.endsWith(QStringLiteral("方")))
        rest.chop(1);
    // Without 方 or a name's ending, only a book's or a family's title stands alone
    // ("葛氏療年少氣充面生皰瘡", "聖惠方治誤吞銀鐶子釵子"); "丹溪治一婦年四十八…" tells a case.
    static const QRegularExpression telling(QStringLiteral("[以用服者之其此凡一]"));
    if (rest.isEmpty() || QStringLiteral("之法宜以其當在此則同者亦須").contains(title[0]))
        return std::nullopt;
    // A closing 者 is the indication's own ("本事方治睛疼難忍者"), no telling.
    const QString told = rest.endsWith(QChar(0x8005)) ? rest.chopped(1) : rest;
    if (!title.endsWith(QStringLiteral("方")) && !endsName(rest, rest.size() - 1) &&
        (!source || !(book || prefix.endsWith(QStringLiteral("氏"))) || rest.size() > 16 ||
         told.contains(telling)))
        return std::nullopt;
    const QString lead = source ? QString() : prefix + body[verb];

    Header header;
    header.kind = HeaderKind::Named;
    header.verbClause = true;
    header.cited = !leadingCited.isEmpty() ? leadingCited : source ? prefix : citedFrom(notes, false);
    header.citedFromTitle = leadingCited.isEmpty() && source;
    header.stubNote = std::any_of(notes.begin(), notes.end(), isCrossReference);
    QString name, clause;
    if (endsName(rest, rest.size() - 1)) {
        const qsizetype named = rest.lastIndexOf(QChar(0x540D)); // 名
        if (named >= 1 && rest.size() - named - 1 >= 2 && rest.size() - named - 1 <= 10) {
            name = rest.mid(named + 1);
            clause = rest.left(named);
            while (!clause.isEmpty() && QStringLiteral("亦一者").contains(clause.back()))
                clause.chop(1);
        } else if (knownNames) {
            for (qsizetype n = std::min<qsizetype>(rest.size() - 1, 12); n >= 2 && name.isEmpty(); --n) {
                if (knownNames->contains(rest.right(n))) {
                    name = rest.right(n);
                    clause = rest.left(rest.size() - n);
                }
            }
        } else {
            header.guessedName = true;
        }
    }
    if (name.isEmpty()) {
        header.kind = HeaderKind::Unnamed;
        header.name = QString(body[verb]) + rest + QStringLiteral("方");
        header.clause = lead + rest;
    } else {
        takeQualifier(clause, name);
        header.name = name;
        header.clause = lead + clause;
    }
    header.clause = stripVerb(header.clause);
    return header;
}

// "當歸散　治血脉不通　當歸　穿山甲(灰炒)蒲黄(炒各半兩)": the herbs with their doses printed on the header
// line after the clause. Takes them out of the clause and returns them. Herbs without doses are taken only
// after a clause that opens with its verb (`afterVerb`): "大黄　黄芩　黄連" after a name is a list of its
// own.
QString herbsAfterClause(QString& clause, bool afterVerb) {
    static const QRegularExpression doseNote(QStringLiteral("\\([^)]*[兩两錢钱分銖枚升合斤等][^)]*\\)"));
    // "治陰崩不止　艾葉(醋炒)鹿角霜　伏龍肝", "治痘不收漿結痂　何首烏　白芍藥　黄": herbs without doses,
    // whose doses follow on the next line; not a list of recipes, nor words of the clause.
    const auto bareHerbs = [](const QString& after) {
        static const QRegularExpression notes(QStringLiteral("\\([^()]*\\)"));
        static const QRegularExpression prose(QStringLiteral("[治療主用以服之者其此宜也不如前同及或]"));
        const QStringList items = QString(after).remove(notes).split(kSpace, Qt::SkipEmptyParts);
        return items.size() >= 2 && (items.size() >= 3 || after.contains(QLatin1Char('('))) &&
               !namesRecipesOrAliases(after) &&
               std::all_of(items.begin(), items.end(),
                           [](const QString& item) { return item.size() <= 5 && !item.contains(prose); });
    };
    for (qsizetype space = clause.indexOf(kSpace); space >= 0; space = clause.indexOf(kSpace, space + 1)) {
        const QString after = clause.mid(space + 1);
        // The words before the herbs are a clause, not a recipe's name (理中元　催生符　生地黄: a list).
        const bool afterClause =
            space > 0 && !isSuffix(clause[space - 1]) && clause[space - 1] != QChar(0x5143);
        if (!after.contains(doseNote) && !(afterVerb && afterClause && bareHerbs(after)))
            return {};
        if (after.startsWith(QLatin1Char('(')))
            continue; // a note of the clause's own: "頭風　(王太醫方)　荆芥　石膏(煆各等分)"
        clause.truncate(space);
        return after;
    }
    return {};
}

} // namespace

bool isUsageStart(const QString& text) {
    // After the ingredients nearly every line that opens with 右 ("the above", as the page runs right to
    // left) is the usage; 上 also begins names (上清丸), so it needs a word of preparation after it.
    if (text.startsWith(QStringLiteral("右")) && !text.startsWith(QStringLiteral("右歸")))
        return true;
    return isPreparationStart(text);
}

bool isPreparationStart(const QString& text) {
    static const QRegularExpression usage(QStringLiteral(
        "^[右上](為|爲|件|各|用|㕮|咀|剉|銼|擣|搗|杵|細|等|[一二三四五六七八九十]+味|將|同|藥|末|除|先|以|入|"
        "每|和|研|作|取|共|切|炒|焙|水|酒|煎|煮|煑|方|並|并|鎊|合|細|麄|粗|件|十|二|三|四|五|六|七|八|九|"
        "㕮|藥|九|件|如|煉|湯|一|以|碾|擂|就|燒|同|須|為|爲)"));
    // 右 ("the above") starts a usage with these too; 上 before them is "on top" ("上炙七壯").
    static const QRegularExpression right(QStringLiteral("^右(熬|破|與|浸|蒸)"));
    return usage.match(text).hasMatch() || right.match(text).hasMatch();
}

namespace {

// "又石灰散主胡臭方", "又人喜魘及惡夢者方", "又發背神驗方": a title after "and also" that names a recipe and
// what it is for, or only the complaint. Such a title heads the recipes under it, the 又方 after it included:
// read as text, it would leave them to the recipe before. A sentence ("又若重發者療之方") is no title.
std::optional<Header> againTitle(const QString& title, const std::optional<Header>& named,
                                 const QString& cited) {
    if (named && named->kind == HeaderKind::Named && named->clause.startsWith(QChar(0x4E3B))) { // 主
        Header header = *named;
        header.clause = stripVerb(header.clause);
        if (header.clause.endsWith(QStringLiteral("方")))
            header.clause.chop(1);
        // "又乾嘔下利黄芩湯主之方": the complaint runs into the name, which cannot be told from it here.
        if (header.clause.size() < 2 || header.clause.contains(QChar(0x4E4B))) // 之
            return std::nullopt;
        header.needsIngredients = false;
        header.verbClause = true;
        if (header.cited.isEmpty())
            header.cited = cited;
        return header;
    }
    static const QRegularExpression sentence(QStringLiteral("[矣也乎之其此若凡宜用以名云曰或如]"));
    QString complaint = title.chopped(1);
    static const QRegularExpression praise(QStringLiteral("[神驗効效良妙奇秘祕單]+$"));
    complaint.remove(praise);
    // Not a book or a physician ("又千金翼方", "又許仁則秘方": one more recipe from elsewhere), nor what is
    // done with the medicine ("又點眼方", "又敷藥方"), nor a numbered recipe ("又第二方").
    static const QRegularExpression elsewhere(QStringLiteral(
        "氏|千金|外臺|肘後|集驗|救急|備急|廣濟|深師|小品|范汪|文仲|許仁則|陳無擇|古今|[錄録]驗|第|附|書"));
    static const QRegularExpression doing(QStringLiteral("^[點㸃敷傅塗洗貼熨捋搽擦揵]"));
    if (complaint.size() < 2 || complaint.size() > 24 || complaint.contains(sentence) ||
        complaint.contains(elsewhere) || complaint.contains(doing) || startsWithVerb(complaint))
        return std::nullopt;
    Header header;
    header.kind = HeaderKind::Unnamed;
    header.verbClause = true;
    header.name = title;
    header.clause = complaint;
    header.cited = cited;
    return header;
}

// "暴赤眼方", "阴汗濕癢方", "必效主噎方": a title that names the complaint and no more. Its words are the
// recipe's indication. Titles that name a kind of recipe, a book or what is done with the medicine say
// nothing of what it treats ("熏藥方", "三因方", "荜豆香澡豆方"), nor does a sentence.
QString complaintOfTitle(const QString& name) {
    if (!name.endsWith(QStringLiteral("方")) || name.endsWith(QStringLiteral("又方")))
        return {};
    // "劉庭瑞已效方", "崔宣武已効方": a physician's proven recipe.
    static const QRegularExpression proven(QStringLiteral("已[効效驗騐]"));
    if (name.contains(proven))
        return {};
    QString stem = name.chopped(1);
    // "痜瘡二方", "汗斑四方": the count of recipes the title heads.
    static const QRegularExpression count(
        QStringLiteral("(?<=[^第一二三四五六七八九十]{2})[二三四五六七八九十]$"));
    stem.remove(count);
    static const QRegularExpression praise(
        QStringLiteral("(經[驗騐]|通用|[立已]?[神驗騐効效良妙奇秘祕單仙])+$|^[効效][驗騐]"));
    stem.remove(praise);
    // "必效主噎", "經心録主水痢": a source, then what the recipe is for; "鹿角圓補益": a recipe, then its
    // use.
    if (const qsizetype serves = stem.indexOf(QChar(0x4E3B)); serves >= 0 && serves <= 8) // 主
        stem = stem.mid(serves + 1);
    for (qsizetype i = stem.size() - 3; i >= 1; --i) {
        static const QString recipeKinds = QStringLiteral("湯散㪚丸圓圎丹膏");
        if (recipeKinds.contains(stem[i])) {
            stem = stem.mid(i + 1);
            break;
        }
    }
    // "必效染白髮方", "千金令毛髮不生方", "齒齦腫痛千金翼方": the book the recipe comes from, and the
    // complaint.
    static const QRegularExpression source(QStringLiteral(
        "^(千金翼|千金|外臺|肘後|集[驗騐]|必[效効]|近[效効]|救急|備急|廣濟|深師|小品|范汪|張?文仲|"
        "古今[錄録][驗騐]|經心[錄録])(?=..)|(?<=..)(千金翼|千金)$"));
    const qsizetype titled = stem.size();
    stem.remove(source);
    // "洗痔方", "圍腫方", "熨症方": what is done with the medicine, then the complaint it is done to; a
    // use alone (熏藥方, 洗眼方) names none.
    static const QRegularExpression use(QStringLiteral("^[熏薰洗敷傅塗貼搨圍围熨點㸃](?=.)"));
    if (stem.contains(use))
        stem.remove(0, 1);
    else if (stem.size() >= 3 && QStringLiteral("熏薰洗敷傅塗貼熨").contains(stem.back()))
        stem.chop(1); // "寒瘧塗方": the complaint, then how the medicine is put on
    // What is left once a book or a use is taken off must name a complaint (千金紫餺飥方 names a food).
    static const QRegularExpression complaint(QStringLiteral(
        "[痛瘡腫疽癰痔痢瘧嗽咳喘渴淋疳癬疥瘰癭瘤痞症癥瘕蠱毒風熱寒血汗泄瀉吐嘔噎膈痺痹癇驚狂眩暈聾盲翳淚"
        "瘢瘜痣皯髮鬢禿蟲癩癘疝痃癖疹痘瘙癢痒臭衄疸脹滿悶漏瘻瘍䘌傷折損病疾]"));
    if (stem.size() < titled && !stem.contains(complaint))
        return {};
    static const QRegularExpression notAComplaint(QStringLiteral(
        "[門门附藥药香脂衣澡熨公詩诗曰云宜此其之也矣乎吃用以服一第僧傳]|(?<!^)[諸诸]|氏|千金|外臺|肘後|"
        "集[驗騐]|[錄録][驗騐]|經[驗騐]|必[效効]|近[效効]|奇|救急|備急|廣濟|深師|小品|范汪|文仲|三因|銀海|"
        "古今|神仙|海上|[秘祕]|簡易|易簡|要略|已效|都事|同知|先生|涓子|丹溪|十全|姥|經心|[錄録]|真人|居士|"
        "觀音|[岳嶽]|要畧|加減|食治|"
        "^[點㸃熏薰搐洗敷傅塗貼掠搨揩擦漱灸圍围前省去及煮浴刷釀吹世]"));
    // Nor a herb or a food ("天南星方", "細酒麴方", "百合洗方").
    static const QRegularExpression herbEnd(
        QStringLiteral("[星草根葉花子仁皮實米麴麯曲洗汁油藜遂酥筒貼塗面法導熏薰元貟二三四五]$"));
    if (stem.size() < (stem.size() < titled ? 1 : 2) || stem.size() > 12 || isSuffix(stem.back()) ||
        stem.contains(herbEnd) || stem.contains(notAComplaint) || startsWithVerb(stem))
        return {};
    return stem;
}

// "羌活勝風湯(見外障)川芎行經散　治…": the words after a cross-reference, where they are the title of the
// recipe printed here. Not another reference ("附子理中湯(方見寒類)…"), nor words of a usage
// ("加縮砂…煎吞青木香圓").
std::optional<Header> titleAfterReference(const QString& rest, const QSet<QString>* knownNames) {
    static const QRegularExpression used(QStringLiteral("[加吞煎用以服與宜]"));
    static const QRegularExpression referred(QStringLiteral("^[^()　]{1,10}\\([^()]*見"));
    if (rest.contains(referred))
        return std::nullopt;
    auto inner = parseHeader(rest, knownNames);
    if (inner && inner->kind == HeaderKind::Named && !inner->clause.isEmpty() && inner->name.size() <= 8 &&
        !inner->name.contains(used))
        return inner;
    return std::nullopt;
}

} // namespace

std::optional<Header> parseHeader(const QString& text, const QSet<QString>* knownNames) {
    qsizetype pos = 0;
    const QStringList leadingNotes = readNotes(text, pos);
    const QString leadingCited = citedFrom(leadingNotes, true);
    QString body = text.mid(pos);
    if (body.isEmpty() || isPreparationStart(body))
        return std::nullopt;
    // "乂方(出肘/後方)": the transcription's slip for 又方, among 又方 in the same list.
    if (body.startsWith(QStringLiteral("乂方")))
        body[0] = QChar(0x53C8);
    // "唐侍郎大續命湯主手足攣急及不隨此方療苦脚氣…方": the title says what the recipe treats, then again.
    static const QRegularExpression again(QStringLiteral("^([^(]{4,}?)此方([治療]|主(?!之))([^(]{2,})$"));
    if (const auto twice = again.match(body); twice.hasMatch()) {
        auto first = parseHeader(text.left(pos) + twice.captured(1), knownNames);
        if (first && first->kind == HeaderKind::Named && !first->clause.isEmpty()) {
            QString more = twice.captured(3);
            if (more.endsWith(QStringLiteral("方")))
                more.chop(1);
            first->clause += kSpace + more;
            return first;
        }
    }

    // "又療傷寒一二日方", "又麻黄解肌湯療傷寒三四日煩疼不解者方": "and also", before a title of its own.
    if (body.startsWith(QChar(0x53C8)) && !body.startsWith(QStringLiteral("又方")) && body.size() > 3) {
        const QString again = body.mid(1);
        const QString title = again.left(again.indexOf(QLatin1Char('(')));
        // "又外臺祕要", "又楊氏産乳": one more recipe for the same complaint, from another book, named by a
        // family or by a book's last word; "又腎消夜尿七八升方" is a complaint.
        static const QRegularExpression book(
            QStringLiteral("^([^治療主之云曰其此以用服取　()]{1,6}氏[^治療主之云曰其此以用服取　()]{0,4}|"
                           "[^治療主之云曰其此以用服取　()]{2,7}[要錄録論書經集記傳])$"));
        if (book.match(again).hasMatch()) {
            Header header;
            header.kind = HeaderKind::Again;
            header.verbClause = true;
            header.cited = again;
            return header;
        }
        if (!title.endsWith(QStringLiteral("方")))
            return std::nullopt;
        qsizetype p = title.size();
        // "又驗方(出肘後方)", "又一方": another recipe, as 又方 is.
        static const QRegularExpression anotherRecipe(QStringLiteral("^[一驗效神經][驗效]?方$"));
        if (anotherRecipe.match(title).hasMatch()) {
            Header header;
            header.kind = HeaderKind::Again;
            header.verbClause = true;
            header.cited = leadingCited.isEmpty() ? citedFrom(readNotes(again, p), false) : leadingCited;
            return header;
        }
        // "又麥門冬散方", "又下乳汁通草散方": a name of its own, as a title that says what it treats is.
        auto header = parseHeader(again, knownNames);
        if (header && header->kind != HeaderKind::Again && !header->needsIngredients &&
            (header->verbClause ||
             (header->clause.isEmpty() && !header->name.endsWith(QStringLiteral("方")))))
            return header;
        return againTitle(title, header,
                          leadingCited.isEmpty() ? citedFrom(readNotes(again, p), false) : leadingCited);
    }

    if (body.startsWith(QStringLiteral("又方")) || body.startsWith(QStringLiteral("一方"))) {
        Header header;
        header.kind = HeaderKind::Again;
        header.verbClause = true;
        qsizetype p = 2;
        const QStringList notes = readNotes(body, p);
        header.cited = leadingCited.isEmpty() ? citedFrom(notes, false) : leadingCited;
        p = skipSpaces(body, p);
        const QString rest = body.mid(p);
        static const QRegularExpression asBefore(QStringLiteral("^[治療主](如前|同前|同上|證同前)"));
        static const QRegularExpression recipeStart(QStringLiteral("[以用取]"));
        if (const auto same = asBefore.match(rest); same.hasMatch()) {
            header.rest = rest.mid(same.capturedLength()); // "又方治如前以鹿角炙…": the complaint before
        } else if (startsWithVerb(rest) && rest.size() <= 60 && !rest.contains(kSpace)) {
            // "又方治風頭旋用蟬殻二兩微炒為末…": the complaint, then the recipe, on one line.
            const qsizetype recipe = hasDoseWord(rest) ? rest.indexOf(recipeStart, 3) : -1;
            if (recipe > 0) {
                header.clause = stripVerb(rest.left(recipe));
                header.rest = rest.mid(recipe);
            } else {
                header.clause = stripVerb(rest);
            }
        } else {
            header.rest = rest;
        }
        return header;
    }

    if (body.startsWith(QStringLiteral("治")) || body.startsWith(QStringLiteral("療"))) {
        // 治之…, 治法…: prose about treatment, not the title of a recipe.
        static const QString proseSecond = QStringLiteral("之法宜以其當在此則同者亦須");
        if (body.size() < 2 || proseSecond.contains(body[1]))
            return std::nullopt;
        qsizetype end = 0;
        while (end < body.size() && body[end] != QLatin1Char('(') && body[end] != kSpace)
            ++end;
        // "治卒不得語方以苦酒煮苽子傅頸…": the title and the recipe on one line.
        static const QRegularExpression titleEnd(QStringLiteral("^[^()　]{3,20}?方(?=[以用取煮煑搗擣燒])"));
        // "治蠍螫人用石榴花葉及皮爛搗炒令熱封…": the complaint, then at once the recipe, without 方.
        static const QRegularExpression clauseThenRecipe(
            QStringLiteral("^[治療][^()　方用以取]{2,16}(?=[用以取])"));
        static const QRegularExpression applied(QStringLiteral("[服傅敷塗貼洗煎煮煑搗擣燒]"));
        if (const auto match = titleEnd.match(body.left(end));
            match.hasMatch() && match.capturedLength() < end) {
            end = match.capturedLength();
        } else if (const auto run = clauseThenRecipe.match(body.left(end));
                   run.hasMatch() && end >= run.capturedLength() + 4) {
            // "治如在髪際須剪剃去髪看皮破不破依上方": instructions, not a complaint.
            static const QRegularExpression instructions(QStringLiteral("[依須看若凡如此其之]"));
            const QString recipe = body.mid(run.capturedLength(), end - run.capturedLength());
            if ((hasDoseWord(recipe) || recipe.contains(applied)) && !run.captured().contains(instructions)) {
                end = run.capturedLength();
                // "治小兒頭面身體生瘡累醫未效宜用此方貼之": the advice is no part of the complaint.
                while (end > 3 && (body[end - 1] == QChar(0x5B9C) || body[end - 1] == QChar(0x51DD))) // 宜 冝
                    --end;
            }
        }
        QString name = body.left(end);
        // A title may be long where it ends as one ("療傷寒八九日不差名爲敗傷寒諸藥不能消者方").
        if (name.size() < 3 || name.size() > (name.endsWith(QStringLiteral("方")) ? 30 : 20))
            return std::nullopt;
        Header header;
        header.kind = HeaderKind::Unnamed;
        header.verbClause = true;
        qsizetype p = end;
        const QStringList notes = readNotes(body, p);
        header.cited = leadingCited.isEmpty() ? citedFrom(notes, false) : leadingCited;
        header.stubNote = std::any_of(notes.begin(), notes.end(), isCrossReference);
        header.rest = body.mid(skipSpaces(body, p));
        header.herbs = herbsAfterClause(header.rest, true);
        QString clause = stripVerb(name);
        if (clause.endsWith(QStringLiteral("方")))
            clause.chop(1);
        if (clause.endsWith(QStringLiteral("諸")))
            return std::nullopt; // a chapter title such as 治女人帶下諸方
        // "治眉毛脱落冝用此方": a whole title that recommends the recipe under it.
        static const QRegularExpression recommends(QStringLiteral("^(.{2,}?)[宜冝]用此方$"));
        static const QRegularExpression particle(QStringLiteral("[矣也乎]"));
        if (const auto match = recommends.match(clause + QStringLiteral("方"));
            match.hasMatch() && !match.captured(1).contains(particle)) {
            header.clause = match.captured(1);
            header.name = QStringLiteral("治") + header.clause + QStringLiteral("方");
            return header;
        }
        // 治…矣, "…中風者宜用此方": a sentence of the text, not a recipe's title.
        static const QRegularExpression sentence(QStringLiteral("[矣也乎]|宜用此|用此方|多矣"));
        if (sentence.match(name).hasMatch())
            return std::nullopt;
        const qsizetype named = clause.lastIndexOf(QChar(0x540D)); // 治妊娠頭疼…不下食名蘆根湯
        if (named >= 2 && clause.size() - named - 1 >= 2 && clause.size() - named - 1 <= 10 &&
            endsName(clause, clause.size() - 1)) {
            header.kind = HeaderKind::Named;
            header.name = clause.mid(named + 1);
            header.clause = clause.left(named);
            return header;
        }
        // "治小兒頭面身體赤毒腫起作片宜用升麻膏": the advice names the recipe.
        static const QRegularExpression advised(QStringLiteral("^(.{2,}?)宜[用服]([^　()]{2,8})$"));
        if (const auto match = advised.match(clause);
            match.hasMatch() && endsName(match.captured(2), match.captured(2).size() - 1)) {
            header.kind = HeaderKind::Named;
            header.name = match.captured(2);
            header.clause = match.captured(1);
            return header;
        }
        // "治冰翳久不去者羚羊角散主之": the title prescribes the recipe by a name printed on its own
        // elsewhere, after the complaint.
        if (clause.endsWith(QStringLiteral("主之")) && clause.size() >= 8) {
            const QString prescribed = clause.chopped(2);
            if (!knownNames)
                header.guessedName = true;
            for (qsizetype n = std::min<qsizetype>(prescribed.size() - 3, 10); knownNames && n >= 3; --n) {
                if (knownNames->contains(prescribed.right(n))) {
                    header.kind = HeaderKind::Named;
                    header.name = prescribed.right(n);
                    header.clause = prescribed.left(prescribed.size() - n);
                    return header;
                }
            }
        }
        // "療傷寒一二日至三日可發汗度瘴散方", "療淋榆皮湯方": the recipe's name ends the title.
        if (name.endsWith(QStringLiteral("方")) && clause.size() >= 4 &&
            endsName(clause, clause.size() - 1)) {
            if (!knownNames) {
                header.guessedName = true;
            } else {
                for (qsizetype n = std::min<qsizetype>(clause.size() - 1, 12); n >= 3; --n) {
                    if (knownNames->contains(clause.right(n))) {
                        header.kind = HeaderKind::Named;
                        header.name = clause.right(n);
                        header.clause = clause.left(clause.size() - n);
                        takeQualifier(header.clause, header.name);
                        return header;
                    }
                }
            }
        }
        // "治懷孕胎漏二黄散": the complaint, then a known name; 治狐惑湯 and 治中湯 are names of their own.
        if (!knownNames && isSuffix(name.back()) && !name.endsWith(QStringLiteral("方")) &&
            clause.size() >= 6)
            header.guessedName = true;
        if (knownNames && isSuffix(name.back()) && !name.endsWith(QStringLiteral("方"))) {
            // The longest known name decides: "治如前小柴胡湯" ends in 小柴胡湯, not in 柴胡湯.
            for (qsizetype n = std::min<qsizetype>(clause.size(), 12); n >= 3; --n) {
                if (knownNames->contains(clause.right(n))) {
                    // "…無汗者桂枝梔子湯": a herb's last character before the name starts the name.
                    static const QString herbEnds =
                        QStringLiteral("枝藥參仁苓王宮胡草芎歸芪耆香朮术皮子桂木黄");
                    // Two characters say a complaint (丁瘡, 勞嗽); one is as often a book's or a word's
                    // remnant (治要茯苓散, 治味除濕湯), and 小兒 or 萬病 alone say none (治小兒天竈火丹).
                    const QString complaint = clause.left(clause.size() - n);
                    if (complaint.size() < 2 || complaint == QStringLiteral("小兒") ||
                        complaint == QStringLiteral("萬病") || herbEnds.contains(complaint.back()))
                        break;
                    header.kind = HeaderKind::Named;
                    header.name = clause.right(n);
                    header.clause = clause.left(clause.size() - n);
                    header.nameEndsTitle = true;
                    return header;
                }
            }
        }
        if (isSuffix(name.back()) && !name.endsWith(QStringLiteral("方"))) {
            clause.clear(); // 治狐惑湯 is the formula's own name
        } else if (!name.endsWith(QStringLiteral("方"))) {
            name += QStringLiteral("方");
        }
        header.name = name;
        header.clause = clause;
        return header;
    }

    if (startsProse(body))
        return std::nullopt;
    if (auto attributed = attributedTitle(body, leadingCited, knownNames))
        return attributed;
    // "吐後渴欲得飲而貪水者文蛤湯主之方": the text's own sentence over a recipe; a header where doses follow.
    static const QRegularExpression prescribed(
        QStringLiteral("^([^()　]{2,30}?者)([^()　]{2,10}?[湯散丸圓丹飲膏煎])主之方?$"));
    if (const auto match = prescribed.match(body); match.hasMatch()) {
        Header header;
        header.kind = HeaderKind::Named;
        header.name = match.captured(2);
        header.clause = match.captured(1);
        header.cited = leadingCited;
        header.verbClause = true;
        header.needsIngredients = true;
        return header;
    }
    // A line of herbs with their doses (石膏(碎)　知母(各一兩)) is no header, whatever its first word ends
    // in.
    static const QRegularExpression clauseVerb(QStringLiteral("[　)](治|療|主)"));
    if (looksLikeIngredients(body) && !body.contains(clauseVerb))
        return std::nullopt;
    static const QRegularExpression servesThen(QStringLiteral("^主([^　()之]{2,24})方(\\([^()]*\\))*$"));
    std::optional<Header> weak;
    for (qsizetype end = 1; end < body.size() && end < 18; ++end) {
        const QChar c = body[end];
        if (c == QLatin1Char('(') || c == kSpace || isProseChar(c))
            break;
        if (!endsName(body, end))
            continue;
        // "沙瘡丹溪云沙瘡殺蟲為主": the complaint, then a citation of 丹溪; 丹 ends no name there.
        if (c == QChar(0x4E39) && end + 1 < body.size() && body[end + 1] == QChar(0x6EAA)) // 丹 溪
            continue;
        const QString name = body.left(end + 1);
        const qsizetype longest = c == QChar(0x5B50) ? 9 : 8; // 子 of 飲子 adds to the longest bare name
        qsizetype p = end + 1;
        const QStringList notes = readNotes(body, p);
        const qsizetype afterNotes = p;
        p = skipSpaces(body, p);
        const bool separated = p > afterNotes;
        const QString rest = body.mid(p);
        // "練中圓主宿食不消大便難方": 主 right after a name is what the recipe is for, as 治 is; only after a
        // name of three characters or more (a two-character one such as 蜜煎 would be taken for the end of
        // longer names, 蘇蜜煎).
        const auto serves = name.size() >= 3 ? servesThen.match(rest) : QRegularExpressionMatch();
        bool accept = false;
        if (rest.isEmpty())
            accept =
                !notes.isEmpty() || (name.size() >= 3 && name.size() <= longest && !hasInnerSuffix(name));
        else if (rest == QStringLiteral("方"))
            accept = true;
        else if (separated)
            accept = !isPreparationStart(rest);
        else
            accept = startsWithVerb(rest) || serves.hasMatch();
        // A bare name whose only note is a dose is an ingredient: 石膏(一兩).
        if (accept && rest.isEmpty() && !notes.isEmpty() && name.size() <= 4 &&
            std::all_of(notes.begin(), notes.end(), isDoseNote))
            return std::nullopt;
        // "石膏　黄芩　甘草　赤芍藥": a line of herbs whose first one ends as a name would.
        if (accept && separated && name.size() <= 2 && isHerbList(rest) && !namesRecipesOrAliases(rest))
            return std::nullopt;
        const bool plausible = name.size() >= 3 && name.size() <= longest && !hasInnerSuffix(name);
        // "補肺阿膠散(錢乙)止𠻳生津": a note closes the name, though a suffix came before it (阿膠).
        if (!accept && (!weak || !notes.isEmpty()) && !rest.isEmpty() && !separated && plausible) {
            // 四物湯調益榮衛…: a name run on into its description; a header only if doses follow.
            Header candidate;
            candidate.name = name;
            candidate.cited = leadingCited.isEmpty() ? citedFrom(notes, false) : leadingCited;
            candidate.clause = rest;
            candidate.needsIngredients = true;
            if (std::any_of(notes.begin(), notes.end(), isCrossReference)) {
                if (auto inner = titleAfterReference(rest, knownNames))
                    return inner;
            }
            if (rest == QStringLiteral("藥")) { // "神僊膏藥": the plaster's name, not what it treats
                candidate.name += rest;
                candidate.clause.clear();
            }
            weak = candidate;
        }
        if (!accept)
            continue;
        if (c == QChar(0x65B9) && name.size() <= 2) // a lone "…方" is no name
            continue;
        Header header;
        header.kind = HeaderKind::Named;
        header.name = name;
        header.cited = leadingCited.isEmpty() ? citedFrom(notes, false) : leadingCited;
        header.stubNote = std::any_of(notes.begin(), notes.end(), isCrossReference);
        header.needsIngredients = startsWeakly(body);
        static const QRegularExpression prosy(QStringLiteral("[治以用與服宜]"));
        if (header.needsIngredients && name.contains(prosy))
            return std::nullopt;
        header.verbClause = startsWithVerb(rest) || serves.hasMatch();
        if (rest != QStringLiteral("方"))
            header.clause = stripVerb(rest);
        if (header.verbClause && header.clause.endsWith(QStringLiteral("方")))
            header.clause.chop(1); // 療傷寒三四日煩疼不解者方: the title's 方 is no part of the indication
        if (serves.hasMatch())
            header.clause = serves.captured(1); // "(肘後名承氣丸)": another book's name for it
        header.herbs = herbsAfterClause(header.clause, header.verbClause);
        // "大承氣湯(治大實/大滿)": the indication printed as the name's note; "(主治並見隂證論)" points
        // elsewhere.
        for (const QString& note : notes) {
            if (header.clause.isEmpty() && startsWithVerb(note) && !note.contains(QChar(0x898B))) // 見
                header.clause = stripVerb(note);
        }
        // "增損三才丸　天門冬(酒浸/去心)熟地黄(酒/蒸)…": herbs with their notes after the name, no clause.
        static const QRegularExpression herbList(
            QStringLiteral("^(?:[^　()治療主]{1,5}\\([^()]{1,12}\\)　?){2,}"));
        // "桂枝去桂加茯苓白术湯方　芍藥　茯苓　白术(各二)": herbs without notes too; but a list of
        // recipes ("補肝丸　補腎丸　石決明丸") or of a herb's other names ("一名鼠姑　鹿韭") is no recipe.
        const bool bareHerbs = name.size() >= 3 && isHerbList(rest) && !namesRecipesOrAliases(rest);
        if (!header.verbClause && separated && header.herbs.isEmpty() &&
            (herbList.match(rest).hasMatch() || bareHerbs)) {
            header.herbs = rest;
            header.clause.clear();
        }
        return header;
    }
    if (weak && startsWeakly(body) && weak->name.size() < 4)
        return std::nullopt;
    // "蛇纏瘡(出危氏方)": a complaint and the book its recipe comes from; "刺泡法(出…)" is a procedure.
    static const QRegularExpression complaint(
        QStringLiteral("^([^()　者也曰云之其此]{2,10})\\((出[^()]{2,12})\\)$"));
    if (const auto match = complaint.match(body);
        !weak && match.hasMatch() && !match.captured(1).endsWith(QStringLiteral("法"))) {
        Header header;
        header.kind = HeaderKind::Unnamed;
        header.name = match.captured(1) + QStringLiteral("方");
        header.clause = match.captured(1);
        header.cited = match.captured(2).mid(1);
        return header;
    }
    // 可治以人參黄耆湯: the sentence names a formula; 遂痰丸 is one.
    static const QRegularExpression prosy(QStringLiteral("[治以用與服宜]"));
    if (weak && startsWeakly(body) && weak->name.contains(prosy))
        return std::nullopt;
    return weak;
}

bool isColophon(const QString& text) {
    // "普濟方卷一百一", "金匱要略論註卷四", "卷之三終": the line that closes a 卷.
    static const QRegularExpression colophon(
        QStringLiteral("^[^()　]{0,12}[卷巻](之)?[一二三四五六七八九十百上中下〇0-9]+(終|终|畢)?$"));
    return colophon.match(text).hasMatch();
}

bool endsRecipes(const QString& text) {
    static const QRegularExpression end(QStringLiteral(
        "^(○?[^()　]{1,16}第[一二三四五六七八九十百]+$|問曰|或問|答曰|歌曰|方歌|詩曰|又歌|總論|論曰|"
        "[^()　]{1,12}論$|按(此|已上|以上|前)|\\((註|集註|集解|方歌|按)\\))"));
    return end.match(text).hasMatch();
}

Layout Layout::parse(const QString& profile) {
    Layout layout;
    for (const QString& word : profile.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const qsizetype eq = word.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        const QString key = word.left(eq);
        const int value = word.mid(eq + 1).toInt();
        if (key == QLatin1String("headings"))
            layout.headingIndent = value;
        else if (key == QLatin1String("ingredients"))
            layout.ingredientIndent = value;
        else if (key == QLatin1String("usage"))
            layout.usageIndent = value;
        else if (key == QLatin1String("commentary"))
            layout.commentaryIndent = value;
    }
    return layout;
}

namespace {

enum Level { Heading = 0, Usage = 1, Ingredients = 2, Stop = 3, Commentary = 4 };

// A paragraph of the printed text: its first line and the lines that continue it.
struct Block {
    int level = Heading;
    std::vector<const SourceLine*> lines;
    bool afterWrap = false; // the line before it filled its column: the block goes on in the same word
    bool joinsWord = false; // and it cut a word: the block's first line finishes it

    const QString& first() const { return lines.front()->text; }
    QString full() const { return fullFrom(0); }
    QString fullFrom(size_t first) const {
        QString text;
        for (size_t k = first; k < lines.size(); ++k)
            appendWrapped(text, lines[k]->text);
        return text;
    }
    int firstLine() const { return lines.front()->number; }
    int lastLine() const { return lines.back()->number; }
};

// Editions that separate every paragraph with a blank line print the header indented and wrap it to the left
// margin; the others start a header at the margin and indent what continues it.
bool usesBlankLines(const SourceFile& file) {
    int blank = 0;
    for (const SourceLine& line : file.lines)
        blank += line.text.isEmpty() ? 1 : 0;
    return !file.lines.empty() && blank * 100 >= int(file.lines.size()) * 20;
}

// The paragraph layout is found by itself, so an edition whose indents are given keeps them even in a 卷
// padded with blank lines (where a figure stood).
bool paragraphLayout(const SourceFile& file, const Layout& layout) {
    return layout.headingIndent < 0 && layout.ingredientIndent < 0 && usesBlankLines(file);
}

// "　　角弓反張第七(方)", "　　脣病第五(甲煎法灸法)　(方)", "　　産後赤白痢疾及虚羸氣痢方論第十二(凡三十一
// 方)": a chapter's title with its number and the notes on what it holds, even after a full line.
bool isNumberedChapter(const SourceLine& line) {
    static const QRegularExpression numbered(
        QStringLiteral("^([^　()]{2,12}|[^　()]{2,18}論)第[一二三四五六七八九十]+(　?\\([^()]{1,12}\\))*$"));
    return line.indent >= 2 && numbered.match(line.text).hasMatch();
}

// "　　　方", "　　　總論", "　　　痢後脱肛": a short title set deeper than the ingredients.
bool isSectionTitle(const SourceLine& line) {
    // "　　脣瘡方三首": a chapter's count of its recipes, set at the ingredients' indent.
    static const QRegularExpression count(QStringLiteral("^[^　()]{1,20}方[一二三四五六七八九十]+首$"));
    if (line.indent >= 2 && count.match(line.text).hasMatch())
        return true;
    static const QRegularExpression dose(QStringLiteral("[兩两錢钱分銖枚升合斤片個箇半粒]"));
    return line.indent >= 3 && line.text.size() <= 12 && !line.text.contains(dose) &&
           !line.text.startsWith(QStringLiteral("方見")) && !line.text.contains(kSpace) &&
           !isUsageStart(line.text);
}

// "二陳湯(痰飲)　涼膈㪚(發熱)　通聖㪚(眩暈)": the recipes of other chapters that serve here too, each with
// the chapter that prints it. The list heads no recipe, and its width says nothing of the line after it.
bool isRecipeList(const QString& text) {
    static const QRegularExpression item(
        QStringLiteral("^[^　()治療主]{1,8}[湯散㪚丸圓丹飲飮膏煎]\\([^()]{1,6}\\)$"));
    const QStringList items = text.split(kSpace, Qt::SkipEmptyParts);
    return items.size() >= 2 && std::all_of(items.begin(), items.end(), [](const QString& entry) {
               return item.match(entry).hasMatch();
           });
}

// The complaint a section's title names, or an empty string for a title that names none: the book's own
// title ("編輯婦科心法要訣"), a method ("治諸積大法"), a chapter ("痙濕暍病衇證并治第二"), a recipe, or
// a part of the body alone ("目", "脣": what ails it is in the verse).
QString complaintOfSection(QString title) {
    if (title.endsWith(QStringLiteral("歌")))
        title.chop(1);
    static const QRegularExpression summary(QStringLiteral("(總括|證治|總名)$"));
    title.remove(summary);
    static const QRegularExpression noComplaint(QStringLiteral(
        "^(編輯|診|辨|辯)|[法篇論湯散丸圓飲飮膏]$|第[一二三四五六七八九十]+$|并治|[之服於加依]|"
        "^[目脣唇舌口鼻耳齒牙咽喉痛]$"));
    if (title.isEmpty() || title.contains(noComplaint))
        return QString();
    return title.replace(kSpace, QStringLiteral("、"));
}

// "　衂血" / "衂血之候鼻乾燥身熱…" / "　(註)衂血者鼻中出血也…": an edition that sets each complaint out as
// a short title, a verse at the margin and a note prints the recipes for it after the note; the names of the
// recipes the verse sings may stand between the title and the verse ("　經行吐衄證治" / "　　三黄四物湯").
// "調經門彚方", a collection of the recipes of a whole chapter, belongs to no section. Returns the first
// line of each such title with the complaint it names, empty where it names none.
std::vector<std::pair<int, QString>> sectionTitles(const SourceFile& file) {
    std::vector<std::pair<int, QString>> titles;
    std::vector<const SourceLine*> lines;
    for (const SourceLine& line : file.lines) {
        if (!line.text.isEmpty())
            lines.push_back(&line);
    }
    static const QRegularExpression collection(QStringLiteral("[彚彙匯]方$"));
    for (size_t k = 0; k < lines.size(); ++k) {
        const SourceLine& line = *lines[k];
        if (line.indent == 0 && line.text.contains(collection)) {
            titles.emplace_back(line.number, QString());
            continue;
        }
        if (line.indent != 1 || line.text.size() > 16 || line.text.contains(QLatin1Char('(')) ||
            hasDoseWord(line.text) || (k > 0 && file.wraps(*lines[k - 1])) || file.wraps(line))
            continue;
        // Under a recipe's name ("雞屎白散方" / "　雞屎白") the line is its herb. A title follows a note, a
        // part's title ("内癰部") or a reference to a recipe printed elsewhere ("萬靈丹(見腫瘍門)").
        if (k > 0 && lines[k - 1]->indent == 0 && !lines[k - 1]->text.contains(QStringLiteral("見")) &&
            isSuffix(lines[k - 1]->text.back()))
            continue;
        size_t verse = k + 1;
        while (verse < lines.size() && verse <= k + 4 && lines[verse]->indent >= 2 &&
               !file.wraps(*lines[verse]))
            ++verse;
        if (verse >= lines.size() || lines[verse]->indent != 0)
            continue;
        for (size_t note = verse + 1; note < lines.size() && note <= verse + 6; ++note) {
            if (lines[note]->indent == 0)
                continue;
            if (lines[note]->indent == 1 && lines[note]->text.startsWith(QStringLiteral("(註")))
                titles.emplace_back(line.number, complaintOfSection(line.text));
            break;
        }
    }
    return titles;
}

// A margin line after a full line of prose goes on with that prose, unless it is plainly a header of its own.
bool plainHeader(const QString& text) {
    const auto header = parseHeader(text);
    return header && !header->needsIngredients &&
           (!header->clause.isEmpty() || text.contains(QLatin1Char('(')) ||
            header->kind == HeaderKind::Again);
}

std::vector<Block> splitBlocks(const SourceFile& file, const Layout& layout, ParseStats* stats) {
    std::vector<Block> blocks;
    const bool indented = layout.headingIndent >= 0;
    const bool paragraphs = paragraphLayout(file, layout);
    bool afterBlank = true;
    const SourceLine* previous = nullptr;
    for (const SourceLine& line : file.lines) {
        if (line.text.isEmpty()) {
            afterBlank = true;
            continue;
        }
        const bool wrapped = previous != nullptr && file.wraps(*previous);
        const bool joined = previous != nullptr && file.joins(*previous);
        const int last = blocks.empty() ? -1 : blocks.back().level;
        bool starts = false;
        int level = Heading;
        if (isColophon(line.text)) {
            starts = true;
            level = Stop;
            if (stats)
                ++stats->colophons;
        } else if (line.indent == 0 && isRecipeList(line.text)) {
            starts = true;
            level = Stop;
            if (stats)
                ++stats->sectionTitles;
        } else if (!wrapped && endsRecipes(line.text)) {
            starts = true;
            level = Stop;
            if (stats)
                ++stats->sectionTitles;
        } else if (indented) {
            if (line.indent == layout.headingIndent) {
                starts = true;
                level = Heading;
            } else if (layout.ingredientIndent >= 0 && line.indent >= layout.ingredientIndent) {
                starts = !(wrapped && last == Ingredients);
                level = Ingredients;
            } else if (line.indent == layout.usageIndent) {
                starts = last != Usage;
                level = Usage;
            } else {
                starts = last != Stop;
                level = Stop; // the text and its commentary between the recipes
            }
        } else if (paragraphs) {
            // "　　消風百解散(和濟方)治…(方見傷風門)" / "加減三竒湯(東垣方)治…": a title printed elsewhere,
            // and the title of the recipe printed here carried on to the margin in the same paragraph.
            starts = afterBlank || line.indent >= 2 ||
                     (previous && endsWithReference(previous->text) && plainHeader(line.text) &&
                      parseHeader(line.text)->verbClause);
            level = line.indent >= 1 ? Ingredients : Heading;
            if (starts && isUsageStart(line.text))
                level = Usage;
        } else if (line.indent == 0) {
            if (layout.usageIndent == 0 && isUsageStart(line.text) && last != Usage) {
                starts = true;
                level = Usage;
            } else if (wrapped && previous->indent == 0 && (last == Usage || last == Heading) &&
                       (last == Usage || !plainHeader(line.text))) {
                starts = false; // the line before ran on to this one
            } else {
                starts = true;
                level = Heading;
            }
        } else if (layout.ingredientIndent == 1 && layout.usageIndent == 2 && line.indent <= 2) {
            // An edition that sets the herbs one space in, a new usage two spaces in, and carries every full
            // line on two spaces in. A short line two spaces in after a finished usage is the next section's
            // title ("　　吐瀉門"), as is "　　治熱之劑".
            // Words of a usage ("　　水煎服", "　　湯下") or of a change to the recipe ("　　便硬者加川大黃")
            // keep a short line in the usage; "　　攻下之劑" is a title.
            // A title may carry notes on what it holds ("　　臍突光腫　(臍汁不乾)　(附腸癰)"); "　　湯火門"
            // names a chapter whatever its words.
            static const QRegularExpression doseOrUse(
                QStringLiteral("[兩两錢钱分銖枚升合斤服煎下丸末湯酒水加減减]"));
            static const QRegularExpression titleNotes(QStringLiteral("(　\\([^()]*\\))+$"));
            const QString title = QString(line.text).remove(titleNotes);
            const bool shortLine = line.indent == 2 && !wrapped && title.size() <= 8 &&
                                   !title.contains(kSpace) && !isUsageStart(title);
            if (shortLine && (title.endsWith(QStringLiteral("劑")) || title.endsWith(QStringLiteral("門")) ||
                              (last == Usage && !title.contains(doseOrUse)))) {
                starts = true;
                level = Stop;
                if (stats)
                    ++stats->sectionTitles;
            } else if (line.indent == 2) {
                starts = !wrapped || isUsageStart(line.text);
                level = Usage;
            } else {
                starts = last != Heading && !(wrapped && last == Ingredients);
                level = Ingredients;
            }
        } else if (isNumberedChapter(line) ||
                   (isSectionTitle(line) && (!wrapped || (line.indent >= 3 && previous->indent == 1 &&
                                                          !line.text.startsWith(QLatin1Char('(')))))) {
            // A full usage line goes on one step in, not three ("　右…即差" / "　　　氣痔(附論)").
            starts = true;
            level = Stop;
            if (stats)
                ++stats->sectionTitles;
        } else if (line.indent == 2 && wrapped &&
                   (last == Usage ||
                    (last == Heading && std::any_of(blocks.back().lines.begin() + 1,
                                                    blocks.back().lines.end(), [](const SourceLine* held) {
                                                        return held->indent == 1 && isUsageStart(held->text);
                                                    })))) {
            // A full usage line carried on one step further in ("…有汗" / "　　出即愈"), also where the usage
            // follows its title straight away ("治傷寒…" / "　右取真砂一兩…覆衣被取" / "　　汗忌生血物").
            starts = false;
        } else if (line.indent >= 2) {
            starts = !(wrapped && last == Ingredients);
            level = Ingredients;
        } else if (line.indent == 1 && last == Ingredients && file.joins(*previous) &&
                   looksLikeIngredients(line.text) && !isUsageStart(line.text)) {
            // "　　…巴豆(…各三分)吳茱" / "　茰(半兩…)附子(三分…)乾蝎(半兩生用)": the rest of a herb list
            // whose line the transcription set one space in, finishing the word the full line above cut.
            starts = false;
        } else if (last == Ingredients || last == Commentary) {
            // One space in after the ingredients: the usage, whether or not it opens with 右/上; in an
            // edition with a commentary column, the commentary until the usage begins.
            starts = true;
            level = isUsageStart(line.text) || layout.commentaryIndent != 1 ? Usage : Commentary;
            if (last == Commentary && level == Commentary)
                starts = false;
        }
        afterBlank = false;
        previous = &line;
        if (starts || blocks.empty()) {
            Block block;
            block.level = level;
            block.lines.push_back(&line);
            block.afterWrap = wrapped;
            block.joinsWord = joined;
            blocks.push_back(std::move(block));
        } else {
            blocks.back().lines.push_back(&line);
        }
    }
    return blocks;
}

// Adds a line or paragraph to a list: a new line starts a new item, unless the line before ran on into it.
void joinPart(QString& part, const QString& text, bool wrapped = false) {
    if (wrapped || (part.endsWith(QLatin1Char(')')) && text.startsWith(QLatin1Char('(')))) {
        appendWrapped(part, text);
        return;
    }
    if (!part.isEmpty())
        part += kSpace;
    part += text;
}

QString tidy(QString text) {
    static const QRegularExpression spaces(QStringLiteral("[　 ]{2,}"));
    text.replace(spaces, QStringLiteral("　"));
    return text.trimmed();
}

// The text of the block's margin lines, joined: a title that prose ran on into.
QString marginText(const Block& block) {
    QString text;
    for (const SourceLine* line : block.lines) {
        if (line->indent != 0)
            break;
        appendWrapped(text, line->text);
    }
    return text;
}

// "太陽中風…乾嘔者" / "桂枝湯主之", then the text's comment, then "桂枝湯方": the sentence that prescribes
// the recipe printed after it says what the recipe treats. "…小建中湯主之" prescribes no 建中湯.
QString prescribedClause(const QStringList& sentences, const QString& name, const QSet<QString>* knownNames) {
    const QString ending = name + QStringLiteral("主之");
    for (auto it = sentences.crbegin(); it != sentences.crend(); ++it) {
        if (!it->endsWith(ending))
            continue;
        QString clause = it->chopped(ending.size());
        for (qsizetype n = 1; knownNames && n <= 4 && n <= clause.size(); ++n) {
            if (knownNames->contains(clause.right(n) + name))
                return {};
        }
        // "…桂枝湯主之若…": only the last sentence; "(按)": the editor's mark is no part of it.
        if (const qsizetype other = clause.lastIndexOf(QStringLiteral("主之")); other >= 0)
            clause = clause.mid(other + 2);
        static const QRegularExpression notes(QStringLiteral("\\([^()]*\\)"));
        clause.remove(notes);
        static const QString advising = QStringLiteral("宜可以用與亦"); // "…者亦十棗湯主之"
        while (!clause.isEmpty() && advising.contains(clause.back()))
            clause.chop(1);
        if (clause.size() < 2 || clause.size() > 120 || clause.contains(kSpace))
            return {};
        return stripVerb(clause);
    }
    return {};
}

// "…不得卧余思作此黄連解毒湯方": the longest known name the title ends with, and the clause before it.
std::optional<Header> runOnTitle(const QString& title, const QSet<QString>& names) {
    QString text = title;
    if (text.endsWith(QStringLiteral("方")))
        text.chop(1);
    if (text.isEmpty() || !isSuffix(text.back()))
        return std::nullopt;
    for (qsizetype n = std::min<qsizetype>(text.size() - 1, 12); n >= 3; --n) {
        const QString name = text.right(n);
        if (!names.contains(name))
            continue;
        Header header;
        header.kind = HeaderKind::Named;
        header.name = name;
        QString clause = text.left(text.size() - n);
        // "…脾肺虗也用黄茋芍藥湯": advice may close a paragraph of text, with case histories after it; the
        // recipe's own title is printed elsewhere. Only herbs with doses after it make it a title.
        static const QString advising = QStringLiteral("用服與宜");
        header.needsIngredients =
            !title.endsWith(QStringLiteral("方")) && !clause.isEmpty() && advising.contains(clause.back());
        const bool advised = !clause.isEmpty() && clause.back() == QChar(0x5B9C); // 宜
        static const QString linking = QStringLiteral("者屬宜服用與以此作可");
        while (!clause.isEmpty() && linking.contains(clause.back()))
            clause.chop(1);
        static const QRegularExpression verb(QStringLiteral("(治|療|主)"));
        const qsizetype at = clause.indexOf(verb);
        // A title opens with its verb ("仲景傷寒論療吐下之後…", however long); a paragraph that only ends in
        // the name ("…心者血之主外行經絡…" / "五淋散") is text, whatever verb it holds.
        const bool opens = at >= 0 && at <= 10;
        // "…此雖小疾不治令人至死療之皆用升麻膏方": what is not treated is no indication.
        header.verbClause = true;
        if (at > 0 && QStringLiteral("不未").contains(clause[at - 1]))
            return header;
        if (at >= 0 && (opens || (clause.size() - at <= 60 && !clause.mid(at).contains(kSpace))))
            header.clause = stripVerb(clause.mid(at));
        // "若卒暴不通小腹膨急…左手急大宜葱白湯方": a short paragraph that tells the case, then the recipe
        // it calls for, says what the recipe treats.
        else if (at < 0 && advised && title.endsWith(QStringLiteral("方")) && clause.size() >= 4 &&
                 clause.size() <= 80 && !clause.contains(kSpace))
            header.clause = clause;
        return header;
    }
    return std::nullopt;
}

// The clause's line may end in the first herbs, their doses on the lines below: "…吐瀉少食　人參" /
// "白术　茯苓　甘草(各等分)", "…咽喉痛　桔梗　甘草" / "防風(各等分)". A line that fills its column may
// cut the last herb's name: "…不欲飲食　黄" / "耆(剉)麥門冬…", "…漸成目昏　獨" / "活　地骨皮…". Takes
// the herbs after the clause's last words and returns them, with a space after them unless `cut`. Words of
// the clause ("亦治…", "神效", "宜服") and a list of recipes stay.
QString takeHerbTail(QString& clause, bool cut) {
    static const QRegularExpression notes(QStringLiteral("\\([^()]*\\)"));
    // Words of a clause, and complaints no herb's name has (寒 and 瀉 have: 寒水石, 澤瀉).
    static const QRegularExpression prose(QStringLiteral(
        "[治療主用以服之者其此宜也不如前同及或見效効驗騐妙愈瘥神有加去止痛痢吐嘔嗽咳喘渴悶脹疼癢痒膿瘡腫病疾"
        "滿熱氣虚虛肌食]|^[一二三四五六七八九十百]{2,}$"));
    const auto isHerb = [](const QString& item) {
        if (item.isEmpty() || item.startsWith(QLatin1Char('(')) ||
            item.count(QLatin1Char('(')) != item.count(QLatin1Char(')')))
            return false;
        const QStringList words =
            QString(item).replace(notes, QStringLiteral("　")).split(kSpace, Qt::SkipEmptyParts);
        return !words.isEmpty() && std::all_of(words.begin(), words.end(), [](const QString& word) {
            return word.size() <= 5 && !word.contains(prose) && !hasDoseWord(word);
        });
    };
    qsizetype from = clause.size();
    for (qsizetype space = clause.lastIndexOf(kSpace); space > 0;
         space = clause.lastIndexOf(kSpace, space - 1)) {
        if (!isHerb(clause.mid(space + 1, from - space - 1)))
            break;
        from = space;
        if (clause[space - 1] == kSpace)
            break;
    }
    if (from == clause.size() || from == 0 || namesRecipesOrAliases(clause.mid(from + 1)))
        return {};
    QString herbs = clause.mid(from + 1);
    clause.truncate(from);
    return cut ? herbs : herbs + kSpace;
}

// "…漫腫木悶無頭(即瘡科流氣飲)", "(子女人通用)": the end of a clause or of its note, one note and no dose;
// herbs have notes after each of them ("葶藶(炒)澤㵼", "大㦸(水煮一時洗晒乾各半兩)大黄(濕紙包煨)").
bool isClauseTail(const QString& line) {
    static const QRegularExpression dose(QStringLiteral("[兩两錢钱分銖枚升合斤個箇半粒]"));
    return line.count(QLatin1Char('(')) == 1 && line.endsWith(QLatin1Char(')')) &&
           !line.mid(line.indexOf(QLatin1Char('('))).contains(dose);
}

// "杏仁(各五錢)": a line that ends in a dose note.
bool endsInDose(const QString& line) {
    static const QRegularExpression dose(QStringLiteral("\\([^)]*[兩两錢钱分銖枚升合斤個箇半粒等][^)]*\\)$"));
    return dose.match(line).hasMatch();
}

bool hasDoses(const Block& block) {
    for (const SourceLine* line : block.lines) {
        if (looksLikeIngredients(line->text))
            return true;
    }
    return false;
}

// A record that only points at a recipe printed elsewhere: "(方見寒門)", 组成 "方見熱門".
bool isStub(const RawFormula& record, bool stubNote) {
    if (looksLikeIngredients(record.ingredients))
        return false;
    static const QRegularExpression reference(
        QStringLiteral("方見|^\\(?[並并]?見[^()]{1,10}[門類卷證]|方在"));
    // Under a "(方見…)" title, lines without a dose are the names of other recipes or a section's words
    // ("逍遥散(方見前調經門)" / "　經行身痛證治" / "　　羌桂四物湯"), not the recipe.
    if (stubNote && (record.usage.isEmpty() || (record.ingredients.isEmpty() && !hasDoseWord(record.usage) &&
                                                !hasDoseWord(record.body))))
        return true;
    // "逍遙散(方俱見前調經彚方内)" / "　　補中益氣湯" / "　　益胃升陽湯": the names of the recipes the next
    // verse sings, wherever the lines fell.
    static const QRegularExpression recipeName(QStringLiteral("^[^()]{2,10}[湯散丸圓飲飮膏丹煎法]$"));
    const QStringList items = (record.ingredients + kSpace + record.usage).split(kSpace, Qt::SkipEmptyParts);
    if (stubNote && record.body.isEmpty() && std::all_of(items.begin(), items.end(), [](const QString& item) {
            return recipeName.match(item).hasMatch();
        }))
        return true;
    // A "usage" may be the reference itself ("方見怔忡門"); a real usage tells a recipe.
    if (!record.usage.isEmpty() && !reference.match(record.usage.left(16)).hasMatch())
        return false;
    for (const QString* part : {&record.ingredients, &record.body, &record.indications, &record.usage}) {
        if (reference.match(part->left(16)).hasMatch())
            return true;
    }
    return false;
}

// The acupuncture and moxibustion chapters list points ("穴　前頂", "穴中脘　治痛搶心　穴　腹結") under the
// same 治… titles as the recipes; they are no recipes.
bool isPointList(const RawFormula& record) {
    if (!record.usage.isEmpty() || looksLikeIngredients(record.ingredients))
        return false;
    // "於左右足下第二指中節横紋中各灸七壯": moxibustion told as a count of cones.
    static const QRegularExpression cones(QStringLiteral("灸[^　]{0,8}?[一二三四五六七八九十百]+壯"));
    for (const QString* part : {&record.ingredients, &record.body}) {
        const qsizetype moxa = part->indexOf(cones);
        if (part->startsWith(QStringLiteral("穴")) || part->startsWith(QStringLiteral("灸")) ||
            part->contains(QStringLiteral("　穴")) || (moxa >= 0 && moxa < 20))
            return true;
    }
    return false;
}

// "　　紫莧粥" / "治産前後赤白痢" / "　紫莧葉(細剉/一握)…": some editions set the name deep, on a line of its
// own before the margin title that says what it treats. The two are one header; read apart, the name would
// end the last recipe's usage and the recipe would be named by its indication.
SourceFile joinNamesToTitles(const SourceFile& file) {
    static const QString foods = QStringLiteral("飯羮羹臛");
    const auto isName = [&](const SourceLine& line) {
        const QString& text = line.text;
        if (line.indent < 2 || text.size() < 2 || text.size() > 8 || text.contains(kSpace) ||
            text.contains(QLatin1Char('(')) || isUsageStart(text) || hasDoseWord(text) ||
            text.endsWith(QStringLiteral("方")))
            return false;
        if (foods.contains(text.back()))
            return !startsProse(text);
        const auto header = parseHeader(text);
        return header && header->kind == HeaderKind::Named && header->name == text;
    };
    const auto isTitle = [](const SourceLine& line) {
        if (line.indent != 0)
            return false;
        const auto header = parseHeader(line.text);
        return header && header->kind == HeaderKind::Unnamed && header->verbClause;
    };
    SourceFile out = file;
    out.lines.clear();
    for (size_t i = 0; i < file.lines.size(); ++i) {
        const SourceLine& line = file.lines[i];
        if (i + 1 < file.lines.size() && (i == 0 || !file.wraps(file.lines[i - 1])) && isName(line) &&
            isTitle(file.lines[i + 1])) {
            SourceLine joined = file.lines[i + 1];
            joined.text = line.text + kSpace + joined.text;
            joined.number = line.number;
            joined.page = line.page;
            out.lines.push_back(std::move(joined)); // keeps the title's width: it may still run on
            ++i;
            continue;
        }
        out.lines.push_back(line);
    }
    return out;
}

// "八正散　治…並皆治之　車" / "前子　瞿麥　萹蓄…" / "(麵包煨)木通(各等分)每服五七錢…": lines under a header
// that read as a clause run on into herbs whose doses come only at the end. The herbs start at the list that
// leads to the first dose; a lone character after the clause's last space is the head of the first herb.
// Returns false, taking nothing, where no dose is printed.
bool takeHeldHerbs(RawFormula& record, const QStringList& lines, const std::vector<bool>& wrapped) {
    static const QRegularExpression doseNote(QStringLiteral("\\([^)]*[兩两錢钱分銖枚升合斤等][^)]*\\)"));
    qsizetype dose = 0;
    while (dose < lines.size() && !lines[dose].contains(doseNote))
        ++dose;
    if (dose == lines.size()) {
        // "黄耆　赤芍藥　牡丹皮　香白芷　沙參" / "右件等分…": herbs without doses, measured in the usage.
        qsizetype usage = 0;
        while (usage < lines.size() && !lines[usage].startsWith(QChar(0x53F3))) // 右
            ++usage;
        if (usage == 0 || usage == lines.size() || !isHerbList(lines[0]) ||
            !std::all_of(lines.begin(), lines.begin() + usage, [](const QString& line) {
                return line.contains(kSpace) || line.contains(QLatin1Char('('));
            }))
            return false;
        QString herbs;
        for (qsizetype h = 0; h < usage; ++h)
            joinPart(herbs, closeTableCells(lines[h]), h > 0 && wrapped[size_t(h)]);
        joinPart(record.usage, lines[usage]);
        for (qsizetype h = usage + 1; h < lines.size(); ++h)
            appendWrapped(record.usage, lines[h]);
        record.ingredients = herbs;
        return true;
    }
    qsizetype first = dose;
    while (first > 0 && lines[first - 1].contains(kSpace) && !lines[first - 1].contains(doseNote))
        --first;
    QString herbs;
    if (first == 0 && dose > 0) {
        // The first line carries the clause on, maybe with the head of the first herb: "…並皆治之　車".
        const QString& line = lines[0];
        const qsizetype space = line.lastIndexOf(kSpace);
        if (space >= 4 && line.size() - space - 1 <= 2) {
            appendWrapped(record.indications, line.left(space));
            herbs = line.mid(space + 1);
        } else {
            appendWrapped(record.indications, line);
        }
        first = 1;
    } else {
        for (qsizetype h = 0; h < first; ++h)
            appendWrapped(record.indications, lines[h]);
    }
    // "　紫莧葉(細剉一握)粇米(三合)" / "　右先以水煎莧葉…": the usage after the herbs is no herb.
    qsizetype usage = dose + 1;
    while (usage < lines.size() && !isUsageStart(lines[usage]))
        ++usage;
    for (qsizetype h = first; h < usage; ++h)
        joinPart(herbs, closeTableCells(lines[h]), h == first ? !herbs.isEmpty() : wrapped[size_t(h)]);
    for (qsizetype h = usage; h < lines.size(); ++h) {
        if (h == usage)
            joinPart(record.usage, lines[h]);
        else
            appendWrapped(record.usage, lines[h]);
    }
    record.ingredients = herbs;
    return true;
}

} // namespace

bool looksLikeIngredients(const QString& line) {
    static const QRegularExpression doseNote(
        QStringLiteral("\\([^)]*[兩两錢钱分銖枚升合斤片個箇等半粒][^)]*\\)"));
    int doses = 0;
    for (auto it = doseNote.globalMatch(line); it.hasNext(); it.next())
        ++doses;
    return doses >= 2 || (doses == 1 && line.contains(kSpace));
}

// Editions that set the ingredients out as a table spread two-character names over the cell:
// "人　參　　　白茯苓",
// "(各半兩)　黄　耆". Inside such a table a lone character, one space and a short word make one name.
QString closeTableCells(const QString& text) {
    static const QRegularExpression spread(
        QStringLiteral("(^|　　|\\)　)([^　()])　([^　()]{1,2})(?=\\(|　　|$)"));
    // A table shows by its wide gaps, or by more than one name spread out on the line.
    int spreadNames = 0;
    for (auto it = spread.globalMatch(text); it.hasNext(); it.next())
        ++spreadNames;
    if (spreadNames == 0 || (spreadNames < 2 && !text.contains(QStringLiteral("　　"))))
        return text;
    QString out = text;
    out.replace(spread, QStringLiteral("\\1\\2\\3"));
    return out;
}

void HerbWords::count(const SourceFile& file) {
    static const QRegularExpression note(QStringLiteral("\\([^()]*\\)"));
    for (size_t i = 0; i < file.lines.size(); ++i) {
        const QString& text = file.lines[i].text;
        if (!looksLikeIngredients(text))
            continue;
        QString names = text;
        names.replace(note, kSpace);
        QStringList items = names.split(kSpace, Qt::SkipEmptyParts);
        // The ends of a line may be pieces of a name cut by the wrap; counted, the common cuts ("麥門")
        // would pass for words.
        if (!items.isEmpty() && !text.endsWith(QLatin1Char(')')))
            items.removeLast();
        if (!items.isEmpty() && i > 0 && !file.lines[i - 1].text.endsWith(QLatin1Char(')')) &&
            !file.lines[i - 1].text.isEmpty())
            items.removeFirst();
        for (const QString& item : std::as_const(items)) {
            if (item.size() >= 2 && item.size() <= 4)
                ++counts_[item];
        }
    }
}

QSet<QString> HerbWords::frequent(int minimum) const {
    QSet<QString> words;
    for (auto it = counts_.constBegin(); it != counts_.constEnd(); ++it) {
        if (it.value() >= minimum)
            words.insert(it.key());
    }
    return words;
}

namespace {

// "…半夏　乾薑" / "桂心(各三兩)…": a full line of herbs that ends with a whole herb where the next line
// begins with another, and no word runs across the two.
// With `deeper`, the next line is set deeper: a title's or a clause's line that ends in the first herbs
// ("…手足浮腫飲食少思　桔梗" / "　　白术…"), or herbs whose lines go on at a hanging indent.
bool endsWithWholeHerb(const SourceLine& line, const SourceLine& next, const QSet<QString>& words,
                       bool deeper) {
    const bool placed = deeper ? next.indent > line.indent && line.text.lastIndexOf(kSpace) > 0
                               : line.indent >= 1 && next.indent == line.indent &&
                                     (line.text.contains(QLatin1Char('(')) || isHerbList(line.text));
    if (!placed || !next.text.contains(QLatin1Char('(')))
        return false;
    const QString tail =
        line.text.mid(std::max(line.text.lastIndexOf(kSpace), line.text.lastIndexOf(QLatin1Char(')'))) + 1);
    qsizetype headEnd = 0;
    while (headEnd < next.text.size() && next.text[headEnd] != kSpace &&
           next.text[headEnd] != QLatin1Char('('))
        ++headEnd;
    const QString head = next.text.left(headEnd);
    if (tail.size() < 2 || !words.contains(head))
        return false;
    bool whole = false;
    for (qsizetype n = 2; n <= 4 && n <= tail.size() && !whole; ++n)
        whole = words.contains(tail.right(n));
    for (qsizetype a = 1; a <= 2 && whole; ++a) {
        for (qsizetype b = 1; b <= 2 && b <= head.size() && whole; ++b)
            whole = !words.contains(tail.right(a) + head.left(b));
    }
    return whole;
}

} // namespace

void markCutWords(SourceFile& file, const QSet<QString>& words) {
    if (file.fullWidth <= 0 || words.isEmpty())
        return;
    for (size_t i = 0; i + 1 < file.lines.size(); ++i) {
        SourceLine& line = file.lines[i];
        const SourceLine& next = file.lines[i + 1];
        if (line.width >= file.fullWidth - 1 && file.wraps(line)) {
            // A line of herbs at one indent is read as such; where the next is set deeper, the blocks stay
            // as the indents make them and only the words are kept apart.
            line.endsWord = endsWithWholeHerb(line, next, words, false);
            line.endsHerb = !line.endsWord && endsWithWholeHerb(line, next, words, true);
            if (line.endsWord || line.endsHerb)
                continue;
        }
        // A title at the margin goes on one or two steps in; other lines go on at their own indent.
        const bool continues = next.indent == line.indent || (line.indent == 0 && next.indent <= 2);
        if (line.width >= file.fullWidth || !continues || line.text.isEmpty() || next.text.isEmpty())
            continue;
        const QString tail = line.text.mid(
            std::max(line.text.lastIndexOf(kSpace), line.text.lastIndexOf(QLatin1Char(')'))) + 1);
        // A lone character after a space ("…木香　當" / "歸(炒)") is cut even further from the column's end:
        // the herbs of a title's line are set out with wide spaces.
        if (line.width < file.fullWidth - (tail.size() == 1 ? 4 : 2))
            continue;
        qsizetype headEnd = 0;
        while (headEnd < next.text.size() && next.text[headEnd] != kSpace &&
               next.text[headEnd] != QLatin1Char('('))
            ++headEnd;
        const QString head = next.text.left(headEnd);
        if (tail.isEmpty() || head.isEmpty() || words.contains(tail) || words.contains(head))
            continue;
        for (qsizetype a = 1; a <= 2 && a <= tail.size() && !line.cutsWord; ++a) {
            for (qsizetype b = 1; b <= 3 && b <= head.size() && !line.cutsWord; ++b)
                line.cutsWord = words.contains(tail.right(a) + head.left(b));
        }
    }
}

namespace {

// Renames the recipes `rename` gives a new name, and the 又方 printed after each of them with it.
template <typename Rename> int renameWithAgain(std::vector<RawFormula>& formulas, Rename rename) {
    const QString again = QStringLiteral("又方");
    QString from, to;
    int renamed = 0;
    for (RawFormula& formula : formulas) {
        if (formula.derived) {
            if (!from.isEmpty() && formula.name == from + again)
                formula.name = to + again;
            continue;
        }
        from = formula.name;
        if (!rename(formula)) {
            from.clear();
            continue;
        }
        to = formula.name;
        ++renamed;
    }
    return renamed;
}

} // namespace

int nameRecipesUnderBookTitles(std::vector<RawFormula>& formulas, const QSet<QString>& books) {
    return renameWithAgain(formulas, [&books](RawFormula& formula) {
        if (!books.contains(formula.name) || formula.indications.isEmpty() || formula.indications.size() > 28)
            return false;
        // "瑞竹堂方　神仙墜痰丸治…": the recipe's own name after the book; "…以荆芥為末童子小便調下",
        // "一方加…", "症同前": no indication to be named by.
        static const QRegularExpression named(
            QStringLiteral("^([^治　]{1,10}?(湯|散|㪚|丸|圓|丹|膏|飲|飮|煎|錠子|法|藥))　?[治療](.+)$"));
        // Nor where a recipe's name stands elsewhere in the words ("香荆散大人小兒肛門脫出並治").
        static const QRegularExpression recipe(QStringLiteral("[用以為爲調服湯散㪚丸圓丹膏]|同前|^一方|法$"));
        QString name, indications = formula.indications;
        if (const auto match = named.match(indications); match.hasMatch()) {
            name = match.captured(1);
            indications = match.captured(3);
        } else if (indications.contains(recipe) &&
                   (!formula.toldInText || indications.contains(QStringLiteral("同前")))) {
            // (Under a book's title with the recipe told in the text below it, the clause names no recipe.)
            return false;
        } else {
            name = QStringLiteral("治") + indications;
            if (!name.endsWith(QStringLiteral("方")))
                name += QStringLiteral("方");
        }
        if (formula.cited.isEmpty())
            formula.cited = formula.name;
        formula.name = name;
        formula.indications = indications;
        return true;
    });
}

int nameRecipesMistakenForBooks(std::vector<RawFormula>& formulas, const QHash<QString, int>& citations,
                                const QSet<QString>& herbWords) {
    return renameWithAgain(formulas, [&](RawFormula& formula) {
        const QString& title = formula.cited;
        if (!formula.citedFromTitle || citations.value(title) >= 3 || !title.endsWith(QStringLiteral("方")) ||
            title.contains(QStringLiteral("此")))
            return false;
        const QString stem = title.chopped(1);
        static const QString forms = QStringLiteral("湯散㪚丸圓膏飲飮丹");
        // Verbs of outward use, 傅眼方, 搐鼻方, 鹽熨方, 燒髮方; no book's title has them.
        static const QRegularExpression applied(QStringLiteral("[傅敷點搐揩漱熨塗洗燒煉浸灸滅煞]|取蟲"));
        const auto namesHerb = [&] {
            for (qsizetype from = 0; from + 2 <= stem.size(); ++from) {
                for (qsizetype n = 2; from + n <= stem.size(); ++n) {
                    if (herbWords.contains(stem.mid(from, n)))
                        return true;
                }
            }
            return false;
        };
        QString name;
        if (forms.contains(stem.back()))
            name = stem; // 烏頭湯方: the book prints the form's name with 方
        else if (stem.contains(applied) || namesHerb() ||
                 std::any_of(stem.begin(), stem.end(), [](QChar c) { return forms.contains(c); }))
            name = title; // 分心氣飲真方: no book's title names a form of medicine
        else
            return false;
        formula.name = name;
        formula.cited.clear();
        formula.citedFromTitle = false;
        return true;
    });
}

bool namesNoRecipe(const RawFormula& formula, const QSet<QString>& herbWords) {
    if (!formula.usage.isEmpty() || (!formula.ingredients.isEmpty() && !formula.body.isEmpty()))
        return false;
    const QString& text = formula.ingredients.isEmpty() ? formula.body : formula.ingredients;
    // A recipe this short still says what to do ("以熱瓦熨之", "每吞三撮", "本方加羌活"), gives a dose,
    // or is one herb.
    static const QRegularExpression done(QStringLiteral(
        "方寸匕|[服飲飮塗敷傅𫝊貼帖含嚥咽吞洗沐塞摻點㸃灌食吃喫啖嚼罨熏薰磨熨搨封解浴漬擦揩吹帶枕注拭摩燒下調"
        "煎煮浸研用以取薄裛卧臥加減]|[之良佳妙上]$"));
    return text.size() <= 6 && !text.contains(kSpace) && !text.contains(QLatin1Char('(')) &&
           !hasDoseWord(text) && !text.contains(done) && !herbWords.contains(text);
}

bool isNonDrugVolume(const SourceFile& file) {
    // The 卷's subject is the first line after its title that does not name a compiler or editor.
    static const QRegularExpression subject(QStringLiteral("鍼灸|針灸|刺灸|刺炙|符禁|^明堂"));
    static const QRegularExpression volume(QStringLiteral("[卷巻]"));
    static const QRegularExpression editor(QStringLiteral("(撰|校正|註|述|訂)$"));
    bool afterTitle = false;
    int read = 0;
    for (const SourceLine& line : file.lines) {
        if (line.text.isEmpty())
            continue;
        if (++read > 8)
            break;
        if (!afterTitle) {
            afterTitle = line.text.contains(volume);
            continue;
        }
        if (line.text.contains(editor))
            continue;
        return subject.match(line.text).hasMatch();
    }
    return false;
}

std::vector<RawFormula> parseFormulas(const SourceFile& source, const Layout& layout, ParseStats* stats) {
    const bool marginLayout =
        layout.headingIndent < 0 && layout.ingredientIndent < 0 && !usesBlankLines(source);
    const SourceFile joined = marginLayout ? joinNamesToTitles(source) : SourceFile{};
    const SourceFile& file = marginLayout ? joined : source;
    const bool indentedLayout = layout.headingIndent >= 0;
    std::vector<RawFormula> out;
    const std::vector<Block> blocks = splitBlocks(file, layout, stats);
    std::optional<RawFormula> current;
    bool currentStubNote = false;
    QString currentAgainRest; // the words after a 又方 on its own line
    QString pending; // lines after a header that are either its clause or, without ingredients, the recipe
    bool pendingIsClause = false;
    QStringList pendingLines;         // the lines `pending` was made of, one by one
    bool pendingAfterFull = false;    // the header line ran on into them
    bool headerHasClause = false;     // the header line says what the recipe treats
    std::vector<bool> pendingWrapped; // for each of them, whether the line before ran on into it
    bool inUsage = false;
    QString lastName, lastClause;
    QStringList prescribing;   // sentences of the text since the last header that end in "…NAME主之"
    QString sentence;          // the margin text of the last block of text
    QString currentPrescribed; // the clause such a sentence gives the current recipe
    // The complaints sections are titled by, for recipes that tell none.
    const std::vector<std::pair<int, QString>> sections =
        layout.ingredientIndent == 1 && layout.usageIndent == 2 ? sectionTitles(file)
                                                                : std::vector<std::pair<int, QString>>{};
    const int fileLast = file.lines.empty() ? 0 : file.lines.back().number;
    const bool paragraphs = paragraphLayout(file, layout);
    std::vector<int> headings; // first lines of the headers, where each passage ends

    auto finish = [&]() {
        if (!current)
            return;
        RawFormula record = std::move(*current);
        current.reset();
        const bool nothingYet =
            record.ingredients.isEmpty() && record.usage.isEmpty() && record.body.isEmpty();
        if (!pending.isEmpty() && (pendingIsClause || headerHasClause) && nothingYet &&
            takeHeldHerbs(record, pendingLines, pendingWrapped)) {
            pending.clear();
        } else if (!pending.isEmpty() && pendingIsClause && nothingYet && !pendingAfterFull &&
                   (tellsARecipeInProse(pending) ||
                    (!record.indications.isEmpty() && startsRunningRecipe(pending)))) {
            // "香薷方(出聖惠方)　治口臭" / "　用香薷一把水一斗煎取三升稍稍含之": the title says what it
            // treats, the text under it is the recipe.
            record.body = pending;
            record.toldInText = true;
        } else if (!pending.isEmpty()) {
            if (pendingIsClause || !record.ingredients.isEmpty() || !record.usage.isEmpty())
                appendWrapped(record.indications, pending);
            else
                joinPart(record.body, pending, pendingAfterFull && !record.body.isEmpty());
        }
        pending.clear();
        // "又方洗風毒熱赤" / "　　銅碌(一錢)滑石(二錢)": the words after 又方 say what this recipe is for.
        // Not a name of its own ("又方通聲膏"), nor a note on where it came from ("史崇質傳云…", "名同治同").
        // Nor how it is used ("先用吴茱萸煎湯洗", "于第九個月服"), nor "同上".
        static const QRegularExpression recipeWords(QStringLiteral(
            "^[以用取右上先于於凡如]|[()　云曰傳説說名此其同前宜者可服煎末灰汁調塗傅敷擦泥]|[以用]$"));
        if (record.derived && record.body == currentAgainRest && !record.body.isEmpty() &&
            record.body.size() <= 16 && !record.body.contains(recipeWords) && !hasDoseWord(record.body) &&
            !endsName(record.body, record.body.size() - 1) && looksLikeIngredients(record.ingredients)) {
            record.indications = record.body;
            record.body.clear();
        }
        record.ingredients = tidy(record.ingredients);
        record.usage = tidy(record.usage);
        record.body = tidy(record.body);
        record.indications = stripVerb(tidy(record.indications));
        // "天烏散　貼方", "…湯主之方": words on the title line that say what kind of recipe it is, or the
        // end of a sentence, not what it treats.
        static const QRegularExpression noComplaint(
            QStringLiteral("^(之+|[洗藥貼傅敷塗補真子汗煙仙秘佳]|得效|常用|見[^　]{1,6})方$"));
        // "神效解毒圎收蔵年深愈見神効": how the medicine keeps, not what it treats.
        static const QRegularExpression keeping(QStringLiteral("^收[藏蔵][^治療主]*$"));
        if (noComplaint.match(record.indications).hasMatch() || keeping.match(record.indications).hasMatch())
            record.indications.clear();
        // A title's closing 方 carried into its clause over a line's end ("…氣衝胷中方").
        if (record.indications.size() >= 4 && record.indications.endsWith(QStringLiteral("方")))
            record.indications.chop(1);
        // "洗方", "秘方" printed as a title: the name, not "洗方方".
        if (!record.derived && record.name.endsWith(QStringLiteral("方方")))
            record.name.chop(1);
        if (record.indications.isEmpty())
            record.indications = currentPrescribed;
        if (record.indications.isEmpty() && !record.derived)
            record.indications = complaintOfTitle(record.name);
        if (record.indications.isEmpty()) {
            const auto after = std::upper_bound(
                sections.begin(), sections.end(), record.firstLine,
                [](int line, const std::pair<int, QString>& title) { return line < title.first; });
            if (after != sections.begin())
                record.indications = std::prev(after)->second;
        }
        const bool empty = record.ingredients.isEmpty() && record.usage.isEmpty() && record.body.isEmpty();
        if (empty && !currentStubNote) {
            if (stats && endsWithReference(record.indications))
                ++stats->stubs; // "萬病解毒圓治…(方見癰疽門)": printed elsewhere
            // A title with nothing under it: a 又方 after it has no parent to be named by.
            lastName.clear();
            lastClause.clear();
            return;
        }
        // A 又方 after a cross-reference or a list of points is another recipe for the same complaint.
        if (!record.derived) {
            lastName = record.name;
            lastClause = record.indications;
        }
        if (isPointList(record))
            return;
        // "…(方見癰疽門)" / "治挑生方": the title after a cross-reference ran on into it; the herbs below are
        // that recipe's, not this one's.
        static const QRegularExpression pointsThenTitle(QStringLiteral("見[^()]*\\)[治療][^()]{1,20}$"));
        if (record.indications.contains(pointsThenTitle)) {
            if (stats)
                ++stats->stubs;
            return;
        }
        if (empty || isStub(record, currentStubNote)) {
            if (stats)
                ++stats->stubs;
            return;
        }
        // A recipe told in its usage alone ("右用生薑五兩㕮咀…") names its herbs there: it is its own
        // composition.
        if (record.ingredients.isEmpty() && record.body.isEmpty()) {
            record.body = record.usage;
            record.usage.clear();
        }
        out.push_back(std::move(record));
    };

    for (size_t b = 0; b < blocks.size(); ++b) {
        const Block& block = blocks[b];
        if (block.level == Stop || block.level == Commentary) {
            if (block.level == Stop) {
                finish();
                headings.push_back(block.firstLine()); // a title ends the passage as a heading does
                lastName.clear(); // a 又方 in the next section is no recipe of the last one's
                lastClause.clear();
                // An edition that indents its recipes prints the text's articles between them:
                // "百合病變發熱者…百合滑石散主之" / "百合滑石散方".
                // An article begins on a new line after one that ended short of the column.
                if (indentedLayout) {
                    QString text;
                    for (size_t k = 0; k < block.lines.size(); ++k) {
                        if (k > 0 && !file.wraps(*block.lines[k - 1]))
                            text.clear();
                        appendWrapped(text, block.lines[k]->text);
                    }
                    if (text.endsWith(QStringLiteral("主之")))
                        prescribing << text;
                }
            }
            continue;
        }
        std::optional<Header> header;
        if (block.level == Heading || (paragraphs && block.level == Ingredients))
            header = parseHeader(block.first(), layout.knownNames);
        // "…灸刺諸藥不能" / "治抵當烏頭桂枝湯主之": a sentence carried on from a full line, not a title.
        if (header && block.afterWrap && b > 0 && blocks[b - 1].lines.back()->indent == 0 &&
            (header->name.endsWith(QStringLiteral("主之方")) ||
             block.first().endsWith(QStringLiteral("主之"))))
            header.reset();
        if (header && header->guessedName && stats)
            stats->wantsNames = true;
        // Among the ingredients a paragraph edition's header stands out only by its 治/療 clause: a line such
        // as 石膏　知母 is one more ingredient.
        static const QRegularExpression treats(QStringLiteral("治|療|主"));
        // "解熱方瘰癧四畔紅腫多汁為熱證": a title and its complaint run together, without a space, is no
        // herb.
        const bool titled = header && header->name.endsWith(QStringLiteral("方")) &&
                            header->name.size() >= 3 && !header->clause.isEmpty() &&
                            !block.first().contains(kSpace) && !looksLikeIngredients(block.first());
        if (header && block.level == Ingredients && current && !inUsage && !current->ingredients.isEmpty() &&
            !header->verbClause && !header->clause.left(8).contains(treats) && !titled)
            header.reset();
        // A title run on from a line of text: a full margin line carried on into "…NAME方" (外臺), or a
        // 治… clause that wrapped into the name (治…背急 / 身强旋覆花散).
        bool runOn = false;
        if (block.level == Heading && !paragraphs && block.lines.size() > 1 && block.lines[1]->indent == 0 &&
            (!header || header->kind == HeaderKind::Unnamed)) {
            runOn = true;
            const QString title = marginText(block);
            if (layout.knownNames) {
                if (auto resolved = runOnTitle(title, *layout.knownNames)) {
                    header = resolved;
                } else if (header) {
                    if (auto whole = parseHeader(title, layout.knownNames))
                        header = whole; // 治… wrapped over two margin lines
                }
            } else if (stats)
                stats->wantsNames = true;
        } else if (header && header->kind == HeaderKind::Named && block.afterWrap && b > 0 &&
                   blocks[b - 1].level == Heading && blocks[b - 1].lines.back()->indent == 0 &&
                   blocks[b - 1].first().startsWith(QStringLiteral("治"))) {
            runOn = true;
            if (!layout.knownNames) {
                if (stats)
                    stats->wantsNames = true;
            } else if (!layout.knownNames->contains(header->name)) {
                for (qsizetype cut = 1; cut + 3 <= header->name.size(); ++cut) {
                    if (layout.knownNames->contains(header->name.mid(cut))) {
                        header->clause = stripVerb(blocks[b - 1].full() + header->name.left(cut));
                        header->name = header->name.mid(cut);
                        break;
                    }
                }
            }
        }
        // "消風百解散　治咳嗽聲重身熱頭疼(方見傷風門)加減三奇湯(東垣方)治咳嗽上氣…": the reference closes the
        // line's first title, a recipe printed elsewhere; the recipe under the line is the next title's.
        if (header && header->kind == HeaderKind::Named && !header->clause.isEmpty()) {
            if (const qsizetype after = afterLastReference(header->clause);
                after > 0 && after < header->clause.size()) {
                QString rest = header->clause.mid(after);
                while (rest.startsWith(kSpace))
                    rest.remove(0, 1);
                if (auto inner = titleAfterReference(rest, layout.knownNames))
                    header = inner;
            }
        }
        if (header && header->needsIngredients) {
            // Taken only where ingredients with doses follow, on the header's own lines or in the next block.
            bool doses = false;
            for (size_t k = 1; k < block.lines.size() && !doses; ++k)
                doses = looksLikeIngredients(block.lines[k]->text);
            size_t k = b + 1;
            for (; !doses && k < blocks.size() && k <= b + 4 && blocks[k].level == Ingredients; ++k)
                doses = hasDoses(blocks[k]);
            // Herbs without doses, then "右等分…": the doses are in the usage.
            doses = doses ||
                    (k > b + 1 && k < blocks.size() && blocks[k].level == Usage &&
                     isUsageStart(blocks[k].first()) && blocks[k].first().contains(QStringLiteral("等分")));
            if (!doses)
                header.reset();
        }
        if (header) {
            // "治沉積" / "陳麯丸" / "　　神麯…": a book that prints the indication on a line of its own above
            // the name. The title has nothing under it; the recipe named next is the one it tells of. After a
            // full line of text a 治 goes on with that text ("…不可施" / "治凡有此候百無一治…"), as it does
            // after a full line one space in where the book carries its text on there.
            QString titleAbove;
            if (header->kind == HeaderKind::Named && header->clause.isEmpty() && !header->stubNote &&
                !paragraphs && current && b > 0 && blocks[b - 1].level == Heading &&
                (!blocks[b - 1].afterWrap ||
                 (layout.ingredientIndent < 0 && b > 1 && blocks[b - 2].lines.back()->indent > 0)) &&
                current->firstLine == blocks[b - 1].firstLine() && current->ingredients.isEmpty() &&
                current->usage.isEmpty() && current->body.isEmpty()) {
                // Not a recipe told in a line ("治耳久聵以九節菖蒲末…塞之"), nor a sentence of the text.
                static const QRegularExpression recipeWords(
                    QStringLiteral("[以用取入煎服膏末塞塗傅敷擦]|[者也矣]$"));
                const QString title = marginText(blocks[b - 1]);
                if (const auto above = parseHeader(title);
                    above && above->kind == HeaderKind::Unnamed && above->rest.isEmpty() &&
                    above->herbs.isEmpty() && !title.endsWith(QStringLiteral("方")) &&
                    (title.startsWith(QStringLiteral("治")) || title.startsWith(QStringLiteral("療"))) &&
                    !above->clause.contains(recipeWords) && title.size() == blocks[b - 1].full().size())
                    titleAbove = above->clause;
            }
            finish();
            headings.push_back(block.firstLine());
            RawFormula record;
            record.page = block.lines.front()->page;
            record.firstLine = block.firstLine();
            record.lastLine = block.lastLine();
            record.cited = header->cited;
            record.citedFromTitle = header->citedFromTitle;
            record.indications = titleAbove.isEmpty() ? header->clause : titleAbove;
            record.runOn = runOn;
            currentPrescribed = header->kind == HeaderKind::Named && header->clause.isEmpty()
                                    ? prescribedClause(prescribing, header->name, layout.knownNames)
                                    : QString();
            if (!currentPrescribed.isEmpty() && !layout.knownNames && stats)
                stats->wantsNames = true; // "…小建中湯主之" is told from 建中湯 by the names known
            prescribing.clear();
            sentence.clear();
            currentStubNote = header->stubNote;
            currentAgainRest = header->kind == HeaderKind::Again ? header->rest : QString();
            if (header->kind == HeaderKind::Again) {
                if (!lastName.isEmpty()) {
                    record.name = lastName + QStringLiteral("又方");
                    record.derived = true;
                    // The parent's notes ("(治熱毒吐血有效)", an editor's word on the parent's herbs) are its
                    // own; a cross-reference ("(方見諸惡瘡門)") is kept, so that the 又方 after it stays a
                    // stub.
                    static const QRegularExpression notes(QStringLiteral("\\((?![^()]*見)[^()]*\\)"));
                    if (record.indications.isEmpty())
                        record.indications = QString(lastClause).remove(notes);
                } else if (static const QRegularExpression recipe(QStringLiteral("[用取燒煎調傅塗]"));
                           !header->clause.isEmpty() && header->clause.size() <= 24 &&
                           !header->clause.contains(recipe)) {
                    // "一方　治隂挺下脱" after the text of a case: named by what it treats, as untitled
                    // recipes are; but not by a clause that runs on into the recipe ("治沙瘡用水萵苣…").
                    record.name = QStringLiteral("治") + header->clause;
                    if (!record.name.endsWith(QStringLiteral("方")))
                        record.name += QStringLiteral("方");
                } else {
                    continue; // another recipe of a recipe that cannot be told
                }
            } else {
                // "風證神术散", "虚證當歸建中湯": the kind of complaint the book files the recipe under.
                static const QRegularExpression filedUnder(
                    QStringLiteral("^[風寒暑濕熱冷虚虛積食痰蟲血雜實]{1,2}證(?=.{3,}$)"));
                record.name = header->name;
                record.name.remove(filedUnder);
            }
            // "補肺湯　治證同前", "又方治如前": the indication is the one of the recipe before.
            static const QRegularExpression asBefore(
                QStringLiteral("^(證治|[證症狀])?(如前|同前|同上)[狀證症]?(\\(.*\\))?$"));
            // "證同上或有眵淚沙澀並治": the indication before, and more.
            static const QRegularExpression asBeforeAndMore(
                QStringLiteral("^(證治|[證症狀])?(如前|同前|同上)(?=[^(　])"));
            if (!lastClause.isEmpty() && asBefore.match(record.indications).hasMatch())
                record.indications = lastClause;
            else if (const auto more = asBeforeAndMore.match(record.indications);
                     !lastClause.isEmpty() && more.hasMatch() && !lastClause.contains(asBeforeAndMore))
                record.indications = lastClause + record.indications.mid(more.capturedLength());
            // "治中方　治太陰傷寒手足温自利…", "治嗽得效方　治諸嗽乆不瘥": a title, then the clause that says
            // what the recipe treats. Not a recipe told after the clause ("治一切眼疾　用籠蒻燒灰…",
            // "…傷寒頭" / "痛凡腫毒之屬用川升麻…").
            static const QRegularExpression told(QStringLiteral("[用以取服煎煑煮為爲末塗傅敷]"));
            static const QRegularExpression secondClause(QStringLiteral("^[治療](?!法)[^　]{2,}$"));
            bool titleThenClause = header->kind == HeaderKind::Unnamed &&
                                   header->rest.contains(secondClause) && !header->rest.contains(told);
            // A line that nearly fills the column may go on too: its notes' half-columns are not always
            // counted cell for cell.
            const auto goesOn = [&](const SourceLine& line) {
                return file.wraps(line) || line.width + 2 >= file.fullWidth;
            };
            size_t bodyFrom = 1; // the first line under the header that is not the clause carried on
            for (size_t k = 1; titleThenClause && goesOn(*block.lines[k - 1]); ++k) {
                if (k == block.lines.size()) {
                    titleThenClause = false; // carried on past what the header holds
                    break;
                }
                const QString& text = block.lines[k]->text;
                if (looksLikeIngredients(text) || isHerbList(text))
                    break;
                titleThenClause = !text.contains(told);
                bodyFrom = k + 1;
            }
            if (titleThenClause) {
                record.indications = stripVerb(header->rest);
                for (size_t k = 1; k < bodyFrom; ++k) {
                    if (!(runOn && block.lines[k]->indent == 0)) // a margin line is part of the title read
                        appendWrapped(record.indications, block.lines[k]->text);
                }
            } else {
                bodyFrom = 1;
                if (!header->rest.isEmpty())
                    joinPart(record.body, header->rest);
            }
            if (!header->herbs.isEmpty())
                record.ingredients = closeTableCells(header->herbs);
            pendingIsClause = header->kind == HeaderKind::Named && !header->nameEndsTitle;
            headerHasClause = !header->clause.isEmpty();
            inUsage = false;
            // Some editions print the ingredients at the continuation indent: they begin at the first line
            // that reads as doses, and the usage at the first 右/上 line after them.
            pending.clear();
            QStringList
                heldLines; // continuation lines before the ingredients: the clause, or herbs without doses
            std::vector<bool> heldWrapped;
            for (size_t k = bodyFrom; k < block.lines.size(); ++k) {
                if (runOn && block.lines[k]->indent == 0)
                    continue; // part of the title
                const QString& line = block.lines[k]->text;
                const bool wrapped = file.wraps(*block.lines[k - 1]);
                const bool joined = file.joins(*block.lines[k - 1]);
                if (inUsage) {
                    appendWrapped(record.usage, line);
                } else if ((pendingIsClause || headerHasClause) && record.ingredients.isEmpty() &&
                           isPreparationStart(line) && tellsARecipe(block.fullFrom(k)) &&
                           std::none_of(heldLines.begin(), heldLines.end(), [](const QString& held) {
                               return held.contains(kSpace) ||
                                      (held.contains(QLatin1Char('(')) && !isSourceNote(held));
                           })) {
                    // "通治甘遂散治大小便不通" / "右以甘遂二兩赤皮者為末…": a recipe told in its usage alone.
                    for (const QString& held : heldLines) {
                        if (!isSourceNote(held))
                            appendWrapped(record.indications, held);
                        else if (record.cited.isEmpty())
                            record.cited = citedFrom({held.mid(1, held.size() - 2)}, false);
                    }
                    heldLines.clear();
                    heldWrapped.clear();
                    joinPart(record.usage, line);
                    inUsage = true;
                } else if (!record.ingredients.isEmpty() && isUsageStart(line)) {
                    joinPart(record.usage, line);
                    inUsage = true;
                } else if (layout.commentaryIndent >= 0 && !record.ingredients.isEmpty() &&
                           !looksLikeIngredients(line) && !endsInDose(line)) {
                    continue; // the commentator's note after the ingredients
                } else if (!record.ingredients.isEmpty() || looksLikeIngredients(line) ||
                           (endsInDose(line) && !heldLines.isEmpty())) {
                    if (record.ingredients.isEmpty()) {
                        // Herbs without doses ("葶藶(炒)澤㵼　椒目…") run up to the first dose; they are set
                        // apart from the clause by their spaces and notes.
                        // A line carried on from a full line of the clause and closed by one note of its
                        // own is the clause still ("…結成腫塊" / "肉色不變或漫腫木悶無頭(即瘡科流氣飲)").
                        qsizetype first = heldLines.size();
                        while (first > 0 &&
                               (heldLines[first - 1].contains(kSpace) ||
                                (heldLines[first - 1].contains(QLatin1Char('(')) &&
                                 (!heldWrapped[first - 1] || !isClauseTail(heldLines[first - 1])))))
                            --first;
                        for (qsizetype h = first; h < heldLines.size(); ++h)
                            joinPart(record.ingredients, closeTableCells(heldLines[h]),
                                     h > first && heldWrapped[h]);
                        heldLines = heldLines.mid(0, first);
                        heldWrapped.resize(first);
                    }
                    QString herbs = line;
                    // "…數人用之" / "　殊驗　甘州枸杞子　兔絲子(…)": the clause's last words open the line of
                    // herbs.
                    static const QRegularExpression praised(
                        QStringLiteral("^[^　()]{0,6}([驗騐効效妙愈瘥]|如神)$"));
                    if (const qsizetype space = herbs.indexOf(kSpace);
                        record.ingredients.isEmpty() && wrapped && (!heldLines.isEmpty() || k == 1) &&
                        space > 0 && praised.match(herbs.left(space)).hasMatch() &&
                        looksLikeIngredients(herbs.mid(space + 1))) {
                        if (heldLines.isEmpty())
                            record.indications += herbs.left(space);
                        else
                            heldLines.back() += herbs.left(space);
                        herbs = herbs.mid(space + 1);
                    }
                    const QString tail = record.ingredients.isEmpty() && k == 1
                                             ? takeHerbTail(record.indications, joined)
                                             : QString();
                    herbs.prepend(tail);
                    if (record.ingredients.isEmpty() && k == 1 && tail.isEmpty()) {
                        // "…腰痛腹滿或有" / "　所下或胎上搶心　熟地黄(二兩)…": the clause runs on into the
                        // line that starts the herbs, where the herbs' own lines are set deeper. After a line
                        // a cell short, only words longer than a herb's name go on ("…不能言皮" / "膚頑麻
                        // 筋脈抽掣　白殭蠶…", not "盗汗方" / "麻黄根　牡礪(各三錢)…").
                        const qsizetype space = herbs.indexOf(kSpace);
                        const bool runsOn = wrapped || space > 5;
                        const bool deeper = k + 1 == block.lines.size() && b + 1 < blocks.size() &&
                                            blocks[b + 1].level == Ingredients &&
                                            blocks[b + 1].lines.front()->indent > block.lines[k]->indent &&
                                            !isUsageStart(blocks[b + 1].first());
                        if (deeper && runsOn && space > 0 && !herbs.left(space).contains(QLatin1Char('(')) &&
                            looksLikeIngredients(herbs.mid(space + 1))) {
                            appendWrapped(record.indications, herbs.left(space));
                            herbs = herbs.mid(space + 1);
                        }
                    }
                    joinPart(record.ingredients, closeTableCells(herbs),
                             joined && !record.ingredients.isEmpty());
                } else {
                    heldWrapped.push_back(wrapped);
                    heldLines << line;
                }
            }
            for (const QString& line : heldLines)
                appendWrapped(pending, line);
            pendingLines = heldLines;
            pendingWrapped = heldWrapped;
            pendingAfterFull = !heldWrapped.empty() && heldWrapped.front();
            current = std::move(record);
            continue;
        }
        if (block.level == Heading) {
            // "…五日可治" / "七日不可治升麻鱉甲湯主之": a sentence that the margin's width broke where its
            // last line reads as a title. A whole sentence after a full line is one of its own.
            const QString text = marginText(block);
            if (text.endsWith(QStringLiteral("主之")))
                prescribing << (block.afterWrap && text.size() < 16 ? sentence + text : text);
            // "四逆湯(一)" / its recipe / "…下利清穀者四逆湯主之": a book that prints the articles after the
            // recipe they prescribe, one after another in a paragraph.
            const auto prescribedAfter = [&](const QString& name) {
                const QString ending = name + QStringLiteral("主之");
                const qsizetype at = text.indexOf(ending);
                return at < 0 ? QString()
                              : prescribedClause({text.left(at + ending.size())}, name, layout.knownNames);
            };
            if (current && current->indications.isEmpty() && currentPrescribed.isEmpty() && !current->derived)
                currentPrescribed = prescribedAfter(current->name);
            else if (!current && !out.empty() && !lastName.isEmpty() && out.back().name == lastName &&
                     out.back().indications.isEmpty() && !out.back().derived)
                lastClause = out.back().indications = prescribedAfter(lastName);
            sentence = text;
        } else {
            sentence.clear();
        }
        // A paragraph of text between a recipe and a 又方: the 又方 goes with the text, not the recipe. A
        // note's last words wrapped to the margin are no such paragraph, nor is a commentator's note.
        if (!header && block.level == Heading && layout.commentaryIndent < 0 &&
            !block.first().startsWith(QLatin1Char('(')) && block.full().size() > 6) {
            finish(); // first: closing the recipe would name the 又方 after it again
            lastName.clear();
            lastClause.clear();
        }
        if (!current)
            continue;
        const QString text = block.full();
        if (block.level == Usage || (isUsageStart(block.first()) && block.level != Heading)) {
            // Under a 治… title, or a header whose clause ends on its own line, the lines before a 右…
            // usage are the herbs, even without doses ("治逆産" / "蛇退(一條順下完全者)　蠶退紙(一張)" /
            // "右共入…").
            const bool herbsByIndent = layout.ingredientIndent == 1 && block.level == Usage;
            const auto herbLine = [](const QString& line) {
                return line.contains(kSpace) || line.contains(QLatin1Char('('));
            };
            if (herbsByIndent && current->ingredients.isEmpty() && current->body.isEmpty()) {
                // The herbs are the lines one space in that read as a list, and a table's short last row
                // ("　人參　　　　　麥門冬" / "　五味子"); a clause carried on before them
                // ("　肋刺痛月水不調", "　治熱傷元氣…") stays the clause.
                const auto herbish = [&](qsizetype h) {
                    const QString& line = pendingLines[h];
                    return herbLine(line) ||
                           (line.size() <= 5 && !pendingWrapped[size_t(h)] && !startsWithVerb(line));
                };
                qsizetype first = pendingLines.size();
                while (first > 0 && herbish(first - 1))
                    --first;
                // A short line alone is a section's words ("　欬𠻳證治"), not a table.
                if (std::none_of(pendingLines.begin() + first, pendingLines.end(), herbLine))
                    first = pendingLines.size();
                for (qsizetype h = first; h < pendingLines.size(); ++h)
                    joinPart(current->ingredients, closeTableCells(pendingLines[h]),
                             h > first && pendingWrapped[size_t(h)]);
                if (first < pendingLines.size()) {
                    pending.clear();
                    for (qsizetype h = 0; h < first; ++h)
                        appendWrapped(current->indications, pendingLines[h]);
                }
                if (current->ingredients.isEmpty() && pending.isEmpty() && !isUsageStart(block.first())) {
                    joinPart(current->body, text); // "枯礬為末薑湯調下一錢吐之立愈": the whole recipe
                    current->lastLine = block.lastLine();
                    pendingLines.clear();
                    continue;
                }
            } else if (current->ingredients.isEmpty() && current->body.isEmpty() &&
                       (!pendingIsClause || headerHasClause) && !pendingAfterFull && !pending.isEmpty() &&
                       !pendingLines.isEmpty() && isUsageStart(block.first()) &&
                       std::all_of(pendingLines.begin(), pendingLines.end(), herbLine)) {
                for (qsizetype h = 0; h < pendingLines.size(); ++h)
                    joinPart(current->ingredients, closeTableCells(pendingLines[h]),
                             h > 0 && pendingWrapped[size_t(h)]);
                pending.clear();
            }
            pendingLines.clear();
            if (!current->ingredients.isEmpty() || !pending.isEmpty() || !current->body.isEmpty() ||
                (pendingIsClause && current->usage.isEmpty() && isPreparationStart(block.first()) &&
                 hasDoseWord(block.first()))) {
                if (!current->ingredients.isEmpty() && !pending.isEmpty() && !pendingIsClause) {
                    appendWrapped(current->indications, pending);
                    pending.clear();
                }
                joinPart(current->usage, text, inUsage && block.afterWrap);
                current->lastLine = block.lastLine();
                inUsage = true;
                continue;
            }
            finish();
            continue;
        }
        // An edition with a commentary sets the commentator's paragraphs between the ingredients and the
        // usage, at the margin too.
        if (block.level == Heading && !inUsage && layout.commentaryIndent >= 0 &&
            !current->ingredients.isEmpty())
            continue;
        // "…熬去油十兩次入後藥" / "　　草烏頭(四兩)…": a usage that calls for the herbs printed after it.
        // "上六味搗羅為末" / "　　杏仁(…)生地黄汁(五合)…" / "右藥都一處…煎成膏每於食後含…": a first
        // stage that says nothing of taking the medicine, or of its effect, goes on with the herbs of the
        // next.
        // "…即如後傾藥味" / "茯神(去木)…", "…然後服藥" / "當歸(去蘆)　乳香(研細)" / "右各等分…": the
        // second stage's herbs and usage, under the same title.
        static const QRegularExpression awaits(QStringLiteral(
            "(後藥|下項藥|入|用後[^　()]{1,6}[散丸圓湯膏]|後[^　()]{0,3}藥味?)$")); // "…即用後木香散"
        static const QRegularExpression taken(
            QStringLiteral("[服下食飲飮塗敷傅貼含嚥咽洗調吞噙擦摻㸃點灌戴佩熏薰浴熨摩瘥差愈効效驗]"));
        const bool unfinished =
            !current->usage.contains(taken) && b + 1 < blocks.size() && blocks[b + 1].level == Usage;
        const bool herbsThenUsage = block.first().contains(QLatin1Char('(')) && b + 1 < blocks.size() &&
                                    blocks[b + 1].level == Usage && isUsageStart(blocks[b + 1].first());
        // "…再入後藥" / "　當歸　　熟地" / … / "　沒藥(各一錢)" / "　　共研細末…": the second stage's
        // herbs set out one pair to a line, with their doses further down. (Between blank lines a title is a
        // paragraph as a herb line is: there the lines after the usage are not told apart so.)
        const auto dosedHerbsThenUsage = [&] {
            if (paragraphs)
                return false;
            size_t k = b;
            bool doses = false;
            for (; k < blocks.size() && blocks[k].level == Ingredients; ++k)
                doses = doses || hasDoses(blocks[k]);
            return doses && k < blocks.size() && blocks[k].level == Usage;
        };
        if (inUsage && block.level == Ingredients &&
            ((current->usage.contains(awaits) &&
              (hasDoses(block) || herbsThenUsage || dosedHerbsThenUsage())) ||
             (unfinished && hasDoses(block))))
            inUsage = false;
        // "…心煩" / "　　口乾喜冷…怔忡" / "　經候不調…亦宜服" / "　　當歸　石斛(去根)…": the clause carried
        // on over two indents was read as herbs and usage; the herbs with doses come after it. A recipe told
        // in prose ("將川山甲…為末…") and a 又方 after it are no clause.
        static const QRegularExpression recipeWords(QStringLiteral("[爲為]末|[服塗傅敷擦摻]"));
        if (inUsage && block.level == Ingredients && hasDoses(block) && current->body.isEmpty() &&
            !current->ingredients.isEmpty() && !current->ingredients.contains(kSpace) &&
            !current->ingredients.contains(QLatin1Char('(')) && !hasDoseWord(current->ingredients) &&
            !isUsageStart(current->usage) && !hasDoseWord(current->usage) &&
            !current->usage.startsWith(QChar(0x53C8)) && !current->usage.startsWith(QStringLiteral("一方")) &&
            !current->ingredients.contains(recipeWords)) {
            appendWrapped(current->indications, current->ingredients);
            appendWrapped(current->indications, current->usage);
            current->ingredients.clear();
            current->usage.clear();
            inUsage = false;
        }
        if (inUsage || block.level == Heading) {
            finish();
            continue;
        }
        // An ingredient line: whatever followed the header before it belongs to the clause, but for a list of
        // herbs without doses right before it ("治婦人血風勞" / "　琥珀　沒藥　木香…" /
        // "　　乾地黄…(各半兩)").
        const bool noHerbsYet = current->ingredients.isEmpty() && current->body.isEmpty();
        if (!pending.isEmpty()) {
            qsizetype first = pendingLines.size();
            while (noHerbsYet && first > 0 && isHerbList(pendingLines[first - 1]))
                --first;
            if (first == pendingLines.size() || pendingLines.size() != qsizetype(pendingWrapped.size())) {
                appendWrapped(current->indications, pending);
            } else {
                for (qsizetype h = 0; h < first; ++h)
                    appendWrapped(current->indications, pendingLines[h]);
                for (qsizetype h = first; h < pendingLines.size(); ++h) {
                    QString herbList = pendingLines[h];
                    // "…小便赤澀便血" / "吐疼　猪苓　澤瀉…": the clause's last words before the first space.
                    if (h == first && pendingWrapped[size_t(h)]) {
                        const qsizetype space = herbList.indexOf(kSpace);
                        appendWrapped(current->indications, herbList.left(space));
                        herbList = herbList.mid(space + 1);
                    }
                    joinPart(current->ingredients, closeTableCells(herbList),
                             h > first && pendingWrapped[size_t(h)]);
                }
            }
            pending.clear();
            pendingLines.clear();
        }
        QString herbs = text;
        // "…竝宜服　黄連(去鬚)" / "　　(一兩半)白茯苓…": the clause's line ends with the first herb, whose
        // dose opens the next line.
        if (noHerbsYet && current->ingredients.isEmpty() && herbs.startsWith(QLatin1Char('('))) {
            static const QRegularExpression herbAtEnd(QStringLiteral("　([^　()]{1,6}(\\([^()]*\\))?)$"));
            if (const auto match = herbAtEnd.match(current->indications); match.hasMatch()) {
                herbs.prepend(match.captured(1));
                current->indications.truncate(match.capturedStart());
            }
        }
        if (current->ingredients.isEmpty() && current->body.isEmpty() && hasDoses(block))
            herbs.prepend(takeHerbTail(current->indications, block.joinsWord));
        joinPart(current->ingredients, closeTableCells(herbs),
                 block.joinsWord && !current->ingredients.isEmpty());
        current->lastLine = block.lastLine();
    }
    finish();
    // A passage runs from its heading to the line before the next heading, dropped lines included.
    for (RawFormula& record : out) {
        const auto next = std::upper_bound(headings.begin(), headings.end(), record.firstLine);
        record.passageLast = next == headings.end() ? fileLast : *next - 1;
    }
    return out;
}

} // namespace corvessa::importer
