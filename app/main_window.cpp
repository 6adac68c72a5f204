// SPDX-License-Identifier: MIT
#include "app/main_window.h"

#include <algorithm>

#include <QAction>
#include <QClipboard>
#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QMenuBar>
#include <QProxyStyle>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#include "core/data_files.h"
#include "core/lookup_status.h"
#include "dialogs/about_dialog.h"
#include "dialogs/history_dialog.h"
#include "dialogs/watch_dialog.h"
#include "history/history_writer.h"
#include "listfile/renewal_calendar.h"
#include "ui/message_box.h"

namespace zonedesk {

namespace {

/// "5 分 51 秒", "2 小时 3 分", "8 秒".
QString durationText(std::int64_t seconds)
{
    if (seconds >= 3600)
        return MainWindow::tr("%1 小时 %2 分").arg(seconds / 3600).arg(seconds % 3600 / 60);
    if (seconds >= 60)
        return MainWindow::tr("%1 分 %2 秒").arg(seconds / 60).arg(seconds % 60);
    return MainWindow::tr("%1 秒").arg(seconds);
}

class NoDockSeparatorStyle final : public QProxyStyle
{
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override
    {
        if (metric == PM_DockWidgetSeparatorExtent)
            return 0;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

} // namespace

MainWindow::MainWindow(AppState& state, QWidget* parent)
    : QMainWindow(parent)
    , m_state(state)
    , m_view(new DomainListView(state, this))
    , m_run(new RunController(state, m_view->listModel(), this))
    , m_panelBar(nullptr)
{
    setWindowTitle(
        QStringLiteral("%1 Ver.%2").arg(QLatin1String(ProgramName), QLatin1String(ProgramVersion)));
    // The installed icon where the theme has it; the built-in one from a build folder.
    setWindowIcon(QIcon::fromTheme(QStringLiteral("io.github.zonedesk.Zonedesk"),
                                   QIcon(QStringLiteral(":/zonedesk/zonedesk.png"))));
    setCentralWidget(m_view);
    createStatusBar();

    // The bars size themselves by their own edges: Qt's separators would be a second, different
    // way to do it.
    auto* style = new NoDockSeparatorStyle;
    style->setParent(this);
    setStyle(style);
    setDockNestingEnabled(true);
    m_panelBar = new PanelBar(state, this);
    addDockWidget(Qt::LeftDockWidgetArea, m_panelBar);
    connect(&m_panelBar->panel(), &ControlPanel::aboutRequested, this, &MainWindow::showAbout);
    connect(&m_panelBar->panel(), &ControlPanel::redDisplayChanged, m_view, &DomainListView::setRedDisplay);
    connect(&m_panelBar->panel(), &ControlPanel::warnDaysChanged, this, &MainWindow::applyWarnDays);
    createActions();
    createFilterBar();
    m_renewalDock = new RenewalCalendarDock(state, *m_view, this);
    addDockWidget(Qt::BottomDockWidgetArea, m_renewalDock);
    m_renewalDock->hide();
    connect(m_renewalDock, &RenewalCalendarDock::filterChanged, this, [this](const QString& description) {
        m_calendarFilter->setText(tr("续费日历：%1 ✕").arg(description));
        m_calendarFilterAction->setVisible(
            !description.isEmpty()); // a tool bar shows its widgets by their actions
        updateFilterCount();
    });
    // A new list (an import, the last results) has other months.
    connect(&m_view->listModel(), &QAbstractItemModel::modelReset, this, [this] {
        m_renewalDock->clearChoice();
        m_renewalDock->refresh();
    });
    m_panelBar->panel().listRows = [this] {
        return ControlPanel::ListRows{m_view->selectedRecords(), m_view->shownRecords()};
    };
    // Queued, as the panel's requests always were: the click's handler ends before the run starts.
    connect(&m_panelBar->panel(),
            &ControlPanel::lookupsRequested,
            this,
            &MainWindow::startLookups,
            Qt::QueuedConnection);
    connect(&m_panelBar->panel(),
            &ControlPanel::listImported,
            this,
            &MainWindow::listImported,
            Qt::QueuedConnection);
    connect(m_run, &RunController::finished, this, &MainWindow::lookupsFinished, Qt::QueuedConnection);
    connect(m_run, &RunController::progress, this, [this](int done) {
        setPane(1, tr("进度：%1 / %2").arg(done).arg(m_state.table.count()));
        m_renewalDock->refresh(); // the months fill in as the run goes
        if (!m_filter->text().isEmpty() || m_calendarFilterAction->isVisible())
            updateFilterCount(); // rows come to match as their owners, registrars and dates arrive
        if (!m_run->inProgress())
            return;
        const auto pace = m_run->pace(done);
        m_summary->setText(pace ? tr("%1 个/秒，剩余约 %2")
                                      .arg(pace->perSecond, 0, 'f', pace->perSecond < 10 ? 1 : 0)
                                      .arg(durationText(pace->secondsLeft))
                                : QString());
    });
    connect(m_run, &RunController::throttleNotice, this, [this](const QString& notice) {
        if (!notice.isEmpty()) {
            setPane(0, notice);
            m_showingThrottle = true;
        } else if (m_showingThrottle) {
            m_showingThrottle = false;
            if (m_run->inProgress())
                setPane(0, tr("正在查询域名信息..."));
        }
    });
    connect(m_run, &RunController::historyNotice, this, &MainWindow::showHistoryNotice);
    // The history's changes reach the rows after the run: the tally follows them.
    connect(&m_view->listModel(), &QAbstractItemModel::dataChanged, this, [this] {
        if (m_run->inProgress() || m_summaryQueued)
            return;
        m_summaryQueued = true;
        QTimer::singleShot(0, this, [this] {
            m_summaryQueued = false;
            if (!m_run->inProgress())
                updateSummary();
        });
    });
    createMenus();
    updateActions();
    // Tab goes from the filter to the list, then through the panel's controls.
    setTabOrder(m_filter, m_view);
    setTabOrder(m_view, panel().redDisplayBox());
}

MainWindow::~MainWindow()
{
    // A download under way ends within a second of its stop; its answer is not waited for.
    m_dataUpdate.request_stop();
    if (m_dataUpdate.joinable())
        m_dataUpdate.join();
    delete m_run;
}

void MainWindow::createFilterBar()
{
    auto* bar = addToolBar(tr("筛选"));
    bar->setObjectName(QStringLiteral("filterBar"));
    bar->setMovable(false);
    m_filter = new QLineEdit(bar);
    m_filter->setObjectName(QStringLiteral("filter"));
    m_filter->setPlaceholderText(tr("筛选：域名、所有人、注册商、Email、状态码或域名服务器（Ctrl+F）"));
    m_filter->setClearButtonEnabled(true);
    bar->addWidget(m_filter);
    connect(m_filter, &QLineEdit::textChanged, m_view, &DomainListView::setFilterText);
    connect(m_filter, &QLineEdit::textChanged, this, &MainWindow::updateFilterCount);
    m_calendarFilter = new QToolButton(bar);
    m_calendarFilter->setObjectName(QStringLiteral("calendarFilter"));
    m_calendarFilter->setToolTip(tr("列表只显示续费日历中选中的月份；单击清除"));
    connect(m_calendarFilter, &QToolButton::clicked, this, [this] { m_renewalDock->clearChoice(); });
    m_calendarFilterAction = bar->addWidget(m_calendarFilter);
    m_calendarFilterAction->setVisible(false);
    // Start and Stop at hand, before the filter.
    QAction* filterField = bar->actions().value(0);
    bar->insertAction(filterField, action(QStringLiteral("start")));
    bar->insertAction(filterField, action(QStringLiteral("stop")));
    bar->insertSeparator(filterField);
}

QAction* MainWindow::addNamedAction(const QString& name, const QString& text, const QString& tip)
{
    auto* action = new QAction(text, this);
    action->setObjectName(name);
    action->setStatusTip(tip);
    m_actions.insert(name, action);
    return action;
}

QAction* MainWindow::action(const QString& name) const
{
    return m_actions.value(name, nullptr);
}

void MainWindow::createActions()
{
    QAction* import =
        addNamedAction(QStringLiteral("import"), tr("导入域名(&I)..."), tr("从文本文件导入域名列表"));
    import->setShortcut(QKeySequence::Open);
    connect(import, &QAction::triggered, &panel(), &ControlPanel::importList);
    QAction* exportList =
        addNamedAction(QStringLiteral("export"), tr("导出数据(&E)..."), tr("把列表导出为 CSV 文件"));
    exportList->setShortcuts({QKeySequence(QKeySequence::Save), QKeySequence(Qt::CTRL | Qt::Key_E)});
    connect(exportList, &QAction::triggered, &panel(), &ControlPanel::exportList);
    QAction* start =
        addNamedAction(QStringLiteral("start"), tr("开始查询(&S)"), tr("查询列表中还没有结果的域名"));
    start->setShortcut(Qt::Key_F5);
    connect(start, &QAction::triggered, this, [this] {
        if (!m_run->inProgress())
            panel().startLookups();
    });
    QAction* stop = addNamedAction(
        QStringLiteral("stop"), tr("停止查询(&T)"), tr("停止查询：已完成的结果保留，开始查询时继续"));
    stop->setShortcut(Qt::Key_Escape);
    connect(stop, &QAction::triggered, this, &MainWindow::stopLookups);
    QAction* recheckSelected = addNamedAction(
        QStringLiteral("recheckSelected"), tr("重新查询所选域名(&R)"), tr("重新查询列表中选中的域名"));
    recheckSelected->setShortcut(Qt::CTRL | Qt::Key_R);
    connect(recheckSelected, &QAction::triggered, this, [this] { recheck(Recheck::Selected); });
    QAction* recheckErrors = addNamedAction(
        QStringLiteral("recheckErrors"), tr("重新查询出错的域名(&O)"), tr("重新查询结果为 ERR! 的域名"));
    connect(recheckErrors, &QAction::triggered, this, [this] { recheck(Recheck::Errors); });
    QAction* recheckAll = addNamedAction(
        QStringLiteral("recheckAll"), tr("全部重新查询(&A)"), tr("重新查询列表中的每一个域名"));
    connect(recheckAll, &QAction::triggered, this, [this] { recheck(Recheck::All); });

    QAction* copyRows =
        addNamedAction(QStringLiteral("copyRows"), tr("复制行(&C)"), tr("复制选中的行（制表符分隔，九列）"));
    copyRows->setShortcuts(QKeySequence::Copy);
    // Ctrl+C copies rows in the list only: the filter field and the web pane keep their own copy.
    copyRows->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    m_view->addAction(copyRows);
    connect(copyRows, &QAction::triggered, this, [this] {
        QGuiApplication::clipboard()->setText(m_view->selectedRowsText());
    });
    QAction* copyNames =
        addNamedAction(QStringLiteral("copyNames"), tr("复制域名(&N)"), tr("复制选中行的域名，每行一个"));
    copyNames->setShortcut(Qt::CTRL | Qt::SHIFT | Qt::Key_C);
    connect(copyNames, &QAction::triggered, this, [this] {
        QGuiApplication::clipboard()->setText(m_view->selectedNamesText());
    });
    QAction* history = addNamedAction(
        QStringLiteral("history"), tr("查询历史(&H)..."), tr("显示所选域名的历次查询和注册局的回复"));
    history->setShortcut(Qt::CTRL | Qt::Key_H);
    history->setObjectName(QStringLiteral("showHistory")); // the menu item's name from the start
    connect(history, &QAction::triggered, this, &MainWindow::showHistory);
    QAction* reply = addNamedAction(
        QStringLiteral("reply"), tr("查看注册局的回复(&W)..."), tr("显示所选域名最近一次查询时注册局的回复"));
    connect(reply, &QAction::triggered, this, &MainWindow::showReply);
    QAction* scheduleWatch =
        addNamedAction(QStringLiteral("scheduleWatch"),
                       tr("定期检查(&P)..."),
                       tr("让系统每天或每周在后台查询一个列表，有域名掉落、将到期或有变化时通知你"));
    connect(scheduleWatch, &QAction::triggered, this, [this] {
        WatchDialog dialog(panel().lastImportedFile(), m_state.settings.expiryWarnDays, this);
        dialog.exec();
    });
    // The shortcuts work wherever the focus is in the window, also when the menu bar is hidden.
    for (QAction* named : std::as_const(m_actions)) {
        if (named != copyRows)
            addAction(named);
    }

    m_view->setRowActions({copyNames, copyRows, nullptr, recheckSelected, history, reply});
    connect(
        m_view->selectionModel(), &QItemSelectionModel::selectionChanged, this, &MainWindow::updateActions);
    connect(m_view->selectionModel(), &QItemSelectionModel::currentChanged, this, &MainWindow::updateActions);
    connect(m_view->model(), &QAbstractItemModel::modelReset, this, &MainWindow::updateActions);
    connect(m_run, &RunController::stopRequested, this, [this] {
        setPane(0, tr("正在停止查询..."));
        updateActions();
    });
    updateActions();
}

void MainWindow::updateActions()
{
    const bool running = m_run->inProgress();
    const bool any = m_state.table.count() > 0;
    const bool selected = m_view->selectionModel() != nullptr && m_view->selectionModel()->hasSelection();
    const QString busy = tr("查询正在进行，请先停止查询（Esc）");
    const auto enable = [&](const QString& name, bool on, const QString& why = {}) {
        QAction* action = m_actions.value(name);
        action->setEnabled(on);
        action->setToolTip(on || why.isEmpty()
                               ? action->text().remove(QLatin1Char('&')).remove(QStringLiteral("..."))
                               : why);
    };
    enable(QStringLiteral("import"), !running, busy);
    enable(QStringLiteral("export"), true);
    enable(QStringLiteral("start"), !running && any, running ? busy : QString());
    panel().allowStart(!running && any);
    enable(QStringLiteral("stop"), running && !m_run->stopping());
    enable(QStringLiteral("recheckSelected"), !running && selected, running ? busy : QString());
    enable(QStringLiteral("recheckErrors"), !running && any, running ? busy : QString());
    enable(QStringLiteral("recheckAll"), !running && any, running ? busy : QString());
    // With no row selected, a copy takes the current row (the list tabbed into).
    const bool rowAtHand = selected || m_view->currentIndex().isValid();
    enable(QStringLiteral("copyRows"), rowAtHand);
    enable(QStringLiteral("copyNames"), rowAtHand);
    enable(QStringLiteral("history"), selected);
    enable(QStringLiteral("reply"), selected);
    if (QAction* last = findChild<QAction*>(QStringLiteral("openLastResults"))) {
        last->setEnabled(!running);
        last->setToolTip(running ? busy : QString());
    }
}

void MainWindow::createMenus()
{
    QMenu* file = menuBar()->addMenu(tr("文件(&F)"));
    file->addAction(action(QStringLiteral("import")));
    file->addAction(action(QStringLiteral("export")));
    QAction* last = file->addAction(tr("打开上次结果(&L)"), this, [this] { openLastResults(); });
    last->setObjectName(QStringLiteral("openLastResults"));
    last->setStatusTip(tr("从查询历史中打开上次查询的结果"));
    QAction* calendar = file->addAction(tr("导出日历(&C)..."), this, &MainWindow::exportCalendar);
    calendar->setObjectName(QStringLiteral("exportCalendar"));
    calendar->setStatusTip(tr("把域名的到期日期导出为日历文件（.ics），供日历程序导入"));
    file->addAction(action(QStringLiteral("scheduleWatch")));
    file->addSeparator();
    for (const char* name : {"start", "stop", "recheckSelected", "recheckErrors", "recheckAll"})
        file->addAction(action(QLatin1String(name)));
    file->addSeparator();
    file->addAction(action(QStringLiteral("history")));
    file->addAction(action(QStringLiteral("reply")));
    file->addSeparator();
    QAction* exit = file->addAction(tr("退出(&X)"), this, &QWidget::close);
    exit->setShortcut(QKeySequence::Quit);
    exit->setShortcutContext(Qt::ApplicationShortcut);
    exit->setStatusTip(tr("退出应用程序"));

    QMenu* edit = menuBar()->addMenu(tr("编辑(&E)"));
    edit->addAction(action(QStringLiteral("copyRows")));
    edit->addAction(action(QStringLiteral("copyNames")));
    edit->addSeparator();
    QAction* find = edit->addAction(tr("查找(&F)"), this, [this] {
        m_filter->setFocus(Qt::ShortcutFocusReason);
        m_filter->selectAll();
    });
    find->setShortcut(QKeySequence::Find);
    find->setStatusTip(tr("筛选列表"));
    addAction(find);

    QMenu* viewMenu = menuBar()->addMenu(tr("查看(&V)"));
    m_statusBarAction = viewMenu->addAction(tr("状态栏(&S)"));
    m_statusBarAction->setCheckable(true);
    m_statusBarAction->setChecked(true);
    m_statusBarAction->setStatusTip(tr("显示或隐藏状态栏"));
    connect(m_statusBarAction, &QAction::toggled, statusBar(), &QStatusBar::setVisible);

    // Shows or hides the bar at once; the check mark follows the bar, also when its own close
    // button hid it. (The dock's toggleViewAction is disabled for a bar that can't be closed.)
    QAction* calendarView = m_renewalDock->toggleViewAction();
    calendarView->setText(tr("续费日历(&R)"));
    calendarView->setShortcut(QKeySequence(Qt::Key_F9));
    calendarView->setObjectName(QStringLiteral("renewalCalendarView"));
    viewMenu->addAction(calendarView);
    m_sidebarAction = viewMenu->addAction(tr("侧边栏(&L)"));
    m_sidebarAction->setCheckable(true);
    m_sidebarAction->setChecked(true);
    connect(m_sidebarAction, &QAction::triggered, this, [this] {
        m_panelBar->setVisible(m_panelBar->isHidden());
    });
    connect(viewMenu, &QMenu::aboutToShow, this, [this] {
        m_sidebarAction->setChecked(!m_panelBar->isHidden());
    });
    connect(m_panelBar, &QDockWidget::visibilityChanged, this, [this] {
        m_sidebarAction->setChecked(!m_panelBar->isHidden());
    });

    QMenu* help = menuBar()->addMenu(tr("帮助(&H)"));
    QAction* updateData = help->addAction(tr("更新注册局数据(&U)..."), this, &MainWindow::updateData);
    updateData->setObjectName(QStringLiteral("updateData"));
    updateData->setStatusTip(tr("从 IANA 下载最新的 RDAP 服务器列表，用于十家注册局以外的域名"));
    help->addSeparator();
    QAction* about = help->addAction(tr("关于(&A)..."), this, &MainWindow::showAbout);
    about->setStatusTip(tr("显示程序信息，版本号和版权"));
}

void MainWindow::createStatusBar()
{
    QStatusBar* bar = statusBar();
    m_panes[0] = new QLabel(tr("就绪"), bar);
    bar->addWidget(m_panes[0], 1);
    const int paneWidth = 30 * QFontMetrics(bar->font()).averageCharWidth();
    m_filterCount = new QLabel(bar);
    m_filterCount->setObjectName(QStringLiteral("filterCount"));
    m_filterCount->hide();
    bar->addPermanentWidget(m_filterCount);
    m_summary = new QLabel(bar);
    m_summary->setObjectName(QStringLiteral("runSummary"));
    bar->addPermanentWidget(m_summary);
    for (int pane = 1; pane < 3; ++pane) {
        m_panes[pane] = new QLabel(bar);
        m_panes[pane]->setFrameShape(QFrame::Panel);
        m_panes[pane]->setFrameShadow(QFrame::Sunken);
        m_panes[pane]->setFixedWidth(paneWidth);
        bar->addPermanentWidget(m_panes[pane]);
    }
}

void MainWindow::setPane(int pane, const QString& text)
{
    m_panes[pane]->setText(text);
    m_panes[pane]->repaint();
}

QString MainWindow::paneText(int pane) const
{
    return m_panes[pane]->text();
}

QString MainWindow::runSummary() const
{
    return m_summary->text();
}

QString MainWindow::filterCount() const
{
    return m_filterCount->isHidden() ? QString() : m_filterCount->text();
}

void MainWindow::updateSummary()
{
    const DomainListModel::Tally tally = m_view->listModel().tally();
    QStringList parts = {tr("成功 %1").arg(tally.registered),
                         tr("未注册 %1").arg(tally.notRegistered),
                         QStringLiteral("ERR! %1").arg(tally.errors)};
    if (m_state.settings.redDisplay != 0)
        parts << tr("即将到期 %1").arg(tally.nearExpiry);
    parts << tr("变化 %1").arg(tally.changed) << tr("已释放 %1").arg(tally.dropped);
    const bool anyShown = tally.registered + tally.notRegistered + tally.errors > 0;
    m_summary->setText(anyShown ? parts.join(QStringLiteral(" · ")) : QString());
    updateFilterCount();
}

void MainWindow::updateFilterCount()
{
    const int total = m_view->listModel().rowCount();
    const int shown = m_view->model()->rowCount();
    m_filterCount->setText(tr("显示 %1 / 共 %2").arg(shown).arg(total));
    m_filterCount->setVisible(!m_filter->text().isEmpty() || m_calendarFilterAction->isVisible());
}

void MainWindow::updateData()
{
    auto* action = findChild<QAction*>(QStringLiteral("updateData"));
    action->setEnabled(false);
    setPane(0, tr("正在更新注册局数据..."));
    if (m_dataUpdate.joinable())
        m_dataUpdate.join(); // the last update has ended: it enabled the action again
    m_dataUpdate = std::jthread([this](std::stop_token stop) {
        const net::BootstrapUpdate update = net::updateBootstrap(net::IanaBootstrapUrl, stop);
        if (!stop.stop_requested())
            QMetaObject::invokeMethod(
                this, [this, update] { showDataUpdate(update); }, Qt::QueuedConnection);
    });
}

void MainWindow::showDataUpdate(const net::BootstrapUpdate& update)
{
    using Outcome = net::BootstrapUpdate::Outcome;
    findChild<QAction*>(QStringLiteral("updateData"))->setEnabled(true);
    QString text;
    switch (update.outcome) {
    case Outcome::Failed:
        text = tr("无法更新注册局数据：%1。现有数据保持不变。").arg(QString::fromStdString(update.error));
        break;
    case Outcome::NotModified:
    case Outcome::Unchanged:
    case Outcome::OlderFetched: text = tr("注册局数据已是最新。"); break;
    case Outcome::FirstCopy:
    case Outcome::Updated:
        text = tr("注册局数据已更新（发布于 %1）：新增 %2 个顶级域，移除 %3 个，%4 个更换了服务器。"
                  "新数据在下次启动程序时生效。")
                   .arg(QString::fromStdString(update.fetched->publication()))
                   .arg(update.changes.added.size())
                   .arg(update.changes.removed.size())
                   .arg(update.changes.moved.size());
        break;
    }
    setPane(0, tr("就绪"));
    tell(this, text);
}

void MainWindow::showAbout()
{
    AboutDialog about(this);
    about.exec();
}

void MainWindow::openLastResults(bool quiet)
{
    if (m_run->inProgress()) {
        tell(this, tr("查询正在进行，无法打开上次结果。"));
        return;
    }
    history::HistoryStore* store = historyStore(m_state);
    if (store == nullptr) {
        if (!quiet)
            tellHistoryUnavailable();
        return;
    }
    std::string why;
    const auto stored = store->lastRunList(why);
    if (!stored) {
        tellHistoryUnreadable(why);
        return;
    }
    const history::RunList& last = *stored;
    if (last.names.empty() && last.entries.empty()) {
        if (!quiet)
            tell(this, tr("还没有查询记录。"));
        return;
    }
    m_run->letHistoryGo();
    const std::int32_t count = history::restoreList(m_state.table, last);
    m_state.listRun = last.runId;
    m_view->showTable();
    const std::int32_t done = m_state.table.doneCount();
    setPane(0,
            last.entries.empty() ? tr("已打开上次结果")
                                 : tr("已打开上次结果（%1）")
                                       .arg(QDateTime::fromSecsSinceEpoch(last.entries.back().time)
                                                .toString(QStringLiteral("yyyy-MM-dd HH:mm"))));
    setPane(1, tr("进度：%1 / %2").arg(done).arg(count));
    setPane(2, tr("域名数量：%1").arg(count));
    updateSummary();
    updateActions();
}

void MainWindow::tellHistoryUnavailable()
{
    tell(this, tr("历史记录不可用：%1").arg(QString::fromStdString(m_state.history.error)));
}

void MainWindow::showHistoryNotice(const QString& text)
{
    statusBar()->showMessage(text, StatusNoticeMs);
    notify(this, text)->setObjectName(QStringLiteral("historyNotice"));
}

void MainWindow::tellHistoryUnreadable(const std::string& why)
{
    tell(this, tr("无法读取查询历史：%1").arg(QString::fromStdString(why)));
}

void MainWindow::showHistory()
{
    showHistoryOf(false);
}

void MainWindow::showReply()
{
    showHistoryOf(true);
}

void MainWindow::showHistoryOf(bool newestReply)
{
    const std::string domain = m_view->selectedDomain();
    if (domain.empty()) {
        tell(this, tr("请先在列表中选择一个域名。"));
        return;
    }
    history::HistoryStore* store = historyStore(m_state);
    if (store == nullptr) {
        tellHistoryUnavailable();
        return;
    }
    std::string why;
    auto entries = store->history(domain, true, why);
    if (!entries) {
        tellHistoryUnreadable(why);
        return;
    }
    if (newestReply && entries->empty()) {
        tell(this, tr("“%1”还没有查询记录。").arg(QString::fromStdString(domain)));
        return;
    }
    HistoryDialog dialog(std::move(*entries), domain, this);
    if (newestReply) {
        // The newest lookup (the list is newest first) with its reply in front.
        dialog.lookups()->selectRow(0);
        dialog.reply()->setFocus();
    }
    dialog.exec();
}

void MainWindow::startLookups()
{
    setPane(0, tr("正在查询域名信息..."));
    m_summary->clear();
    m_view->listModel().setSayWaiting(false);
    m_run->start();
    updateActions();
}

void MainWindow::stopLookups()
{
    m_run->requestStop();
}

void MainWindow::recheck(Recheck which)
{
    if (m_run->inProgress())
        return;
    std::vector<std::size_t> rows;
    switch (which) {
    case Recheck::Selected: rows = m_view->selectedRows(); break;
    case Recheck::Errors:
        for (std::size_t i = 0; i < static_cast<std::size_t>(m_state.table.count()); ++i) {
            const core::DomainRecord& record = m_state.table[i];
            if (core::isDone(record) && record.status == static_cast<std::int32_t>(core::LookupStatus::Error))
                rows.push_back(i);
        }
        break;
    case Recheck::All:
        for (std::size_t i = 0; i < static_cast<std::size_t>(m_state.table.count()); ++i)
            rows.push_back(i);
        break;
    }
    if (rows.empty()) {
        setPane(0, which == Recheck::Errors ? tr("没有出错的域名。") : tr("请先在列表中选择域名。"));
        return;
    }
    m_run->clearForRecheck(rows);
    panel().startLookups();
}

void MainWindow::lookupsFinished()
{
    updateSummary();
    updateActions();
    if (m_run->stopped()) {
        // The names not reached wait for the next Start, which resumes.
        m_view->listModel().setSayWaiting(true);
        const int waiting = m_state.table.count() - m_state.table.doneCount();
        setPane(0, tr("查询已停止：%1 个域名未查询，开始查询将继续", nullptr, waiting).arg(waiting));
        panel().enableStart();
        return;
    }
    if (m_state.settings.redDisplay != 0) {
        const int near = m_view->nearExpiryCount();
        setPane(0,
                tr("操作结束！ %1 个域名将在 %2 天内到期", nullptr, near)
                    .arg(near)
                    .arg(m_state.settings.expiryWarnDays));
    } else {
        setPane(0, tr("操作结束！"));
    }
    panel().enableStart();
}

void MainWindow::exportCalendar()
{
    if (const std::string why = listfile::calendarUnavailable(); !why.empty()) {
        tell(this, tr("无法导出日历：%1").arg(QString::fromStdString(why)));
        return;
    }
    const QString folder = m_state.desktop.exportFolder.empty()
                               ? QDir::homePath()
                               : QString::fromStdString(m_state.desktop.exportFolder);
    const QString path = QFileDialog::getSaveFileName(
        this, tr("导出日历"), folder + QStringLiteral("/renewals.ics"), tr("日历文件 (*.ics);;所有文件 (*)"));
    if (path.isEmpty())
        return;
    listfile::RenewalCalendarOptions options;
    options.warnDays = m_state.settings.expiryWarnDays;
    options.now = QDateTime::currentSecsSinceEpoch();
    options.today = core::today();
    const listfile::RenewalCalendar calendar = listfile::renewalCalendar(m_state.table, options);
    if (calendar.text.empty()) {
        tell(this, tr("无法导出日历：%1").arg(QString::fromStdString(calendar.error)));
        return;
    }
    if (std::string why; !core::writeFileAtomically(path.toStdString(), calendar.text, why)) {
        tell(this, tr("无法写入“%1”：%2").arg(path, QString::fromStdString(why)));
        return;
    }
    setPane(0,
            tr("已导出 %n 个日程", nullptr, calendar.events) +
                (calendar.leftOut > 0 ? tr("，%n 个域名没有已知的到期日期，未导出", nullptr, calendar.leftOut)
                                      : QString()));
}

void MainWindow::applyWarnDays(int days)
{
    m_view->listModel().setNearExpiry(m_state.settings.redDisplay != 0, days);
    m_renewalDock->refresh();
    const int near = m_view->nearExpiryCount();
    const QString text = tr("%1 个域名将在 %2 天内到期", nullptr, near).arg(near).arg(days);
    // During a run the first pane keeps saying so; the count shows for a while instead.
    if (m_run->inProgress())
        statusBar()->showMessage(text, StatusNoticeMs);
    else
        setPane(0, text);
}

void MainWindow::listImported()
{
    setPane(0, tr("导入域名到列表..."));
    setPane(1, QString()); // a new list has no progress yet
    setPane(2, tr("域名数量：%1").arg(m_state.table.count()));
    m_state.listRun.reset();
    m_run->letHistoryGo();
    m_view->fillRows();
    // The list is in: the import is over, and the pane says so.
    setPane(0, tr("已导入 %1 个域名。", nullptr, m_state.table.count()).arg(m_state.table.count()));
    m_summary->clear();
    updateActions();
    updateFilterCount();
}

QRect MainWindow::defaultNormalGeometry(const QRect& available)
{
    const QSize size(available.width() * 2 / 3, available.height() * 2 / 3);
    return {available.topLeft() +
                QPoint((available.width() - size.width()) / 2, (available.height() - size.height()) / 2),
            size};
}

void MainWindow::showAtStart()
{
    const core::WindowGeometry& saved = m_state.desktop.normal;
    QRect normal(saved.x, saved.y, saved.width, saved.height);
    QScreen* screen = saved.valid() ? QGuiApplication::screenAt(normal.center()) : nullptr;
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    const QRect available = screen->availableGeometry();
    // A remembered geometry is used only while a good part of it is on a screen and it is not
    // too small to work in (a screen may have gone, or the file been edited).
    const QRect visible = normal.intersected(available);
    const QSize minimum = defaultNormalGeometry(available).size() / 2;
    if (!saved.valid() || visible.width() < 200 || visible.height() < 150 ||
        normal.width() < minimum.width() || normal.height() < minimum.height())
        normal = defaultNormalGeometry(available);
    // Saved on a larger screen, it is moved (and cut) into this one: the status bar stays in view.
    normal.setSize(normal.size().boundedTo(available.size()));
    normal.moveLeft(std::clamp(normal.left(), available.left(), available.right() - normal.width() + 1));
    normal.moveTop(std::clamp(normal.top(), available.top(), available.bottom() - normal.height() + 1));
    setGeometry(normal);
    m_normalGeometry = normal;
    if (m_state.desktop.maximized)
        showMaximized();
    else
        show();
}

void MainWindow::rememberPlacement(core::DesktopSettings& desktop) const
{
    const QRect normal = m_normalGeometry.isValid() ? m_normalGeometry : geometry();
    desktop.normal = {normal.x(), normal.y(), normal.width(), normal.height()};
    desktop.maximized = isMaximized();
}

void MainWindow::restoreLayout()
{
    const core::DesktopSettings& desktop = m_state.desktop;
    m_view->restoreLayout(desktop);
    m_filter->setText(
        QString::fromUtf8(desktop.filter.data(), static_cast<qsizetype>(desktop.filter.size())));
    if (desktop.panelWidth > 0)
        m_panelBar->model().vertSize.width = desktop.panelWidth;
    if (desktop.panelSide == core::PanelSide::Right)
        addDockWidget(Qt::RightDockWidgetArea, m_panelBar);
    if (!desktop.panelFloating)
        return;
    m_panelBar->setFloating(true);
    const core::WindowGeometry& frame = desktop.panelFloat;
    const QRect floating(frame.x, frame.y, frame.width, frame.height);
    // Only where a good part of it is still on a screen.
    QScreen* screen = frame.valid() ? QGuiApplication::screenAt(floating.center()) : nullptr;
    if (screen != nullptr) {
        m_panelBar->model().floatSize = {frame.width, frame.height};
        m_panelBar->setGeometry(floating);
    }
    m_panelBar->show();
}

void MainWindow::rememberLayout(core::DesktopSettings& desktop) const
{
    m_view->rememberLayout(desktop);
    desktop.filter = m_filter->text().toStdString();
    // A floating or top/bottom panel keeps the side it was last on.
    switch (dockWidgetArea(m_panelBar)) {
    case Qt::LeftDockWidgetArea: desktop.panelSide = core::PanelSide::Left; break;
    case Qt::RightDockWidgetArea: desktop.panelSide = core::PanelSide::Right; break;
    default: break;
    }
    desktop.panelWidth = m_panelBar->model().vertSize.width;
    desktop.panelFloating = m_panelBar->isFloating();
    if (desktop.panelFloating) {
        const QRect frame = m_panelBar->geometry();
        desktop.panelFloat = {frame.x(), frame.y(), frame.width(), frame.height()};
    }
}

void MainWindow::noteGeometry()
{
    if (m_noteQueued)
        return;
    m_noteQueued = true;
    QTimer::singleShot(0, this, [this] {
        m_noteQueued = false;
        if (isVisible() &&
            (windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen)) == 0)
            m_normalGeometry = geometry();
    });
}

void MainWindow::moveEvent(QMoveEvent* event)
{
    QMainWindow::moveEvent(event);
    noteGeometry();
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    noteGeometry();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (m_run->inProgress() && !m_run->stopping()) {
        QMessageBox box(QMessageBox::Question,
                        emptyCaption(),
                        tr("查询正在进行。\n停止查询并关闭程序吗？已完成的结果会保留。"),
                        QMessageBox::NoButton,
                        this);
        QPushButton* close = box.addButton(tr("停止并关闭"), QMessageBox::AcceptRole);
        QPushButton* keep = box.addButton(tr("继续查询"), QMessageBox::RejectRole);
        box.setDefaultButton(keep);
        box.setEscapeButton(keep);
        box.exec();
        if (box.clickedButton() != close) {
            event->ignore();
            return;
        }
    }
    // Workers stop within a fraction of a second; the table and this window outlive them.
    m_run->stop();
    QMainWindow::closeEvent(event);
}

} // namespace zonedesk
