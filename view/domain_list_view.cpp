// SPDX-License-Identifier: MIT
#include "view/domain_list_view.h"

#include <QHeaderView>

#include "core/encodings.h"
#include "core/field_copy.h"
#include "core/window_messages.h"
#include "ui/message_box.h"

namespace zonedesk {

DomainListView::DomainListView(AppState& state, QWidget* parent)
    : QTableView(parent)
    , m_state(state)
    , m_model(state.table)
    , m_postTarget(this)
    , m_run(state.table, m_postTarget)
{
    m_filter.setSourceModel(&m_model);
    setModel(&m_filter);
    setShowGrid(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    // A click on a header sorts by it, a second click reverses; until then the table's order.
    horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    setSortingEnabled(true);
    m_warnDaysInEffect = state.settings.expiryWarnDays;
    m_model.setNearExpiry(state.settings.redDisplay != 0, m_warnDaysInEffect);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    verticalHeader()->setVisible(false);
    // Report-list rows: one line of text each, not the roomier default of item views.
    verticalHeader()->setMinimumSectionSize(fontMetrics().height() + 4);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setHighlightSections(false);
    for (int column = 0; column < DomainListModel::ColumnCount; ++column)
        setColumnWidth(column, DomainListModel::columnWidth(column));
    m_refreshTimer.setInterval(RefreshIntervalMs);
    connect(&m_refreshTimer, &QTimer::timeout, this, &DomainListView::refreshFinishedRows);
    m_historyTimer.setInterval(100);
    connect(&m_historyTimer, &QTimer::timeout, this, &DomainListView::showHistoryResults);
}

DomainListView::~DomainListView()
{
    // Workers post to this object: they must all be gone before it is.
    stopLookups();
}

void DomainListView::stopLookups()
{
    m_run.requestStop();
    m_run.join();
    m_refreshTimer.stop();
    letHistoryGo(false); // what finished before the stop is kept; the window is going
}

void DomainListView::recordHistory(bool final)
{
    if (!m_recorder)
        return;
    if (final)
        m_recorder->finish();
    else
        m_recorder->tick();
    showHistoryResults();
    // The writer may still be storing the end of the run: it is looked at until it is done.
    if (final && m_recorder)
        m_historyTimer.start();
}

void DomainListView::showHistoryResults()
{
    if (!m_recorder)
        return;
    const bool settled = m_recorder->settled();
    for (const std::size_t row : m_recorder->changedRecords())
        m_model.setChanges(static_cast<int>(row), m_recorder->changesOf(row));
    if (!m_recorder->active() && !m_state.history.errorTold) {
        m_state.history.errorTold = true;
        tell(this,
             QStringLiteral("历史记录写入失败，本次查询不再记录：%1")
                 .arg(QString::fromStdString(m_recorder->error())));
    }
    if (settled) {
        m_historyTimer.stop();
        m_recorder.reset();
    }
}

std::string DomainListView::selectedDomain() const
{
    const QModelIndex current =
        selectionModel() != nullptr ? selectionModel()->currentIndex() : QModelIndex();
    if (!current.isValid())
        return {};
    const QModelIndex source = m_filter.mapToSource(current);
    if (!source.isValid() || source.row() >= m_state.table.count())
        return {};
    return core::gbkToUtf8(core::fieldText(m_state.table[static_cast<std::size_t>(source.row())].domain));
}

void DomainListView::showTable()
{
    letHistoryGo();
    m_model.fillRows();
    m_model.refreshFinishedRows();
}

void DomainListView::setRedDisplay(bool on)
{
    m_model.setNearExpiry(on, m_warnDaysInEffect);
}

void DomainListView::fillRows()
{
    letHistoryGo();
    m_model.fillRows();
}

void DomainListView::letHistoryGo(bool showChanges)
{
    // A run's writer may still be storing its end: it is waited for, and its changes shown on the
    // rows they belong to, before those rows are replaced or a new run begins.
    if (!m_recorder)
        return;
    m_recorder->finish();
    m_recorder->wait();
    if (showChanges) {
        showHistoryResults();
    } else {
        m_historyTimer.stop();
        m_recorder.reset();
    }
}

void DomainListView::refreshFinishedRows()
{
    const int done = m_model.refreshFinishedRows();
    recordHistory(false);
    postMessage(m_state.mainWindow, core::WM_LOOKUP_PROGRESS, done);

    QString notice;
    for (const auto& throttled : m_run.throttledServers()) {
        const auto left =
            std::chrono::ceil<std::chrono::seconds>(throttled.retryAt - std::chrono::steady_clock::now());
        notice = QStringLiteral("%1 限流，%2 秒后重试")
                     .arg(QString::fromStdString(throttled.server))
                     .arg(std::max<qint64>(0, left.count()));
    }
    Q_EMIT throttleNotice(notice);
}

bool DomainListView::event(QEvent* event)
{
    if (event->type() != WindowMessage::type())
        return QTableView::event(event);
    switch (static_cast<WindowMessage*>(event)->message()) {
    case core::WM_FILL_ROWS: fillRows(); break;
    case core::WM_START_LOOKUPS: startRun(); break;
    case core::WM_WORKER_DONE: workerDone(); break;
    default: break;
    }
    return true;
}

void DomainListView::startRun()
{
    // The day count takes effect at Start, as the panel's other settings do.
    m_warnDaysInEffect = m_state.settings.expiryWarnDays;
    m_model.setNearExpiry(m_state.settings.redDisplay != 0, m_warnDaysInEffect);
    lookup::InternetSession session = m_session;
    session.preferRdap = m_state.settings.preferRdap;
    m_run.setSession(session);
    m_run.setEndpoints(m_state.endpoints);
    // The history is a help, never a condition: without it the run goes on, said once.
    letHistoryGo();
    m_run.keepRawReplies(nullptr);
    if (m_state.table.count() > 0) {
        if (historyStore(m_state) != nullptr) {
            m_run.keepRawReplies(&m_rawReplies);
            m_recorder.emplace(historyPath(m_state), m_state.table, &m_rawReplies, "desktop");
            if (!m_recorder->active()) {
                m_state.history.error = m_recorder->error();
                m_recorder.reset();
                m_run.keepRawReplies(nullptr);
            }
        }
        if (!m_recorder && !m_state.history.errorTold) {
            m_state.history.errorTold = true;
            tell(this,
                 QStringLiteral("历史记录不可用，本次查询照常进行，但不会被记录：%1")
                     .arg(QString::fromStdString(m_state.history.error)));
        }
    }
    switch (m_run.startLookups()) {
    case lookup::LookupRun::StartResult::NoDomains:
        tell(this, QStringLiteral("请至少指定一个域名。"));
        postMessage(m_state.mainWindow, core::WM_LOOKUP_FINISHED);
        break;
    case lookup::LookupRun::StartResult::CannotStartThread:
        tell(this, QStringLiteral("Cannot Start New Thread"));
        recordHistory(true);
        postMessage(m_state.mainWindow, core::WM_LOOKUP_FINISHED);
        break;
    case lookup::LookupRun::StartResult::Running: m_refreshTimer.start(); break;
    case lookup::LookupRun::StartResult::NothingToQuery: finishRun(); break;
    }
}

void DomainListView::workerDone()
{
    if (m_run.workerDone())
        finishRun();
}

void DomainListView::finishRun()
{
    m_refreshTimer.stop();
    refreshFinishedRows();
    recordHistory(true);
    postMessage(m_state.mainWindow, core::WM_LOOKUP_FINISHED);
}

} // namespace zonedesk
