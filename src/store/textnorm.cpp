// SPDX-License-Identifier: GPL-3.0-or-later

#include "textnorm.h"

#include "codepage.h"

#include <QStringList>
#include <opencc/opencc.h>
#include <stdexcept>

namespace corvessa::store {

struct TextNormalizer::OpenCC {
    opencc_t handle = reinterpret_cast<opencc_t>(-1);
    ~OpenCC() {
        if (handle != reinterpret_cast<opencc_t>(-1))
            opencc_close(handle);
    }
};

TextNormalizer::TextNormalizer() : m_opencc(std::make_unique<OpenCC>()) {
    m_opencc->handle = opencc_open("t2s.json");
    if (m_opencc->handle == reinterpret_cast<opencc_t>(-1))
        throw std::runtime_error(std::string("cannot open OpenCC t2s: ") + opencc_error());
}

TextNormalizer::~TextNormalizer() = default;

namespace {

#include "variants.inc"

bool inCodePage936(const QString& character) {
    // The unified ideographs up to U+9FA5 are all in the code page; look up the rest once per thread.
    if (character.size() == 1 && character[0].unicode() >= 0x4E00 && character[0].unicode() <= 0x9FA5)
        return true;
    thread_local QHash<QString, bool> known;
    const auto found = known.constFind(character);
    if (found != known.constEnd())
        return *found;
    const bool in = unrepresentableIn936(character).isEmpty();
    known.insert(character, in);
    return in;
}

// The characters of a text, one string each (a surrogate pair is one character).
QStringList characters(const QString& text) {
    QStringList out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype width =
            text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2 : 1;
        out << text.mid(i, width);
        i += width - 1;
    }
    return out;
}

} // namespace

const QHash<QString, QString>& TextNormalizer::variantTable() {
    static const QHash<QString, QString> table = [] {
        QHash<QString, QString> t;
        for (const auto& pair : kVariantPairs)
            t.insert(QString::fromUtf16(pair[0]), QString::fromUtf16(pair[1]));
        return t;
    }();
    return table;
}

const QSet<QString>& TextNormalizer::unmappedVariants() {
    static const QSet<QString> forms = [] {
        QSet<QString> s;
        for (const char16_t* form : kUnmappedVariants)
            s.insert(QString::fromUtf16(form));
        return s;
    }();
    return forms;
}

QString TextNormalizer::operator()(const QString& text) const {
    return normalize(text, nullptr);
}

QString TextNormalizer::normalize(const QString& text, long long* variantsMapped) const {
    if (text.isEmpty())
        return text;
    const QByteArray utf8 = text.normalized(QString::NormalizationForm_C).toUtf8();
    char* converted = opencc_convert_utf8(m_opencc->handle, utf8.constData(), size_t(utf8.size()));
    if (!converted)
        throw std::runtime_error(std::string("OpenCC conversion failed: ") + opencc_error());
    const QString simplified = QString::fromUtf8(converted).normalized(QString::NormalizationForm_C);
    opencc_convert_utf8_free(converted);
    // The conversion maps character for character; keep a source character of code page 936 whose converted
    // form lies outside it.
    const QStringList before = characters(QString::fromUtf8(utf8));
    QStringList after = characters(simplified);
    if (before.size() == after.size()) {
        static const QString cover = QStringLiteral("覆");
        static const QString turnedOver = QStringLiteral("反");
        for (qsizetype i = 0; i < after.size(); ++i) {
            if (after[i] != before[i] && !inCodePage936(after[i]) && inCodePage936(before[i]))
                after[i] = before[i];
            // 覆 is "to cover" or "overturned" (覆上, 温覆, 如覆杯) and stays 覆; only in 反覆, "again and
            // again", is it 复.
            if (before[i] == cover && (i == 0 || before[i - 1] != turnedOver))
                after[i] = cover;
        }
        return variantsOnly(after.join(QString()), variantsMapped);
    }
    return variantsOnly(simplified, variantsMapped);
}

QString TextNormalizer::variantsOnly(const QString& input, long long* variantsMapped) const {
    const QString text = input.normalized(QString::NormalizationForm_C);
    const QHash<QString, QString>& variants = variantTable();
    QString out;
    out.reserve(text.size());
    for (const QString& one : characters(text)) {
        const auto variant = variants.constFind(one);
        if (variant == variants.constEnd()) {
            out += one;
        } else {
            out += *variant;
            if (variantsMapped)
                ++*variantsMapped;
        }
    }
    // 耆 alone also means old age, so it is no variant of 芪; in 黄耆 it is the herb's older writing, and a
    // reader who types either must find both.
    static const QString olderAstragalus = QStringLiteral("黄耆");
    if (out.contains(olderAstragalus)) {
        if (variantsMapped)
            *variantsMapped += out.count(olderAstragalus);
        out.replace(olderAstragalus, QStringLiteral("黄芪"));
    }
    return out;
}

} // namespace corvessa::store
