// SPDX-License-Identifier: GPL-3.0-or-later

#include "embedded_databases.h"

#define CORVESSA_EMBED(symbol, path)                                                                         \
    asm(".section .rodata\n"                                                                                 \
        ".balign 16\n"                                                                                       \
        ".global " #symbol "_begin\n" #symbol "_begin:\n"                                                    \
        ".incbin \"" path "\"\n"                                                                             \
        ".global " #symbol "_end\n" #symbol "_end:\n"                                                        \
        ".byte 0\n"                                                                                          \
        ".previous\n")

CORVESSA_EMBED(corvessa_library_db, CORVESSA_LIBRARY_DB_PATH);
CORVESSA_EMBED(corvessa_personal_db, CORVESSA_PERSONAL_DB_PATH);
CORVESSA_EMBED(corvessa_catalogue, CORVESSA_CATALOGUE_PATH);

extern "C" const char corvessa_library_db_begin[];
extern "C" const char corvessa_library_db_end[];
extern "C" const char corvessa_personal_db_begin[];
extern "C" const char corvessa_personal_db_end[];
extern "C" const char corvessa_catalogue_begin[];
extern "C" const char corvessa_catalogue_end[];

namespace corvessa::resources {

QByteArrayView libraryDatabase() {
    return QByteArrayView(corvessa_library_db_begin, corvessa_library_db_end - corvessa_library_db_begin);
}

QByteArrayView personalTemplate() {
    return QByteArrayView(corvessa_personal_db_begin, corvessa_personal_db_end - corvessa_personal_db_begin);
}

QStringList sourceCatalogue() {
    const QString text =
        QString::fromUtf8(corvessa_catalogue_begin, corvessa_catalogue_end - corvessa_catalogue_begin);
    QStringList titles;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        const QString title = line.trimmed();
        if (!title.isEmpty())
            titles << title;
    }
    return titles;
}

} // namespace corvessa::resources
