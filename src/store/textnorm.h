// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <memory>

namespace corvessa::store {

// The one normalisation shared by the library build and every search input, so that what a user types meets
// the library in the same form: Unicode NFC, then OpenCC's traditional-to-simplified conversion, then the
// variant forms of the old editions (隂, 毎, 茋, …) mapped to the characters a reader types. Where the
// conversion would turn a code page 936 character into one outside it (喎 → 㖞), the source character is
// kept, since it is the one a reader can type and most fonts draw. The result may hold any Unicode character;
// nothing is replaced.
class TextNormalizer {
public:
    TextNormalizer(); // throws std::runtime_error when OpenCC's t2s configuration cannot be opened
    ~TextNormalizer();
    TextNormalizer(const TextNormalizer&) = delete;
    TextNormalizer& operator=(const TextNormalizer&) = delete;

    // NFC, traditional-to-simplified and the variant table.
    QString operator()(const QString& text) const;

    // The same, adding to *variantsMapped (when given) the number of variant forms it replaced.
    QString normalize(const QString& text, long long* variantsMapped) const;

    // NFC and the variant table only, for texts that are simplified already.
    QString variantsOnly(const QString& text, long long* variantsMapped = nullptr) const;

    // Variant form -> standard form, one character (as a string, for characters beyond the BMP) each. Built
    // into the program from Unihan, OpenCC's tables and a hand-checked list.
    static const QHash<QString, QString>& variantTable();
    // Variant forms that have no single standard reading and are left as they are.
    static const QSet<QString>& unmappedVariants();

private:
    struct OpenCC;
    std::unique_ptr<OpenCC> m_opencc;
};

} // namespace corvessa::store
