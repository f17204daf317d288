#include "library.h"

#include <QFile>
#include <QHash>
#include <QSet>
#include <QTextStream>
#include <algorithm>
#include <memory>
#include <stdexcept>
#include <unicode/coll.h>
#include <unicode/locid.h>

namespace corvessa::importer {

namespace {

constexpr int kMaxIndications = 200;
const QChar kSpace(0x3000);

QString juanLabel(const QString& juan) {
    if (juan.isEmpty())
        return {};
    return juan.startsWith(QStringLiteral("卷")) ? juan : QStringLiteral("卷") + juan;
}

QString sourceText(const QString& book, const QString& cited) {
    if (cited.isEmpty() || book.contains(cited))
        return book;
    return book + QStringLiteral("·") + cited;
}

} // namespace

QJsonObject LibraryRecord::toJson() const {
    QJsonObject o;
    o.insert(QStringLiteral("方名"), name);
    if (herb()) {
        o.insert(QStringLiteral("出处"), QJsonValue::Null);
        o.insert(QStringLiteral("主治"), QJsonValue::Null);
        o.insert(QStringLiteral("分组"), QJsonValue::Null);
        o.insert(QStringLiteral("备用1"), QJsonValue::Null);
        o.insert(QStringLiteral("备用2"), QJsonValue::Null);
        o.insert(QStringLiteral("备用3"), QJsonValue::Null);
    } else {
        o.insert(QStringLiteral("出处"), source);
        o.insert(QStringLiteral("主治"), indications);
        o.insert(QStringLiteral("分组"), group);
        o.insert(QStringLiteral("备用1"), QString());
        o.insert(QStringLiteral("备用2"), QString());
        o.insert(QStringLiteral("备用3"), QString());
    }
    o.insert(QStringLiteral("内容"), content);
    o.insert(QStringLiteral("类别"), category);
    o.insert(QStringLiteral("provenance"), provenance);
    return o;
}

LibraryRecord makeFormulaRecord(const RawFormula& raw, const Origin& origin, Normalizer& normalize) {
    LibraryRecord record;
    record.category = kCategoryFormula;
    record.name = normalize(raw.name);
    record.book = normalize(origin.bookTitle);
    const QString cited = normalize(raw.cited);
    record.source = sourceText(record.book, cited).left(200);
    record.indications = normalize(raw.indications).left(kMaxIndications);
    const QString fullIndications = normalize(raw.indications);
    QString composition = normalize(raw.body);
    const QString ingredients = normalize(raw.ingredients);
    if (!ingredients.isEmpty())
        composition += (composition.isEmpty() ? QString() : QString(kSpace)) + ingredients;
    const QString usage = normalize(raw.usage);
    QString content;
    if (!composition.isEmpty())
        content += QStringLiteral("【组成】") + composition;
    if (!usage.isEmpty())
        content += QStringLiteral("【用法】") + usage;
    if (!fullIndications.isEmpty())
        content += QStringLiteral("【主治】") + fullIndications;
    QString where = record.book;
    const QString juan = normalize(juanLabel(origin.juan));
    if (!juan.isEmpty())
        where += QStringLiteral(" ") + juan;
    if (!cited.isEmpty() && cited != record.book)
        where += QStringLiteral("，引") + cited;
    content += QStringLiteral("【出处】") + where + QStringLiteral("（") + raw.page + QStringLiteral("）");
    record.content = content;
    record.file = origin.bookId + QStringLiteral("/") + origin.fileName;
    record.firstLine = raw.firstLine;
    record.lastLine = raw.lastLine;
    record.passageLast = std::max(raw.passageLast, raw.lastLine);
    record.provenance = QStringLiteral("%1:%2-%3 %4")
                            .arg(record.file)
                            .arg(record.firstLine)
                            .arg(record.passageLast)
                            .arg(raw.page);
    return record;
}

LibraryRecord makeHerbRecord(const RawHerb& raw, const Origin& origin, Normalizer& normalize) {
    LibraryRecord record;
    record.category = kCategoryHerb;
    record.name = normalize(raw.name);
    record.book = normalize(origin.bookTitle);
    QString content = record.name + QStringLiteral("@$");
    for (const QString& section : raw.sections) {
        const QString text = normalize(section);
        content += QStringLiteral("\r\n【") + text.left(2) + QStringLiteral("】") + text.mid(2).trimmed();
    }
    content += QStringLiteral("\r\n【出处】") + record.book + QStringLiteral(" ") +
               normalize(juanLabel(origin.juan)) + QStringLiteral("（") + raw.page + QStringLiteral("）");
    record.content = content;
    record.file = origin.bookId + QStringLiteral("/") + origin.fileName;
    record.provenance = record.file + QStringLiteral(" ") + raw.page;
    record.firstLine = raw.firstLine;
    return record;
}

int removeDuplicates(std::vector<LibraryRecord>& records) {
    QSet<QString> seen;
    seen.reserve(qsizetype(records.size()));
    const auto end = std::remove_if(records.begin(), records.end(), [&](const LibraryRecord& r) {
        const qsizetype cut = r.content.lastIndexOf(QStringLiteral("【出处】"));
        const QString key = r.category + QLatin1Char('\t') + r.name + QLatin1Char('\t') + r.content.left(cut);
        if (seen.contains(key))
            return true;
        seen.insert(key);
        return false;
    });
    const int removed = int(records.end() - end);
    records.erase(end, records.end());
    return removed;
}

std::map<QString, int> ingredientUse(const std::vector<LibraryRecord>& records) {
    QHash<QString, int> tokens;
    for (const LibraryRecord& r : records) {
        if (r.herb())
            continue;
        const qsizetype start = r.content.indexOf(QStringLiteral("【组成】"));
        if (start < 0)
            continue;
        qsizetype end = r.content.indexOf(QChar(0x3010), start + 4);
        if (end < 0)
            end = r.content.size();
        const QString part = r.content.mid(start + 4, end - start - 4);
        QString token;
        int depth = 0;
        auto flush = [&] {
            if (!token.isEmpty() && token.size() <= 6)
                ++tokens[token];
            token.clear();
        };
        for (const QChar c : part) {
            if (c == QLatin1Char('(')) {
                flush();
                ++depth;
            } else if (c == QLatin1Char(')')) {
                depth = std::max(0, depth - 1);
            } else if (depth == 0) {
                if (c == kSpace)
                    flush();
                else
                    token += c;
            }
        }
        flush();
    }
    // A herb counts also where a qualifier precedes it (川芎, 炙甘草): credit every tail of a token.
    std::map<QString, int> use;
    for (auto it = tokens.constBegin(); it != tokens.constEnd(); ++it) {
        for (qsizetype k = 0; k + 1 < it.key().size(); ++k)
            use[it.key().mid(k)] += it.value();
    }
    return use;
}

std::vector<QStringList> readTabSeparated(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        throw std::runtime_error("cannot read " + path.toStdString());
    std::vector<QStringList> lines;
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (!line.isEmpty() && !line.startsWith(QLatin1Char('#')))
            lines.push_back(line.split(QLatin1Char('\t')));
    }
    return lines;
}

