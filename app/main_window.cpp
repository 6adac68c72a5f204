// SPDX-License-Identifier: MIT
#include "app/main_window.h"

#include <algorithm>

#include <QAction>
#include <QCloseEvent>
#include <QDateTime>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QMenuBar>
#include <QProxyStyle>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#include "app/about_dialog.h"
#include "history/history_recorder.h"
#include "ui/message_box.h"
#include "view/history_dialog.h"

namespace zonedesk {

namespace {

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
    setWindowIcon(QIcon(QStringLiteral(":/zonedesk/zonedesk.png")));
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
    createFilterBar();
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
        setPane(1, QStringLiteral("进度：%1 / %2").arg(done).arg(m_state.table.count()));
    });
    connect(m_run, &RunController::throttleNotice, this, [this](const QString& notice) {
        if (!notice.isEmpty()) {
            setPane(0, notice);
            m_showingThrottle = true;
        } else if (m_showingThrottle) {
            m_showingThrottle = false;
            if (m_run->inProgress())
                setPane(0, QStringLiteral("正在查询域名信息..."));
        }
    });
    connect(m_run, &RunController::historyNotice, this, &MainWindow::showHistoryNotice);
    createMenus();
}

MainWindow::~MainWindow()
{
    delete m_run;
}

void MainWindow::createFilterBar()
{
    auto* bar = addToolBar(QStringLiteral("筛选"));
    bar->setObjectName(QStringLiteral("filterBar"));
    bar->setMovable(false);
    m_filter = new QLineEdit(bar);
    m_filter->setObjectName(QStringLiteral("filter"));
    m_filter->setPlaceholderText(QStringLiteral("筛选：域名、所有人、注册商或 Email（Ctrl+F）"));
    m_filter->setClearButtonEnabled(true);
    bar->addWidget(m_filter);
    connect(m_filter, &QLineEdit::textChanged, m_view, &DomainListView::setFilterText);
    auto* find = new QAction(this);
    find->setShortcut(QKeySequence::Find);
    connect(find, &QAction::triggered, this, [this] {
        m_filter->setFocus(Qt::ShortcutFocusReason);
        m_filter->selectAll();
    });
    addAction(find);
}

void MainWindow::createMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("文件(&F)"));
    QAction* last = file->addAction(QStringLiteral("打开上次结果(&R)"), this, [this] { openLastResults(); });
    last->setObjectName(QStringLiteral("openLastResults"));
    last->setStatusTip(QStringLiteral("从查询历史中打开上次查询的结果"));
    QAction* history = file->addAction(QStringLiteral("查询历史(&H)..."), this, &MainWindow::showHistory);
    history->setObjectName(QStringLiteral("showHistory"));
    history->setStatusTip(QStringLiteral("显示所选域名的历次查询和注册局的回复"));
    file->addSeparator();
    QAction* exit = file->addAction(QStringLiteral("退出(&X)"), this, &QWidget::close);
    exit->setShortcut(QKeySequence::Quit);
    exit->setShortcutContext(Qt::ApplicationShortcut);
    exit->setStatusTip(QStringLiteral("退出应用程序"));

    QMenu* viewMenu = menuBar()->addMenu(QStringLiteral("查看(&V)"));
    m_statusBarAction = viewMenu->addAction(QStringLiteral("状态栏(&S)"));
    m_statusBarAction->setCheckable(true);
    m_statusBarAction->setChecked(true);
    m_statusBarAction->setStatusTip(QStringLiteral("显示或隐藏状态栏"));
    connect(m_statusBarAction, &QAction::toggled, statusBar(), &QStatusBar::setVisible);

    // Shows or hides the bar at once; the check mark follows the bar, also when its own close
    // button hid it. (The dock's toggleViewAction is disabled for a bar that can't be closed.)
    m_sidebarAction = viewMenu->addAction(QStringLiteral("侧边栏(&L)"));
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

    QMenu* help = menuBar()->addMenu(QStringLiteral("帮助(&H)"));
    QAction* about = help->addAction(QStringLiteral("关于(&A)..."), this, &MainWindow::showAbout);
    about->setStatusTip(QStringLiteral("显示程序信息，版本号和版权"));

    // Open and save mean the list: Import and Export, as their buttons (disabled during a run).
    const auto addButtonShortcut = [this](QKeySequence::StandardKey keys, QPushButton* button) {
        auto* action = new QAction(this);
        action->setShortcut(keys);
        connect(action, &QAction::triggered, button, &QPushButton::click);
        addAction(action);
    };
    addButtonShortcut(QKeySequence::Open, panel().importButton());
    addButtonShortcut(QKeySequence::Save, panel().exportButton());
}

