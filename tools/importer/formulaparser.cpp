#include "formulaparser.h"

#include <QRegularExpression>

namespace corvessa::importer {

namespace {

const QChar kSpace(0x3000);

bool isSuffix(QChar c) {
    static const QString suffixes = QStringLiteral("湯散丸圓丹飲膏煎酒餅餠錠粥茶露膠方");
    return suffixes.contains(c);
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
        if (strong.contains(name[i]))
            return true;
    }
    return false;
}

bool startsProse(QChar c) {
    static const QString openers = QStringLiteral("宜用服與以可若或後仍即此其凡皆當須亦乃則遂故蓋因次今又");
    return openers.contains(c);
}

// Strips a leading treatment verb from an indications clause.
QString stripVerb(QString clause) {
    static const QStringList verbs = {QStringLiteral("專治"), QStringLiteral("兼治"), QStringLiteral("能治"),
                                      QStringLiteral("亦治"), QStringLiteral("通治"), QStringLiteral("大治"),
                                      QStringLiteral("主治"), QStringLiteral("治"),   QStringLiteral("療"),
                                      QStringLiteral("主"),   QStringLiteral("理")};
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

// A note that names the book a formula was taken from: "出聖濟總録", or a bare title before the name.
QString citedFrom(const QStringList& notes, bool bareTitles) {
    for (const QString& note : notes) {
        if (note.startsWith(QStringLiteral("出")) && note.size() >= 3 && note.size() <= 14)
            return note.mid(1);
        if (bareTitles && note.size() >= 2 && note.size() <= 12 && !isNumbering(note))
            return note;
    }
    return {};
}

qsizetype skipSpaces(const QString& text, qsizetype pos) {
    while (pos < text.size() && (text[pos] == kSpace || text[pos] == QLatin1Char(' ')))
        ++pos;
    return pos;
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
    return usage.match(text).hasMatch();
}

std::optional<Header> parseHeader(const QString& text) {
    qsizetype pos = 0;
    const QStringList leadingNotes = readNotes(text, pos);
    const QString leadingCited = citedFrom(leadingNotes, true);
    const QString body = text.mid(pos);
    if (body.isEmpty() || isPreparationStart(body))
        return std::nullopt;

    if (body.startsWith(QStringLiteral("又方")) || body.startsWith(QStringLiteral("一方"))) {
        Header header;
        header.kind = HeaderKind::Again;
        qsizetype p = 2;
        const QStringList notes = readNotes(body, p);
        header.cited = leadingCited.isEmpty() ? citedFrom(notes, false) : leadingCited;
        p = skipSpaces(body, p);
        const QString rest = body.mid(p);
        if (startsWithVerb(rest) && rest.size() <= 60 && !rest.contains(kSpace))
            header.clause = stripVerb(rest);
        else
            header.rest = rest;
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
        QString name = body.left(end);
        if (name.size() < 3 || name.size() > 20)
            return std::nullopt;
        Header header;
        header.kind = HeaderKind::Unnamed;
        qsizetype p = end;
        const QStringList notes = readNotes(body, p);
        header.cited = leadingCited.isEmpty() ? citedFrom(notes, false) : leadingCited;
        header.rest = body.mid(skipSpaces(body, p));
        QString clause = stripVerb(name);
        if (clause.endsWith(QStringLiteral("方")))
            clause.chop(1);
        if (clause.endsWith(QStringLiteral("諸")))
            return std::nullopt; // a chapter title such as 治女人帶下諸方
        if (isSuffix(name.back()) && !name.endsWith(QStringLiteral("方"))) {
            clause.clear(); // 治狐惑湯 is the formula's own name
        } else if (!name.endsWith(QStringLiteral("方"))) {
            name += QStringLiteral("方");
        }
        header.name = name;
        header.clause = clause;
        return header;
    }

    if (startsProse(body[0]))
        return std::nullopt;
    for (qsizetype end = 1; end < body.size() && end < 18; ++end) {
        const QChar c = body[end];
        if (c == QLatin1Char('(') || c == kSpace || isProseChar(c))
            break;
        if (!isSuffix(c))
            continue;
        const QString name = body.left(end + 1);
        qsizetype p = end + 1;
        const QStringList notes = readNotes(body, p);
        const qsizetype afterNotes = p;
        p = skipSpaces(body, p);
        const bool separated = p > afterNotes;
        const QString rest = body.mid(p);
        bool accept = false;
        if (rest.isEmpty())
            accept = !notes.isEmpty() || (name.size() >= 3 && name.size() <= 8 && !hasInnerSuffix(name));
        else if (rest == QStringLiteral("方"))
            accept = true;
        else if (separated)
            accept = !isPreparationStart(rest);
        else
            accept = startsWithVerb(rest);
        if (!accept)
            continue;
        if (c == QChar(0x65B9) && name.size() <= 2) // a lone "…方" is no name
            continue;
        Header header;
        header.kind = HeaderKind::Named;
        header.name = name;
        header.cited = leadingCited.isEmpty() ? citedFrom(notes, false) : leadingCited;
        if (rest != QStringLiteral("方"))
            header.clause = stripVerb(rest);
        return header;
    }
    return std::nullopt;
}

namespace {

// A paragraph of the printed text: its first line and the lines that continue it.
struct Block {
    int level = 0; // 0 header column, 1 usage, 2 ingredient column
    QString first;
    QString continuation;
    QStringList continuationLines;
    QString page;
    int firstLine = 0;
    int lastLine = 0;
    QString full() const {
        QString text = first;
        appendWrapped(text, continuation);
        return text;
    }
};

// Editions that separate every paragraph with a blank line print the header indented and wrap it to the left
// margin; the others start a header at the margin and indent what continues it.
bool usesBlankLines(const SourceFile& file) {
    int blank = 0;
    for (const SourceLine& line : file.lines)
        blank += line.text.isEmpty() ? 1 : 0;
    return !file.lines.empty() && blank * 100 >= int(file.lines.size()) * 20;
}

std::vector<Block> splitBlocks(const SourceFile& file) {
    std::vector<Block> blocks;
    const bool paragraphs = usesBlankLines(file);
    bool afterBlank = true;
    for (const SourceLine& line : file.lines) {
        if (line.text.isEmpty()) {
            afterBlank = true;
            continue;
        }
        bool starts = false;
        int level = 0;
        if (paragraphs) {
            starts = afterBlank || line.indent >= 2;
            level = line.indent >= 1 ? 2 : 0;
            if (starts && isUsageStart(line.text))
                level = 1;
        } else if (line.indent == 0) {
            starts = true;
            level = 0;
        } else if (line.indent >= 2) {
            starts = true;
            level = 2;
        } else if (isUsageStart(line.text) && !blocks.empty() && blocks.back().level == 2) {
            starts = true;
            level = 1;
        }
        afterBlank = false;
        if (starts || blocks.empty()) {
            Block block;
            block.level = level;
            block.first = line.text;
            block.page = line.page;
            block.firstLine = block.lastLine = line.number;
            blocks.push_back(std::move(block));
        } else {
            appendWrapped(blocks.back().continuation, line.text);
            blocks.back().continuationLines << line.text;
            blocks.back().lastLine = line.number;
        }
    }
    return blocks;
}

void joinPart(QString& part, const QString& text) {
    if (part.endsWith(QLatin1Char(')')) && text.startsWith(QLatin1Char('('))) {
        appendWrapped(part, text); // a dose note carried over to the next printed line
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

} // namespace

bool looksLikeIngredients(const QString& line) {
    static const QRegularExpression doseNote(
        QStringLiteral("\\([^)]*[兩两錢钱分銖枚升合斤片個箇等半粒][^)]*\\)"));
    int doses = 0;
    for (auto it = doseNote.globalMatch(line); it.hasNext(); it.next())
        ++doses;
    return doses >= 2 || (doses == 1 && line.contains(kSpace));
}

std::vector<RawFormula> parseFormulas(const SourceFile& file) {
    std::vector<RawFormula> out;
    const std::vector<Block> blocks = splitBlocks(file);
    std::optional<RawFormula> current;
    QString pending; // lines after a header that are either its clause or, without ingredients, the recipe
    bool pendingIsClause = false;
    bool inUsage = false;
    QString lastName, lastClause;

    auto finish = [&]() {
        if (!current)
            return;
        RawFormula record = std::move(*current);
        current.reset();
        if (!pending.isEmpty()) {
            if (pendingIsClause || !record.ingredients.isEmpty() || !record.usage.isEmpty())
                appendWrapped(record.indications, pending);
            else
                joinPart(record.body, pending);
        }
        pending.clear();
        record.ingredients = tidy(record.ingredients);
        record.usage = tidy(record.usage);
        record.body = tidy(record.body);
        record.indications = stripVerb(tidy(record.indications));
        if (record.ingredients.isEmpty() && record.usage.isEmpty() && record.body.isEmpty())
            return;
        // The acupuncture chapters list points ("穴　前頂") under the same 治… titles; they are no recipes.
        if (record.ingredients.isEmpty() && record.usage.isEmpty() &&
            (record.body.startsWith(QStringLiteral("穴")) || record.body.startsWith(QStringLiteral("灸"))))
            return;
        if (!record.derived) {
            lastName = record.name;
            lastClause = record.indications;
        }
        out.push_back(std::move(record));
    };

    const bool paragraphs = usesBlankLines(file);
    for (const Block& block : blocks) {
        std::optional<Header> header;
        if (paragraphs ? block.level != 1 : block.level == 0)
            header = parseHeader(block.first);
        if (header) {
            finish();
            RawFormula record;
            record.page = block.page;
            record.firstLine = block.firstLine;
            record.lastLine = block.lastLine;
            record.cited = header->cited;
            record.indications = header->clause;
            if (header->kind == HeaderKind::Again) {
                if (lastName.isEmpty())
                    continue;
                record.name = lastName + QStringLiteral("又方");
                record.derived = true;
                if (record.indications.isEmpty())
                    record.indications = lastClause;
            } else {
                record.name = header->name;
            }
            if (!header->rest.isEmpty())
                joinPart(record.body, header->rest);
            pendingIsClause = header->kind == HeaderKind::Named;
            inUsage = false;
            // Some editions print the ingredients at the continuation indent: they begin at the first line
            // that reads as doses, and the usage at the first 右/上 line after them.
            pending.clear();
            for (const QString& line : block.continuationLines) {
                if (inUsage) {
                    appendWrapped(record.usage, line);
                } else if (!record.ingredients.isEmpty() && isUsageStart(line)) {
                    joinPart(record.usage, line);
                    inUsage = true;
                } else if (!record.ingredients.isEmpty() || looksLikeIngredients(line)) {
                    joinPart(record.ingredients, line);
                } else {
                    appendWrapped(pending, line);
                }
            }
            current = std::move(record);
            continue;
        }
        if (!current)
            continue;
        const QString text = block.full();
        if (block.level == 1 || (isUsageStart(block.first) && block.level != 0)) {
            if (!current->ingredients.isEmpty() || !pending.isEmpty() || !current->body.isEmpty()) {
                if (!current->ingredients.isEmpty() && !pending.isEmpty() && !pendingIsClause) {
                    appendWrapped(current->indications, pending);
                    pending.clear();
                }
                joinPart(current->usage, text);
                current->lastLine = block.lastLine;
                inUsage = true;
                continue;
            }
            finish();
            continue;
        }
        if (inUsage || block.level == 0) {
            finish();
            continue;
        }
        // An ingredient line: whatever followed the header before it belongs to the clause.
        if (!pending.isEmpty()) {
            appendWrapped(current->indications, pending);
            pending.clear();
        }
        joinPart(current->ingredients, text);
        current->lastLine = block.lastLine;
    }
    finish();
    return out;
}

} // namespace corvessa::importer
