// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

namespace corvessa::store {

// The stored form of 内容: the text's GB18030 bytes (for the characters of code page 936 the same bytes as
// that code page, so older stored forms read back unchanged), XORed with a 10-byte key by position, each byte
// written as two characters of a 62-character alphabet (low digit first). Empty input gives empty output.
// scramble throws StoreError when it cannot convert a text (a lone surrogate, a broken converter), so that no
// write ever stores an empty text in place of the user's; unscramble returns the empty text for a stored form
// it cannot read, and logs it.
QString scramble(const QString& text);
QString unscramble(const QString& stored);

} // namespace corvessa::store
