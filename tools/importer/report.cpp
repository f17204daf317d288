// SPDX-License-Identifier: GPL-3.0-or-later

#include "report.h"

#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <random>

namespace corvessa::importer {

void selectHerbs(std::vector<LibraryRecord>& herbs, const std::map<QString, int>& use, int count) {
    std::vector<std::pair<int, size_t>> ranked; // (-use, index)
    QSet<QString> names;
    for (size_t i = 0; i < herbs.size(); ++i) {
        if (names.contains(herbs[i].name))
            continue;
        names.insert(herbs[i].name);
        const auto it = use.find(herbs[i].name);
        ranked.push_back({it == use.end() ? 0 : -it->second, i});
    }
    std::stable_sort(ranked.begin(), ranked.end());
    if (int(ranked.size()) > count)
        ranked.resize(size_t(count));
    std::vector<size_t> keep;
    for (const auto& entry : ranked)
        keep.push_back(entry.second);
    std::sort(keep.begin(), keep.end());
    std::vector<LibraryRecord> selected;
    for (size_t i : keep)
        selected.push_back(std::move(herbs[i]));
    herbs = std::move(selected);
}

void QualityReport::collect(const std::vector<LibraryRecord>& records, const Normalizer& normalize) {
    for (const LibraryRecord& r : records) {
        if (r.herb()) {
            ++herbs;
            continue;
        }
        ++formulas;
        ++perBook[r.book];
        if (!r.indications.isEmpty())
            ++withIndications;
        if (r.group == QLatin1String("1"))
            ++textbookRecords;
    }
    collectCharacters(records, normalize);
}

void QualityReport::collectCharacters(const std::vector<LibraryRecord>& records,
                                      const Normalizer& normalize) {
    const QChar box(0x25A1);
    const QHash<QString, QString>& mapped = store::TextNormalizer::variantTable();
    const QSet<QString>& unmapped = store::TextNormalizer::unmappedVariants();
    auto residual = [&](const QString& text) {
        for (qsizetype i = 0; i < text.size(); ++i) {
            const qsizetype width = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
            const QString one = text.mid(i, width);
            i += width - 1;
            if (mapped.contains(one) || unmapped.contains(one)) {
                ++residualVariants;
                ++residualForms[one];
            }
        }
    };
    for (const LibraryRecord& r : records) {
        boxesInNames += r.name.count(box);
        if (r.herb())
            boxesInNames += r.content.count(box); // herb entries are stored as plain text
        else
            boxesInContent += r.content.count(box);
        residual(r.name);
        residual(r.content);
    }
    collectParseFaults(records);
    variantsMapped = normalize.variantsMapped();
    storedOutside936 = normalize.storedOutside936();
    outside936 = normalize.outside936();
}

std::vector<std::pair<QString, QString>> contentParts(const QString& content) {
    static const QRegularExpression heading(QStringLiteral("【([^】]{1,4})】"));
    std::vector<std::pair<QString, QString>> parts;
    QRegularExpressionMatchIterator it = heading.globalMatch(content);
    QRegularExpressionMatch previous;
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        if (previous.hasMatch())
            parts.emplace_back(
                previous.captured(1),
                content.mid(previous.capturedEnd(), match.capturedStart() - previous.capturedEnd()));
        previous = match;
    }
    if (previous.hasMatch())
        parts.emplace_back(previous.captured(1), content.mid(previous.capturedEnd()));
    return parts;
}

namespace {

const QChar kSpace(0x3000);

QString part(const std::vector<std::pair<QString, QString>>& parts, const QString& key) {
    for (const auto& [heading, text] : parts) {
        if (heading == key)
            return text;
    }
    return {};
}

QString withoutNotes(const QString& text) {
    static const QRegularExpression notes(QStringLiteral("\\([^)]*\\)"));
    QString out = text;
    return out.replace(notes, QString(kSpace));
}

bool endsWithWord(const QString& text, const QSet<QString>& words) {
    for (qsizetype n = 2; n <= 4 && n <= text.size(); ++n) {
        if (words.contains(text.right(n)))
            return true;
    }
    return false;
}

bool startsWithWord(const QString& text, const QSet<QString>& words) {
    for (qsizetype n = 2; n <= 4 && n <= text.size(); ++n) {
        if (words.contains(text.left(n)))
            return true;
    }
    return false;
}

} // namespace

