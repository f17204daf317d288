// SPDX-License-Identifier: GPL-3.0-or-later

#include "linkdecoder.h"

#include "codepage.h"
#include "storeerror.h"

#include <QStringList>

namespace corvessa::store {

namespace {

constexpr int kLinkKey = 0x6B;

QChar characterOf(int code) {
    QByteArray bytes;
    if (code >= 0 && code <= 255) {
        if (code < 0x80)
            return QChar(code);
        bytes.append(char(code));
    } else {
        const int word = code + 65536;
        bytes.append(char((word >> 8) & 0xFF));
        bytes.append(char(word & 0xFF));
    }
    const QString text = fromCodePage936(bytes);
    // One element is always one character; a code the code page does not define reads as "?".
    return text.size() == 1 ? text[0] : QLatin1Char('?');
}

} // namespace

QString decodeLinkList(const QString& list) {
    QString result;
    const QStringList elements = list.split(QLatin1Char(','));
    result.reserve(elements.size());
    for (const QString& element : elements) {
        bool ok = false;
        const int n = element.toInt(&ok, 10);
        if (!ok || element.contains(QLatin1Char('+')) || element.trimmed() != element)
            throw StoreError(QStringLiteral("内部数据有误：“%1”不是整数。").arg(element));
        result += characterOf(n ^ kLinkKey);
    }
    return result;
}

QString encodeLinkList(const QString& text) {
    QStringList out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype width = (text[i].isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
        const QByteArray bytes = toCodePage936(text.mid(i, width));
        i += width - 1;
        int code = '?';
        if (bytes.size() == 1)
            code = uchar(bytes[0]);
        else if (bytes.size() == 2)
            code = ((uchar(bytes[0]) << 8) | uchar(bytes[1])) - 65536;
        out << QString::number(code ^ kLinkKey);
    }
    return out.join(QLatin1Char(','));
}

} // namespace corvessa::store
