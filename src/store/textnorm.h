#pragma once

#include <QHash>
#include <QString>
#include <memory>

namespace corvessa::store {

// The one normalisation shared by the library build and every search input, so that what a user types meets
// the library in the same form: Unicode NFC, then OpenCC's traditional-to-simplified conversion, then the
// variant forms of the old editions (隂, 煑, 眞, …) mapped to the characters a reader types. The result may
// hold any Unicode character; nothing is replaced.
class TextNormalizer {
public:
    TextNormalizer(); // throws std::runtime_error when OpenCC's t2s configuration cannot be opened
    ~TextNormalizer();
    TextNormalizer(const TextNormalizer&) = delete;
    TextNormalizer& operator=(const TextNormalizer&) = delete;

    // NFC, traditional-to-simplified and the variant table.
    QString operator()(const QString& text) const;

    // NFC and the variant table only, for texts that are simplified already.
    QString variantsOnly(const QString& text) const;

    // Variant form -> standard form, one character (as a string, for characters beyond the BMP) each.
    static const QHash<QString, QString>& variantTable();

private:
    struct OpenCC;
    std::unique_ptr<OpenCC> m_opencc;
};

} // namespace corvessa::store
