// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "library.h"

#include <QDir>
#include <QJsonObject>
#include <QSet>
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

    // Parse faults, over the whole library: what the parser set aside, and what still reads wrong.
    ParseStats parse;                    // stubs dropped, colophons and section titles met
    std::map<QString, int> stubsPerBook; // cross-reference stubs dropped, per book
    int stubsInLibrary = 0;              // records still made of a "方见…" reference
    int namedFromBookTitles = 0;   // "千金方　治…": named by their indication, the book their source
    int namedMistakenBooks = 0;    // "鯽魚方治…": the recipe's own name, once read as a cited book
    int nonDrugVolumes = 0;        // 卷 of needling, moxibustion and charms, left out
    int nonDrugRecordsDropped = 0; // the "方" those 卷 would have given
    int labelsDropped = 0;         // names with only a section's label or a complaint under them
    int dosesInIndications = 0;    // 主治 that holds ingredient lines with doses
    int wrapSplitHerbs = 0;        // "甘　草": a herb name cut by a line wrap
    int colophonsInRecords = 0;    // "…卷十二" closing a record's text
    int sectionTitlesInComposition = 0;         // 组成 holding a section or chapter title
    std::map<QString, int> withoutUsagePerBook; // records with no 【用法】, per book
    void collectParseFaults(const std::vector<LibraryRecord>& records);

    void collect(const std::vector<LibraryRecord>& records, const Normalizer& normalize);
    void collectCharacters(const std::vector<LibraryRecord>& records, const Normalizer& normalize);
    QJsonObject toJson() const;
    QString text() const;
};

// The parts of a formula's 内容: heading (组成, 用法, 主治, 出处) to text, in the record's order.
std::vector<std::pair<QString, QString>> contentParts(const QString& content);

// Herb names cut in two by a line wrap in one 组成: "甘　草" where `words` knows 甘草 but neither half.
int wrapSplits(const QString& composition, const QSet<QString>& words);

// `n` formula records drawn with a fixed seed, each printed field by field beside its whole source passage,
// from its heading line through the next heading line, with file name and line numbers, so that lines the
// importer dropped show too.
QString sampleText(const std::vector<LibraryRecord>& records, int n, unsigned seed, const QDir& data);

} // namespace corvessa::importer
