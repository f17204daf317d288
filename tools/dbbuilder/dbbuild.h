// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "store/libraryversion.h"

#include <QString>
#include <QVariant>
#include <vector>

namespace corvessa::dbbuild {

// One library record as the text input gives it: a JSON object per line with the column names as keys
// (方名, 出处, 主治, 内容, 类别, 分组, 备用1, 备用2, 备用3). A missing key or null stores NULL; 内容 is plain
// text and is scrambled on the way in, except for herb entries (类别 中药功效), whose text is stored as it
// is. Other keys (the record's provenance, for example) are ignored here.
struct LibraryRecord {
    QVariant name, source, indications, content, category, group, spare1, spare2, spare3;
};

// Reads the JSON-lines input. Throws std::runtime_error naming the line of a malformed record.
std::vector<LibraryRecord> readLibraryInput(const QString& path);

// Writes a complete, encrypted library database to `path` (through a temporary name, renamed at the end).
// `version` becomes the library's PRAGMA user_version.
void writeLibraryDatabase(const QString& path, const std::vector<LibraryRecord>& records,
                          const QString& password, int version = store::kLibraryVersion);
// Writes the personal template: empty 中药方剂 with 序号, table 分组 with the default groups.
void writePersonalTemplate(const QString& path, const QString& password);

} // namespace corvessa::dbbuild
