// SPDX-License-Identifier: MIT
// One run of the command line over a table: every name looked up to the end or to Ctrl+C, with a
// progress line on a terminal, and every finished lookup kept in the history.
#pragma once

#include <memory>
#include <string>

#include "cli/lookup_options.h"
#include "core/domain_table.h"
#include "history/history_writer.h"
#include "lookup/run_with_history.h"
#include "lookup/worker_end_queue.h"

namespace zonedesk::cli {

class LookupWithHistory
{
public:
    enum class End
    {
        Finished,
        Stopped,    // by Ctrl+C or SIGTERM
        NotStarted, // a worker thread could not start: names are left unasked
    };

    /// Chooses the services of the names beyond the ten registries (unless the options keep to
    /// them) and sets the run up; the table must outlive this.
    LookupWithHistory(core::DomainTable& table,
                      const LookupOptions& options,
                      const lookup::EndpointOverrides& endpoints);

    /// Looks every name up, keeping the history (unless `keepHistory` is false); a database that
    /// can't be used is said on stderr and the run goes on without it. The history writer has written
    /// everything when it returns.
    End run(bool keepHistory, bool quiet);

    /// The history of the run; null when none was kept.
    const history::HistoryWriter* runHistory() const { return m_recorded; }

private:
    core::DomainTable& m_table;
    std::string m_dbPath;
    lookup::WorkerEndQueue m_queue;
    lookup::RunWithHistory m_run;
    history::HistoryWriter* m_recorded = nullptr; // the run owns it
};

} // namespace zonedesk::cli
