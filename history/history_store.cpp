// SPDX-License-Identifier: MIT
#include "history/history_store.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <span>
#include <system_error>
#include <thread>

#include "core/lookup_status.h"
#include "history/stored_reply.h"

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
    // Replies stored compressed say so, and name the dictionary trained on the file's own replies
    // they were compressed against (none: ours); rows from before keep 0, the bytes as received.
    R"sql(
ALTER TABLE lookups ADD COLUMN raw_format INTEGER NOT NULL DEFAULT 0;
ALTER TABLE lookups ADD COLUMN raw_dictionary INTEGER;
CREATE TABLE reply_dictionaries(
    id INTEGER PRIMARY KEY,
    after_lookup INTEGER NOT NULL,
    bytes BLOB NOT NULL
);
CREATE INDEX lookups_by_run ON lookups(run_id);
)sql",
    // A run keeps its whole list, so that the names it never reached come back too, and names the
    // run whose list it went on with.
    R"sql(
CREATE TABLE run_names(
    run_id INTEGER NOT NULL REFERENCES runs(id) ON DELETE CASCADE,
    position INTEGER NOT NULL,
    name TEXT NOT NULL,
    server TEXT NOT NULL,
    PRIMARY KEY(run_id, position)
) WITHOUT ROWID;
ALTER TABLE runs ADD COLUMN resumes INTEGER;
)sql",
};

constexpr int MigrationCount = static_cast<int>(std::size(Migrations));
static_assert(MigrationCount == HistoryStore::SchemaVersion);

/// A lookup's columns before its result fields, and after them (the raw reply and its format
/// follow all).
constexpr std::string_view LeadingColumns[] = {"id", "run_id", "time", "name", "server", "source", "status"};
constexpr std::string_view TrailingColumn = "error";
constexpr int FirstFieldColumn = static_cast<int>(std::size(LeadingColumns));
constexpr int ErrorColumn = FirstFieldColumn + static_cast<int>(core::FieldCount);
constexpr int EntryColumnCount = ErrorColumn + 1;
constexpr int RowColumnCount = EntryColumnCount + 3;

/// The reply's columns after an entry's: the reply itself, or none.
constexpr std::string_view WithRaw = ", l.raw, l.raw_format, l.raw_dictionary";
constexpr std::string_view WithoutRaw = ", NULL, 0, NULL";

/// A file trains a dictionary of its own on its latest TrainOn replies once it holds TrainAfter,
/// and a new one after every RetrainAfter more (a list whose registries changed). Replies of one
/// registry share most of their text (notices, terms of use) that our dictionary can't hold.
constexpr std::int64_t TrainAfter = 200;
constexpr std::int64_t RetrainAfter = 5000;
/// The retraining in a long run comes at its busiest, so its buffers are kept small: measured on
/// the shared corpora, 128 KiB of replies train a dictionary as good as 2 MiB did.
constexpr std::int64_t TrainOn = 500;
constexpr std::size_t TrainOnBytes = std::size_t{128} << 10; // a few large replies must not take more
constexpr std::size_t DictionaryCapacity = std::size_t{16} * 1024;

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

/// The INSERT of one lookup: every column but the id, the raw reply and its format last.
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
    add("raw_format");
    add("raw_dictionary");
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

/// The result fields the lookups table has no column for (fields added since the file was made).
std::optional<std::vector<std::string_view>> missingFieldColumns(core::SqliteDb& db, std::string& error)
{
    auto statement = db.prepare("SELECT name FROM pragma_table_info('lookups')", error);
    if (!statement)
        return std::nullopt;
    const auto present =
        rowsOf(db, *statement, error, [](const core::SqliteStatement& row) { return row.text(0); });
    if (!present)
        return std::nullopt;
    std::vector<std::string_view> missing;
    for (const core::ResultField& field : core::ResultFields) {
        if (std::find(present->begin(), present->end(), field.column) == present->end())
            missing.push_back(field.column);
    }
    return missing;
}

enum class SchemaStep
{
    Ready,
    Busy, // another connection held a lock: worth another try
    Failed,
};

