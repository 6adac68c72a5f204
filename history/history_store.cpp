// SPDX-License-Identifier: MIT
#include "history/history_store.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <span>
#include <system_error>

namespace zonedesk::history {

namespace {

/// Schema migrations: entry i takes a database from version i to version i + 1.
constexpr const char* Migrations[] = {
    R"sql(
CREATE TABLE runs(
    id INTEGER PRIMARY KEY,
    started INTEGER NOT NULL,
    ended INTEGER,
    total INTEGER NOT NULL DEFAULT 0,
    registered INTEGER NOT NULL DEFAULT 0,
    available INTEGER NOT NULL DEFAULT 0,
    errors INTEGER NOT NULL DEFAULT 0,
    program TEXT NOT NULL
);
CREATE TABLE lookups(
    id INTEGER PRIMARY KEY,
    run_id INTEGER NOT NULL REFERENCES runs(id) ON DELETE CASCADE,
    time INTEGER NOT NULL,
    name TEXT NOT NULL,
    server TEXT NOT NULL,
    source TEXT NOT NULL,
    status INTEGER NOT NULL,
    expiry TEXT NOT NULL,
    registration TEXT NOT NULL,
    updated TEXT NOT NULL,
    owner TEXT NOT NULL,
    email TEXT NOT NULL,
    registrar TEXT NOT NULL,
    error TEXT NOT NULL,
    raw BLOB
);
CREATE INDEX lookups_by_name ON lookups(name, id);
CREATE INDEX lookups_by_time ON lookups(time);
)sql",
};

constexpr int MigrationCount = static_cast<int>(std::size(Migrations));
static_assert(MigrationCount == HistoryStore::SchemaVersion);

/// A lookup's columns before its result fields, and after them (the raw reply follows all).
constexpr std::string_view LeadingColumns[] = {"id", "run_id", "time", "name", "server", "source", "status"};
constexpr std::string_view TrailingColumn = "error";
constexpr int FirstFieldColumn = static_cast<int>(std::size(LeadingColumns));
constexpr int ErrorColumn = FirstFieldColumn + static_cast<int>(core::FieldCount);
constexpr int EntryColumnCount = ErrorColumn + 1;

/// "l.id, l.run_id, …, l.<field>, …, l.error": an entry's columns read from the table named `alias`.
std::string entryColumns(std::string_view alias)
{
    std::string list;
    const auto add = [&](std::string_view column) {
        list += (list.empty() ? "" : ", ") + std::string(alias) + "." + std::string(column);
    };
    for (const std::string_view column : LeadingColumns)
        add(column);
    for (const core::ResultField& field : core::ResultFields)
        add(field.column);
    add(TrailingColumn);
    return list;
}

/// The INSERT of one lookup: every column but the id, the raw reply last.
std::string insertStatement()
{
    std::string columns;
    std::string marks;
    const auto add = [&](std::string_view column) {
        columns += (columns.empty() ? "" : ", ") + std::string(column);
        marks += marks.empty() ? "?" : ", ?";
    };
    for (const std::string_view column : std::span(LeadingColumns).subspan(1))
        add(column);
    for (const core::ResultField& field : core::ResultFields)
        add(field.column);
    add(TrailingColumn);
    add("raw");
    return "INSERT INTO lookups(" + columns + ") VALUES(" + marks + ")";
}

/// Every row of `statement`, each made by `read`; none, with the error, when a step fails.
template <typename Read>
auto rowsOf(core::SqliteDb& db, core::SqliteStatement& statement, std::string& error, Read read)
    -> std::optional<std::vector<decltype(read(statement))>>
{
    std::vector<decltype(read(statement))> rows;
    core::SqliteStatement::Step step;
    while ((step = statement.step()) == core::SqliteStatement::Step::Row)
        rows.push_back(read(statement));
    if (step == core::SqliteStatement::Step::Error) {
        error = db.message();
        return std::nullopt;
    }
    return rows;
}

/// Gives the lookups table a column for every result field it lacks (a field added since the file
/// was made), so that a new field needs no migration of its own.
bool addMissingFieldColumns(core::SqliteDb& db, std::string& error)
{
    auto statement = db.prepare("SELECT name FROM pragma_table_info('lookups')", error);
    if (!statement)
        return false;
    const auto present =
        rowsOf(db, *statement, error, [](const core::SqliteStatement& row) { return row.text(0); });
    if (!present)
        return false;
    for (const core::ResultField& field : core::ResultFields) {
        if (std::find(present->begin(), present->end(), field.column) != present->end())
            continue;
        if (!db.exec("ALTER TABLE lookups ADD COLUMN " + std::string(field.column) +
                         " TEXT NOT NULL DEFAULT ''",
                     error))
            return false;
    }
    return true;
}

std::optional<int> userVersion(core::SqliteDb& db, std::string& error)
{
    auto statement = db.prepare("PRAGMA user_version", error);
    if (!statement || statement->step() != core::SqliteStatement::Step::Row) {
        if (error.empty())
            error = db.message();
        return std::nullopt;
    }
    return static_cast<int>(statement->integer(0));
}

} // namespace

