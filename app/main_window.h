// SPDX-License-Identifier: MIT
// The main window: menus, status bar with three panes, the list, the side panel, and the run's
// progress and end said in the status bar.
#pragma once

#include <thread>

#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QToolButton>

#include "app/renewal_calendar_dock.h"
#include "net/bootstrap_update.h"
#include "panel/panel_bar.h"
#include "ui/app_state.h"
#include "view/domain_list_view.h"
#include "view/run_controller.h"

namespace zonedesk {

class MainWindow final : public QMainWindow
{
    Q_OBJECT

public:
    /// How long the status bar shows a passing notice (the history's, a new day count's).
    static constexpr int StatusNoticeMs = 15000;

    explicit MainWindow(AppState& state, QWidget* parent = nullptr);

    /// Stops the run before the list whose model it feeds goes.
    ~MainWindow() override;

    DomainListView& view() { return *m_view; }

    RunController& run() { return *m_run; }

    PanelBar& panelBar() { return *m_panelBar; }

    ControlPanel& panel() { return m_panelBar->panel(); }

    /// The texts of the three status panes.
    QString paneText(int pane) const;

    QAction* sidebarAction() const { return m_sidebarAction; }

    /// The window's actions by name ("import", "export", "start", "stop", "recheckSelected",
    /// "recheckErrors", "recheckAll", "copyRows", "copyNames", "history", "reply", "scheduleWatch");
    /// null for another name.
    QAction* action(const QString& name) const;

    /// The status bar's figures beside the panes: the run's pace, then what it came to; and how
    /// many rows a filter shows.
    QString runSummary() const;
    QString filterCount() const;

    /// 停止查询: the workers stop at their next slice; what finished stays, Start resumes.
    void stopLookups();

    enum class Recheck
    {
        Selected,
        Errors,
        All,
    };
    /// Looks the chosen rows up again (with whatever the list still has to look up).
    void recheck(Recheck which);

    QAction* statusBarAction() const { return m_statusBarAction; }

    void showAbout();

    /// 文件 > 打开上次结果: the last run's whole list from the history, each name with its results,
    /// the names the run did not reach as 未查询 (the next Start looks them up).
    /// `quiet` (at start-up) says nothing when there is nothing to open.
    void openLastResults(bool quiet = false);

    /// 文件 > 查询历史…: the selected name's lookups over time with their replies.
    void showHistory();

    /// Gives the window its normal geometry (the remembered one when it still fits a screen, else
    /// two thirds of the screen, centred) and shows it, maximised unless it was last left normal.
    void showAtStart();

    /// The normal geometry and maximised state, for the next run.
    void rememberPlacement(core::DesktopSettings& desktop) const;

    /// The list's columns, sort and filter and the side panel's place as an earlier run left them;
    /// after showAtStart.
    void restoreLayout();

    /// The list's columns, sort and filter and the side panel's place, for the next run.
    void rememberLayout(core::DesktopSettings& desktop) const;

    QLineEdit* filterEdit() const { return m_filter; }

    RenewalCalendarDock& renewalCalendar() { return *m_renewalDock; }

    /// What narrows the list besides the filter's text (the renewal calendar's month), with a
    /// click to clear it.
    QToolButton* calendarFilter() const { return m_calendarFilter; }

    /// Writes the list's renewal dates as an iCalendar file the user picks.
    void exportCalendar();

    /// Two thirds of `available` in each direction, centred in it.
    static QRect defaultNormalGeometry(const QRect& available);

protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    /// The actions of the menus, the tool bar and the rows' context menu.
    void createActions();
    QAction* addNamedAction(const QString& name, const QString& text, const QString& tip);
    /// What may be done now: during a run, nothing that would change the list under it.
    void updateActions();
    /// The rows' results: at the end of a run, after an import or an opened result.
    void updateSummary();
    void updateFilterCount();
    /// The newest stored reply of the selected name.
    void showReply();
    /// Shows the selected name's lookups; `newestReply` puts the newest one's reply in front.
    void showHistoryOf(bool newestReply);
    void createMenus();
    /// The filter field above the list; Ctrl+F focuses it.
    void createFilterBar();
    void createStatusBar();
    void setPane(int pane, const QString& text);
    /// The panel's Start: says so and starts the run.
    void startLookups();
    /// The run's end: how many names expire soon, and Start and Import enabled again.
    void lookupsFinished();
    /// A new near-expiry day count: the rows recoloured and how many are near said.
    void applyWarnDays(int days);
    /// A new list was imported: its rows, counted.
    void listImported();
    /// Says why the history database can't be used.
    void tellHistoryUnavailable();
    /// Says, in the status bar and a box that holds nothing up, that the run goes on unrecorded.
    void showHistoryNotice(const QString& text);
    /// Says why the history could not be read.
    void tellHistoryUnreadable(const std::string& why);
    /// 帮助 > 更新注册局数据…: IANA's current RDAP bootstrap fetched on a thread of its own.
    void updateData();
    /// Says how the update ended; the new data is used from the program's next start.
    void showDataUpdate(const net::BootstrapUpdate& update);
    /// Notes the geometry as the normal one once the event loop has seen any state change that
    /// came with it (a window manager's maximise arrives as a resize and a state change).
    void noteGeometry();

    AppState& m_state;
    DomainListView* m_view;
    RunController* m_run;
    QLineEdit* m_filter = nullptr;
    QToolButton* m_calendarFilter = nullptr;
    QAction* m_calendarFilterAction = nullptr;
    RenewalCalendarDock* m_renewalDock = nullptr;
    PanelBar* m_panelBar;
    QLabel* m_panes[3] = {};
    QLabel* m_summary = nullptr;     // the run's pace, then its tally
    QLabel* m_filterCount = nullptr; // "显示 N / 共 M" while a filter hides rows
    QHash<QString, QAction*> m_actions;
    bool m_summaryQueued = false;
    QAction* m_sidebarAction = nullptr;
    QAction* m_statusBarAction = nullptr;
    bool m_showingThrottle = false; // pane 0 shows a throttled server's countdown
    QRect m_normalGeometry;
    bool m_noteQueued = false;
    std::jthread m_dataUpdate; // stopped and joined with the window
};

} // namespace zonedesk
