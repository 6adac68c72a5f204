// SPDX-License-Identifier: MIT
#include "view/run_controller.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include "core/worker_ended.h"
#include "history/history_writer.h"
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
    m_handOverTimer.setInterval(HandOverIntervalMs);
    connect(&m_handOverTimer, &QTimer::timeout, this, [this] { m_run.tick(); });
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
    m_handOverTimer.stop();
    m_historyTimer.stop();
    m_runHistory = nullptr;
    m_run.letHistoryGo(); // what finished before the stop is kept; the window is going
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
    const std::optional<double> left = core::secondsLeft(m_estimate.progress(m_state.table), seconds);
    pace.secondsLeft = static_cast<std::int64_t>(std::ceil(left ? *left : rest / pace.perSecond));
    return pace;
}

std::unique_ptr<history::HistoryWriter> RunController::makeHistoryWriter(std::optional<std::int64_t> resumes)
{
    // The history is a help, never a condition: without it the run goes on, said once.
    std::unique_ptr<history::HistoryWriter> runHistory;
    if (historyStore(m_state) != nullptr)
        runHistory = history::HistoryWriter::open(
            historyPath(m_state), m_state.table, "desktop", m_state.history.error, resumes);
    if (!runHistory && !m_state.history.errorTold) {
        m_state.history.errorTold = true;
        Q_EMIT historyNotice(tr("历史记录不可用，本次查询照常进行，但不会被记录（%1）")
                                 .arg(QString::fromStdString(m_state.history.error)));
    }
    return runHistory;
}

void RunController::start()
{
    lookup::ExchangeOptions session = m_session;
    session.preferRdap = m_state.settings.preferRdap;
    m_run.setExchangeOptions(session);
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
    auto runHistory =
        m_state.table.count() > 0 ? makeHistoryWriter(resuming ? m_state.listRun : std::nullopt) : nullptr;
    m_runHistory = runHistory.get();
    if (m_runHistory != nullptr)
        m_state.listRun = m_runHistory->runId();
    m_startedAt = std::chrono::steady_clock::now();
    m_estimate.begin(m_state.table);
    m_doneAtStart = resuming ? settled : 0; // a new run over a settled list starts from none
    switch (m_run.start(std::move(runHistory))) {
    case lookup::LookupRun::StartResult::NoDomains:
        tell(qobject_cast<QWidget*>(parent()), tr("请至少指定一个域名。"));
        Q_EMIT finished();
        break;
    case lookup::LookupRun::StartResult::CannotStartThread:
        tell(qobject_cast<QWidget*>(parent()), tr("Cannot Start New Thread"));
        finish();
        break;
    case lookup::LookupRun::StartResult::Running:
        m_refreshTimer.start();
        if (m_runHistory != nullptr)
            m_handOverTimer.start();
        break;
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
    m_handOverTimer.stop();
    refresh();
    if (m_run.startFailed())
        tell(qobject_cast<QWidget*>(parent()), tr("Cannot Start New Thread"));
    // The writer may still be storing the end of the run: it is looked at until it is done.
    if (m_runHistory != nullptr)
        m_historyTimer.start();
    Q_EMIT finished();
}

void RunController::showHistoryResults()
{
    if (m_runHistory == nullptr)
        return;
    const bool settled = m_runHistory->settled();
    for (const std::size_t row : m_runHistory->changedRecords())
        m_model.setChanges(static_cast<int>(row), m_runHistory->changesOf(row));
    if (!m_runHistory->active() && !m_state.history.errorTold) {
        m_state.history.errorTold = true;
        Q_EMIT historyNotice(tr("历史记录写入失败，本次查询不再记录（%1）")
                                 .arg(QString::fromStdString(m_runHistory->error())));
    }
    if (settled) {
        m_historyTimer.stop();
        m_runHistory = nullptr;
        m_run.letHistoryGo();
    }
}

void RunController::letHistoryGo()
{
    // A run's writer may still be storing its end: it is waited for, and its changes shown on the
    // rows they belong to, before those rows are replaced or a new run begins.
    if (m_runHistory == nullptr)
        return;
    m_run.waitForHistory();
    showHistoryResults();
}

bool RunController::event(QEvent* event)
{
    if (event->type() != WorkerEndedEvent::type())
        return QObject::event(event);
    if (m_run.workerDone())
        finish();
    return true;
}

} // namespace zonedesk
