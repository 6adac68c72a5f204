// SPDX-License-Identifier: MIT
#include "lookup/history_store.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace zonedesk::lookup {

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

constexpr const char* EntryColumns =
    "l.id, l.run_id, l.time, l.name, l.server, l.source, l.status, l.expiry, "
    "l.registration, l.updated, l.owner, l.email, l.registrar, l.error";
constexpr int EntryColumnCount = 14;

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
    return std::unique_ptr<HistoryStore>(new HistoryStore(std::move(*db)));
}

std::optional<std::int64_t>
HistoryStore::beginRun(std::int64_t now, std::string_view program, std::string& error)
{
    auto statement = m_db.prepare("INSERT INTO runs(started, program) VALUES(?, ?)", error);
    if (!statement)
        return std::nullopt;
    statement->bind(1, now).bind(2, program);
    if (statement->step() != core::SqliteStatement::Step::Done) {
        error = m_db.message();
        return std::nullopt;
    }
    return m_db.lastInsertId();
}

bool HistoryStore::endRun(std::int64_t runId, std::int64_t now, const RunCounts& counts, std::string& error)
{
    auto statement = m_db.prepare(
        "UPDATE runs SET ended = ?, total = ?, registered = ?, available = ?, errors = ? WHERE id = ?",
        error);
    if (!statement)
        return false;
    statement->bind(1, now)
        .bind(2, counts.total)
        .bind(3, counts.registered)
        .bind(4, counts.available)
        .bind(5, counts.errors)
        .bind(6, runId);
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
    auto statement = m_db.prepare("INSERT INTO lookups(run_id, time, name, server, source, status, expiry, "
                                  "registration, updated, owner, email, registrar, error, raw) "
                                  "VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                                  error);
    if (!statement)
        return false;
    for (HistoryEntry& entry : entries) {
        statement->bind(1, entry.runId)
            .bind(2, entry.time)
            .bind(3, entry.name)
            .bind(4, entry.server)
            .bind(5, entry.source)
            .bind(6, std::int64_t{entry.status})
            .bind(7, entry.expiry)
            .bind(8, entry.registration)
            .bind(9, entry.updated)
            .bind(10, entry.owner)
            .bind(11, entry.email)
            .bind(12, entry.registrar)
            .bind(13, entry.error);
        if (entry.raw.empty())
            statement->bindNull(14);
        else
            statement->bindBlob(14, entry.raw);
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
    entry.expiry = statement.text(c + 7);
    entry.registration = statement.text(c + 8);
    entry.updated = statement.text(c + 9);
    entry.owner = statement.text(c + 10);
    entry.email = statement.text(c + 11);
    entry.registrar = statement.text(c + 12);
    entry.error = statement.text(c + 13);
    entry.raw = statement.text(c + EntryColumnCount);
    return entry;
}

std::vector<HistoryEntry> HistoryStore::readEntries(core::SqliteStatement& statement)
{
    std::vector<HistoryEntry> entries;
    while (statement.step() == core::SqliteStatement::Step::Row)
        entries.push_back(entryAt(statement, 0));
    return entries;
}

std::optional<HistoryEntry> HistoryStore::latest(std::string_view name)
{
    std::string error;
    auto statement = m_db.prepare(std::string("SELECT ") + EntryColumns +
                                      ", NULL FROM lookups l WHERE l.name = ? ORDER BY l.id DESC LIMIT 1",
                                  error);
    if (!statement)
        return std::nullopt;
    statement->bind(1, name);
    auto entries = readEntries(*statement);
    if (entries.empty())
        return std::nullopt;
    return std::move(entries.front());
}

std::vector<HistoryEntry> HistoryStore::history(std::string_view name, bool withRaw, int limit)
{
    std::string error;
    auto statement = m_db.prepare(std::string("SELECT ") + EntryColumns + (withRaw ? ", l.raw" : ", NULL") +
                                      " FROM lookups l WHERE l.name = ? ORDER BY l.id DESC LIMIT ?",
                                  error);
    if (!statement)
        return {};
    statement->bind(1, name).bind(2, std::int64_t{limit});
    return readEntries(*statement);
}

std::vector<RunEntry> HistoryStore::runs(int limit)
{
    std::string error;
    auto statement = m_db.prepare("SELECT id, started, ended, total, registered, available, errors, program "
                                  "FROM runs ORDER BY id DESC LIMIT ?",
                                  error);
    std::vector<RunEntry> runs;
    if (!statement)
        return runs;
    statement->bind(1, std::int64_t{limit});
    while (statement->step() == core::SqliteStatement::Step::Row) {
        RunEntry run;
        run.id = statement->integer(0);
        run.started = statement->integer(1);
        if (!statement->isNull(2))
            run.ended = statement->integer(2);
        run.total = statement->integer(3);
        run.registered = statement->integer(4);
        run.available = statement->integer(5);
        run.errors = statement->integer(6);
        run.program = statement->text(7);
        runs.push_back(std::move(run));
    }
    return runs;
}

std::vector<std::pair<HistoryEntry, HistoryEntry>> HistoryStore::pairsSince(std::int64_t time)
{
    // Each row: the name's lookup before (p), then the lookup since `time` (l).
    std::string before(EntryColumns);
    for (std::size_t at = before.find("l."); at != std::string::npos; at = before.find("l.", at + 2))
        before.replace(at, 2, "p.");
    const std::string sql = "SELECT " + before + ", NULL, " + EntryColumns +
                            ", NULL FROM lookups l JOIN lookups p ON p.id = (SELECT MAX(q.id) FROM lookups q "
                            "WHERE q.name = l.name AND q.id < l.id) WHERE l.time >= ? ORDER BY l.id";
    std::string error;
    auto statement = m_db.prepare(sql, error);
    std::vector<std::pair<HistoryEntry, HistoryEntry>> pairs;
    if (!statement)
        return pairs;
    statement->bind(1, time);
    while (statement->step() == core::SqliteStatement::Step::Row)
        pairs.emplace_back(entryAt(*statement, 0), entryAt(*statement, EntryColumnCount + 1));
    return pairs;
}

std::vector<HistoryEntry> HistoryStore::lastRun()
{
    std::string error;
    auto statement =
        m_db.prepare(std::string("SELECT ") + EntryColumns +
                         ", NULL FROM lookups l WHERE l.run_id = (SELECT MAX(run_id) FROM lookups) "
                         "ORDER BY l.id",
                     error);
    return statement ? readEntries(*statement) : std::vector<HistoryEntry>{};
}

std::optional<std::int64_t> HistoryStore::prune(int keepDays, std::int64_t now, std::string& error)
{
    auto statement = m_db.prepare("DELETE FROM lookups WHERE time < ? AND id NOT IN "
                                  "(SELECT MAX(id) FROM lookups GROUP BY name)",
                                  error);
    if (!statement)
        return std::nullopt;
    statement->bind(1, now - std::int64_t{keepDays} * 86400);
    if (statement->step() != core::SqliteStatement::Step::Done) {
        error = m_db.message();
        return std::nullopt;
    }
    return m_db.changes();
}

} // namespace zonedesk::lookup
