#include "report.h"

#include <QFile>
#include <QHash>
#include <QJsonArray>
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
    variantsMapped = normalize.variantsMapped();
    storedOutside936 = normalize.storedOutside936();
    outside936 = normalize.outside936();
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
    line(QStringLiteral("  formulas per book:"));
    for (const auto& [book, n] : perBook)
        line(QStringLiteral("    %1 %2").arg(book).arg(n));
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
        out += QStringLiteral("## %1 %2 | %3 lines %4-%5\n")
                   .arg(++number, 3, 10, QLatin1Char('0'))
                   .arg(r.name, r.provenance)
                   .arg(r.firstLine)
                   .arg(r.lastLine);
        out += QStringLiteral("出处: %1\n主治: %2\n内容: %3\n--- source\n")
                   .arg(r.source, r.indications, r.content);
        for (int l = r.firstLine; l <= r.lastLine && l <= lines.size(); ++l)
            out += lines[l - 1] + QLatin1Char('\n');
        out += QLatin1Char('\n');
    }
    return out;
}

} // namespace corvessa::importer
