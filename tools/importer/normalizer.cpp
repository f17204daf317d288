// SPDX-License-Identifier: GPL-3.0-or-later

#include "normalizer.h"

#include "store/codepage.h"

namespace corvessa::importer {

Normalizer::Normalizer() : m_shared(std::make_unique<store::TextNormalizer>()) {}

Normalizer::~Normalizer() = default;

const QHash<QString, QString>& Normalizer::variantTable() {
    return store::TextNormalizer::variantTable();
}

bool Normalizer::representable(char32_t codePoint) {
    if (codePoint < 0x80 || (codePoint >= 0x4E00 && codePoint <= 0x9FA5))
        return true;
    const auto found = m_known.constFind(codePoint);
    if (found != m_known.constEnd())
        return *found;
    const char32_t one[] = {codePoint};
    const bool ok = store::unrepresentableIn936(QString::fromUcs4(one, 1)).isEmpty();
    m_known.insert(codePoint, ok);
    return ok;
}

QString Normalizer::operator()(const QString& traditional) {
    if (traditional.isEmpty())
        return traditional;
    return counted(m_shared->normalize(traditional, &m_variantsMapped));
}

QString Normalizer::finish(const QString& text) {
    return counted(m_shared->variantsOnly(text, &m_variantsMapped));
}

QString Normalizer::counted(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t codePoint = text[i].unicode();
        qsizetype width = 1;
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            codePoint = QChar::surrogateToUcs4(text[i], text[i + 1]);
            width = 2;
        }
        if (!representable(codePoint)) {
            ++m_outsideTotal;
            ++m_outside[text.mid(i, width)];
        }
        i += width - 1;
    }
    return text;
}

} // namespace corvessa::importer
