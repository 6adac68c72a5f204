// SPDX-License-Identifier: MIT
// Writes a run's finished lookups into the history database and works out what changed since
// each name's previous lookup. The thread that drives the run (the CLI's wait loop, the window's
// hand-over timer) hands the newly finished records over at each tick; one writer thread with a
// connection of its own stores each hand-over in one transaction, so that the database never
// holds up the run or the window. Workers never touch the database.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "core/domain_table.h"
#include "core/run_history.h"
#include "history/history_store.h"
#include "history/record_changes.h"

namespace zonedesk::history {

class HistoryWriter final : public core::RunHistory
{
public:
    /// Opens a connection of its own to the database at `path` and starts a run in it with the
    /// table's whole list; `resumes` is the run whose list this one goes on with.
    HistoryWriter(const std::string& path,
                  const core::DomainTable& table,
                  std::string_view program,
                  std::optional<std::int64_t> resumes = std::nullopt);

    /// Finishes the run if finish() was not called and waits for the writer.
    ~HistoryWriter() override;
    HistoryWriter(const HistoryWriter&) = delete;
    HistoryWriter& operator=(const HistoryWriter&) = delete;

    /// A history writer that could open the database and start its run; null, with `why`, otherwise.
    static std::unique_ptr<HistoryWriter> open(const std::string& path,
                                               const core::DomainTable& table,
                                               std::string_view program,
                                               std::string& why,
                                               std::optional<std::int64_t> resumes = std::nullopt);

    /// The run's id in the database (0 when it could not start one).
    std::int64_t runId() const { return m_runId; }

    /// False once opening or a write failed: it keeps nothing more of the run; error() says why.
    /// As of the last tick(), finish() or settled().
    bool active() const { return m_active; }

    const std::string& error() const { return m_error; }

    /// Hands the records that finished since the last call to the writer, as many as its queue
    /// has room for (the rest wait in the table for a later call: none is ever dropped), and takes
    /// what it has written since. The driving thread only, as every other member.
    void tick(std::vector<std::string>& replies) override;

    /// Closes the run: the rest is handed over as the queue has room, here and at each settled(),
    /// or all of it by wait(). `replies` must outlive that.
    void finish(std::vector<std::string>& replies) override;

    /// After finish(): true once the writer has stored everything (its changes are taken).
    bool settled();

    /// Records handed to the writer and not written yet, at most; the driving thread holds the
    /// rest in the table, so that a writer slower than the run costs no more memory than this.
    static constexpr std::size_t MaxQueued = 1000;

    void wait() override;

    /// What changed for record `index` since the name's previous lookup (known once written).
    const std::vector<Change>& changesOf(std::size_t index) const;

    /// Every record with a change, in table order.
    std::vector<std::size_t> changedRecords() const;

    /// Records the writer has stored.
    std::size_t storedCount() const { return m_stored; }

    /// Records handed to the writer and not written yet.
    std::size_t queuedCount();

private:
    struct Job
    {
        // Copies of the finished records, packed (packed_record.h): the writer makes entries of
        // them (the conversions are its work, not the window's), and a later import can't change
        // them under it. One per index.
        std::string records;
        std::vector<std::string> raw;
        std::vector<std::size_t> indexes;
        std::int64_t time = 0;
        bool end = false;
        RunCounts counts;
    };

    struct Written
    {
        std::vector<std::size_t> indexes;
        std::vector<std::vector<Change>> changes;
        std::string error; // empty: stored
        bool ended = false;
    };

    void writerLoop();
    void takeWritten();
    /// Hands finished records over up to the queue's room; true when none is left to hand.
    bool handOver(std::vector<std::string>& replies);
    /// After finish(): hands the rest as the queue has room and, once all is handed, the run's end.
    void handRest();
    void fail(std::string why);

    const core::DomainTable& m_table;
    std::unique_ptr<HistoryStore> m_store; // the writer's once it runs
    std::int64_t m_runId = 0;
    bool m_active = false;
    bool m_finished = false;
    bool m_settled = false;
    std::string m_error;
    std::vector<bool> m_seen;
    std::size_t m_firstUnseen = 0;
    std::vector<std::vector<Change>> m_changes;
    RunCounts m_counts;
    std::size_t m_stored = 0;

    std::vector<std::string>* m_restReplies = nullptr; // finish()'s, for the rest
    bool m_endHanded = false;

    std::mutex m_mutex; // guards the two queues and m_queued between the driving thread and the writer
    std::condition_variable m_wake;
    std::condition_variable m_room; // the writer has written a job
    std::size_t m_queued = 0;       // records in m_jobs and the job being written
    std::deque<Job> m_jobs;
    std::deque<Written> m_written;
    std::thread m_writer;
};

/// A finished record as a history entry (UTF-8, without the raw reply).
HistoryEntry historyEntryOf(const core::DomainRecord& record);

/// Fills the table from stored lookups (the last run's results), each record done, as the run
/// left it. A name or value GBK can't hold is kept as near as the conversion allows. Returns how
/// many records the table holds (at most its capacity). UI thread, no run in progress.
std::int32_t restoreEntries(core::DomainTable& table, const std::vector<HistoryEntry>& entries);

/// Fills the table with a run's whole list: each name its last lookup's results, done; a name
/// never looked up as an import leaves it, to be asked at the next Start. A list from before
/// lists were kept gives restoreEntries. Returns how many records the table holds.
std::int32_t restoreList(core::DomainTable& table, const RunList& list);

} // namespace zonedesk::history
