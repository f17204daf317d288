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
#include <QTextStream>
#include <cstdio>
#include <stdexcept>

using namespace corvessa::importer;

namespace {

struct Book {
    QString id, title, role;
};

std::vector<Book> readBooks(const QString& path) {
    std::vector<Book> books;
    for (const QStringList& parts : readTabSeparated(path)) {
        if (parts.size() >= 3)
            books.push_back({parts[0], parts[1], parts[2]});
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
        QStringList bookTitles;
        for (const Book& book : readBooks(data.filePath(QStringLiteral("books.tsv")))) {
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
                const SourceFile source = readMandoku(folder.filePath(name));
                const Origin origin{book.id, book.title, source.juan, name};
                if (book.role == QLatin1String("formulas")) {
                    for (const RawFormula& raw : parseFormulas(source))
                        records.push_back(makeFormulaRecord(raw, origin, normalize));
                } else if (book.role == QLatin1String("herbs")) {
                    for (const RawHerb& raw : parseHerbs(source))
                        herbs.push_back(makeHerbRecord(raw, origin, normalize));
                }
            }
        }
        report.parsedFormulas = int(records.size());
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
