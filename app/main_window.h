// SPDX-License-Identifier: MIT
// The main frame: menus, status bar with three panes, the list, the side panel, and the relay of
// the run's messages.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>

#include "panel/panel_bar.h"
#include "ui/app_state.h"
#include "view/document.h"
#include "view/domain_list_view.h"

namespace zonedesk {

class CMainFrame final : public QMainWindow
{
    Q_OBJECT

public:
    explicit CMainFrame(AppState& state, QWidget* parent = nullptr);

    CMakeHtmlView& view() { return *m_view; }

    CPanelBar& panelBar() { return *m_wndPanelBar; }

    CControlPanelDlg& panel() { return m_wndPanelBar->panel(); }

    /// The texts of the three status panes.
    QString paneText(int pane) const;

    QAction* sidebarAction() const { return m_sidebarAction; }

    QAction* statusBarAction() const { return m_statusBarAction; }

    void showAbout();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createMenus();
    /// The filter field above the list; Ctrl+F focuses it.
    void createFilterBar();
    void createStatusBar();
    void setPane(int pane, const QString& text);

    AppState& m_state;
    CMakeHtmlDoc m_document;
    CMakeHtmlView* m_view;
    QLineEdit* m_filter = nullptr;
    CPanelBar* m_wndPanelBar;
    QLabel* m_panes[3] = {};
    QAction* m_sidebarAction = nullptr;
    QAction* m_statusBarAction = nullptr;
    bool m_showingThrottle = false; // pane 0 shows a throttled server's countdown
};

} // namespace zonedesk
