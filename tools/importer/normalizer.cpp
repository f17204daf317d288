#include "normalizer.h"

#include "store/codepage.h"

namespace corvessa::importer {

Normalizer::Normalizer() : m_shared(std::make_unique<store::TextNormalizer>()) {}

Normalizer::~Normalizer() = default;

const QHash<QString, QString>& Normalizer::variantTable() { return store::TextNormalizer::variantTable(); }

bool Normalizer::representable(char32_t codePoint) {
    const auto found = m_known.constFind(codePoint);
    if (found != m_known.constEnd())
        return *found;
    const char32_t one[] = {codePoint};
    const QString character = QString::fromUcs4(one, 1);
    const bool ok = store::unrepresentableIn936(character).isEmpty();
    m_known.insert(codePoint, ok);
    return ok;
}

QString Normalizer::operator()(const QString& traditional) {
    if (traditional.isEmpty())
        return traditional;
    // The shared routine maps the variants too; finish() then only counts and checks the code page.
    return finish((*m_shared)(traditional));
}

QString Normalizer::finish(const QString& text) {
    const QHash<QString, QString>& variants = variantTable();
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t codePoint = text[i].unicode();
        qsizetype width = 1;
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            codePoint = QChar::surrogateToUcs4(text[i], text[i + 1]);
            width = 2;
        }
        const auto variant = variants.constFind(text.mid(i, width));
        if (variant != variants.constEnd()) {
            out += *variant;
            ++m_variantsMapped;
            i += width - 1;
            continue;
        }
        if (!representable(codePoint)) {
            ++m_replaced;
            ++m_outside[text.mid(i, width)];
            out += QChar(0x25A1);
        } else {
            out += text.mid(i, width);
        }
        i += width - 1;
    }
    return out;
}

} // namespace corvessa::importer