int wrapSplits(const QString& composition, const QSet<QString>& words) {
    const QStringList items = composition.split(kSpace);
    int splits = 0;
    for (qsizetype i = 0; i + 1 < items.size(); ++i) {
        const QString& before = items[i];
        const QString& after = items[i + 1];
        if (before.isEmpty() || after.isEmpty() || before.endsWith(QLatin1Char(')')))
            continue;
        const QString tail = before.mid(before.lastIndexOf(QLatin1Char(')')) + 1);
        if (words.contains(tail) || (endsWithWord(tail, words) && startsWithWord(after, words)))
            continue;
        // A whole herb after the space is no cut piece ("大豆卷　柏子仁", "丁子香　白芷").
        if (words.contains(after.left(after.indexOf(QLatin1Char('(')))))
            continue;
        bool split = false;
        for (qsizetype a = 1; a <= 2 && a <= tail.size() && !split; ++a) {
            for (qsizetype b = 1; b <= 3 && b <= after.size() && !split; ++b)
                split = words.contains(tail.right(a) + after.left(b));
        }
        splits += split ? 1 : 0;
    }
    return splits;
}

void QualityReport::collectParseFaults(const std::vector<LibraryRecord>& records) {
    // The herb words: the herb entries' names and every item that 组成 lists often.
    QSet<QString> words;
    QHash<QString, int> items;
    for (const LibraryRecord& r : records) {
        if (r.herb()) {
            words.insert(r.name);
            continue;
        }
        const QString composition = part(contentParts(r.content), QStringLiteral("组成"));
        for (const QString& item : withoutNotes(composition).split(kSpace, Qt::SkipEmptyParts)) {
            if (item.size() >= 2 && item.size() <= 4)
                ++items[item];
        }
    }
    for (auto it = items.constBegin(); it != items.constEnd(); ++it) {
        if (it.value() >= 40)
            words.insert(it.key());
    }
    static const QRegularExpression colophon(
        QStringLiteral("[^　()]{2,12}卷(之)?[一二三四五六七八九十百上中下]+(终|毕)?$"));
    static const QRegularExpression title(
        QStringLiteral("^(方|又方|论|法|总论|又法)$|^○?[^()]{1,16}第[一二三四五六七八九十百]+$"));
    for (const LibraryRecord& r : records) {
        if (r.herb())
            continue;
        const auto parts = contentParts(r.content);
        const QString composition = part(parts, QStringLiteral("组成"));
        if (looksLikeIngredients(part(parts, QStringLiteral("主治"))))
            ++dosesInIndications;
        static const QRegularExpression reference(QStringLiteral("^\\(?方见|^\\(?见[^()]{1,10}[门类卷]"));
        if (part(parts, QStringLiteral("用法")).isEmpty() && reference.match(composition).hasMatch())
            ++stubsInLibrary;
        wrapSplitHerbs += wrapSplits(composition, words);
        for (const auto& [heading, text] : parts) {
            if (heading != QStringLiteral("出处") && colophon.match(text).hasMatch()) {
                ++colophonsInRecords;
                break;
            }
        }
        for (const QString& item : composition.split(kSpace, Qt::SkipEmptyParts)) {
            if (title.match(item).hasMatch()) {
                ++sectionTitlesInComposition;
                break;
            }
        }
        if (part(parts, QStringLiteral("用法")).isEmpty())
            ++withoutUsagePerBook[r.book];
    }
}