/// Brings the schema to SchemaVersion and gives the lookups table a column for every result field
/// it lacks, so that a new field needs no migration of its own. A file that lacks nothing is only
/// read. Otherwise the write lock is taken first (BEGIN IMMEDIATE) and everything read again under
/// it: a read lock is never raised to a write lock, which SQLite refuses at once, busy handler or
/// not, when another connection waits for the same; and of two programs opening a new file at
/// once, the second finds the first one's schema rather than making it again.
SchemaStep prepareSchema(core::SqliteDb& db, std::string& error)
{
    const auto failed = [&db] { return db.busy() ? SchemaStep::Busy : SchemaStep::Failed; };
    // Reading the version is the first touch of the file: a file that is not a database fails here.
    auto version = userVersion(db, error);
    if (!version)
        return failed();
    if (*version > HistoryStore::SchemaVersion) {
        error = "has schema version " + std::to_string(*version) + "; this program knows up to " +
                std::to_string(HistoryStore::SchemaVersion) + " (written by a newer zonedesk)";
        return SchemaStep::Failed;
    }
    // Space freed by prune goes back to the system: set before the first table, which is the only
    // time it can be, and only then, as setting it writes.
    if (*version == 0 && !db.exec("PRAGMA auto_vacuum = INCREMENTAL", error))
        return failed();
    if (!db.exec("PRAGMA foreign_keys = ON", error) || !db.exec("PRAGMA journal_mode = WAL", error) ||
        !db.exec("PRAGMA synchronous = NORMAL", error))
        return failed();
    std::optional<std::vector<std::string_view>> missing;
    if (*version == HistoryStore::SchemaVersion) {
        missing = missingFieldColumns(db, error);
        if (!missing)
            return failed();
        if (missing->empty())
            return SchemaStep::Ready;
    }
    core::SqliteTransaction transaction(db, error);
    if (!transaction.began())
        return failed();
    version = userVersion(db, error);
    if (!version)
        return failed();
    for (int from = *version; from < HistoryStore::SchemaVersion; ++from) {
        if (!db.exec(Migrations[from], error) ||
            !db.exec("PRAGMA user_version = " + std::to_string(from + 1), error)) {
            error.insert(0, "cannot bring the schema to version " + std::to_string(from + 1) + ": ");
            return failed();
        }
    }
    missing = missingFieldColumns(db, error);
    if (!missing)
        return failed();
    for (const std::string_view column : *missing) {
        if (!db.exec("ALTER TABLE lookups ADD COLUMN " + std::string(column) + " TEXT NOT NULL DEFAULT ''",
                     error)) {
            error.insert(0, "cannot add the new result fields: ");
            return failed();
        }
    }
    return transaction.commit(error) ? SchemaStep::Ready : failed();
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
    auto store = open(std::move(*db), why);
    if (!store)
        error = path + ": " + why;
    return store;
}

std::unique_ptr<HistoryStore> HistoryStore::open(core::SqliteDb db, std::string& error)
{
    // A lock met on the way (a new file's first writer, a switch to write-ahead logging) is
    // waited out by trying again, for a bounded time.
    constexpr auto Patience = std::chrono::seconds(10);
    constexpr auto Pause = std::chrono::milliseconds(20);
    const auto deadline = std::chrono::steady_clock::now() + Patience;
    for (;;) {
        error.clear();
        const SchemaStep step = prepareSchema(db, error);
        if (step == SchemaStep::Ready)
            return std::unique_ptr<HistoryStore>(new HistoryStore(std::move(db)));
        if (step == SchemaStep::Failed || std::chrono::steady_clock::now() >= deadline)
            return nullptr;
        std::this_thread::sleep_for(Pause);
    }
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

bool HistoryStore::limitPageCache(int kibibytes, std::string& error)
{
    return m_db.exec("PRAGMA cache_size = -" + std::to_string(kibibytes), error);
}

bool HistoryStore::add(std::vector<HistoryEntry>& entries, std::string& error)
{
    if (entries.empty())
        return true;
    // A dictionary is stored (committed) before any row names it.
    if (!chooseDictionary(error))
        return false;
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
        if (const std::int64_t with = m_dictionaryId.value_or(0); !m_packer || with != m_packedWith) {
            m_packer = std::make_unique<ReplyPacker>(m_dictionaryId ? m_dictionary : replyDictionary());
            m_packedWith = with;
        }
        const StoredReply stored = m_packer->pack(entry.raw);
        if (entry.raw.empty())
            statement->bindNull(column);
        else
            statement->bindBlob(column, stored.bytes);
        statement->bind(column + 1, static_cast<std::int64_t>(stored.format));
        if (stored.format == ReplyFormat::Zstd && m_dictionaryId)
            statement->bind(column + 2, *m_dictionaryId);
        else
            statement->bindNull(column + 2);
        m_sinceDictionary += entry.raw.empty() ? 0 : 1;
        if (statement->step() != core::SqliteStatement::Step::Done) {
            error = m_db.message();
            return false;
        }
        entry.id = m_db.lastInsertId();
        statement->reset();
    }
    return transaction.commit(error);
}

