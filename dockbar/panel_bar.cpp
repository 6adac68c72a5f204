// SPDX-License-Identifier: MIT
#include "dockbar/panel_bar.h"

namespace zonedesk {

CPanelBar::CPanelBar(AppState& state, QWidget* parent)
    : QDockWidget(QStringLiteral("侧边栏"), parent)
    , m_dlgPanel(new CControlPanelDlg(state, this))
{
    setObjectName(QStringLiteral("CPanelBar"));
    setWidget(m_dlgPanel);
    m_dlgPanel->OnInitDialog();
}

} // namespace zonedesk