QJsonObject QualityReport::toJson() const {
    QJsonObject books;
    for (const auto& [book, n] : perBook)
        books.insert(book, n);
    QJsonObject outside;
    for (const auto& [character, n] : outside936)
        outside.insert(character, double(n));
    QJsonObject o;
    o.insert(QStringLiteral("formulas"), formulas);
    o.insert(QStringLiteral("herbs"), herbs);
    o.insert(QStringLiteral("formulasPerBook"), books);
    o.insert(QStringLiteral("withIndications"), withIndications);
    o.insert(QStringLiteral("parsedFormulas"), parsedFormulas);
    o.insert(QStringLiteral("duplicatesRemoved"), duplicatesRemoved);
    o.insert(QStringLiteral("herbEntriesParsed"), herbsParsed);
    o.insert(QStringLiteral("textbookListed"), textbookListed);
    o.insert(QStringLiteral("textbookFound"), int(textbookFound.size()));
    o.insert(QStringLiteral("textbookRecords"), textbookRecords); // aliases can mark one record for two names
    o.insert(QStringLiteral("textbookNames"), QJsonArray::fromStringList(textbookFound));
    QJsonObject unmarked;
    for (const auto& [name, reason] : textbookUnmarked)
        unmarked.insert(name, reason);
    o.insert(QStringLiteral("textbookUnmarked"), unmarked);
    o.insert(QStringLiteral("catalogueTitles"), catalogueTitles);
    o.insert(QStringLiteral("variantsMapped"), double(variantsMapped));
    o.insert(QStringLiteral("storedOutside936"), double(storedOutside936));
    o.insert(QStringLiteral("outside936"), outside);
    o.insert(QStringLiteral("boxesInNames"), double(boxesInNames));
    o.insert(QStringLiteral("boxesInContent"), double(boxesInContent));
    o.insert(QStringLiteral("residualVariants"), double(residualVariants));
    QJsonObject forms;
    for (const auto& [character, n] : residualForms)
        forms.insert(character, double(n));
    o.insert(QStringLiteral("residualVariantForms"), forms);
    QJsonObject faults;
    faults.insert(QStringLiteral("stubRecordsDropped"), parse.stubs);
    faults.insert(QStringLiteral("stubRecords"), stubsInLibrary);
    QJsonObject stubs;
    for (const auto& [book, n] : stubsPerBook)
        stubs.insert(book, n);
    faults.insert(QStringLiteral("stubRecordsPerBook"), stubs);
    faults.insert(QStringLiteral("colophonsMet"), parse.colophons);
    faults.insert(QStringLiteral("sectionTitlesMet"), parse.sectionTitles);
    faults.insert(QStringLiteral("dosesInIndications"), dosesInIndications);
    faults.insert(QStringLiteral("wrapSplitHerbNames"), wrapSplitHerbs);
    faults.insert(QStringLiteral("namedFromBookTitles"), namedFromBookTitles);
    faults.insert(QStringLiteral("namedMistakenBooks"), namedMistakenBooks);
    faults.insert(QStringLiteral("nonDrugVolumes"), nonDrugVolumes);
    faults.insert(QStringLiteral("nonDrugRecordsDropped"), nonDrugRecordsDropped);
    faults.insert(QStringLiteral("labelsDropped"), labelsDropped);
    faults.insert(QStringLiteral("colophonsInRecords"), colophonsInRecords);
    faults.insert(QStringLiteral("sectionTitlesInComposition"), sectionTitlesInComposition);
    QJsonObject withoutUsage;
    for (const auto& [book, n] : withoutUsagePerBook)
        withoutUsage.insert(book, n);
    faults.insert(QStringLiteral("withoutUsagePerBook"), withoutUsage);
    o.insert(QStringLiteral("parseFaults"), faults);
    return o;
}