bool HistoryStore::entryAt(const core::SqliteStatement& statement,
                           int c,
                           HistoryEntry& entry,
                           std::string& error)
{
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
    entry.raw.clear();
    if (replyAt(statement, c + EntryColumnCount, entry.raw, error))
        return true;
    error = "the reply of lookup " + std::to_string(entry.id) + " can't be read: " + error;
    return false;
}

bool HistoryStore::replyAt(const core::SqliteStatement& statement,
                           int column,
                           std::string& reply,
                           std::string& error)
{
    if (statement.isNull(column))
        return true;
    std::string_view dict = replyDictionary();
    const std::int64_t format = statement.integer(column + 1);
    if (format == static_cast<std::int64_t>(ReplyFormat::Zstd) && !statement.isNull(column + 2)) {
        const std::string* own = dictionary(statement.integer(column + 2), error);
        if (own == nullptr)
            return false;
        dict = *own;
    }
    return readStoredReply(format, statement.bytes(column), reply, error, dict);
}

const std::string* HistoryStore::dictionary(std::int64_t id, std::string& error)
{
    if (const auto known = m_dictionaries.find(id); known != m_dictionaries.end())
        return &known->second;
    auto statement = m_db.prepare("SELECT bytes FROM reply_dictionaries WHERE id = ?", error);
    if (!statement)
        return nullptr;
    statement->bind(1, id);
    const core::SqliteStatement::Step step = statement->step();
    if (step != core::SqliteStatement::Step::Row) {
        error = step == core::SqliteStatement::Step::Done
                    ? "its dictionary " + std::to_string(id) + " is missing"
                    : m_db.message();
        return nullptr;
    }
    return &m_dictionaries.emplace(id, statement->text(0)).first->second;
}

bool HistoryStore::chooseDictionary(std::string& error)
{
    if (m_sinceDictionary < 0) {
        auto latest = m_db.prepare(
            "SELECT id, after_lookup, bytes FROM reply_dictionaries ORDER BY id DESC LIMIT 1", error);
        if (!latest)
            return false;
        std::int64_t after = 0;
        switch (latest->step()) {
        case core::SqliteStatement::Step::Row:
            m_dictionaryId = latest->integer(0);
            after = latest->integer(1);
            m_dictionary = latest->text(2);
            break;
        case core::SqliteStatement::Step::Done: break;
        case core::SqliteStatement::Step::Error: error = m_db.message(); return false;
        }
        // Counted no further than it matters: a large file is not read through at each run.
        auto since = m_db.prepare(
            "SELECT count(*) FROM (SELECT 1 FROM lookups WHERE id > ? AND raw IS NOT NULL LIMIT ?)", error);
        if (!since)
            return false;
        since->bind(1, after).bind(2, RetrainAfter);
        if (since->step() != core::SqliteStatement::Step::Row) {
            error = m_db.message();
            return false;
        }
        m_sinceDictionary = since->integer(0);
    }
    if (m_sinceDictionary < (m_dictionaryId ? RetrainAfter : TrainAfter))
        return true;
    auto latest = m_db.prepare("SELECT raw, raw_format, raw_dictionary FROM lookups WHERE raw IS NOT NULL "
                               "ORDER BY id DESC LIMIT ?",
                               error);
    if (!latest)
        return false;
    latest->bind(1, TrainOn);
    TrainingSamples samples;
    samples.bytes.reserve(TrainOnBytes);
    std::string reply;
    std::string unread; // a reply that can't be read is left out of the training, not an error
    while (latest->step() == core::SqliteStatement::Step::Row) {
        if (!replyAt(*latest, 0, reply, unread))
            continue;
        if (samples.bytes.size() + reply.size() <= TrainOnBytes)
            samples.add(reply);
    }
    latest.reset();
    m_sinceDictionary = 0; // trained or not, tried again only after as many more
    std::string trained = trainDictionary(samples, DictionaryCapacity);
    samples = {};
    if (trained.empty())
        return true;
    if (!execute(
            "INSERT INTO reply_dictionaries(after_lookup, bytes) VALUES((SELECT coalesce(MAX(id), 0) FROM "
            "lookups), ?)",
            [&trained](core::SqliteStatement& statement) { statement.bindBlob(1, trained); },
            error))
        return false;
    m_dictionaryId = m_db.lastInsertId();
    m_dictionary = trained;
    m_dictionaries.emplace(*m_dictionaryId, std::move(trained));
    return true;
}

