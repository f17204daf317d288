// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "store/pinyin.h"

#include <QString>

namespace corvessa::dbbuild {

// The toneless readings of every character that Unihan gives a Mandarin reading: ICU's Han-Latin reading,
// then Unihan's kMandarin and kHanyuPinlu readings, duplicates dropped; the field's own readings replace
// them where it has some. Throws std::runtime_error when the Unihan file cannot be read.
store::pinyin::Readings buildReadings(const QString& unihanReadingsPath);

// The Unihan readings file found at build time.
QString defaultUnihanPath();
// The readings of that file, made once per process.
const store::pinyin::Readings& defaultReadings();

// A reading as Unihan or ICU writes it ("shù", "lǜ"), without tones, lower case, letters a-z only.
QString toneless(const QString& reading);

} // namespace corvessa::dbbuild