QString QualityReport::text() const {
    QString out;
    auto line = [&](const QString& s) { out += s + QLatin1Char('\n'); };
    line(QStringLiteral("library quality report"));
    line(QStringLiteral("  中药经方 records: %1 (parsed %2, duplicates removed %3)")
             .arg(formulas)
             .arg(parsedFormulas)
             .arg(duplicatesRemoved));
    line(QStringLiteral("  中药功效 entries: %1 (of %2 parsed)").arg(herbs).arg(herbsParsed));
    line(QStringLiteral("  with non-empty 主治: %1 (%2 %)")
             .arg(withIndications)
             .arg(formulas ? 100.0 * withIndications / formulas : 0.0, 0, 'f', 1));
    line(QStringLiteral("  textbook set: %1 of %2 listed names found")
             .arg(textbookFound.size())
             .arg(textbookListed));
    for (const auto& [name, reason] : textbookUnmarked)
        line(QStringLiteral("    unmarked %1: %2").arg(name, reason));
    line(QStringLiteral("  source catalogue: %1 titles").arg(catalogueTitles));
    line(QStringLiteral("  characters:"));
    line(QStringLiteral("    □ in names and herb entries: %1").arg(boxesInNames));
    line(QStringLiteral("    □ in 内容 (glyphs the editions cannot print, missing-glyph marks included): %1")
             .arg(boxesInContent));
    QString left;
    for (const auto& [character, n] : residualForms)
        left += QStringLiteral(" %1×%2").arg(character).arg(n);
    line(QStringLiteral("    residual variant forms: %1 occurrences%2")
             .arg(residualVariants)
             .arg(residualForms.size() <= 40
                      ? (residualForms.empty() ? QString() : QStringLiteral(":") + left)
                      : QStringLiteral(" (%1 forms)").arg(residualForms.size())));
    line(QStringLiteral("    variant forms mapped: %1").arg(variantsMapped));
    line(QStringLiteral("    characters outside code page 936, stored in GB18030: %1 (%2 distinct)")
             .arg(storedOutside936)
             .arg(outside936.size()));
    line(QStringLiteral(
             "  parse faults: stub records %8 (dropped %1), doses in 主治 %2, wrap-split herb names %3,"
             " colophons in records %4, section titles in 组成 %5 (colophons met %6, titles met %7)")
             .arg(parse.stubs)
             .arg(dosesInIndications)
             .arg(wrapSplitHerbs)
             .arg(colophonsInRecords)
             .arg(sectionTitlesInComposition)
             .arg(parse.colophons)
             .arg(parse.sectionTitles)
             .arg(stubsInLibrary));
    line(
        QStringLiteral(
            "  set aside: %1 卷 of needling, moxibustion and charms (%2 records), %3 names with only a"
            " section's label under them; renamed: %4 under a book's title, %5 whose name was read as a book")
            .arg(nonDrugVolumes)
            .arg(nonDrugRecordsDropped)
            .arg(labelsDropped)
            .arg(namedFromBookTitles)
            .arg(namedMistakenBooks));
    line(QStringLiteral("  formulas per book (without 用法, stubs dropped):"));
    for (const auto& [book, n] : perBook) {
        const auto usage = withoutUsagePerBook.find(book);
        const auto stubs = stubsPerBook.find(book);
        line(QStringLiteral("    %1 %2 (%3, %4)")
                 .arg(book)
                 .arg(n)
                 .arg(usage == withoutUsagePerBook.end() ? 0 : usage->second)
                 .arg(stubs == stubsPerBook.end() ? 0 : stubs->second));
    }
    return out;
}

QString sampleText(const std::vector<LibraryRecord>& records, int n, unsigned seed, const QDir& data) {
    std::vector<size_t> formulas;
    for (size_t i = 0; i < records.size(); ++i) {
        if (!records[i].herb())
            formulas.push_back(i);
    }
    std::mt19937 generator(seed);
    std::shuffle(formulas.begin(), formulas.end(), generator);
    if (int(formulas.size()) > n)
        formulas.resize(size_t(n));
    QHash<QString, QStringList> files;
    QString out;
    int number = 0;
    for (size_t index : formulas) {
        const LibraryRecord& r = records[index];
        if (!files.contains(r.file)) {
            QFile file(data.filePath(QStringLiteral("kanripo/") + r.file));
            QStringList lines;
            if (file.open(QIODevice::ReadOnly))
                lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
            files.insert(r.file, lines);
        }
        const QStringList& lines = files[r.file];
        // The passage and the next heading line, so that where the record ends can be seen.
        const int last = std::min(int(lines.size()), std::max(r.passageLast, r.lastLine) + 1);
        out += QStringLiteral("## %1 %2\n").arg(++number, 3, 10, QLatin1Char('0')).arg(r.name);
        out += QStringLiteral("方名: %1\n出处: %2\n主治: %3\n").arg(r.name, r.source, r.indications);
        for (const auto& [heading, text] : contentParts(r.content))
            out += QStringLiteral("内容【%1】%2\n").arg(heading, text);
        out += QStringLiteral("--- source %1 lines %2-%3 (read %2-%4)\n")
                   .arg(r.file)
                   .arg(r.firstLine)
                   .arg(last)
                   .arg(r.lastLine);
        for (int l = r.firstLine; l <= last && l >= 1; ++l) {
            QString text = lines[l - 1];
            if (text.endsWith(QLatin1Char('\r')))
                text.chop(1);
            out += QStringLiteral("%1%2 %3\n")
                       .arg(l <= r.lastLine ? QLatin1Char(' ') : QLatin1Char('+'))
                       .arg(l, 5)
                       .arg(text);
        }
        out += QLatin1Char('\n');
    }
    return out;
}

} // namespace corvessa::importer