bool HistoryStore::eachEntry(const std::string& sql,
                             const Binder& bind,
                             const EntryVisitor& visit,
                             std::string& error)
{
    auto statement = m_db.prepare(sql, error);
    if (!statement)
        return false;
    if (bind)
        bind(*statement);
    HistoryEntry entry;
    core::SqliteStatement::Step step;
    while ((step = statement->step()) == core::SqliteStatement::Step::Row) {
        if (!entryAt(*statement, 0, entry, error))
            return false;
        if (!visit(entry))
            return true;
    }
    if (step == core::SqliteStatement::Step::Error) {
        error = m_db.message();
        return false;
    }
    return true;
}

std::optional<std::vector<HistoryEntry>>
HistoryStore::readEntries(const std::string& sql, const Binder& bind, std::string& error)
{
    std::vector<HistoryEntry> entries;
    if (!eachEntry(
            sql,
            bind,
            [&entries](const HistoryEntry& entry) {
                entries.push_back(entry);
                return true;
            },
            error))
        return std::nullopt;
    return entries;
}

bool HistoryStore::latest(std::string_view name, std::optional<HistoryEntry>& entry, std::string& error)
{
    if (!m_latest) {
        m_latest = m_db.prepare("SELECT " + entryColumns("l") + std::string(WithoutRaw) +
                                    " FROM lookups l WHERE l.name = ? ORDER BY l.id DESC LIMIT 1",
                                error);
        if (!m_latest)
            return false;
    }
    core::SqliteStatement& statement = *m_latest;
    statement.bind(1, name);
    entry.reset();
    HistoryEntry read;
    bool ok = true;
    switch (statement.step()) {
    case core::SqliteStatement::Step::Row:
        ok = entryAt(statement, 0, read, error);
        if (ok)
            entry = std::move(read);
        break;
    case core::SqliteStatement::Step::Done: break;
    case core::SqliteStatement::Step::Error:
        error = m_db.message();
        ok = false;
        break;
    }
    // Left mid-read, it would keep its snapshot of the file open.
    statement.reset();
    return ok;
}

std::optional<std::vector<HistoryEntry>>
HistoryStore::history(std::string_view name, bool withRaw, std::string& error, int limit)
{
    std::vector<HistoryEntry> entries;
    if (!eachLookup(
            name,
            withRaw,
            [&entries](const HistoryEntry& entry) {
                entries.push_back(entry);
                return true;
            },
            error,
            limit))
        return std::nullopt;
    return entries;
}

