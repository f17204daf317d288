// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "mandoku.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace corvessa::importer {

// One substance of a materia medica: its name and its sections (釋名, 集解, 氣味, 主治, 發明, …) as printed,
// up to the collected prescriptions (附方), which belong to the formula library rather than to the herb
// entry.
struct RawHerb {
    QString name;
    QStringList sections; // each "釋名" + text
    QString page;
    int firstLine = 0;
};

// Finds the entries of one 卷 file of 本草綱目: a name line at the margin, optionally with a note on its rank
// "(本經/上品)", followed by indented section lines.
std::vector<RawHerb> parseHerbs(const SourceFile& file);

} // namespace corvessa::importer
