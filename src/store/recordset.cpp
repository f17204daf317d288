#include "recordset.h"

#include "connectionstring.h"
#include "sqlite.h"
#include "storeerror.h"

#include <QRegularExpression>

namespace corvessa::store {

namespace {

QString quoted(const QString& name) {
    return QLatin1Char('[') + name + QLatin1Char(']');
}

} // namespace

Connections::Connections() = default;
Connections::~Connections() = default;

Connection& Connections::connection(const QString& connectionString) {
    if (auto it = m_open.find(connectionString); it != m_open.end())
        return *it->second;
    const ConnectionInfo info = parseConnectionString(connectionString);
    auto connection = std::make_unique<Connection>(info.dataSource, info.password);
    Connection& result = *connection;
    m_open.emplace(connectionString, std::move(connection));
    return result;
}

bool Connections::isOpen(const QString& connectionString) const {
    return m_open.count(connectionString) > 0;
}

void Connections::closeAll() {
    m_open.clear();
}

Recordset::Recordset(Connections& connections) : m_connections(connections) {}

Recordset::~Recordset() = default;

void Recordset::open(const QString& source, const QString& connectionString) {
    close();
    m_source = source;
    m_connectionString = connectionString;
    m_connection = &m_connections.connection(connectionString);

    // The one statement that Jet accepts and SQLite does not.
    static const QRegularExpression deleteAll(QStringLiteral("^\\s*delete\\s+\\*\\s+from\\s*\\["),
                                              QRegularExpression::CaseInsensitiveOption);
    if (const auto match = deleteAll.match(source); match.hasMatch()) {
        const QString statement = QStringLiteral("DELETE FROM [") + source.mid(match.capturedEnd());
        Statement(*m_connection, statement).step();
        return; // an action query leaves the recordset closed, as the original provider does
    }
    if (!reuseKept())
        run();
}

bool Recordset::reuseKept() {
    if (!m_kept)
        return false;
    std::unique_ptr<Kept> kept = std::move(m_kept);
    // Any write to the file since the rows were read, through any connection, changes the version; so does a
    // rolled-back transaction whose rows the kept result may have seen.
    if (kept->source != m_source || kept->connectionString != m_connectionString ||
        kept->result.version != m_connection->dataVersion())
        return false; // dropped here, so that the new run does not hold two results at once
    m_result = std::move(kept->result);
    m_position = 0;
    m_adding = false;
    m_pendingEdits = false;
    m_open = true;
    return true;
}

void Recordset::run() {
    m_result.version = m_connection->dataVersion();
    m_result.rows.clear();
    m_result.columns.clear();
    m_result.memo.clear();
    m_result.table.clear();
    m_position = 0;
    m_adding = false;
    m_pendingEdits = false;

    static const QRegularExpression selectAll(
        QStringLiteral("^\\s*select\\s+\\*\\s*(from\\s*\\[([^\\]]+)\\].*)$"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const auto match = selectAll.match(m_source);
    if (match.hasMatch()) {
        // "select *" over one table: select the row identity and every column but the memos, which are
        // fetched by identity when read. The conditions and the order of the text stay exactly as written.
        m_result.table = match.captured(2);
        Statement info(*m_connection, QStringLiteral("PRAGMA table_info(%1)").arg(quoted(m_result.table)));
        QStringList projection{QStringLiteral("rowid")};
        while (info.step()) {
            const QString name = info.value(1).toString();
            const bool memo =
                info.value(2).toString().compare(QLatin1String("LONGTEXT"), Qt::CaseInsensitive) == 0;
            m_result.columns << name;
            m_result.memo.push_back(memo);
            if (!memo)
                projection << quoted(name);
        }
        if (m_result.columns.isEmpty())
            throw StoreError(QStringLiteral("数据库操作失败：没有表“%1”。").arg(m_result.table));
        Statement select(*m_connection, QStringLiteral("select ") + projection.join(QLatin1Char(',')) +
                                            QLatin1Char(' ') + match.captured(1));
        if (m_result.columns.size() > 64)
            throw StoreError(QStringLiteral("数据库操作失败：表“%1”的字段太多。").arg(m_result.table));
        const size_t count = size_t(m_result.columns.size());
        std::uint64_t memoBits = 0;
        for (size_t c = 0; c < count; ++c)
            memoBits |= m_result.memo[c] ? (std::uint64_t(1) << c) : 0;
        while (select.step()) {
            Row row;
            row.rowid = select.int64(0);
            row.values.resize(count);
            row.unloaded = memoBits;
            int next = 1;
            for (size_t c = 0; c < count; ++c) {
                if (!m_result.memo[c])
                    row.values[c] = select.value(next++);
            }
            m_result.rows.push_back(std::move(row));
        }
    } else {
        Statement select(*m_connection, m_source);
        const int count = select.columnCount();
        for (int c = 0; c < count; ++c) {
            m_result.columns << select.columnName(c);
            m_result.memo.push_back(false);
        }
        while (select.step()) {
            Row row;
            row.values.resize(size_t(count));
            for (int c = 0; c < count; ++c)
                row.values[size_t(c)] = select.value(c);
            m_result.rows.push_back(std::move(row));
        }
    }
    m_open = true;
}

void Recordset::requery() {
    requireOpen();
    // Re-running the text on unchanged data gives the same rows in the same order; the program re-runs every
    // search right after opening it, so keep what was just read unless something was written since.
    if (!m_adding && !m_pendingEdits && m_connection->dataVersion() == m_result.version) {
        m_position = 0;
        return;
    }
    run();
}

void Recordset::requireOpen() const {
    if (!m_open)
        throw StoreError(QStringLiteral("数据库操作失败：记录集没有打开。"));
}

int Recordset::recordCount() const {
    requireOpen();
    return int(m_result.rows.size());
}

bool Recordset::eof() const {
    requireOpen();
    return m_position >= int(m_result.rows.size());
}

void Recordset::moveFirst() {
    requireOpen();
    m_position = 0;
}

void Recordset::moveNext() {
    if (eof())
        throw StoreError(QStringLiteral("数据库操作失败：已经到了最后一条记录之后。"));
    ++m_position;
}

void Recordset::move(int rows) {
    requireOpen();
    const qint64 target = qint64(m_position) + rows;
    if (target < 0 || target > qint64(m_result.rows.size()))
        throw StoreError(QStringLiteral("数据库操作失败：要找的记录已不存在。"));
    m_position = int(target);
}

Recordset::Row& Recordset::currentRow() {
    if (eof())
        throw StoreError(QStringLiteral("数据库操作失败：当前没有记录。"));
    return m_result.rows[size_t(m_position)];
}

const Recordset::Row& Recordset::currentRow() const {
    if (eof())
        throw StoreError(QStringLiteral("数据库操作失败：当前没有记录。"));
    return m_result.rows[size_t(m_position)];
}

int Recordset::columnIndex(const QString& column) const {
    for (int i = 0; i < m_result.columns.size(); ++i) {
        if (m_result.columns[i].compare(column, Qt::CaseInsensitive) == 0)
            return i;
    }
    throw StoreError(QStringLiteral("数据库操作失败：没有字段“%1”。").arg(column));
}

QVariant Recordset::field(const QString& column) const {
    requireOpen();
    const int index = columnIndex(column);
    const Row& row = currentRow();
    const size_t c = size_t(index);
    if ((row.unloaded >> c & 1) && row.rowid != 0) {
        Statement read(*m_connection, QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?")
                                          .arg(quoted(m_result.columns[index]), quoted(m_result.table)));
        read.bind(1, row.rowid);
        return read.step() ? read.value(0) : QVariant();
    }
    return row.values[c];
}

void Recordset::setField(const QString& column, const QVariant& value) {
    requireOpen();
    if (!writable())
        throw StoreError(QStringLiteral("数据库操作失败：这个记录集是只读的。"));
    const size_t c = size_t(columnIndex(column));
    Row& row = currentRow();
    row.values[c] = value;
    row.unloaded &= ~(std::uint64_t(1) << c);
    row.dirty |= std::uint64_t(1) << c;
    m_pendingEdits = true;
}

void Recordset::addNew() {
    requireOpen();
    if (!writable())
        throw StoreError(QStringLiteral("数据库操作失败：这个记录集是只读的。"));
    if (m_adding)
        update();
    const size_t count = size_t(m_result.columns.size());
    Row row;
    row.values.resize(count);
    m_result.rows.push_back(std::move(row));
    m_position = int(m_result.rows.size()) - 1;
    m_adding = true;
}

void Recordset::update() {
    requireOpen();
    if (eof())
        return;
    Row& row = currentRow();
    QStringList names;
    std::vector<QVariant> values;
    for (size_t c = 0; c < row.values.size(); ++c) {
        if (row.dirty >> c & 1) {
            names << quoted(m_result.columns[int(c)]);
            values.push_back(row.values[c]);
        }
    }
    if (row.rowid == 0) {
        QStringList marks;
        for (qsizetype i = 0; i < names.size(); ++i)
            marks << QStringLiteral("?");
        const QString sql = names.isEmpty()
                                ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoted(m_result.table))
                                : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                      .arg(quoted(m_result.table), names.join(QLatin1Char(',')),
                                           marks.join(QLatin1Char(',')));
        Statement insert(*m_connection, sql);
        for (size_t i = 0; i < values.size(); ++i)
            insert.bind(int(i) + 1, values[i]);
        insert.step();
        row.rowid = m_connection->lastInsertRowId();
    } else if (!names.isEmpty()) {
        QStringList sets;
        for (const QString& name : names)
            sets << name + QStringLiteral(" = ?");
        Statement write(*m_connection, QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?")
                                           .arg(quoted(m_result.table), sets.join(QLatin1Char(','))));
        int i = 1;
        for (const QVariant& value : values)
            write.bind(i++, value);
        write.bind(i, row.rowid);
        write.step();
    }
    row.dirty = 0;
    m_adding = false;
    m_pendingEdits = false;
}

void Recordset::deleteCurrent() {
    requireOpen();
    if (!writable())
        throw StoreError(QStringLiteral("数据库操作失败：这个记录集是只读的。"));
    Row& row = currentRow();
    if (row.rowid != 0) {
        Statement remove(*m_connection,
                         QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(quoted(m_result.table)));
        remove.bind(1, row.rowid);
        remove.step();
    }
    m_result.rows.erase(m_result.rows.begin() + m_position);
    m_adding = false;
}

void Recordset::close() {
    if (m_open && !m_adding && !m_pendingEdits) {
        auto kept = std::make_unique<Kept>();
        kept->source = m_source;
        kept->connectionString = m_connectionString;
        kept->result = std::move(m_result);
        m_kept = std::move(kept);
    }
    m_open = false;
    m_adding = false;
    m_pendingEdits = false;
    m_result = Result();
    m_position = 0;
    m_connection = nullptr;
}

void Recordset::release() {
    close();
    m_source.clear();
    m_connectionString.clear();
    m_lockType = adLockReadOnly;
    m_cursorLocation = adUseServer;
}

} // namespace corvessa::store
