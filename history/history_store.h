// SPDX-License-Identifier: MIT
// The history database (SQLite, write-ahead logging): every finished lookup with its raw reply,
// and the runs they belong to. One file, by default $XDG_DATA_HOME/zonedesk/history.sqlite3.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/result_fields.h"
#include "core/sqlite_db.h"
#include "history/stored_reply.h"

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

/// Called with each lookup of a read in turn; false stops the read there.
using EntryVisitor = std::function<bool(const HistoryEntry&)>;

/// Called with a lookup and the name's lookup before it; false stops the read there.
using PairVisitor = std::function<bool(const HistoryEntry& before, const HistoryEntry& after)>;

struct RunEntry
{
    std::int64_t id = 0;
    std::int64_t started = 0;
    std::optional<std::int64_t> ended; // none: the run never finished (stopped by a crash)
    // Of a run that never finished, counted from the lookups it stored.
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

/// A name of a run's list (UTF-8) and its server, as the run began with it.
struct ListedName
{
    std::string name;
    std::string server;
};

/// A run's list and what was looked up of it.
struct RunList
{
    std::int64_t runId = 0; // 0: there is no run
    std::vector<ListedName> names;
    std::vector<HistoryEntry> entries;
};

/// $XDG_DATA_HOME/zonedesk/history.sqlite3, or ~/.local/share/zonedesk/history.sqlite3.
std::string defaultHistoryPath();

class HistoryStore
{
public:
    /// The schema this program writes; older files are migrated, newer ones refused.
    static constexpr int SchemaVersion = 3;

    /// Opens or creates the database (and its folder). Null, with `error` saying why in a
    /// sentence, for a file that is not a database, a newer schema, a folder that can't be made,
    /// a read-only database, or one another program keeps locked for longer than a few seconds.
    /// Programs opening a new file at the same time each find the schema made once.
    static std::unique_ptr<HistoryStore> open(const std::string& path, std::string& error);

    /// A store over a connection the caller opened (an in-memory database, say); as open().
    static std::unique_ptr<HistoryStore> open(core::SqliteDb db, std::string& error);

    /// Holds the connection's page cache to `kibibytes`: a connection that appends and asks one
    /// name at a time needs few pages, and SQLite's default is 2 MiB per connection.
    bool limitPageCache(int kibibytes, std::string& error);

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

    /// The name's lookups, newest first, each handed to `visit` as it is read: one reply in
    /// memory at a time. False, with the error, when a read fails (the visits so far stand).
    bool eachLookup(
        std::string_view name, bool withRaw, const EntryVisitor& visit, std::string& error, int limit = 1000);

    /// The most recent runs, newest first.
    std::optional<std::vector<RunEntry>> runs(std::string& error, int limit = 20);

    /// Every lookup since `time` with the name's lookup before it (a name's first lookup has
    /// none and is left out), oldest first, each pair handed to `visit` as it is read, without
    /// the replies. False, with the error, when a read fails.
    bool eachPairSince(std::int64_t time, const PairVisitor& visit, std::string& error);

    /// The lookups of the most recent run that stored any, in the order they were stored.
    std::optional<std::vector<HistoryEntry>> lastRun(std::string& error);

    /// Keeps the run's whole list as it stood at its start (in one transaction), and the run whose
    /// list it goes on with when it resumes one.
    bool setRunList(std::int64_t runId,
                    const std::vector<ListedName>& names,
                    std::optional<std::int64_t> resumes,
                    std::string& error);

    /// The most recent run's list with the lookups of it and of the runs it resumed, oldest first
    /// (a name's last one counts); a run from before lists were kept gives lastRun() and no list.
    std::optional<RunList> lastRunList(std::string& error);

    /// Deletes lookups older than `keepDays` days, keeping each name's latest, and gives the file
    /// space they took back; returns how many.
    std::optional<std::int64_t> prune(int keepDays, std::int64_t now, std::string& error);

private:
    explicit HistoryStore(core::SqliteDb db)
        : m_db(std::move(db))
    {}

    /// The entry whose columns (its raw reply, the reply's format and dictionary last) start at
    /// `firstColumn` of the current row; false, with the error, when its reply can't be read.
    bool
    entryAt(const core::SqliteStatement& statement, int firstColumn, HistoryEntry& entry, std::string& error);

    /// The reply whose columns (bytes, format, dictionary) start at `column` of the current row.
    bool replyAt(const core::SqliteStatement& statement, int column, std::string& reply, std::string& error);

    /// The bytes of the file's dictionary `id`, read once; null, with the error, when it has none.
    const std::string* dictionary(std::int64_t id, std::string& error);

    /// Makes the dictionary new replies are compressed against the file's latest, and trains a
    /// new one on the latest replies when enough were stored since.
    bool chooseDictionary(std::string& error);

    using Binder = std::function<void(core::SqliteStatement&)>;

    /// Runs `sql` (its parameters bound by `bind`), a statement without rows; false with the error.
    bool execute(const std::string& sql, const Binder& bind, std::string& error);

    /// Every row of `sql` (its parameters bound by `bind`) as an entry, handed to `visit`.
    bool eachEntry(const std::string& sql, const Binder& bind, const EntryVisitor& visit, std::string& error);

    /// Every row of `sql` (its parameters bound by `bind`) as an entry.
    std::optional<std::vector<HistoryEntry>>
    readEntries(const std::string& sql, const Binder& bind, std::string& error);

    /// Counts of run `runId` from the lookups it stored.
    bool countLookups(std::int64_t runId, RunEntry& run, std::string& error);

    core::SqliteDb m_db;
    std::optional<std::int64_t> m_dictionaryId; // none: replyDictionary()
    std::string m_dictionary;
    std::unique_ptr<ReplyPacker> m_packer; // for the dictionary of m_packedWith
    std::int64_t m_packedWith = -1;        // a dictionary's id; 0: replyDictionary(); -1: none yet
    std::int64_t m_sinceDictionary = -1;   // replies stored since it was trained; -1: not read yet
    std::map<std::int64_t, std::string> m_dictionaries;
    // Asked once per lookup a run stores, so prepared once; after m_db, which outlives it.
    std::optional<core::SqliteStatement> m_latest;
};

} // namespace zonedesk::history
