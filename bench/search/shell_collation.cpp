// SPDX-License-Identifier: GPL-3.0-or-later

// A loadable extension for the sqlcipher shell: the name collation and the length function the library's
// schema refers to, so that the shell can run the program's queries on the same file for comparison.
#include <sqlite3ext.h>
SQLITE_EXTENSION_INIT1

#include <algorithm>
#include <cstring>
#include <unicode/ucol.h>

namespace {

// The same order as the program's: ICU's "zh" collation, ties broken by the bytes.
int pinyinCompare(void* context, int leftLength, const void* left, int rightLength, const void* right) {
    auto* collator = static_cast<UCollator*>(context);
    UErrorCode status = U_ZERO_ERROR;
    const UCollationResult result = ucol_strcollUTF8(collator, static_cast<const char*>(left), leftLength,
                                                     static_cast<const char*>(right), rightLength, &status);
    if (U_SUCCESS(status) && result != UCOL_EQUAL)
        return result == UCOL_LESS ? -1 : 1;
    const int common = std::min(leftLength, rightLength);
    if (const int bytes = std::memcmp(left, right, static_cast<size_t>(common)); bytes != 0)
        return bytes < 0 ? -1 : 1;
    return leftLength == rightLength ? 0 : (leftLength < rightLength ? -1 : 1);
}

void closeCollator(void* context) {
    ucol_close(static_cast<UCollator*>(context));
}

void utf16Length(sqlite3_context* context, int, sqlite3_value** values) {
    if (sqlite3_value_type(values[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    sqlite3_result_int(context, sqlite3_value_bytes16(values[0]) / 2);
}

} // namespace

extern "C" int sqlite3_extension_init(sqlite3* db, char**, const sqlite3_api_routines* api) {
    SQLITE_EXTENSION_INIT2(api);
    UErrorCode status = U_ZERO_ERROR;
    UCollator* collator = ucol_open("zh", &status);
    if (U_FAILURE(status))
        return SQLITE_ERROR;
    sqlite3_create_collation_v2(db, "PINYIN", SQLITE_UTF8, collator, pinyinCompare, closeCollator);
    return sqlite3_create_function_v2(db, "u16len", 1, SQLITE_UTF16 | SQLITE_DETERMINISTIC, nullptr,
                                      utf16Length, nullptr, nullptr, nullptr);
}
