// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

namespace corvessa::store {

// What a look at a database file found. Only a sound file may be trusted: backed up, counted as a backup, or
// restored from.
struct DatabaseCheck {
    enum class State {
        Sound,
        Missing,      // no file of that name
        Empty,        // 0 bytes: SQLite would take it for a new, empty database
        NotADatabase, // wrong size for a page-aligned file, wrong key, or another program's file
        Damaged,      // opens, but the integrity check fails
        WrongShape    // a sound database without the tables the program needs
    };
    State state = State::Missing;
    QString detail;      // technical text for the log
    qint64 records = -1; // rows of 中药方剂 when the file opened
    int userVersion = 0; // PRAGMA user_version when the file opened
    bool sound() const { return state == State::Sound; }
};

// Header (size, page alignment), key, PRAGMA quick_check and the expected tables of a personal database.
DatabaseCheck checkPersonalDatabase(const QString& path, const QString& password);

// The library is large: its check is the cheap part only (size, key, user_version, table 中药方剂; no row
// count), which is enough to tell the shipped file from an empty, foreign or older one.
DatabaseCheck checkLibraryDatabase(const QString& path, const QString& password);

// Copies the database at `source` into a new file `target` through SQLite's online backup API: the copy
// holds a read lock on the source for its whole run, so no other connection can write half-way through it.
// Returns the check of the copy as read back from the disk (as checkPersonalDatabase()); a source whose
// header is already wrong (0 bytes, not whole pages) is not copied and its own check is returned. Throws
// StoreError when the copy cannot be made (missing source, disk full, locked).
DatabaseCheck copyDatabase(const QString& source, const QString& target, const QString& password);

// On POSIX: folders 0700 and files 0600, at most (bits are only ever removed, so a read-only file stays
// read-only). Nothing on other systems, whose access lists are left as the user set them.
void makeFolderPrivate(const QString& path);
void makeFilePrivate(const QString& path);
// Creates the folder and every missing parent, each new one private. Returns whether the folder exists.
bool makePrivatePath(const QString& path);

// Replaces `target` with `source` in one rename (also over an existing file). Returns an empty text on
// success, else the reason for the log.
QString replaceFile(const QString& source, const QString& target);

} // namespace corvessa::store
