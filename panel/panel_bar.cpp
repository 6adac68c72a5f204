// SPDX-License-Identifier: MIT
#include "panel/panel_bar.h"

namespace zonedesk {

CPanelBar::CPanelBar(AppState& state, QMainWindow* frame)
    : CGripperDockBar(QStringLiteral("侧边栏"), frame)
    , m_dlgPanel(new CControlPanelDlg(state))
{
    setObjectName(QStringLiteral("CPanelBar"));
    model().edgeStyle = (model().edgeStyle & ~dockbar::EdgeAll) | dockbar::ShowEdges | dockbar::SizeChild;
    setChild(m_dlgPanel);
    m_dlgPanel->OnInitDialog();
}

} // namespace zonedesk
