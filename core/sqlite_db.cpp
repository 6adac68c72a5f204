// SPDX-License-Identifier: MIT
#include "core/sqlite_db.h"

#include <utility>

#include <sqlite3.h>

namespace zonedesk::core {

std::optional<SqliteDb>
SqliteDb::open(const std::string& path, Mode mode, std::string& error, int busyMilliseconds)
{
    sqlite3* db = nullptr;
    const int flags =
        (mode == Mode::ReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE) |
        SQLITE_OPEN_NOMUTEX;
    const int result = sqlite3_open_v2(path.c_str(), &db, flags, nullptr);
    if (result != SQLITE_OK) {
        error = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(result);
        sqlite3_close(db);
        return std::nullopt;
    }
    sqlite3_busy_timeout(db, busyMilliseconds);
    sqlite3_extended_result_codes(db, 1);
    return SqliteDb(db);
}

SqliteDb::SqliteDb(SqliteDb&& other) noexcept
    : m_db(std::exchange(other.m_db, nullptr))
{}

SqliteDb& SqliteDb::operator=(SqliteDb&& other) noexcept
{
    if (this != &other) {
        sqlite3_close(m_db);
        m_db = std::exchange(other.m_db, nullptr);
    }
    return *this;
}

SqliteDb::~SqliteDb()
{
    sqlite3_close(m_db);
}

bool SqliteDb::exec(std::string_view sql, std::string& error)
{
    char* message = nullptr;
    const std::string text(sql);
    if (sqlite3_exec(m_db, text.c_str(), nullptr, nullptr, &message) == SQLITE_OK)
        return true;
    error = message != nullptr ? message : sqlite3_errmsg(m_db);
    sqlite3_free(message);
    return false;
}

std::optional<SqliteStatement> SqliteDb::prepare(std::string_view sql, std::string& error)
{
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(m_db, sql.data(), static_cast<int>(sql.size()), &statement, nullptr) !=
        SQLITE_OK) {
        error = sqlite3_errmsg(m_db);
        sqlite3_finalize(statement);
        return std::nullopt;
    }
    return SqliteStatement(statement);
}

std::int64_t SqliteDb::lastInsertId() const
{
    return sqlite3_last_insert_rowid(m_db);
}

int SqliteDb::changes() const
{
    return sqlite3_changes(m_db);
}

std::string SqliteDb::message() const
{
    return sqlite3_errmsg(m_db);
}

bool SqliteDb::busy() const
{
    const int code = sqlite3_extended_errcode(m_db) & 0xff; // the primary code of an extended one
    return code == SQLITE_BUSY || code == SQLITE_LOCKED;
}

SqliteStatement::SqliteStatement(SqliteStatement&& other) noexcept
    : m_statement(std::exchange(other.m_statement, nullptr))
{}

SqliteStatement& SqliteStatement::operator=(SqliteStatement&& other) noexcept
{
    if (this != &other) {
        sqlite3_finalize(m_statement);
        m_statement = std::exchange(other.m_statement, nullptr);
    }
    return *this;
}

SqliteStatement::~SqliteStatement()
{
    sqlite3_finalize(m_statement);
}

SqliteStatement& SqliteStatement::bind(int index, std::int64_t value)
{
    sqlite3_bind_int64(m_statement, index, value);
    return *this;
}

SqliteStatement& SqliteStatement::bind(int index, std::string_view text)
{
    sqlite3_bind_text64(m_statement, index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
    return *this;
}

SqliteStatement& SqliteStatement::bindBlob(int index, std::string_view bytes)
{
    sqlite3_bind_blob64(m_statement, index, bytes.data(), bytes.size(), SQLITE_TRANSIENT);
    return *this;
}

SqliteStatement& SqliteStatement::bindNull(int index)
{
    sqlite3_bind_null(m_statement, index);
    return *this;
}

SqliteStatement::Step SqliteStatement::step()
{
    switch (sqlite3_step(m_statement)) {
    case SQLITE_ROW: return Step::Row;
    case SQLITE_DONE: return Step::Done;
    default: return Step::Error;
    }
}

void SqliteStatement::reset()
{
    sqlite3_reset(m_statement);
    sqlite3_clear_bindings(m_statement);
}

std::int64_t SqliteStatement::integer(int column) const
{
    return sqlite3_column_int64(m_statement, column);
}

std::string SqliteStatement::text(int column) const
{
    return std::string(bytes(column));
}

std::string_view SqliteStatement::bytes(int column) const
{
    // A blob or text column, bytes as stored (a raw reply may hold any byte).
    const void* bytes = sqlite3_column_blob(m_statement, column);
    const int size = sqlite3_column_bytes(m_statement, column);
    return bytes != nullptr && size > 0
               ? std::string_view(static_cast<const char*>(bytes), static_cast<std::size_t>(size))
               : std::string_view();
}

bool SqliteStatement::isNull(int column) const
{
    return sqlite3_column_type(m_statement, column) == SQLITE_NULL;
}

SqliteTransaction::SqliteTransaction(SqliteDb& db, std::string& error)
    : m_db(db)
    , m_began(db.exec("BEGIN IMMEDIATE", error))
{}

SqliteTransaction::~SqliteTransaction()
{
    if (m_began && !m_done) {
        std::string ignored;
        m_db.exec("ROLLBACK", ignored);
    }
}

bool SqliteTransaction::commit(std::string& error)
{
    if (!m_began)
        return false;
    m_done = m_db.exec("COMMIT", error);
    return m_done;
}

} // namespace zonedesk::core
