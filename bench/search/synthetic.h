// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "dbbuild.h"

#include <vector>

namespace corvessa::bench {

constexpr int kClassicCount = 67485;
constexpr int kHerbCount = 464;
constexpr int kTextbookCount = 218;

// A library of the real one's size and shape, the same on every run: 67,485 中药经方 records (names of 2 to
// 21 characters, sources up to 83, indications up to 200, texts of a few hundred to a few thousand characters
// with the usual headings, 218 of them in the textbook set) and 464 中药功效 entries. About a quarter of the
// names end in 汤, as in the real books, so a search for it is the common case.
std::vector<dbbuild::LibraryRecord> syntheticLibrary();

} // namespace corvessa::bench
