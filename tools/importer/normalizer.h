// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "store/textnorm.h"

#include <QHash>
#include <QString>
#include <map>
#include <memory>

namespace corvessa::importer {

// Turns the editions' traditional characters into the simplified text the program stores, through the shared
// text normaliser (NFC, OpenCC's t2s conversion, the variant table). Every character is kept: the library
// stores names and herb entries as plain text and 内容 in GB18030, which holds any character. Counts what it
// did for the quality report.
class Normalizer {
public:
    Normalizer(); // throws std::runtime_error when OpenCC's t2s configuration cannot be opened
    ~Normalizer();
    Normalizer(const Normalizer&) = delete;
    Normalizer& operator=(const Normalizer&) = delete;

    QString operator()(const QString& traditional);

    // Only NFC and the variant table, without OpenCC (for texts that are simplified already).
    QString finish(const QString& text);

    long long variantsMapped() const { return m_variantsMapped; }
    // Characters outside code page 936 in the normalised text, with their counts (kept, for information).
    long long storedOutside936() const { return m_outsideTotal; }
    const std::map<QString, long long>& outside936() const { return m_outside; }

    static const QHash<QString, QString>& variantTable();

private:
    QString counted(const QString& text);
    bool representable(char32_t codePoint);

    std::unique_ptr<store::TextNormalizer> m_shared;
    QHash<char32_t, bool> m_known;
    long long m_variantsMapped = 0;
    long long m_outsideTotal = 0;
    std::map<QString, long long> m_outside;
};

} // namespace corvessa::importer
