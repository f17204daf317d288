// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QVariant>
#include <memory>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace corvessa::store {

class Connection;

// A prepared statement that finalises itself. Values are bound and read as UTF-16 text.
class Statement {
public:
    Statement(Connection& connection, const QString& sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    void bind(int index, const QVariant& value); // 1-based; a null QVariant binds NULL
    bool step();                                 // true while a row is available
    void reset();

    int columnCount() const;
    QString columnName(int column) const;
    QString columnDeclaredType(int column) const; // empty for expressions
    QVariant value(int column) const;             // null QVariant for NULL
    qint64 int64(int column) const;
    // For readers that keep many values: the value's storage class and its UTF-8 bytes as SQLite holds them,
    // valid until the next step() or reset(). Anything that is neither NULL nor an integer reads as text.
    enum class Kind { Null, Integer, Text };
    Kind kind(int column) const;
    std::string_view utf8(int column) const;
    sqlite3_stmt* handle() const { return m_stmt; }

private:
    Connection& m_connection;
    sqlite3_stmt* m_stmt = nullptr;
};

// One open, keyed database file. The pinyin collation and the length function used by the schema are
// registered before the first statement, because every index and check constraint of the schema refers to
// them.
class Connection {
public:
    // Opens an existing file (never creates one unless `create` is set) and proves the key with a first read,
    // so a wrong password or a file that is no database fails here with a readable message.
    Connection(const QString& path, const QString& password, bool create = false);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    void exec(const QString& sql);
    qint64 lastInsertRowId() const;
    // Changes whenever this connection or any other writes to the file, and when this connection rolls a
    // transaction back: equal values mean equal data. Values are unique across every connection of the
    // process, so a value read from a connection since closed never matches one from its successor.
    qint64 dataVersion();
    int changes() const;
    // How many statements were prepared on this connection: shows which work a caller avoided.
    qint64 statementsPrepared() const { return m_statementsPrepared; }
    QString errorMessage() const;
    [[noreturn]] void fail(const QString& what) const;
    const QString& path() const { return m_path; }
    sqlite3* handle() const { return m_db; }

private:
    friend class Statement;
    static int onCommit(void* self);
    static void onRollback(void* self);

    sqlite3* m_db = nullptr;
    QString m_path;
    std::unique_ptr<Statement> m_dataVersion;
    // What dataVersion() last saw: other connections' commits, this connection's changed rows, and this
    // connection's commits and rollbacks (which cover schema changes and undone writes).
    qint64 m_seenOther = -1;
    qint64 m_seenChanges = -1;
    qint64 m_endedTransactions = 0;
    qint64 m_seenEndedTransactions = -1;
    qint64 m_version = 0;
    qint64 m_statementsPrepared = 0;
};

class StoreError;

// How long a statement waits for another connection's lock before it gives up.
inline constexpr int kBusyTimeoutMs = 5000;

// The typed error for an SQLite result code and message; `context` (a path, a statement) joins the technical
// text.
StoreError errorFor(int code, const QString& rawMessage, const QString& context = {});

} // namespace corvessa::store
