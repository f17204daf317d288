#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <cstdint>
#include <map>
#include <memory>
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
    void move(int rows); // relative to the current row, as the original cursor does

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

private:
    // Bit i of `unloaded` marks a memo value not read yet; bit i of `dirty` a value set but not yet written.
    struct Row {
        qint64 rowid = 0; // 0: not yet stored
        std::vector<QVariant> values;
        std::uint64_t unloaded = 0;
        std::uint64_t dirty = 0;
    };

    // The rows one run of a text read, with what is needed to read and write them again.
    struct Result {
        QString table; // empty when the rows cannot be written back
        QStringList columns;
        std::vector<bool> memo; // per column
        std::vector<Row> rows;
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
    Row& currentRow();
    const Row& currentRow() const;
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