std::vector<TextbookEntry> readTextbookList(const QString& path) {
    std::vector<TextbookEntry> list;
    for (const QStringList& parts : readTabSeparated(path))
        list.push_back({parts.value(0).trimmed(), parts.value(1).trimmed()});
    return list;
}

QStringList markTextbook(std::vector<LibraryRecord>& records, const std::vector<TextbookEntry>& list,
                         const QStringList& bookOrder) {
    QHash<QString, std::vector<size_t>> byName;
    for (size_t i = 0; i < records.size(); ++i) {
        if (!records[i].herb())
            byName[records[i].name].push_back(i);
    }
    auto rank = [&](const LibraryRecord& r) {
        const qsizetype at = bookOrder.indexOf(r.book);
        return at < 0 ? bookOrder.size() : at;
    };
    QStringList found;
    for (const TextbookEntry& entry : list) {
        const auto it = byName.constFind(entry.name);
        if (it == byName.constEnd() || found.contains(entry.name))
            continue;
        const std::vector<size_t>& candidates = *it;
        size_t best = candidates.front();
        auto better = [&](size_t a, size_t b) { // is a better than b?
            const LibraryRecord& x = records[a];
            const LibraryRecord& y = records[b];
            const bool xc = !entry.book.isEmpty() && x.source.contains(entry.book);
            const bool yc = !entry.book.isEmpty() && y.source.contains(entry.book);
            if (xc != yc)
                return xc;
            const bool xi = !x.indications.isEmpty();
            const bool yi = !y.indications.isEmpty();
            if (xi != yi)
                return xi;
            return rank(x) < rank(y);
        };
        for (size_t c : candidates) {
            if (better(c, best))
                best = c;
        }
        records[best].group = QStringLiteral("1");
        found << entry.name;
    }
    return found;
}

QStringList sourceCatalogue(const std::vector<LibraryRecord>& records, const QStringList& bookTitles) {
    QSet<QString> titles(bookTitles.begin(), bookTitles.end());
    for (const LibraryRecord& r : records) {
        if (!r.herb() && !r.source.isEmpty())
            titles.insert(r.source);
    }
    QStringList list(titles.begin(), titles.end());
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Collator> collator(icu::Collator::createInstance(icu::Locale("zh"), status));
    if (U_FAILURE(status))
        throw std::runtime_error("cannot create the zh collator");
    std::sort(list.begin(), list.end(), [&](const QString& a, const QString& b) {
        UErrorCode s = U_ZERO_ERROR;
        const UCollationResult r =
            collator->compare(reinterpret_cast<const UChar*>(a.utf16()), int32_t(a.size()),
                              reinterpret_cast<const UChar*>(b.utf16()), int32_t(b.size()), s);
        return r == UCOL_LESS || (r == UCOL_EQUAL && a < b);
    });
    return list;
}

} // namespace corvessa::importer
