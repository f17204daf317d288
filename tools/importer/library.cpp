// SPDX-License-Identifier: GPL-3.0-or-later

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
    for (const QStringList& parts : readTabSeparated(path)) {
        TextbookEntry entry{parts.value(0).trimmed(), parts.value(1).trimmed(), {}};
        for (const QString& alias : parts.value(2).split(QLatin1Char('/'), Qt::SkipEmptyParts))
            entry.aliases << alias.trimmed();
        list.push_back(entry);
    }
    return list;
}

std::vector<TextbookBook> readTextbookBooks(const QString& path) {
    std::vector<TextbookBook> books;
    for (const QStringList& parts : readTabSeparated(path)) {
        TextbookBook book{parts.value(0).trimmed(), parts.value(1).trimmed(), 0, 0};
        const QStringList range = parts.value(2).split(QLatin1Char('-'), Qt::SkipEmptyParts);
        if (range.size() == 2) {
            book.firstFile = range[0].toInt();
            book.lastFile = range[1].toInt();
        }
        if (book.title.isEmpty() || book.libraryBook.isEmpty() || (range.size() != 0 && range.size() != 2) ||
            book.firstFile > book.lastFile)
            throw std::runtime_error("bad line in " + path.toStdString() + ": " +
                                     parts.join(QLatin1Char('\t')).toStdString());
        books.push_back(book);
    }
    return books;
}

namespace {

// The form a name is compared in: 黄耆 is the older writing of 黄芪.
QString nameKey(const QString& name) {
    QString key = name;
    key.replace(QStringLiteral("黄耆"), QStringLiteral("黄芪"));
    return key;
}

// The number of a source file, "KR3e0070/KR3e0070_011.txt" -> 11.
int fileNumber(const QString& file) {
    const qsizetype underscore = file.lastIndexOf(QLatin1Char('_'));
    const qsizetype dot = file.lastIndexOf(QLatin1Char('.'));
    return underscore < 0 || dot < underscore ? -1 : file.mid(underscore + 1, dot - underscore - 1).toInt();
}

// The 组成 of a record without blanks, or the empty text when it has no ingredients of its own (none, or a
// pointer to another page: "方见寒门").
QString ownComposition(const LibraryRecord& r) {
    const QString heading = QStringLiteral("【组成】");
    const qsizetype start = r.content.indexOf(heading);
    if (start < 0)
        return {};
    qsizetype end = r.content.indexOf(QChar(0x3010), start + heading.size());
    if (end < 0)
        end = r.content.size();
    QString composition = r.content.mid(start + heading.size(), end - start - heading.size());
    composition.remove(QLatin1Char(' ')).remove(kSpace);
    const QString pointer = QStringLiteral("方见");
    if (composition.size() < 2 || composition.contains(pointer) || r.name.contains(pointer))
        return {};
    return composition;
}

} // namespace

TextbookMarking markTextbook(std::vector<LibraryRecord>& records, const std::vector<TextbookEntry>& list,
                             const std::vector<TextbookBook>& books) {
    QHash<QString, std::vector<size_t>> byName;
    QSet<QString> libraryBooks;
    for (size_t i = 0; i < records.size(); ++i) {
        if (!records[i].herb()) {
            byName[nameKey(records[i].name)].push_back(i);
            libraryBooks.insert(records[i].book);
        }
    }
    TextbookMarking marking;
    for (const TextbookEntry& entry : list) {
        if (marking.found.contains(entry.name))
            continue;
        std::vector<TextbookBook> where;
        if (libraryBooks.contains(entry.book))
            where.push_back({entry.book, entry.book, 0, 0});
        for (const TextbookBook& book : books) {
            if (book.title == entry.book)
                where.push_back(book);
        }
        if (entry.book.isEmpty() || where.empty()) {
            marking.unmarked.push_back(
                {entry.name, entry.book.isEmpty()
                                 ? QStringLiteral("no book is named for it")
                                 : QStringLiteral("%1 is not among the source texts").arg(entry.book)});
            continue;
        }
        auto fromBook = [&](const LibraryRecord& r) {
            for (const TextbookBook& book : where) {
                if (r.book != book.libraryBook)
                    continue;
                const int number = fileNumber(r.file);
                if (book.firstFile == 0 || (number >= book.firstFile && number <= book.lastFile))
                    return true;
            }
            return false;
        };
        std::vector<size_t> candidates;
        for (const QString& name : QStringList{entry.name} + entry.aliases) {
            const auto it = byName.constFind(nameKey(name));
            if (it != byName.constEnd())
                candidates.insert(candidates.end(), it->begin(), it->end());
        }
        std::sort(candidates.begin(), candidates.end()); // the first in the book's own order
        bool named = false;
        size_t chosen = records.size();
        QSet<QString> compositions;
        for (size_t c : candidates) {
            if (!fromBook(records[c]))
                continue;
            named = true;
            const QString composition = ownComposition(records[c]);
            if (composition.isEmpty())
                continue;
            compositions.insert(composition);
            if (chosen == records.size())
                chosen = c;
        }
        QStringList titles;
        for (const TextbookBook& book : where)
            titles << (book.firstFile ? QStringLiteral("%1 (%2 files %3-%4)")
                                            .arg(book.title, book.libraryBook)
                                            .arg(book.firstFile)
                                            .arg(book.lastFile)
                                      : book.libraryBook);
        const QString inBooks = titles.join(QStringLiteral(", "));
        if (compositions.size() > 1) {
            // The book gives different formulas under this name and the list does not say which is taught.
            marking.unmarked.push_back({entry.name, QStringLiteral("%1 different formulas of this name in %2")
                                                        .arg(compositions.size())
                                                        .arg(inBooks)});
        } else if (chosen < records.size()) {
            records[chosen].group = QStringLiteral("1");
            marking.found << entry.name;
        } else {
            marking.unmarked.push_back(
                {entry.name, named
                                 ? QStringLiteral("its records in %1 have no 组成 of their own").arg(inBooks)
                                 : QStringLiteral("no record of this name in %1").arg(inBooks)});
        }
    }
    return marking;
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
