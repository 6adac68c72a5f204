// SPDX-License-Identifier: MIT
// Drives the desktop program's lookup runs: starts one when asked, hands what the workers finish
// to the list and the history at each refresh tick, and says how far it got and when it ended.
// The list only shows rows; this object owns the run.
#pragma once

#include <cstdint>
#include <optional>

#include <QObject>
#include <QTimer>

#include "lookup/recorded_run.h"
#include "ui/app_state.h"
#include "ui/window_message.h"
#include "view/domain_list_model.h"

namespace zonedesk {

namespace history {
class HistoryRecorder;
}

class RunController final : public QObject
{
    Q_OBJECT

public:
    static constexpr int RefreshIntervalMs = 500;

    RunController(AppState& state, DomainListModel& model, QObject* parent = nullptr);

    /// Stops the workers and waits for them: they post to this object.
    ~RunController() override;

    bool inProgress() const { return m_run.inProgress(); }

    void setInternetSession(const lookup::InternetSession& session) { m_session = session; }

    /// Starts a run over the table with the settings in effect now.
    void start();

    /// Stops the run's workers and waits for them (program exit); what finished is kept.
    void stop();

    /// Before the rows are replaced or a run begins: waits for the last run's history writer and
    /// shows its changes on the rows they belong to.
    void letHistoryGo();

Q_SIGNALS:
    /// `done` records of the table are finished; newly finished rows have been shown.
    void progress(int done);

    /// The run is over (its last worker reported, or it could not start).
    void finished();

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
    /// Shows the changes the history's writer has worked out; lets the recorder go once it is done.
    void showHistoryResults();
    /// A recorder for a run that starts now, going on with the list of run `resumes` when given;
    /// null when the history can't be used (said once).
    std::unique_ptr<history::HistoryRecorder> makeRecorder(std::optional<std::int64_t> resumes);

    AppState& m_state;
    DomainListModel& m_model;
    lookup::InternetSession m_session;
    QtPostTarget m_postTarget;
    QTimer m_refreshTimer;
    QTimer m_historyTimer; // after a run, until the history's writer has stored its end
    history::HistoryRecorder* m_recorder = nullptr; // the run's, while it has one
    lookup::RecordedRun m_run;
};

} // namespace zonedesk
