// SPDX-License-Identifier: GPL-3.0-or-later

#include "codepage.h"

#include <QHash>
#include <algorithm>
#include <memory>
#include <unicode/ucnv.h>

namespace corvessa::store {

namespace {

struct ConverterCloser {
    void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

Converter openConverter(const char* name = "windows-936") {
    UErrorCode status = U_ZERO_ERROR;
    Converter converter(ucnv_open(name, &status));
    if (U_FAILURE(status))
        return {};
    ucnv_setSubstChars(converter.get(), "?", 1, &status);
    return converter;
}

QByteArray fromUnicode(Converter converter, const QString& text) {
    if (text.isEmpty() || !converter)
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

QString toUnicode(Converter converter, const QByteArray& bytes) {
    if (bytes.isEmpty() || !converter)
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

} // namespace

QByteArray toCodePage936(const QString& text) {
    return fromUnicode(openConverter(), text);
}

QString fromCodePage936(const QByteArray& bytes) {
    return toUnicode(openConverter(), bytes);
}

namespace {

// A text or one byte sequence through a converter that reports failure instead of substituting.
QByteArray encodeStrict(UConverter* converter, const QString& text) {
    QByteArray buffer(4 * text.size() + 8, Qt::Uninitialized);
    UErrorCode status = U_ZERO_ERROR;
    ucnv_reset(converter);
    ucnv_setFromUCallBack(converter, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    const int32_t length =
        ucnv_fromUChars(converter, buffer.data(), int32_t(buffer.size()),
                        reinterpret_cast<const UChar*>(text.utf16()), int32_t(text.size()), &status);
    if (U_FAILURE(status))
        return {};
    buffer.truncate(length);
    return buffer;
}

QString decodeStrict(UConverter* converter, const QByteArray& bytes) {
    QString buffer(bytes.size() * 2 + 2, Qt::Uninitialized);
    UErrorCode status = U_ZERO_ERROR;
    ucnv_reset(converter);
    ucnv_setToUCallBack(converter, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    const int32_t length =
        ucnv_toUChars(converter, reinterpret_cast<UChar*>(buffer.data()), int32_t(buffer.size()),
                      bytes.constData(), int32_t(bytes.size()), &status);
    if (U_FAILURE(status) || length == 0)
        return {};
    buffer.truncate(length);
    return buffer;
}

// The converters of the codec's hot path, opened once per thread (a converter is not thread-safe); null when
// ICU cannot open one.
UConverter* threadCp936() {
    thread_local const Converter converter = openConverter();
    return converter.get();
}

UConverter* threadGb18030() {
    thread_local const Converter converter = openConverter("gb18030");
    return converter.get();
}

bool hasPrivateUse(const QString& text) {
    return std::any_of(text.begin(), text.end(),
                       [](QChar c) { return c.unicode() >= 0xE000 && c.unicode() <= 0xF8FF; });
}

// The whole text through code page 936 at once, the usual case; empty when some character needs GB18030.
QByteArray wholeIn936(const QString& text) {
    UConverter* const cp936 = threadCp936();
    if (!cp936 || hasPrivateUse(text))
        return {};
    const QByteArray bytes = encodeStrict(cp936, text);
    return !bytes.isEmpty() && decodeStrict(cp936, bytes) == text ? bytes : QByteArray();
}

// Code page 936 gives some rare characters (䓖 among them) private-use code points where GB18030 names the
// real character for the same two bytes; those bytes read as the real character, and a private-use character
// itself is written in GB18030's own bytes.
bool isPrivateUse(const QString& character) {
    return character.size() == 1 && character[0].unicode() >= 0xE000 && character[0].unicode() <= 0xF8FF;
}

// The bytes of one character: its code page 936 bytes when that code page holds it both ways (so every
// stored form written before reads back the same), else its GB18030 bytes. Looked up once per thread.
QByteArray characterBytes(const QString& character) {
    thread_local QHash<QString, QByteArray> known;
    const auto found = known.constFind(character);
    if (found != known.constEnd())
        return *found;
    UConverter* const cp936 = threadCp936();
    UConverter* const gb18030 = threadGb18030();
    if (!cp936 || !gb18030)
        return {};
    QByteArray bytes = encodeStrict(cp936, character);
    if (bytes.isEmpty() || decodeStrict(cp936, bytes) != character || isPrivateUse(character))
        bytes = encodeStrict(gb18030, character);
    known.insert(character, bytes);
    return bytes;
}

// The character of one byte sequence (1, 2 or 4 bytes), read the same way round.
QString sequenceText(const QByteArray& sequence) {
    thread_local QHash<QByteArray, QString> known;
    const auto found = known.constFind(sequence);
    if (found != known.constEnd())
        return *found;
    UConverter* const cp936 = threadCp936();
    UConverter* const gb18030 = threadGb18030();
    if (!cp936 || !gb18030)
        return {};
    QString text = sequence.size() <= 2 ? decodeStrict(cp936, sequence) : QString();
    if (text.isEmpty() || isPrivateUse(text))
        text = decodeStrict(gb18030, sequence);
    known.insert(sequence, text);
    return text;
}

} // namespace

QByteArray toGb18030(const QString& text) {
    if (const QByteArray bytes = wholeIn936(text); !bytes.isEmpty())
        return bytes;
    QByteArray out;
    out.reserve(text.size() * 2);
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].unicode() < 0x80) {
            out += char(text[i].unicode());
            continue;
        }
        const qsizetype width =
            text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2 : 1;
        const QByteArray bytes = characterBytes(text.mid(i, width));
        if (bytes.isEmpty())
            return {};
        out += bytes;
        i += width - 1;
    }
    return out;
}

QString fromGb18030(const QByteArray& bytes) {
    {
        UConverter* const cp936 = threadCp936();
        const QString text = cp936 ? decodeStrict(cp936, bytes) : QString();
        if (!text.isEmpty() && !hasPrivateUse(text))
            return text;
    }
    QString out;
    out.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size();) {
        const uchar lead = uchar(bytes[i]);
        if (lead < 0x80) {
            out += QChar(lead);
            ++i;
            continue;
        }
        qsizetype length = 1; // the single bytes 0x80 (€) and 0xFF of code page 936
        if (lead >= 0x81 && lead <= 0xFE) {
            const bool four =
                i + 1 < bytes.size() && uchar(bytes[i + 1]) >= 0x30 && uchar(bytes[i + 1]) <= 0x39;
            length = four ? 4 : 2;
        }
        if (i + length > bytes.size())
            return {};
        const QString text = sequenceText(bytes.mid(i, length));
        if (text.isEmpty())
            return {};
        out += text;
        i += length;
    }
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
