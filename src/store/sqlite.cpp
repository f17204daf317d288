// SPDX-License-Identifier: GPL-3.0-or-later

#include "sqlite.h"

#include "log.h"
#include "storeerror.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <atomic>
#include <cstring>
#include <unicode/ucol.h>

#define SQLITE_HAS_CODEC 1
#include <sqlite3.h>

namespace corvessa::store {

namespace {

// Names compare in pinyin order (ICU's "zh" collation). Names the collator calls equal are ordered by their
// bytes, so the order is total and a query returns rows of equal-looking names in the same order every time.
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

// Versions are drawn from one counter for the whole process, so no two connections ever hand out the same
// one.
std::atomic<qint64> g_lastVersion{0};

void closeCollator(void* context) {
    ucol_close(static_cast<UCollator*>(context));
}

// Column limits count UTF-16 code units, the unit in which the program's texts (QString) are measured, so a
// limit means the same to the window that checks a value and to the schema that enforces it; SQLite's
// length() counts characters.
void utf16Length(sqlite3_context* context, int, sqlite3_value** values) {
    if (sqlite3_value_type(values[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    sqlite3_result_int(context, sqlite3_value_bytes16(values[0]) / 2);
}

} // namespace

StoreError errorFor(int code, const QString& rawMessage, const QString& context) {
    using Kind = StoreError::Kind;
    const QString detail =
        context.isEmpty() ? rawMessage : QStringLiteral("%1 (%2)").arg(rawMessage, context);
    switch (code & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return {Kind::Locked, detail};
    case SQLITE_FULL:
        return {Kind::DiskFull, detail};
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return {Kind::Damaged, detail};
    case SQLITE_READONLY:
    case SQLITE_PERM:
        return {Kind::ReadOnly, detail};
    case SQLITE_CANTOPEN:
        return {Kind::CannotOpen, detail};
    case SQLITE_NOMEM:
        return {Kind::NoMemory, detail};
    case SQLITE_IOERR:
        return {Kind::Io, detail};
    case SQLITE_TOOBIG:
        return {Kind::TooLong, detail};
    case SQLITE_CONSTRAINT: {
        // The schema names each length limit "<column>超长", so the column can be told to the user.
        static const QRegularExpression tooLong(
            QStringLiteral("CHECK constraint failed: \\[?([^\\]\\s]+?)超长"));
        if (const auto match = tooLong.match(rawMessage); match.hasMatch())
            return {Kind::TooLong, detail, match.captured(1)};
        return {Kind::Constraint, detail};
    }
    default:
        break;
    }
    if (rawMessage.contains(QLatin1String("pattern too complex")))
        return {Kind::TooComplex, detail};
    return {Kind::Other, detail};
}

Connection::Connection(const QString& path, const QString& password, bool create) : m_path(path) {
    const QByteArray file = QFileInfo(path).absoluteFilePath().toUtf8();
    // A connection is only ever used by the thread that runs the window, never by two threads at once, so
    // SQLite need not lock it on every call: a listing makes several calls per value read.
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (create ? SQLITE_OPEN_CREATE : 0);
    if (sqlite3_open_v2(file.constData(), &m_db, flags, nullptr) != SQLITE_OK) {
        const int code = m_db ? sqlite3_extended_errcode(m_db) : SQLITE_NOMEM;
        const QString message =
            m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QStringLiteral("out of memory");
        sqlite3_close(m_db);
        m_db = nullptr;
        StoreError error = errorFor(code, message, path);
        qCWarning(lcStore) << "cannot open" << path << ":" << message;
        throw StoreError(error.kind(), error.detail(), path);
    }
    // Before any statement: even the first one reads the schema, and another instance may hold the file for a
    // moment (its save, its exit backup). Waiting a few seconds is what lets two windows share the file.
    sqlite3_busy_timeout(m_db, kBusyTimeoutMs);
    try {
        const QByteArray key = password.toUtf8();
        if (sqlite3_key(m_db, key.constData(), key.size()) != SQLITE_OK)
            fail(QStringLiteral("key"));
        // Larger pages than the default halve the pages a full listing decrypts.
        exec(QStringLiteral("PRAGMA cipher_page_size = 4096"));
        // The encryption keeps the texts from casual reading; the key ships inside the program, so a per-page
        // HMAC proves nothing an attacker could not forge, and it costs a sixth of every search.
        exec(QStringLiteral("PRAGMA cipher_use_hmac = OFF"));
        // Pages are decrypted as they enter SQLite's cache; a cache that holds the search index keeps every
        // search after the first from decrypting it again. Pages are cached only when read, so a small
        // database costs no more.
        exec(QStringLiteral("PRAGMA cache_size = -65536"));

        UErrorCode status = U_ZERO_ERROR;
        UCollator* collator = ucol_open("zh", &status);
        if (U_FAILURE(status))
            throw StoreError(QStringLiteral("ICU collator \"zh\" cannot be loaded: %1")
                                 .arg(QString::fromLatin1(u_errorName(status))));
        sqlite3_create_collation_v2(m_db, "PINYIN", SQLITE_UTF8, collator, pinyinCompare, closeCollator);
        sqlite3_create_function_v2(m_db, "u16len", 1, SQLITE_UTF16 | SQLITE_DETERMINISTIC, nullptr,
                                   utf16Length, nullptr, nullptr, nullptr);
        sqlite3_commit_hook(m_db, &Connection::onCommit, this);
        sqlite3_rollback_hook(m_db, &Connection::onRollback, this);
        // The first read decrypts page 1: a wrong key or a foreign file fails here, not in some later query.
        exec(QStringLiteral("SELECT count(*) FROM sqlite_master"));
        // A rollback journal keeps a closed database in one file, which the backup copies as a whole.
        exec(QStringLiteral("PRAGMA journal_mode=DELETE"));
    } catch (...) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
        throw;
    }
}

Connection::~Connection() {
    m_dataVersion.reset();
    sqlite3_close_v2(m_db);
}

void Connection::exec(const QString& sql) {
    char* error = nullptr;
    if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
        const QString message = error ? QString::fromUtf8(error) : errorMessage();
        sqlite3_free(error);
        throw errorFor(sqlite3_extended_errcode(m_db), message, m_path);
    }
}

int Connection::onCommit(void* self) {
    ++static_cast<Connection*>(self)->m_endedTransactions;
    return 0; // let the commit go ahead
}

void Connection::onRollback(void* self) {
    ++static_cast<Connection*>(self)->m_endedTransactions;
}

qint64 Connection::dataVersion() {
    if (!m_dataVersion)
        m_dataVersion = std::make_unique<Statement>(*this, QStringLiteral("PRAGMA data_version"));
    m_dataVersion->reset();
    const qint64 other = m_dataVersion->step() ? m_dataVersion->int64(0) : -1;
    m_dataVersion->reset();
    // data_version only sees other connections' commits; total_changes counts this connection's own rows,
    // also those written inside a transaction not yet committed. Neither moves when this connection rolls a
    // transaction back or changes the schema, which the commit and rollback hooks count.
    const qint64 changes = sqlite3_total_changes(m_db);
    if (other != m_seenOther || changes != m_seenChanges || m_endedTransactions != m_seenEndedTransactions) {
        m_seenOther = other;
        m_seenChanges = changes;
        m_seenEndedTransactions = m_endedTransactions;
        m_version = ++g_lastVersion;
    }
    return m_version;
}

qint64 Connection::lastInsertRowId() const {
    return sqlite3_last_insert_rowid(m_db);
}

int Connection::changes() const {
    return sqlite3_changes(m_db);
}

QString Connection::errorMessage() const {
    return QString::fromUtf8(sqlite3_errmsg(m_db));
}

void Connection::fail(const QString& what) const {
    throw errorFor(sqlite3_extended_errcode(m_db), errorMessage(), what.left(200));
}

Statement::Statement(Connection& connection, const QString& sql) : m_connection(connection) {
    ++connection.m_statementsPrepared;
    if (sqlite3_prepare16_v2(connection.handle(), sql.utf16(), int(sql.size() * 2), &m_stmt, nullptr) !=
        SQLITE_OK)
        connection.fail(sql);
    if (!m_stmt)
        throw StoreError(QStringLiteral("empty statement"));
}

Statement::~Statement() {
    sqlite3_finalize(m_stmt);
}

void Statement::bind(int index, const QVariant& value) {
    int rc;
    if (value.isNull()) {
        rc = sqlite3_bind_null(m_stmt, index);
    } else if (value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Int) {
        rc = sqlite3_bind_int64(m_stmt, index, value.toLongLong());
    } else {
        const QString text = value.toString();
        rc = sqlite3_bind_text16(m_stmt, index, text.utf16(), int(text.size() * 2), SQLITE_TRANSIENT);
    }
    if (rc != SQLITE_OK)
        m_connection.fail(QStringLiteral("bind"));
}

bool Statement::step() {
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    const QString message = m_connection.errorMessage();
    sqlite3_reset(m_stmt);
    throw errorFor(rc, message, QString::fromUtf8(sqlite3_sql(m_stmt)).left(200));
}

void Statement::reset() {
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

int Statement::columnCount() const {
    return sqlite3_column_count(m_stmt);
}

QString Statement::columnName(int column) const {
    return QString::fromUtf8(sqlite3_column_name(m_stmt, column));
}

QString Statement::columnDeclaredType(int column) const {
    const char* type = sqlite3_column_decltype(m_stmt, column);
    return type ? QString::fromUtf8(type) : QString();
}

QVariant Statement::value(int column) const {
    // Listings read hundreds of thousands of values: UTF-8 straight from the page is cheaper than asking
    // SQLite for UTF-16, and the many empty values share one string.
    static const QVariant empty = QVariant(QString(QLatin1String("")));
    switch (sqlite3_column_type(m_stmt, column)) {
    case SQLITE_NULL:
        return {};
    case SQLITE_INTEGER:
        return QVariant::fromValue<qint64>(sqlite3_column_int64(m_stmt, column));
    default: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
        const int bytes = sqlite3_column_bytes(m_stmt, column);
        // An empty string is a value, not NULL: keep the two apart for the callers that test for "no value".
        return bytes == 0 ? empty : QVariant(QString::fromUtf8(text, bytes));
    }
    }
}

qint64 Statement::int64(int column) const {
    return sqlite3_column_int64(m_stmt, column);
}

Statement::Kind Statement::kind(int column) const {
    switch (sqlite3_column_type(m_stmt, column)) {
    case SQLITE_NULL:
        return Kind::Null;
    case SQLITE_INTEGER:
        return Kind::Integer;
    default:
        return Kind::Text;
    }
}

std::string_view Statement::utf8(int column) const {
    // The text first, then its length: asking for the length first could convert the value twice.
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
    const int bytes = sqlite3_column_bytes(m_stmt, column);
    if (!text && sqlite3_errcode(m_connection.handle()) == SQLITE_NOMEM)
        throw StoreError(StoreError::Kind::NoMemory, QStringLiteral("no memory for a result value"));
    return text ? std::string_view(text, size_t(bytes)) : std::string_view();
}

} // namespace corvessa::store
