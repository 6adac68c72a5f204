// SPDX-License-Identifier: MIT
// The side panel's bar: a dock widget titled "侧边栏" that holds the control panel.
#pragma once

#include <QDockWidget>

#include "panel/control_panel.h"

namespace zonedesk {

class CPanelBar final : public QDockWidget
{
    Q_OBJECT

public:
    CPanelBar(AppState& state, QWidget* parent = nullptr);

    CControlPanelDlg& panel() { return *m_dlgPanel; }

private:
    CControlPanelDlg* m_dlgPanel;
};

} // namespace zonedesk
