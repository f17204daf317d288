#pragma once

#include "library.h"

#include <QDir>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <map>
#include <vector>

namespace corvessa::importer {

// As many herb entries as the library has always carried.
inline constexpr int kHerbEntries = 464;

// Keeps the `count` herb entries whose names the prescriptions use most (one entry per name), in book order.
void selectHerbs(std::vector<LibraryRecord>& herbs, const std::map<QString, int>& use, int count);

// What the build prints about the library it made, and what the library test checks.
struct QualityReport {
    int parsedFormulas = 0;
    int duplicatesRemoved = 0;
    int herbsParsed = 0;
    int textbookListed = 0;
    QStringList textbookFound;
    std::vector<std::pair<QString, QString>> textbookUnmarked; // name, reason
    int catalogueTitles = 0;

    int formulas = 0, herbs = 0, withIndications = 0, textbookRecords = 0;
    std::map<QString, int> perBook; // formulas per source book
    // Characters: □ (a glyph the edition cannot print, or a missing-glyph mark) in names and herb entries and
    // in 内容, variant forms left in the text, and characters outside code page 936 that are now stored.
    long long variantsMapped = 0, storedOutside936 = 0;
    std::map<QString, long long> outside936;
    long long boxesInNames = 0, boxesInContent = 0, residualVariants = 0;
    std::map<QString, long long> residualForms;

    void collect(const std::vector<LibraryRecord>& records, const Normalizer& normalize);
    void collectCharacters(const std::vector<LibraryRecord>& records, const Normalizer& normalize);
    QJsonObject toJson() const;
    QString text() const;
};

// `n` formula records drawn with a fixed seed, each followed by the source lines it was read from, for
// checking a sample by hand.
QString sampleText(const std::vector<LibraryRecord>& records, int n, unsigned seed, const QDir& data);

} // namespace corvessa::importer
