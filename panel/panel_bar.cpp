// SPDX-License-Identifier: MIT
#include "panel/panel_bar.h"

namespace zonedesk {

PanelBar::PanelBar(AppState& state, QMainWindow* mainWindow)
    : GripperBar(QStringLiteral("侧边栏"), mainWindow)
    , m_panel(new ControlPanel(state))
{
    setObjectName(QStringLiteral("PanelBar"));
    model().edgeStyle = (model().edgeStyle & ~dockbar::EdgeAll) | dockbar::ShowEdges | dockbar::SizeChild;
    setChild(m_panel);
    m_panel->initialize();
}

} // namespace zonedesk
