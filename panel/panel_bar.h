// SPDX-License-Identifier: MIT
// The side panel's bar: a gripper dock bar titled "侧边栏" that holds the control panel, filling it.
#pragma once

#include "dockbar/gripper_bar.h"
#include "panel/control_panel.h"

namespace zonedesk {

class CPanelBar final : public CGripperDockBar
{
    Q_OBJECT

public:
    CPanelBar(AppState& state, QMainWindow* frame);

    CControlPanelDlg& panel() { return *m_dlgPanel; }

private:
    CControlPanelDlg* m_dlgPanel;
};

} // namespace zonedesk
