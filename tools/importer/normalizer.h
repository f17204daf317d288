#pragma once

#include "store/textnorm.h"

#include <QHash>
#include <QString>
#include <map>
#include <memory>

namespace corvessa::importer {

// Turns the editions' traditional characters into the simplified text the program stores: OpenCC's t2s
// conversion, then the variant forms these editions use (隂, 煑, 眞, …) mapped to their standard characters,
// and finally every character that code page 936 cannot hold replaced by "□", so that the scrambled form of a
// record never loses a character. Counts what it did for the quality report.
class Normalizer {
public:
    Normalizer(); // throws std::runtime_error when OpenCC's t2s configuration cannot be opened
    ~Normalizer();
    Normalizer(const Normalizer&) = delete;
    Normalizer& operator=(const Normalizer&) = delete;

    QString operator()(const QString& traditional);

    // Only the variant table and the code page check, without OpenCC (for texts that are simplified already).
    QString finish(const QString& text);

    long long variantsMapped() const { return m_variantsMapped; }
    long long replacedOutside936() const { return m_replaced; }
    // Characters replaced because code page 936 lacks them, with their counts.
    const std::map<QString, long long>& outside936() const { return m_outside; }

    static const QHash<QString, QString>& variantTable();

private:
    bool representable(char32_t codePoint);

    std::unique_ptr<store::TextNormalizer> m_shared;
    QHash<char32_t, bool> m_known;
    long long m_variantsMapped = 0;
    long long m_replaced = 0;
    std::map<QString, long long> m_outside;
};

} // namespace corvessa::importer