std::string defaultHistoryPath()
{
    const char* data = std::getenv("XDG_DATA_HOME"); // NOLINT(concurrency-mt-unsafe): read before any thread
    std::filesystem::path folder;
    if (data != nullptr && *data == '/') {
        folder = data;
    } else {
        const char* home = std::getenv("HOME"); // NOLINT(concurrency-mt-unsafe)
        folder = std::filesystem::path(home != nullptr && *home != '\0' ? home : "/tmp") / ".local" / "share";
    }
    return (folder / "zonedesk" / "history.sqlite3").string();
}

std::unique_ptr<HistoryStore> HistoryStore::open(const std::string& path, std::string& error)
{
    std::error_code made;
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (!folder.empty())
        std::filesystem::create_directories(folder, made);
    if (made) {
        error = "cannot make the folder " + folder.string() + ": " + made.message();
        return nullptr;
    }
    std::string why;
    auto db = core::SqliteDb::open(path, core::SqliteDb::Mode::ReadWriteCreate, why);
    if (!db) {
        error = "cannot open " + path + ": " + why;
        return nullptr;
    }
    // Reading the version is the first touch of the file: a file that is not a database fails here.
    const auto version = userVersion(*db, why);
    if (!version) {
        error = path + ": " + why;
        return nullptr;
    }
    if (*version > SchemaVersion) {
        error = path + " has schema version " + std::to_string(*version) + "; this program knows up to " +
                std::to_string(SchemaVersion) + " (written by a newer zonedesk)";
        return nullptr;
    }
    if (!db->exec("PRAGMA foreign_keys = ON", why) || !db->exec("PRAGMA journal_mode = WAL", why) ||
        !db->exec("PRAGMA synchronous = NORMAL", why)) {
        error = path + ": " + why;
        return nullptr;
    }
    for (int from = *version; from < SchemaVersion; ++from) {
        core::SqliteTransaction transaction(*db, why);
        if (!transaction.began() || !db->exec(Migrations[from], why) ||
            !db->exec("PRAGMA user_version = " + std::to_string(from + 1), why) || !transaction.commit(why)) {
            error = path;
            error += ": cannot bring the schema to version " + std::to_string(from + 1) + ": " + why;
            return nullptr;
        }
    }
    if (!addMissingFieldColumns(*db, why)) {
        error = path + ": cannot add the new result fields: " + why;
        return nullptr;
    }
    return std::unique_ptr<HistoryStore>(new HistoryStore(std::move(*db)));
}

std::optional<std::int64_t>
HistoryStore::beginRun(std::int64_t now, std::string_view program, std::string& error)
{
    if (!execute(
            "INSERT INTO runs(started, program) VALUES(?, ?)",
            [&](core::SqliteStatement& statement) { statement.bind(1, now).bind(2, program); },
            error))
        return std::nullopt;
    return m_db.lastInsertId();
}

bool HistoryStore::endRun(std::int64_t runId, std::int64_t now, const RunCounts& counts, std::string& error)
{
    return execute(
        "UPDATE runs SET ended = ?, total = ?, registered = ?, available = ?, errors = ? WHERE id = ?",
        [&](core::SqliteStatement& statement) {
            statement.bind(1, now)
                .bind(2, counts.total)
                .bind(3, counts.registered)
                .bind(4, counts.available)
                .bind(5, counts.errors)
                .bind(6, runId);
        },
        error);
}

bool HistoryStore::execute(const std::string& sql, const Binder& bind, std::string& error)
{
    auto statement = m_db.prepare(sql, error);
    if (!statement)
        return false;
    bind(*statement);
    if (statement->step() != core::SqliteStatement::Step::Done) {
        error = m_db.message();
        return false;
    }
    return true;
}

bool HistoryStore::add(std::vector<HistoryEntry>& entries, std::string& error)
{
    if (entries.empty())
        return true;
    core::SqliteTransaction transaction(m_db, error);
    if (!transaction.began())
        return false;
    auto statement = m_db.prepare(insertStatement(), error);
    if (!statement)
        return false;
    for (HistoryEntry& entry : entries) {
        statement->bind(1, entry.runId)
            .bind(2, entry.time)
            .bind(3, entry.name)
            .bind(4, entry.server)
            .bind(5, entry.source)
            .bind(6, std::int64_t{entry.status});
        int column = FirstFieldColumn; // the id is not bound: the binds are one to the left
        for (const core::ResultField& field : core::ResultFields)
            statement->bind(column++, entry.values[field.field]);
        statement->bind(column++, entry.error);
        if (entry.raw.empty())
            statement->bindNull(column);
        else
            statement->bindBlob(column, entry.raw);
        if (statement->step() != core::SqliteStatement::Step::Done) {
            error = m_db.message();
            return false;
        }
        entry.id = m_db.lastInsertId();
        statement->reset();
    }
    return transaction.commit(error);
}

