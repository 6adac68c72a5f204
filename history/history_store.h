// SPDX-License-Identifier: MIT
// The history database (SQLite, write-ahead logging): every finished lookup with its raw reply,
// and the runs they belong to. One file, by default $XDG_DATA_HOME/zonedesk/history.sqlite3.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/result_fields.h"
#include "core/sqlite_db.h"

namespace zonedesk::history {

/// One finished lookup, as shown (UTF-8).
struct HistoryEntry
{
    std::int64_t id = 0;
    std::int64_t runId = 0;
    std::int64_t time = 0; // seconds since the epoch
    std::string name;
    std::string server;
    std::string source; // "whois", "rdap" or empty when nothing was asked
    std::int32_t status = 0;
    core::FieldTexts values; // the result fields
    std::string error;       // the reason key of an Error
    std::string raw;         // the reply as received; filled only when asked for
};

struct RunEntry
{
    std::int64_t id = 0;
    std::int64_t started = 0;
    std::optional<std::int64_t> ended; // none: the run never finished (stopped by a crash)
    std::int64_t total = 0;
    std::int64_t registered = 0;
    std::int64_t available = 0;
    std::int64_t errors = 0;
    std::string program;
};

struct RunCounts
{
    std::int64_t total = 0;
    std::int64_t registered = 0;
    std::int64_t available = 0;
    std::int64_t errors = 0;
};

/// $XDG_DATA_HOME/zonedesk/history.sqlite3, or ~/.local/share/zonedesk/history.sqlite3.
std::string defaultHistoryPath();

class HistoryStore
{
public:
    /// The schema this program writes; older files are migrated, newer ones refused.
    static constexpr int SchemaVersion = 1;

    /// Opens or creates the database (and its folder). Null, with `error` saying why in a
    /// sentence, for a file that is not a database, a newer schema, a folder that can't be made,
    /// a locked or read-only database.
    static std::unique_ptr<HistoryStore> open(const std::string& path, std::string& error);

    std::optional<std::int64_t> beginRun(std::int64_t now, std::string_view program, std::string& error);
    bool endRun(std::int64_t runId, std::int64_t now, const RunCounts& counts, std::string& error);

    /// Stores the entries in one transaction (all or none); fills in their ids.
    bool add(std::vector<HistoryEntry>& entries, std::string& error);

    // Reads return their errors as the writes do: a read that failed (a locked or damaged file)
    // is never taken for an empty history.

    /// The name's most recent lookup (without the raw reply) in `entry`, none when it has none.
    bool latest(std::string_view name, std::optional<HistoryEntry>& entry, std::string& error);

    /// The name's lookups, newest first.
    std::optional<std::vector<HistoryEntry>>
    history(std::string_view name, bool withRaw, std::string& error, int limit = 1000);

    /// The most recent runs, newest first.
    std::optional<std::vector<RunEntry>> runs(std::string& error, int limit = 20);

    /// Every lookup since `time` with the name's lookup before it: (before, after) pairs, oldest
    /// first.
    std::optional<std::vector<std::pair<HistoryEntry, HistoryEntry>>> pairsSince(std::int64_t time,
                                                                                 std::string& error);

    /// The lookups of the most recent run that stored any, in the order they were stored.
    std::optional<std::vector<HistoryEntry>> lastRun(std::string& error);

    /// Deletes lookups older than `keepDays` days, keeping each name's latest; returns how many.
    std::optional<std::int64_t> prune(int keepDays, std::int64_t now, std::string& error);

private:
    explicit HistoryStore(core::SqliteDb db)
        : m_db(std::move(db))
    {}

    /// The entry whose columns start at `firstColumn` of the current row.
    static HistoryEntry entryAt(const core::SqliteStatement& statement, int firstColumn);

    using Binder = std::function<void(core::SqliteStatement&)>;

    /// Runs `sql` (its parameters bound by `bind`), a statement without rows; false with the error.
    bool execute(const std::string& sql, const Binder& bind, std::string& error);

    /// Every row of `sql` (its parameters bound by `bind`) as an entry.
    std::optional<std::vector<HistoryEntry>>
    readEntries(const std::string& sql, const Binder& bind, std::string& error);

    core::SqliteDb m_db;
};

} // namespace zonedesk::history
