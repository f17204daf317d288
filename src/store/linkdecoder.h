// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

namespace corvessa::store {

// Texts the program keeps only as obfuscated integer lists: each integer, XORed with the link key, is one
// character of code page 936 (0..255 a single byte, a negative value v the double-byte code v + 65536).
namespace links {
inline constexpr const char* kPassword = "12,45,88,19,26,82,63";
inline constexpr const char* kContentAlphabet =
    "7,25,34,51,46,90,8,61,27,42,91,94,33,88,28,29,6,49,59,60,93,17,32,5,45,24,38,39,83,56,50,3,2,10,18,14,"
    "30,0,"
    "95,35,4,44,12,31,26,37,13,58,63,36,47,9,1,62,92,40,15,89,41,57,19,82";
// The three pages open in the browser; they ship with the program and are written into the data folder.
inline constexpr const char* kNewsPage = // advertisement line
    "3,14,7,27,68,8,4,25,29,14,24,24,10,70,5,14,28,24,70,10,5,15,70,31,2,27,24,70,90,69,3,31,6,7";
inline constexpr const char* kTutorialPage = // tutorial tab
    "3,14,7,27,68,8,4,25,29,14,24,24,10,70,24,14,10,25,8,3,70,31,30,31,4,25,2,10,7,70,91,90,69,3,31,6,7";
inline constexpr const char* kAboutPage = // version line
    "3,14,7,27,68,10,9,4,30,31,70,15,10,31,10,69,3,31,6,7";
} // namespace links

// Decodes an obfuscated list. Throws StoreError when an element is not a decimal integer.
QString decodeLinkList(const QString& list);
// The inverse, for building and checking lists; characters outside code page 936 encode as "?".
QString encodeLinkList(const QString& text);

} // namespace corvessa::store
