#include "codepage.h"

#include <memory>
#include <unicode/ucnv.h>

namespace corvessa::store {

namespace {

struct ConverterCloser {
    void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

Converter openConverter() {
    UErrorCode status = U_ZERO_ERROR;
    Converter converter(ucnv_open("windows-936", &status));
    if (U_FAILURE(status))
        return {};
    ucnv_setSubstChars(converter.get(), "?", 1, &status);
    return converter;
}

} // namespace

QByteArray toCodePage936(const QString& text) {
    if (text.isEmpty())
        return {};
    Converter converter = openConverter();
    if (!converter)
        return {};
    QByteArray out(ucnv_getMaxCharSize(converter.get()) * text.size() + 8, Qt::Uninitialized);
    UErrorCode status = U_ZERO_ERROR;
    const int32_t length =
        ucnv_fromUChars(converter.get(), out.data(), int32_t(out.size()),
                        reinterpret_cast<const UChar*>(text.utf16()), int32_t(text.size()), &status);
    if (U_FAILURE(status))
        return {};
    out.truncate(length);
    return out;
}

QString fromCodePage936(const QByteArray& bytes) {
    if (bytes.isEmpty())
        return {};
    Converter converter = openConverter();
    if (!converter)
        return {};
    QString out(bytes.size() * 2 + 2, Qt::Uninitialized);
    UErrorCode status = U_ZERO_ERROR;
    const int32_t length =
        ucnv_toUChars(converter.get(), reinterpret_cast<UChar*>(out.data()), int32_t(out.size()),
                      bytes.constData(), int32_t(bytes.size()), &status);
    if (U_FAILURE(status))
        return {};
    out.truncate(length);
    return out;
}

QString unrepresentableIn936(const QString& text) {
    QString lost;
    Converter converter = openConverter();
    if (!converter)
        return text;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype width = (text[i].isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
        const QString character = text.mid(i, width);
        i += width - 1;
        if (character == QLatin1String("?") || lost.contains(character))
            continue;
        char buffer[16];
        UErrorCode status = U_ZERO_ERROR;
        ucnv_reset(converter.get());
        const int32_t length = ucnv_fromUChars(converter.get(), buffer, sizeof buffer,
                                               reinterpret_cast<const UChar*>(character.utf16()),
                                               int32_t(character.size()), &status);
        if (U_FAILURE(status) || (length == 1 && buffer[0] == '?'))
            lost += character;
    }
    return lost;
}

} // namespace corvessa::store
