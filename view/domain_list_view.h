// SPDX-License-Identifier: MIT
// The main window's list of domains: nine columns, one row per record; starts and tracks runs.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <QTableView>
#include <QTimer>

#include "history/history_recorder.h"
#include "lookup/lookup_run.h"
#include "ui/app_state.h"
#include "ui/window_message.h"
#include "view/domain_filter_model.h"
#include "view/domain_list_model.h"

namespace zonedesk {

class DomainListView final : public QTableView
{
    Q_OBJECT

public:
    static constexpr int RefreshIntervalMs = 500;

    DomainListView(AppState& state, QWidget* parent = nullptr);
    ~DomainListView() override;

    DomainListModel& listModel() { return m_model; }

    /// Keeps only the rows whose domain, owner, registrar or e-mail contain `text`.
    void setFilterText(const QString& text) { m_filter.setFilterText(text); }

    /// Turns the red display of rows near expiry on or off at once, with the day count that took
    /// effect at the last Start (or at start-up).
    void setRedDisplay(bool on);

    /// Rows drawn red now.
    int nearExpiryCount() const { return m_model.nearExpiryCount(); }

    void fillRows();

    /// Writes newly finished records into their rows and posts WM_LOOKUP_PROGRESS to the frame.
    void refreshFinishedRows();

    bool runInProgress() const { return m_run.runningWorkers() > 0; }

    /// Stops the run's workers and waits for them (program exit).
    void stopLookups();

    void setInternetSession(const lookup::InternetSession& session) { m_session = session; }

    /// The domain (UTF-8) of the row the user selected; empty when none is.
    std::string selectedDomain() const;

    /// Shows the table as it is now, every done record's results in its row (an opened result).
    void showTable();

Q_SIGNALS:
    /// "<host> 限流，N 秒后重试" while a worker waits out a throttle; empty once none does.
    void throttleNotice(const QString& text);

protected:
    bool event(QEvent* event) override;

private:
    void startRun();
    void workerDone();
    void finishRun();
    /// Writes the finished records into the history and shows their changes.
    void recordHistory(bool final);
    /// Shows the changes the history's writer has worked out; lets the recorder go once it is done.
    void showHistoryResults();
    /// Before the rows are replaced or a run begins or the program ends: waits for the last run's
    /// history writer, shows its changes and drops it.
    void letHistoryGo(bool showChanges = true);

    AppState& m_state;
    DomainListModel m_model;
    DomainFilterModel m_filter;
    int m_warnDaysInEffect = 0;
    QtPostTarget m_postTarget;
    lookup::LookupRun m_run;
    lookup::InternetSession m_session;
    QTimer m_refreshTimer;
    QTimer m_historyTimer;                 // after a run, until the history's writer has stored its end
    std::vector<std::string> m_rawReplies; // the run's replies, for the history
    std::optional<history::HistoryRecorder> m_recorder; // while a run with history is in progress
};

} // namespace zonedesk
