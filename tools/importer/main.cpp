// SPDX-License-Identifier: GPL-3.0-or-later

// Build-time tool: turns the classical texts in data/ into the library's JSON-lines input, the source
// catalogue and a quality report.
//   corvessa-importer <data folder> <out.jsonl> <catalogue.txt> <report.json> [--sample <n> <seed> <file>]
#include "library.h"
#include "report.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QSet>
#include <QTextStream>
#include <cstdio>
#include <optional>
#include <stdexcept>

using namespace corvessa::importer;

namespace {

struct Book {
    QString id, title, role;
    Layout layout; // the edition's layout where the parser cannot find it by itself
};

std::vector<Book> readBooks(const QString& path) {
    std::vector<Book> books;
    for (const QStringList& parts : readTabSeparated(path)) {
        if (parts.size() >= 3)
            books.push_back({parts[0], parts[1], parts[2], Layout::parse(parts.value(3))});
    }
    return books;
}

void writeText(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 5 && args.size() != 9) {
        std::fprintf(stderr,
                     "usage: corvessa-importer <data folder> <out.jsonl> <catalogue.txt> <report.json>"
                     " [--sample <n> <seed> <file>]\n");
        return 2;
    }
    try {
        QElapsedTimer timer;
        timer.start();
        const QDir data(args[1]);
        Normalizer normalize;
        QualityReport report;
        std::vector<LibraryRecord> records;
        std::vector<LibraryRecord> herbs;
        QStringList bookOrder, bookTitles;
        struct ParsedFile {
            Origin origin;
            const Book* book;
            std::vector<RawFormula> formulas;
            ParseStats stats;
            std::optional<SourceFile> source; // kept where a run-on title needs the known names
        };
        std::vector<ParsedFile> parsed;
        QSet<QString> knownNames;
        const std::vector<Book> books = readBooks(data.filePath(QStringLiteral("books.tsv")));
        const GlyphTable glyphs = readGlyphTable(data.filePath(QStringLiteral("kr-glyphs.tsv")));
        // The herb words come from every book's ingredient lines before any book is parsed: a name cut by
        // the end of a line is told by words the other books print whole.
        HerbWords herbWords;
        for (const Book& book : books) {
            if (book.role != QLatin1String("formulas"))
                continue;
            const QDir folder(data.filePath(QStringLiteral("kanripo/") + book.id));
            for (const QString& name :
                 folder.entryList({book.id + QStringLiteral("_*.txt")}, QDir::Files, QDir::Name))
                herbWords.count(readMandoku(folder.filePath(name), glyphs));
        }
        const QSet<QString> words = herbWords.frequent();
        for (const Book& book : books) {
            const QString title = normalize(book.title);
            bookTitles << title;
            if (book.role == QLatin1String("-"))
                continue;
            const QDir folder(data.filePath(QStringLiteral("kanripo/") + book.id));
            const QStringList files =
                folder.entryList({book.id + QStringLiteral("_*.txt")}, QDir::Files, QDir::Name);
            if (files.isEmpty())
                throw std::runtime_error("no source files for " + book.id.toStdString());
            for (const QString& name : files) {
                SourceFile source = readMandoku(folder.filePath(name), glyphs);
                markCutWords(source, words);
                const Origin origin{book.id, book.title, source.juan, name};
                if (book.role == QLatin1String("formulas") && isNonDrugVolume(source)) {
                    ++report.nonDrugVolumes;
                    report.nonDrugRecordsDropped += int(parseFormulas(source, book.layout).size());
                } else if (book.role == QLatin1String("formulas")) {
                    ParsedFile file{origin, &book, {}, {}, std::nullopt};
                    file.formulas = parseFormulas(source, book.layout, &file.stats);
                    for (const RawFormula& raw : file.formulas) {
                        if (!raw.derived && !raw.runOn && !raw.toldInText &&
                            !raw.name.startsWith(QStringLiteral("治")) &&
                            !raw.name.startsWith(QStringLiteral("療")))
                            knownNames.insert(raw.name);
                    }
                    if (file.stats.wantsNames)
                        file.source = std::move(source);
                    parsed.push_back(std::move(file));
                } else if (book.role == QLatin1String("herbs")) {
                    for (const RawHerb& raw : parseHerbs(source))
                        herbs.push_back(makeHerbRecord(raw, origin, normalize));
                }
            }
        }
        // Titles run on from text are read again, now that every name printed on its own is known.
        ParseStats parseStats;
        QHash<QString, int> citations;
        for (ParsedFile& file : parsed) {
            if (file.source) {
                Layout layout = file.book->layout;
                layout.knownNames = &knownNames;
                file.stats = {};
                file.formulas = parseFormulas(*file.source, layout, &file.stats);
            }
            for (const RawFormula& raw : file.formulas)
                ++citations[raw.cited];
        }
        // A book cited as a source a few times over is a book where it stands as a recipe's name too.
        QSet<QString> citedBooks;
        for (auto it = citations.constBegin(); it != citations.constEnd(); ++it) {
            if (it.value() >= 3 && it.key().endsWith(QStringLiteral("方")))
                citedBooks.insert(it.key());
        }
        for (ParsedFile& file : parsed) {
            report.namedFromBookTitles += nameRecipesUnderBookTitles(file.formulas, citedBooks);
            report.namedMistakenBooks += nameRecipesMistakenForBooks(file.formulas, citations, words);
            report.labelsDropped += int(std::erase_if(
                file.formulas, [&words](const RawFormula& raw) { return namesNoRecipe(raw, words); }));
            for (const RawFormula& raw : file.formulas)
                records.push_back(makeFormulaRecord(raw, file.origin, normalize));
            parseStats.stubs += file.stats.stubs;
            parseStats.colophons += file.stats.colophons;
            parseStats.sectionTitles += file.stats.sectionTitles;
            report.stubsPerBook[normalize(file.book->title)] += file.stats.stubs;
        }
        report.parsedFormulas = int(records.size());
        report.parse = parseStats;
        report.duplicatesRemoved = removeDuplicates(records);
        report.herbsParsed = int(herbs.size());
        selectHerbs(herbs, ingredientUse(records), kHerbEntries);
        records.insert(records.end(), herbs.begin(), herbs.end());

        const auto textbook = readTextbookList(data.filePath(QStringLiteral("textbook.tsv")));
        report.textbookListed = int(textbook.size());
        const TextbookMarking marking = markTextbook(
            records, textbook, readTextbookBooks(data.filePath(QStringLiteral("textbook-books.tsv"))));
        report.textbookFound = marking.found;
        report.textbookUnmarked = marking.unmarked;
        const QStringList catalogue = sourceCatalogue(records, bookTitles);
        report.catalogueTitles = int(catalogue.size());
        report.collect(records, normalize);

        QByteArray jsonl;
        for (const LibraryRecord& r : records) {
            jsonl += QJsonDocument(r.toJson()).toJson(QJsonDocument::Compact);
            jsonl += '\n';
        }
        writeText(args[2], jsonl);
        writeText(args[3], catalogue.join(QLatin1Char('\n')).toUtf8() + '\n');
        writeText(args[4], QJsonDocument(report.toJson()).toJson());
        if (args.size() == 9 && args[5] == QLatin1String("--sample"))
            writeText(args[8], sampleText(records, args[6].toInt(), args[7].toUInt(), data).toUtf8());
        std::fputs(qPrintable(report.text()), stdout);
        std::printf("importer: %lld ms\n", static_cast<long long>(timer.elapsed()));
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "corvessa-importer: %s\n", error.what());
        return 1;
    }
}
