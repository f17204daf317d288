// SPDX-License-Identifier: GPL-3.0-or-later

#include "recordset.h"

#include "connectionstring.h"
#include "listing.h"
#include "sqlite.h"
#include "storeerror.h"

#include <QRegularExpression>
#include <cstring>
#include <limits>

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
        return; // an action query returns no rows, so there is nothing to hold open
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
    m_result = Result();
    m_result.version = m_connection->dataVersion();
    m_position = 0;
    m_adding = false;
    m_pendingEdits = false;

    static const QRegularExpression selectAll(
        QStringLiteral("^\\s*select\\s+\\*\\s*(from\\s*\\[([^\\]]+)\\].*)$"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const auto match = selectAll.match(m_source);
    std::unique_ptr<Statement> select;
    int first = 0; // the statement's first value column
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
            // Every table the program names exists in a sound file of its own: a missing one means the file
            // is not the database it should be.
            throw StoreError(StoreError::Kind::Damaged, QStringLiteral("no table %1").arg(m_result.table),
                             m_result.table);
        if (m_result.columns.size() > 64)
            throw StoreError(QStringLiteral("数据库操作失败：表“%1”的字段太多。").arg(m_result.table));
        select = std::make_unique<Statement>(*m_connection,
                                             QStringLiteral("select ") + projection.join(QLatin1Char(',')) +
                                                 QLatin1Char(' ') + withoutEmptyPatterns(match.captured(1)));
        first = 1;
    } else {
        select = std::make_unique<Statement>(*m_connection, m_source);
        for (int c = 0; c < select->columnCount(); ++c) {
            m_result.columns << select->columnName(c);
            m_result.memo.push_back(false);
        }
    }

    const size_t count = size_t(m_result.columns.size());
    while (select->step()) {
        if (m_result.rowids.size() >= std::numeric_limits<std::uint32_t>::max())
            throw StoreError(QStringLiteral("查询结果太大，无法全部读入。"));
        m_result.rowids.push_back(first ? select->int64(0) : 0);
        int next = first;
        for (size_t c = 0; c < count; ++c) {
            if (m_result.memo[c]) {
                appendCell(Unloaded, {});
                continue;
            }
            const int column = next++;
            switch (select->kind(column)) {
            case Statement::Kind::Null:
                appendCell(Null, {});
                break;
            case Statement::Kind::Integer: {
                const qint64 value = select->int64(column);
                appendCell(Integer, std::string_view(reinterpret_cast<const char*>(&value), sizeof value));
                break;
            }
            case Statement::Kind::Text:
                appendCell(Text, select->utf8(column));
                break;
            }
        }
    }
    m_result.order.resize(m_result.rowids.size());
    for (size_t i = 0; i < m_result.order.size(); ++i)
        m_result.order[i] = std::uint32_t(i);
    m_open = true;
}

void Recordset::appendCell(CellKind kind, std::string_view bytes) {
    std::vector<char>& buffer = m_result.bytes;
    if (bytes.size() >= (size_t(1) << 30) ||
        buffer.size() + bytes.size() > std::numeric_limits<std::uint32_t>::max())
        throw StoreError(QStringLiteral("查询结果太大，无法全部读入。"));
    Cell cell;
    cell.offset = std::uint32_t(buffer.size());
    cell.length = std::uint32_t(bytes.size());
    cell.kind = kind;
    buffer.insert(buffer.end(), bytes.begin(), bytes.end());
    m_result.cells.push_back(cell);
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
    return int(m_result.order.size());
}

bool Recordset::eof() const {
    requireOpen();
    return m_position >= int(m_result.order.size());
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
    if (target < 0 || target > qint64(m_result.order.size()))
        throw StoreError(QStringLiteral("数据库操作失败：要找的记录已不存在。"));
    m_position = int(target);
}

std::uint32_t Recordset::currentRow() const {
    if (eof())
        throw StoreError(QStringLiteral("数据库操作失败：当前没有记录。"));
    return m_result.order[size_t(m_position)];
}

int Recordset::columnIndex(const QString& column) const {
    // Callers name columns as the schema spells them: an exact match first spares the case-folding compare.
    const QStringList& columns = m_result.columns;
    for (int i = 0; i < columns.size(); ++i) {
        if (columns[i] == column)
            return i;
    }
    for (int i = 0; i < columns.size(); ++i) {
        if (columns[i].compare(column, Qt::CaseInsensitive) == 0)
            return i;
    }
    throw StoreError(QStringLiteral("数据库操作失败：没有字段“%1”。").arg(column));
}

