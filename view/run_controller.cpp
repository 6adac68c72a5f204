// SPDX-License-Identifier: MIT
#include "view/run_controller.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include "core/window_messages.h"
#include "history/history_recorder.h"
#include "ui/message_box.h"

namespace zonedesk {

RunController::RunController(AppState& state, DomainListModel& model, QObject* parent)
    : QObject(parent)
    , m_state(state)
    , m_model(model)
    , m_postTarget(this)
    , m_run(state.table, m_postTarget)
{
    m_refreshTimer.setInterval(RefreshIntervalMs);
    connect(&m_refreshTimer, &QTimer::timeout, this, &RunController::refresh);
    m_historyTimer.setInterval(100);
    connect(&m_historyTimer, &QTimer::timeout, this, &RunController::showHistoryResults);
}

RunController::~RunController()
{
    stop();
}

void RunController::stop()
{
    m_run.stop();
    m_refreshTimer.stop();
    m_historyTimer.stop();
    m_recorder = nullptr;
    m_run.letRecorderGo(); // what finished before the stop is kept; the window is going
}

void RunController::requestStop()
{
    if (!m_run.inProgress() || m_run.windingDown())
        return;
    m_run.windDown();
    Q_EMIT stopRequested();
}

void RunController::clearForRecheck(const std::vector<std::size_t>& rows)
{
    if (m_run.inProgress())
        return;
    letHistoryGo();
    for (const std::size_t row : rows)
        m_state.table.clearResults(row);
    m_model.clearRows(rows);
}

std::optional<RunController::Pace> RunController::pace(int done) const
{
    const int finished = done - m_doneAtStart;
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - m_startedAt).count();
    if (finished <= 0 || seconds <= 0)
        return std::nullopt;
    Pace pace;
    pace.perSecond = finished / seconds;
    const int rest = std::max(0, m_state.table.count() - done);
    pace.secondsLeft = static_cast<std::int64_t>(std::ceil(rest / pace.perSecond));
    return pace;
}

std::unique_ptr<history::HistoryRecorder> RunController::makeRecorder(std::optional<std::int64_t> resumes)
{
    // The history is a help, never a condition: without it the run goes on, said once.
    std::unique_ptr<history::HistoryRecorder> recorder;
    if (historyStore(m_state) != nullptr)
        recorder = history::HistoryRecorder::open(
            historyPath(m_state), m_state.table, "desktop", m_state.history.error, resumes);
    if (!recorder && !m_state.history.errorTold) {
        m_state.history.errorTold = true;
        Q_EMIT historyNotice(tr("历史记录不可用，本次查询照常进行，但不会被记录（%1）")
                                 .arg(QString::fromStdString(m_state.history.error)));
    }
    return recorder;
}

void RunController::start()
{
    lookup::InternetSession session = m_session;
    session.preferRdap = m_state.settings.preferRdap;
    m_run.setSession(session);
    m_run.setEndpoints(m_state.endpoints);
    m_run.setMaxWorkers(m_state.settings.jobs);
    letHistoryGo();
    // Start on a list whose every name is settled is a new run over the same names: each is
    // asked again, as the first run asked it, rather than nothing being asked.
    const std::int32_t total = m_state.table.count();
    const std::int32_t settled = m_state.table.doneCount();
    if (total > 0 && settled == total) {
        m_state.table.clearResults();
        m_model.fillRows();
        m_state.listRun.reset();
    }
    // Some names settled, the rest not: the run finishes the list it was given.
    const bool resuming = settled > 0 && settled < total;
    auto recorder =
        m_state.table.count() > 0 ? makeRecorder(resuming ? m_state.listRun : std::nullopt) : nullptr;
    m_recorder = recorder.get();
    if (m_recorder != nullptr)
        m_state.listRun = m_recorder->runId();
    m_startedAt = std::chrono::steady_clock::now();
    m_doneAtStart = resuming ? settled : 0; // a new run over a settled list starts from none
    switch (m_run.start(std::move(recorder))) {
    case lookup::LookupRun::StartResult::NoDomains:
        tell(qobject_cast<QWidget*>(parent()), tr("请至少指定一个域名。"));
        Q_EMIT finished();
        break;
    case lookup::LookupRun::StartResult::CannotStartThread:
        tell(qobject_cast<QWidget*>(parent()), tr("Cannot Start New Thread"));
        finish();
        break;
    case lookup::LookupRun::StartResult::Running: m_refreshTimer.start(); break;
    case lookup::LookupRun::StartResult::NothingToQuery: finish(); break;
    }
}

void RunController::refresh()
{
    const int done = m_model.refreshFinishedRows();
    m_run.tick();
    showHistoryResults();
    Q_EMIT progress(done);

    QString notice;
    for (const auto& throttled : m_run.throttledServers()) {
        const auto left =
            std::chrono::ceil<std::chrono::seconds>(throttled.retryAt - std::chrono::steady_clock::now());
        notice = tr("%1 限流，%2 秒后重试")
                     .arg(QString::fromStdString(throttled.server))
                     .arg(std::max<qint64>(0, left.count()));
    }
    Q_EMIT throttleNotice(notice);
}

void RunController::finish()
{
    m_refreshTimer.stop();
    refresh();
    if (m_run.startFailed())
        tell(qobject_cast<QWidget*>(parent()), tr("Cannot Start New Thread"));
    // The writer may still be storing the end of the run: it is looked at until it is done.
    if (m_recorder != nullptr)
        m_historyTimer.start();
    Q_EMIT finished();
}

void RunController::showHistoryResults()
{
    if (m_recorder == nullptr)
        return;
    const bool settled = m_recorder->settled();
    for (const std::size_t row : m_recorder->changedRecords())
        m_model.setChanges(static_cast<int>(row), m_recorder->changesOf(row));
    if (!m_recorder->active() && !m_state.history.errorTold) {
        m_state.history.errorTold = true;
        Q_EMIT historyNotice(
            tr("历史记录写入失败，本次查询不再记录（%1）").arg(QString::fromStdString(m_recorder->error())));
    }
    if (settled) {
        m_historyTimer.stop();
        m_recorder = nullptr;
        m_run.letRecorderGo();
    }
}

void RunController::letHistoryGo()
{
    // A run's writer may still be storing its end: it is waited for, and its changes shown on the
    // rows they belong to, before those rows are replaced or a new run begins.
    if (m_recorder == nullptr)
        return;
    m_run.waitForRecorder();
    showHistoryResults();
}

bool RunController::event(QEvent* event)
{
    if (event->type() != WindowMessage::type())
        return QObject::event(event);
    if (static_cast<WindowMessage*>(event)->message() == core::WM_WORKER_DONE && m_run.workerDone())
        finish();
    return true;
}

} // namespace zonedesk
