// SPDX-License-Identifier: MIT
// Drives the desktop program's lookup runs: starts one when asked, hands what the workers finish
// to the list and the history at each refresh tick, and says how far it got and when it ended.
// The list only shows rows; this object owns the run.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

#include <QObject>
#include <QTimer>

#include "core/run_estimate.h"
#include "lookup/run_with_history.h"
#include "ui/app_state.h"
#include "ui/worker_ended_event.h"
#include "view/domain_list_model.h"

namespace zonedesk {

namespace history {
class HistoryWriter;
}

class RunController final : public QObject
{
    Q_OBJECT

public:
    static constexpr int RefreshIntervalMs = 500;
    /// A writer fed often keeps up with a fast run, and few replies wait for it in memory.
    static constexpr int HandOverIntervalMs = 25;

    RunController(AppState& state, DomainListModel& model, QObject* parent = nullptr);

    /// Stops the workers and waits for them: they post to this object.
    ~RunController() override;

    bool inProgress() const { return m_run.inProgress(); }

    void setInternetSession(const lookup::ExchangeOptions& session) { m_session = session; }

    /// Starts a run over the table with the settings in effect now.
    void start();

    /// Stops the run's workers and waits for them (program exit); what finished is kept.
    void stop();

    /// The user's Stop: the workers stop at their next slice and the run ends with their reports
    /// (finished() as usual); finished rows stay, the rest wait for the next Start, which resumes.
    /// Returns at once.
    void requestStop();

    /// Since requestStop(), until the run is over.
    bool stopping() const { return m_run.inProgress() && m_run.windingDown(); }

    /// The last run ended by the user's Stop.
    bool stopped() const { return m_run.windingDown(); }

    /// Before a re-check: the results of `rows` (table indices) are cleared, so that the next
    /// start looks them up again. Not during a run.
    void clearForRecheck(const std::vector<std::size_t>& rows);

    /// Names finished per second since the run started, and the seconds its rest will take at
    /// its busiest host's pace; nullopt until a name has finished.
    struct Pace
    {
        double perSecond = 0;
        std::int64_t secondsLeft = 0;
    };

    std::optional<Pace> pace(int done) const;

    /// Before the rows are replaced or a run begins: waits for the last run's history writer and
    /// shows its changes on the rows they belong to.
    void letHistoryGo();

Q_SIGNALS:
    /// `done` records of the table are finished; newly finished rows have been shown.
    void progress(int done);

    /// The run is over (its last worker reported, or it could not start).
    void finished();

    /// Stop was asked; the workers are ending.
    void stopRequested();

    /// The history can't be used or stopped taking the run (said once a session); the run goes on.
    void historyNotice(const QString& text);

    /// "<host> 限流，N 秒后重试" while a worker waits out a throttle; empty once none does.
    void throttleNotice(const QString& text);

protected:
    bool event(QEvent* event) override;

private:
    /// Writes newly finished records into their rows and hands them to the history.
    void refresh();
    void finish();
    /// Shows the changes the history's writer has worked out; lets the history writer go once it is done.
    void showHistoryResults();
    /// A history writer for a run that starts now, going on with the list of run `resumes` when given;
    /// null when the history can't be used (said once).
    std::unique_ptr<history::HistoryWriter> makeHistoryWriter(std::optional<std::int64_t> resumes);

    AppState& m_state;
    DomainListModel& m_model;
    lookup::ExchangeOptions m_session;
    QtWorkerEndTarget m_postTarget;
    QTimer m_refreshTimer;
    QTimer m_handOverTimer; // during a run: the finished lookups go to the history's writer
    QTimer m_historyTimer;  // after a run, until the history's writer has stored its end
    history::HistoryWriter* m_runHistory = nullptr; // the run's, while it has one
    lookup::RunWithHistory m_run;
    std::chrono::steady_clock::time_point m_startedAt;
    core::RunEstimate m_estimate;
    int m_doneAtStart = 0;
};

} // namespace zonedesk