QVariant Recordset::cellValue(std::uint32_t row, int column) const {
    if (!m_result.edits.empty()) {
        if (const auto it = m_result.edits.find(row);
            it != m_result.edits.end() && (it->second.set >> column & 1))
            return it->second.values[size_t(column)];
    }
    const Cell cell = m_result.cells[size_t(row) * size_t(m_result.columns.size()) + size_t(column)];
    const char* bytes = m_result.bytes.data() + cell.offset;
    switch (cell.kind) {
    case Text:
        // An empty string is a value, not NULL: keep the two apart for the callers that test for "no value".
        static const QString empty = QString(QLatin1String(""));
        return QVariant(cell.length == 0 ? empty : QString::fromUtf8(bytes, qsizetype(cell.length)));
    case Integer: {
        qint64 value;
        std::memcpy(&value, bytes, sizeof value);
        return QVariant::fromValue<qint64>(value);
    }
    case Unloaded: {
        const qint64 rowid = m_result.rowids[row];
        if (rowid == 0)
            return {};
        Statement read(*m_connection, QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?")
                                          .arg(quoted(m_result.columns[column]), quoted(m_result.table)));
        read.bind(1, rowid);
        return read.step() ? read.value(0) : QVariant();
    }
    default:
        return {};
    }
}

QVariant Recordset::field(const QString& column) const {
    requireOpen();
    const int index = columnIndex(column);
    return cellValue(currentRow(), index);
}

void Recordset::setField(const QString& column, const QVariant& value) {
    requireOpen();
    if (!writable())
        throw StoreError(QStringLiteral("数据库操作失败：这个记录集是只读的。"));
    const int c = columnIndex(column);
    Edits& edits = m_result.edits[currentRow()];
    edits.values.resize(size_t(m_result.columns.size()));
    edits.values[size_t(c)] = value;
    edits.set |= std::uint64_t(1) << c;
    edits.dirty |= std::uint64_t(1) << c;
    m_pendingEdits = true;
}

void Recordset::addNew() {
    requireOpen();
    if (!writable())
        throw StoreError(QStringLiteral("数据库操作失败：这个记录集是只读的。"));
    if (m_adding)
        update();
    if (m_result.rowids.size() >= std::numeric_limits<std::uint32_t>::max())
        throw StoreError(QStringLiteral("查询结果太大，无法全部读入。"));
    const std::uint32_t row = std::uint32_t(m_result.rowids.size());
    m_result.rowids.push_back(0);
    for (qsizetype c = 0; c < m_result.columns.size(); ++c)
        appendCell(Null, {});
    m_result.order.push_back(row);
    m_position = int(m_result.order.size()) - 1;
    m_adding = true;
}

void Recordset::update() {
    requireOpen();
    if (eof())
        return;
    const std::uint32_t row = currentRow();
    QStringList names;
    std::vector<QVariant> values;
    const auto edited = m_result.edits.find(row);
    if (edited != m_result.edits.end()) {
        for (qsizetype c = 0; c < m_result.columns.size(); ++c) {
            if (edited->second.dirty >> c & 1) {
                names << quoted(m_result.columns[c]);
                values.push_back(edited->second.values[size_t(c)]);
            }
        }
    }
    qint64& rowid = m_result.rowids[row];
    if (rowid == 0) {
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
        rowid = m_connection->lastInsertRowId();
    } else if (!names.isEmpty()) {
        QStringList sets;
        for (const QString& name : names)
            sets << name + QStringLiteral(" = ?");
        Statement write(*m_connection, QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?")
                                           .arg(quoted(m_result.table), sets.join(QLatin1Char(','))));
        int i = 1;
        for (const QVariant& value : values)
            write.bind(i++, value);
        write.bind(i, rowid);
        write.step();
    }
    if (edited != m_result.edits.end())
        edited->second.dirty = 0;
    m_adding = false;
    m_pendingEdits = false;
}

void Recordset::deleteCurrent() {
    requireOpen();
    if (!writable())
        throw StoreError(QStringLiteral("数据库操作失败：这个记录集是只读的。"));
    const std::uint32_t row = currentRow();
    if (const qint64 rowid = m_result.rowids[row]; rowid != 0) {
        Statement remove(*m_connection,
                         QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(quoted(m_result.table)));
        remove.bind(1, rowid);
        remove.step();
    }
    // The row's values stay in the buffers, unreachable, until the result is dropped.
    m_result.order.erase(m_result.order.begin() + m_position);
    m_result.edits.erase(row);
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

void Recordset::discard() {
    release();
    m_kept.reset();
}

} // namespace corvessa::store
