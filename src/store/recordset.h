// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <cstdint>
#include <map>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace corvessa::store {

class Connection;

// Lock types and cursor locations, with the values the program has always used for them.
enum LockType { adLockReadOnly = 1, adLockPessimistic = 2, adLockOptimistic = 3 };
enum CursorLocation { adUseServer = 2, adUseClient = 3 };

// The open database connections, one per connection string. A connection is opened on first use and kept,
// because deriving the key from the password is slow; closeAll() ends them all (before the backup copy).
class Connections {
public:
    Connections();
    ~Connections();
    Connections(const Connections&) = delete;
    Connections& operator=(const Connections&) = delete;

    Connection& connection(const QString& connectionString);
    bool isOpen(const QString& connectionString) const;
    void closeAll();

private:
    std::map<QString, std::unique_ptr<Connection>> m_open;
};

// A client-side cursor over the result of one SQL text: open() runs the text and keeps every row, so the
// record count is known before the first row is read. For "select * from[表] ..." the recordset also knows
// the table and each row's identity, so update() and deleteCurrent() act on the row it stands on. Memo
// columns (内容) are read from the database only when asked for.
//
// Every failure throws StoreError. Only "Delete * from[表]" is adapted to SQLite; every other text runs as
// given.
class Recordset {
public:
    explicit Recordset(Connections& connections);
    ~Recordset();
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    void setLockType(int lockType) { m_lockType = lockType; }
    int lockType() const { return m_lockType; }
    void setCursorLocation(int location) { m_cursorLocation = location; }
    int cursorLocation() const { return m_cursorLocation; }

    void open(const QString& source, const QString& connectionString);
    bool isOpen() const { return m_open; }
    const QString& source() const { return m_source; }
    void requery();

    int recordCount() const;
    bool eof() const;
    int position() const { return m_position; }
    void moveFirst();
    void moveNext();
    // Relative to the current row: the actions step from the first row to the line the user picked.
    void move(int rows);

    const QStringList& columns() const { return m_result.columns; }
    QVariant field(const QString& column) const; // a null QVariant for NULL
    void setField(const QString& column, const QVariant& value);

    void addNew();
    void update();
    void deleteCurrent();

    // Closes; pending changes are dropped. A result without unsaved changes is kept (only the last one) and
    // handed back by the next open() of the same text on the same connection while the data is unchanged.
    void close();
    void release(); // closes and returns lock type and cursor location to their defaults
    // Closes and also forgets the kept result (when the connections close, it can never be reused).
    void discard();

private:
    // A listing reads hundreds of thousands of values and shows two of them per row: values stay as SQLite's
    // UTF-8 bytes, back to back in one buffer per result, and become QStrings only when field() reads them.
    enum CellKind : std::uint32_t { Null, Text, Integer, Unloaded }; // Unloaded: a memo not read yet
    struct Cell {
        std::uint32_t offset = 0; // into Result::bytes (text and integers)
        std::uint32_t length : 30 = 0;
        std::uint32_t kind : 2 = Null;
    };
    // Values set on a stored row: bit i of `set` marks values[i] as the value of column i, bit i of `dirty` a
    // value not yet written.
    struct Edits {
        std::uint64_t set = 0;
        std::uint64_t dirty = 0;
        std::vector<QVariant> values;
    };

    // The rows one run of a text read, with what is needed to read and write them again.
    struct Result {
        QString table; // empty when the rows cannot be written back
        QStringList columns;
        std::vector<bool> memo;                         // per column
        std::vector<char> bytes;                        // every text and integer value read
        std::vector<Cell> cells;                        // stored rows × columns
        std::vector<qint64> rowids;                     // per stored row; 0: not in the table yet
        std::vector<std::uint32_t> order;               // per position, the stored row there
        std::unordered_map<std::uint32_t, Edits> edits; // per stored row; usually empty
        qint64 version = -1; // what the database looked like when the rows were read
    };

    // The last result closed without unsaved changes, kept for the next open() of the same text: the program
    // runs a query again to show one row of a listing it has just filled.
    struct Kept {
        QString source;
        QString connectionString;
        Result result;
    };

    void run();
    void requireOpen() const;
    std::uint32_t currentRow() const; // the stored row at the current position
    void appendCell(CellKind kind, std::string_view bytes);
    QVariant cellValue(std::uint32_t row, int column) const;
    int columnIndex(const QString& column) const;
    bool writable() const { return !m_result.table.isEmpty() && m_lockType != adLockReadOnly; }
    bool reuseKept();

    Connections& m_connections;
    Connection* m_connection = nullptr;
    int m_lockType = adLockReadOnly;
    int m_cursorLocation = adUseServer;
    bool m_open = false;
    QString m_source;
    QString m_connectionString;
    Result m_result;
    std::unique_ptr<Kept> m_kept;
    int m_position = 0;
    bool m_adding = false;
    bool m_pendingEdits = false;
};

} // namespace corvessa::store