void MainWindow::createStatusBar()
{
    QStatusBar* bar = statusBar();
    m_panes[0] = new QLabel(QStringLiteral("就绪"), bar);
    bar->addWidget(m_panes[0], 1);
    const int paneWidth = 30 * QFontMetrics(bar->font()).averageCharWidth();
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

void MainWindow::showAbout()
{
    AboutDialog about(this);
    about.exec();
}

void MainWindow::openLastResults(bool quiet)
{
    if (m_run->inProgress()) {
        tell(this, QStringLiteral("查询正在进行，无法打开上次结果。"));
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
            tell(this, QStringLiteral("还没有查询记录。"));
        return;
    }
    m_run->letHistoryGo();
    const std::int32_t count = history::restoreList(m_state.table, last);
    m_state.listRun = last.runId;
    m_view->showTable();
    const auto rows = m_state.table.inUse();
    const auto done = std::count_if(
        rows.begin(), rows.end(), [](const core::DomainRecord& record) { return core::isDone(record); });
    setPane(0,
            last.entries.empty() ? QStringLiteral("已打开上次结果")
                                 : QStringLiteral("已打开上次结果（%1）")
                                       .arg(QDateTime::fromSecsSinceEpoch(last.entries.back().time)
                                                .toString(QStringLiteral("yyyy-MM-dd HH:mm"))));
    setPane(1, QStringLiteral("进度：%1 / %2").arg(done).arg(count));
    setPane(2, QStringLiteral("域名数量：%1").arg(count));
}

void MainWindow::tellHistoryUnavailable()
{
    tell(this, QStringLiteral("历史记录不可用：%1").arg(QString::fromStdString(m_state.history.error)));
}

void MainWindow::showHistoryNotice(const QString& text)
{
    statusBar()->showMessage(text, StatusNoticeMs);
    notify(this, text)->setObjectName(QStringLiteral("historyNotice"));
}

void MainWindow::tellHistoryUnreadable(const std::string& why)
{
    tell(this, QStringLiteral("无法读取查询历史：%1").arg(QString::fromStdString(why)));
}

void MainWindow::showHistory()
{
    const std::string domain = m_view->selectedDomain();
    if (domain.empty()) {
        tell(this, QStringLiteral("请先在列表中选择一个域名。"));
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
    HistoryDialog dialog(std::move(*entries), domain, this);
    dialog.exec();
}

void MainWindow::startLookups()
{
    setPane(0, QStringLiteral("正在查询域名信息..."));
    m_run->start();
}

void MainWindow::lookupsFinished()
{
    if (m_state.settings.redDisplay != 0) {
        setPane(0,
                QStringLiteral("操作结束！ %1 个域名将在 %2 天内到期")
                    .arg(m_view->nearExpiryCount())
                    .arg(m_state.settings.expiryWarnDays));
    } else {
        setPane(0, QStringLiteral("操作结束！"));
    }
    panel().enableStart();
}

void MainWindow::applyWarnDays(int days)
{
    m_view->listModel().setNearExpiry(m_state.settings.redDisplay != 0, days);
    const QString text = QStringLiteral("%1 个域名将在 %2 天内到期").arg(m_view->nearExpiryCount()).arg(days);
    // During a run the first pane keeps saying so; the count shows for a while instead.
    if (m_run->inProgress())
        statusBar()->showMessage(text, StatusNoticeMs);
    else
        setPane(0, text);
}

void MainWindow::listImported()
{
    setPane(0, QStringLiteral("导入域名到列表..."));
    setPane(1, QString()); // a new list has no progress yet
    setPane(2, QStringLiteral("域名数量：%1").arg(m_state.table.count()));
    m_state.listRun.reset();
    m_run->letHistoryGo();
    m_view->fillRows();
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
    normal.setSize(normal.size().boundedTo(available.size()));
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
    // Workers stop within a fraction of a second; the table and this window outlive them.
    m_run->stop();
    QMainWindow::closeEvent(event);
}

} // namespace zonedesk
