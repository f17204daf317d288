// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <stdexcept>

namespace corvessa::store {

// Every failure of the data layer arrives as this exception. It says what went wrong as a kind the window can
// put into words for the user, and keeps the technical text (SQLite's message, a path) for the log. The store
// itself never builds a sentence for the user.
class StoreError : public std::runtime_error {
public:
    enum class Kind {
        Locked,     // another window or program holds the database
        DiskFull,   // nothing more can be written to the disk
        Damaged,    // the file is not a sound database of this program (damaged, empty, foreign)
        ReadOnly,   // the file or its folder cannot be written
        CannotOpen, // the file is missing or cannot be opened at all
        TooLong,    // a value is longer than its column allows; subject() names the column
        TooComplex, // a search text too long for the database engine
        Constraint, // another rule of the schema refused a value
        NoMemory,   // the result does not fit into memory
        Io,         // the disk reported a read or write error
        Other       // anything else: a fault of the program rather than of the user's files
    };

    StoreError(Kind kind, const QString& detail, const QString& subject = {})
        : std::runtime_error(detail.toStdString()), m_kind(kind), m_detail(detail), m_subject(subject) {}
    // A fault inside the program (a misused recordset, a missing column): described for the log only.
    explicit StoreError(const QString& detail) : StoreError(Kind::Other, detail) {}

    Kind kind() const noexcept { return m_kind; }
    const QString& detail() const noexcept { return m_detail; }   // technical text, for the log
    const QString& subject() const noexcept { return m_subject; } // the column or file concerned, if any

private:
    Kind m_kind;
    QString m_detail;
    QString m_subject;
};

} // namespace corvessa::store
