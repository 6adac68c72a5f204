// SPDX-License-Identifier: MIT
// Writes a run's finished lookups into the history store, a batch per tick in one transaction,
// and works out what changed since each name's previous lookup. Whoever drives the run (the
// CLI's wait loop, the list's refresh tick) calls tick(); workers never touch the database.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/domain_table.h"
#include "lookup/history_store.h"
#include "lookup/record_changes.h"

namespace zonedesk::lookup {

class HistoryRecorder
{
public:
    /// Starts a run in `store`. `rawReplies` (indexed like the table; may be null) holds each
    /// record's reply, written before its `done`.
    HistoryRecorder(HistoryStore& store,
                    const core::DomainTable& table,
                    const std::vector<std::string>* rawReplies,
                    std::string_view program);

    /// False once a write failed: history is off for the rest of the run; error() says why.
    bool active() const { return m_active; }

    const std::string& error() const { return m_error; }

    /// Stores every record that finished since the last call. The thread that drives the run.
    void tick();

    /// Stores the rest and closes the run with its counts.
    void finish();

    /// What changed for record `index` since the name's previous lookup.
    const std::vector<Change>& changesOf(std::size_t index) const;

    /// Every record with a change, in table order.
    std::vector<std::size_t> changedRecords() const;

    std::size_t storedCount() const { return m_stored; }

private:
    void fail(std::string why);

    HistoryStore& m_store;
    const core::DomainTable& m_table;
    const std::vector<std::string>* m_raw;
    std::int64_t m_runId = 0;
    bool m_active = false;
    std::string m_error;
    std::vector<bool> m_seen;
    std::vector<std::vector<Change>> m_changes;
    RunCounts m_counts;
    std::size_t m_stored = 0;
};

/// A finished record as a history entry (UTF-8, without the raw reply).
HistoryEntry historyEntryOf(const core::DomainRecord& record);

/// Fills the table from stored lookups (the last run's results), each record done, as the run
/// left it. A name or value GBK can't hold is kept as near as the conversion allows. Returns how
/// many records the table holds (at most its capacity). UI thread, no run in progress.
std::int32_t restoreEntries(core::DomainTable& table, const std::vector<HistoryEntry>& entries);

} // namespace zonedesk::lookup
