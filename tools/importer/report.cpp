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
    }
    variantsMapped = normalize.variantsMapped();
    replacedOutside936 = normalize.replacedOutside936();
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
    o.insert(QStringLiteral("textbookNames"), QJsonArray::fromStringList(textbookFound));
    o.insert(QStringLiteral("catalogueTitles"), catalogueTitles);
    o.insert(QStringLiteral("variantsMapped"), double(variantsMapped));
    o.insert(QStringLiteral("replacedOutside936"), double(replacedOutside936));
    o.insert(QStringLiteral("outside936"), outside);
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
    line(QStringLiteral("  source catalogue: %1 titles").arg(catalogueTitles));
    line(QStringLiteral("  variant characters mapped: %1").arg(variantsMapped));
    QString lost;
    for (const auto& [character, n] : outside936)
        lost += QStringLiteral(" %1×%2").arg(character).arg(n);
    line(QStringLiteral("  characters outside code page 936 replaced by □: %1 (%2 distinct)%3")
             .arg(replacedOutside936)
             .arg(outside936.size())
             .arg(outside936.size() <= 60 ? QStringLiteral(":") + lost : QString()));
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