bool HistoryStore::eachLookup(
    std::string_view name, bool withRaw, const EntryVisitor& visit, std::string& error, int limit)
{
    return eachEntry(
        "SELECT " + entryColumns("l") + std::string(withRaw ? WithRaw : WithoutRaw) +
            " FROM lookups l WHERE l.name = ? ORDER BY l.id DESC LIMIT ?",
        [name, limit](core::SqliteStatement& statement) {
            statement.bind(1, name).bind(2, std::int64_t{limit});
        },
        visit,
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
    auto runs = rowsOf(m_db, *statement, error, [](const core::SqliteStatement& row) {
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
    if (!runs)
        return std::nullopt;
    // A run writes its counts when it ends; one killed, or whose history failed, never did.
    for (RunEntry& run : *runs) {
        if (!run.ended && !countLookups(run.id, run, error))
            return std::nullopt;
    }
    return runs;
}

bool HistoryStore::countLookups(std::int64_t runId, RunEntry& run, std::string& error)
{
    auto statement =
        m_db.prepare("SELECT count(*), total(status = ?2), total(status = ?3), total(status = ?4) "
                     "FROM lookups WHERE run_id = ?1",
                     error);
    if (!statement)
        return false;
    statement->bind(1, runId)
        .bind(2, std::int64_t{static_cast<std::int32_t>(core::LookupStatus::Success)})
        .bind(3, std::int64_t{static_cast<std::int32_t>(core::LookupStatus::NotRegistered)})
        .bind(4, std::int64_t{static_cast<std::int32_t>(core::LookupStatus::Error)});
    if (statement->step() != core::SqliteStatement::Step::Row) {
        error = m_db.message();
        return false;
    }
    run.total = statement->integer(0);
    run.registered = statement->integer(1);
    run.available = statement->integer(2);
    run.errors = statement->integer(3);
    return true;
}

bool HistoryStore::eachPairSince(std::int64_t time, const PairVisitor& visit, std::string& error)
{
    // Each row: the name's lookup before (p), then the lookup since `time` (l). Every lookup since
    // `time` has an id from the first such one on, so the rows are read in id order from there,
    // without a sort and without holding more than the row at hand (the unary + keeps the time
    // index, which would need one, out of it).
    const std::string sql = "SELECT " + entryColumns("p") + std::string(WithoutRaw) + ", " +
                            entryColumns("l") + std::string(WithoutRaw) +
                            " FROM lookups l CROSS JOIN lookups p ON p.id = (SELECT MAX(q.id) FROM lookups q "
                            "WHERE q.name = l.name AND q.id < l.id) "
                            "WHERE l.id >= (SELECT MIN(id) FROM lookups WHERE time >= ?1) AND +l.time >= ?1 "
                            "ORDER BY l.id";
    auto statement = m_db.prepare(sql, error);
    if (!statement)
        return false;
    statement->bind(1, time);
    HistoryEntry before;
    HistoryEntry after;
    core::SqliteStatement::Step step;
    while ((step = statement->step()) == core::SqliteStatement::Step::Row) {
        if (!entryAt(*statement, 0, before, error) || !entryAt(*statement, RowColumnCount, after, error))
            return false;
        if (!visit(before, after))
            return true;
    }
    if (step == core::SqliteStatement::Step::Error) {
        error = m_db.message();
        return false;
    }
    return true;
}

std::optional<std::vector<HistoryEntry>> HistoryStore::lastRun(std::string& error)
{
    return readEntries("SELECT " + entryColumns("l") + std::string(WithoutRaw) +
                           " FROM lookups l WHERE l.run_id = (SELECT MAX(run_id) FROM lookups) "
                           "ORDER BY l.id",
                       {},
                       error);
}

bool HistoryStore::setRunList(std::int64_t runId,
                              const std::vector<ListedName>& names,
                              std::optional<std::int64_t> resumes,
                              std::string& error)
{
    core::SqliteTransaction transaction(m_db, error);
    if (!transaction.began())
        return false;
    if (resumes && !execute(
                       "UPDATE runs SET resumes = ? WHERE id = ?",
                       [&](core::SqliteStatement& statement) { statement.bind(1, *resumes).bind(2, runId); },
                       error))
        return false;
    auto statement =
        m_db.prepare("INSERT INTO run_names(run_id, position, name, server) VALUES(?, ?, ?, ?)", error);
    if (!statement)
        return false;
    std::int64_t position = 0;
    for (const ListedName& listed : names) {
        statement->bind(1, runId).bind(2, position++).bind(3, listed.name).bind(4, listed.server);
        if (statement->step() != core::SqliteStatement::Step::Done) {
            error = m_db.message();
            return false;
        }
        statement->reset();
    }
    return transaction.commit(error);
}

std::optional<RunList> HistoryStore::lastRunList(std::string& error)
{
    RunList last;
    auto newest = m_db.prepare("SELECT MAX(id) FROM runs WHERE id IN (SELECT run_id FROM run_names) OR "
                               "id IN (SELECT run_id FROM lookups)",
                               error);
    if (!newest)
        return std::nullopt;
    const auto step = newest->step();
    if (step == core::SqliteStatement::Step::Error) {
        error = m_db.message();
        return std::nullopt;
    }
    last.runId = step == core::SqliteStatement::Step::Row ? newest->integer(0) : 0;
    newest.reset();
    if (last.runId == 0)
        return last;
    auto names = m_db.prepare("SELECT name, server FROM run_names WHERE run_id = ? ORDER BY position", error);
    if (!names)
        return std::nullopt;
    names->bind(1, last.runId);
    core::SqliteStatement::Step row;
    while ((row = names->step()) == core::SqliteStatement::Step::Row)
        last.names.push_back({names->text(0), names->text(1)});
    if (row == core::SqliteStatement::Step::Error) {
        error = m_db.message();
        return std::nullopt;
    }
    names.reset();
    if (last.names.empty()) {
        auto entries = lastRun(error);
        if (!entries)
            return std::nullopt;
        last.entries = std::move(*entries);
        return last;
    }
    // The run and the runs it resumed, back to the one that began the list.
    auto entries = readEntries(
        "WITH RECURSIVE chain(id) AS (SELECT ? UNION SELECT r.resumes FROM runs r JOIN chain c ON r.id = "
        "c.id "
        "WHERE r.resumes IS NOT NULL) SELECT " +
            entryColumns("l") + std::string(WithoutRaw) +
            " FROM lookups l WHERE l.run_id IN (SELECT id FROM chain) ORDER BY l.id",
        [&](core::SqliteStatement& statement) { statement.bind(1, last.runId); },
        error);
    if (!entries)
        return std::nullopt;
    last.entries = std::move(*entries);
    return last;
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
    const std::int64_t deleted = m_db.changes();
    // The lists of runs begun before then go too, but the newest list, which restoring opens.
    if (!execute(
            "DELETE FROM run_names WHERE run_id IN (SELECT id FROM runs WHERE started < ?) AND "
            "run_id <> (SELECT MAX(run_id) FROM run_names)",
            [&](core::SqliteStatement& statement) {
                statement.bind(1, now - std::int64_t{keepDays} * 86400);
            },
            error)) {
        error = "deleted " + std::to_string(deleted) + " lookups, but " + error;
        return std::nullopt;
    }
    // Dictionaries no reply names any more go too, but the latest, which new replies use.
    if (!m_db.exec(
            "DELETE FROM reply_dictionaries WHERE id <> (SELECT MAX(id) FROM reply_dictionaries) AND id "
            "NOT IN (SELECT raw_dictionary FROM lookups WHERE raw_dictionary IS NOT NULL)",
            error)) {
        error = "deleted " + std::to_string(deleted) + " lookups, but " + error;
        return std::nullopt;
    }
    m_dictionaries.clear();
    // The freed pages go back to the system: at once in a file made with incremental vacuum; a
    // file made before is rewritten once (VACUUM), which also turns incremental vacuum on for it.
    auto mode = m_db.prepare("PRAGMA auto_vacuum", error);
    if (!mode || mode->step() != core::SqliteStatement::Step::Row) {
        error = "deleted " + std::to_string(deleted) + " lookups, but " + m_db.message();
        return std::nullopt;
    }
    constexpr std::int64_t Incremental = 2;
    const bool incremental = mode->integer(0) == Incremental;
    mode.reset();
    const bool given =
        incremental ? m_db.exec("PRAGMA incremental_vacuum", error)
                    : m_db.exec("PRAGMA auto_vacuum = INCREMENTAL", error) && m_db.exec("VACUUM", error);
    if (!given) {
        error = "deleted " + std::to_string(deleted) + " lookups, but cannot give their space back: " + error;
        return std::nullopt;
    }
    // The shrunken file moves out of the write-ahead log, which is emptied; a run writing at the
    // same time may keep that for the next checkpoint, which loses nothing.
    std::string later;
    m_db.exec("PRAGMA wal_checkpoint(TRUNCATE)", later);
    return deleted;
}

} // namespace zonedesk::history
