// SPDX-License-Identifier: MIT
#include "panel/panel_bar.h"

#include <QGuiApplication>
#include <QScreen>

namespace zonedesk {

PanelBar::PanelBar(AppState& state, QMainWindow* mainWindow)
    : GripperBar(tr("侧边栏"), mainWindow)
    , m_panel(new ControlPanel(state))
{
    setObjectName(QStringLiteral("PanelBar"));
    model().edgeStyle = (model().edgeStyle & ~dockbar::EdgeAll) | dockbar::ShowEdges | dockbar::SizeChild;
    // Floated, the bar opens at the panel's own size (before the bar sizes it), start page and
    // all, as far as the screen has room.
    QSize floating = m_panel->size();
    setChild(m_panel);
    m_panel->initialize();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        floating = floating.boundedTo(screen->availableGeometry().size() * 9 / 10);
    model().floatSize = {floating.width(), floating.height()};
}

} // namespace zonedesk
