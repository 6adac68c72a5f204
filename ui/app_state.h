// SPDX-License-Identifier: MIT
// What the windows share: the domain table, the two settings, the panel's window, the endpoints
// and the desktop program's own memory.
#pragma once

#include <QPointer>
#include <QWidget>

#include "core/desktop_settings.h"
#include "core/domain_table.h"
#include "core/user_settings.h"
#include "lookup/endpoints.h"

namespace zonedesk {

struct AppState
{
    core::DomainTable& table;
    core::UserSettings settings;
    lookup::EndpointOverrides endpoints;
    QPointer<QWidget> panelWindow; // set by the control panel when it initialises
    QPointer<QWidget> mainWindow;
    core::DesktopSettings desktop; // the window's geometry and the dialogs' folders, kept across runs
};

} // namespace zonedesk
