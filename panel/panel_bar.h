// SPDX-License-Identifier: MIT
// The side panel's bar: a gripper dock bar titled "侧边栏" that holds the control panel, filling it.
#pragma once

#include "dockbar/gripper_bar.h"
#include "panel/control_panel.h"

namespace zonedesk {

class PanelBar final : public GripperBar
{
    Q_OBJECT

public:
    PanelBar(AppState& state, QMainWindow* mainWindow);

    ControlPanel& panel() { return *m_panel; }

private:
    ControlPanel* m_panel;
};

} // namespace zonedesk
