// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QDateTime>
#include <QString>
#include <QVariant>

namespace corvessa::store {

class Store;

// What the record actions carry from one record to another. storedContent is 内容 in its stored form.
struct RecordFields {
    QVariant name;
    QVariant source;
    QVariant indications;
    QVariant storedContent;
};

// A record key for a save at `now`: "yymmddhhmmss", or, when that second is already used by a record of the
// personal database, the next second that is not, so that every key names one record.
QString freshRecordKey(Store& store, const QDateTime& now);

// Appends a copy of `fields` to the personal database with `category`; 分组 and 备用1–3 are empty. Returns
// the new record's key. Throws StoreError when the database refuses the record (nothing is written then).
QString appendPersonalRecord(Store& store, const RecordFields& fields, const QString& category,
                             const QDateTime& now);

// Deletes the first record with `key` and `category`. Returns whether a record was deleted. Throws
// StoreError.
bool deletePersonalRecord(Store& store, const QString& key, const QString& category);

// The editor's save: overwrites the first record whose key is `selectedKey`, or adds a new record when none
// has it, with every column written (出处, 主治 and 备用1–3 empty, 内容 scrambled, 类别 个人验方). Returns
// the record's new key. Throws StoreError when the database refuses a value; the record is then unchanged.
QString savePersonalPrescription(Store& store, const QString& selectedKey, const QString& name,
                                 const QString& group, const QString& content, const QDateTime& now);

// Quotes a value for one of the program's SQL texts: every "'" doubled, so no input can end the literal.
QString sqlText(const QString& value);

} // namespace corvessa::store