HistoryEntry HistoryStore::entryAt(const core::SqliteStatement& statement, int c)
{
    HistoryEntry entry;
    entry.id = statement.integer(c);
    entry.runId = statement.integer(c + 1);
    entry.time = statement.integer(c + 2);
    entry.name = statement.text(c + 3);
    entry.server = statement.text(c + 4);
    entry.source = statement.text(c + 5);
    entry.status = static_cast<std::int32_t>(statement.integer(c + 6));
    int column = c + FirstFieldColumn;
    for (const core::ResultField& field : core::ResultFields)
        entry.values[field.field] = statement.text(column++);
    entry.error = statement.text(c + ErrorColumn);
    entry.raw = statement.text(c + EntryColumnCount);
    return entry;
}

std::optional<std::vector<HistoryEntry>>
HistoryStore::readEntries(const std::string& sql, const Binder& bind, std::string& error)
{
    auto statement = m_db.prepare(sql, error);
    if (!statement)
        return std::nullopt;
    if (bind)
        bind(*statement);
    return rowsOf(m_db, *statement, error, [](const core::SqliteStatement& row) { return entryAt(row, 0); });
}

bool HistoryStore::latest(std::string_view name, std::optional<HistoryEntry>& entry, std::string& error)
{
    auto entries = readEntries(
        "SELECT " + entryColumns("l") + ", NULL FROM lookups l WHERE l.name = ? ORDER BY l.id DESC LIMIT 1",
        [name](core::SqliteStatement& statement) { statement.bind(1, name); },
        error);
    if (!entries)
        return false;
    entry.reset();
    if (!entries->empty())
        entry = std::move(entries->front());
    return true;
}

std::optional<std::vector<HistoryEntry>>
HistoryStore::history(std::string_view name, bool withRaw, std::string& error, int limit)
{
    return readEntries(
        "SELECT " + entryColumns("l") + (withRaw ? ", l.raw" : ", NULL") +
            " FROM lookups l WHERE l.name = ? ORDER BY l.id DESC LIMIT ?",
        [name, limit](core::SqliteStatement& statement) {
            statement.bind(1, name).bind(2, std::int64_t{limit});
        },
        error);
}

std::optional<std::vector<RunEntry>> HistoryStore::runs(std::string& error, int limit)
{
    auto statement = m_db.prepare("SELECT id, started, ended, total, registered, available, errors, program "
                                  "FROM runs ORDER BY id DESC LIMIT ?",
                                  error);
    if (!statement)
        return std::nullopt;
    statement->bind(1, std::int64_t{limit});
    return rowsOf(m_db, *statement, error, [](const core::SqliteStatement& row) {
        RunEntry run;
        run.id = row.integer(0);
        run.started = row.integer(1);
        if (!row.isNull(2))
            run.ended = row.integer(2);
        run.total = row.integer(3);
        run.registered = row.integer(4);
        run.available = row.integer(5);
        run.errors = row.integer(6);
        run.program = row.text(7);
        return run;
    });
}

std::optional<std::vector<std::pair<HistoryEntry, HistoryEntry>>> HistoryStore::pairsSince(std::int64_t time,
                                                                                           std::string& error)
{
    // Each row: the name's lookup before (p), then the lookup since `time` (l).
    const std::string sql = "SELECT " + entryColumns("p") + ", NULL, " + entryColumns("l") +
                            ", NULL FROM lookups l JOIN lookups p ON p.id = (SELECT MAX(q.id) FROM lookups q "
                            "WHERE q.name = l.name AND q.id < l.id) WHERE l.time >= ? ORDER BY l.id";
    auto statement = m_db.prepare(sql, error);
    if (!statement)
        return std::nullopt;
    statement->bind(1, time);
    return rowsOf(m_db, *statement, error, [](const core::SqliteStatement& row) {
        return std::pair(entryAt(row, 0), entryAt(row, EntryColumnCount + 1));
    });
}

std::optional<std::vector<HistoryEntry>> HistoryStore::lastRun(std::string& error)
{
    return readEntries("SELECT " + entryColumns("l") +
                           ", NULL FROM lookups l WHERE l.run_id = (SELECT MAX(run_id) FROM lookups) "
                           "ORDER BY l.id",
                       {},
                       error);
}

std::optional<std::int64_t> HistoryStore::prune(int keepDays, std::int64_t now, std::string& error)
{
    if (!execute(
            "DELETE FROM lookups WHERE time < ? AND id NOT IN (SELECT MAX(id) FROM lookups GROUP BY name)",
            [&](core::SqliteStatement& statement) {
                statement.bind(1, now - std::int64_t{keepDays} * 86400);
            },
            error))
        return std::nullopt;
    return m_db.changes();
}

} // namespace zonedesk::history
