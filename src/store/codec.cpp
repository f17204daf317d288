// SPDX-License-Identifier: GPL-3.0-or-later

#include "codec.h"

#include "codepage.h"
#include "linkdecoder.h"
#include "log.h"
#include "storeerror.h"

#include <array>

namespace corvessa::store {

namespace {

using Key = std::array<quint8, 10>;

// The key is never stored whole: it is derived from these constants each time it is needed.
Key contentKey() {
    static constexpr std::array<quint8, 10> seed{0x1F, 0xA3, 0x5C, 0x77, 0x02, 0xE9, 0x48, 0xB6, 0x3D, 0x90};
    Key key{};
    for (size_t i = 0; i < key.size(); ++i)
        key[i] = quint8(seed[i] ^ quint8(0x35 + 17 * i));
    return key;
}

QString contentAlphabet() {
    try {
        return decodeLinkList(QString::fromLatin1(links::kContentAlphabet));
    } catch (...) {
        return {};
    }
}

} // namespace

QString scramble(const QString& text) {
    if (text.isEmpty())
        return {};
    const Key key = contentKey();
    const QString alphabet = contentAlphabet();
    const QByteArray bytes = alphabet.size() == 62 ? toGb18030(text) : QByteArray();
    if (bytes.isEmpty()) {
        // Writing an empty text in place of the user's would lose it without a word: refuse the write.
        qCWarning(lcStore) << "content codec failed on a text of" << text.size() << "characters";
        throw StoreError(QStringLiteral("the content codec could not convert the text"));
    }
    QString out;
    out.reserve(bytes.size() * 2);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const int b = uchar(bytes[i]) ^ key[size_t(i % 10)];
        out += alphabet[b % 62];
        out += alphabet[b / 62];
    }
    return out;
}

QString unscramble(const QString& stored) {
    if (stored.isEmpty() || stored.size() % 2 != 0)
        return {};
    const Key key = contentKey();
    const QString alphabet = contentAlphabet();
    if (alphabet.size() != 62)
        return {};
    QByteArray bytes(stored.size() / 2, Qt::Uninitialized);
    for (qsizetype k = 0; k < bytes.size(); ++k) {
        // Positions count from 1 in the stored form's definition; an absent character counts as position 0.
        const qsizetype a = alphabet.indexOf(stored[2 * k]) + 1;
        const qsizetype b = alphabet.indexOf(stored[2 * k + 1]) + 1;
        const qsizetype value = (b - 1) * 62 + (a - 1);
        if (value < 0 || value > 255)
            return {};
        bytes[k] = char(quint8(value) ^ key[size_t(k % 10)]);
    }
    QString text = fromGb18030(bytes);
    if (text.isEmpty())
        qCWarning(lcStore) << "content codec could not read a stored text of" << stored.size() << "characters";
    return text;
}

} // namespace corvessa::store
