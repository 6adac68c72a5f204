// SPDX-License-Identifier: MIT
// A small RAII wrapper over SQLite's C API: a connection, prepared statements and transactions.
// Errors are values (the library's message), never exceptions.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace zonedesk::core {

class SqliteStatement;

class SqliteDb
{
public:
    enum class Mode
    {
        ReadWriteCreate,
        ReadOnly,
    };

    /// Opens (or creates) the database at `path`; on failure `error` says why and the result is
    /// empty. A locked database is waited for up to `busyMilliseconds`.
    static std::optional<SqliteDb>
    open(const std::string& path, Mode mode, std::string& error, int busyMilliseconds = 2000);

    SqliteDb(SqliteDb&&) noexcept;
    SqliteDb& operator=(SqliteDb&&) noexcept;
    ~SqliteDb();

    /// Runs statements without results; false with `error` set on failure.
    bool exec(std::string_view sql, std::string& error);

    /// A prepared statement; empty (and `error` set) when the SQL does not compile.
    std::optional<SqliteStatement> prepare(std::string_view sql, std::string& error);

    std::int64_t lastInsertId() const;

    int changes() const;

    std::string message() const;

    /// True when the last call failed because another connection held the lock it needed: worth
    /// trying again, unlike every other failure.
    bool busy() const;

    sqlite3* handle() const { return m_db; }

private:
    explicit SqliteDb(sqlite3* db)
        : m_db(db)
    {}

    sqlite3* m_db = nullptr;
};

class SqliteStatement
{
public:
    SqliteStatement(SqliteStatement&&) noexcept;
    SqliteStatement& operator=(SqliteStatement&&) noexcept;
    ~SqliteStatement();

    /// Parameters count from 1, as in SQLite.
    SqliteStatement& bind(int index, std::int64_t value);
    SqliteStatement& bind(int index, std::string_view text);
    SqliteStatement& bindBlob(int index, std::string_view bytes);
    SqliteStatement& bindNull(int index);

    enum class Step
    {
        Row,
        Done,
        Error,
    };

    Step step();

    /// Ready to run again with new bindings.
    void reset();

    std::int64_t integer(int column) const;
    std::string text(int column) const;
    /// The column's bytes as stored, valid until the next step() or reset().
    std::string_view bytes(int column) const;
    bool isNull(int column) const;

private:
    friend class SqliteDb;

    explicit SqliteStatement(sqlite3_stmt* statement)
        : m_statement(statement)
    {}

    sqlite3_stmt* m_statement = nullptr;
};

/// BEGIN IMMEDIATE on construction, ROLLBACK on destruction unless commit() succeeded.
class SqliteTransaction
{
public:
    SqliteTransaction(SqliteDb& db, std::string& error);
    ~SqliteTransaction();
    SqliteTransaction(const SqliteTransaction&) = delete;
    SqliteTransaction& operator=(const SqliteTransaction&) = delete;

    bool began() const { return m_began; }

    bool commit(std::string& error);

private:
    SqliteDb& m_db;
    bool m_began = false;
    bool m_done = false;
};

} // namespace zonedesk::core
