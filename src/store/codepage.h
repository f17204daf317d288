// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QString>

namespace corvessa::store {

// Code page 936 (GBK), the byte form of the content codec and the link decoder. A character the code page
// cannot represent becomes "?".
QByteArray toCodePage936(const QString& text);
QString fromCodePage936(const QByteArray& bytes);

// The byte form of the content codec: code page 936 for every character that code page holds both ways (so
// stored forms written in it read back unchanged, € as its single byte 0x80 included), GB18030 for every
// other character, so no text is lost. The two never collide: GB18030's four-byte sequences have a digit as
// second byte, which no code page 936 sequence has, and its two-byte codes used here are unassigned in code
// page 936. An empty result means the conversion failed.
QByteArray toGb18030(const QString& text);
QString fromGb18030(const QByteArray& bytes);

// The distinct characters of `text` that code page 936 cannot represent, in order of first appearance.
QString unrepresentableIn936(const QString& text);

} // namespace corvessa::store
