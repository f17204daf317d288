// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

namespace corvessa::store {

// The stored form of 内容: the text's GB18030 bytes (for the characters of code page 936 the same bytes as
// that code page, so older stored forms read back unchanged), XORed with a 10-byte key by position, each byte
// written as two characters of a 62-character alphabet (low digit first). Both functions return the empty
// text for empty input and on any failure; unscramble also for an odd-length input.
QString scramble(const QString& text);
QString unscramble(const QString& stored);

} // namespace corvessa::store
