// SPDX-License-Identifier: MIT
// A watch message as a desktop notification: org.freedesktop.Notifications.Notify on the session
// bus, through GIO's D-Bus client (the library libnotify is built on), with a bounded wait.
#pragma once

#include <chrono>
#include <string>

#include "watch/watch_report.h"

namespace zonedesk::watch {

/// The notification's title and body: the counts, then the first names (at most five).
struct DesktopNotice
{
    std::string summary;
    std::string body;    // the few markup characters a server may read are escaped
    bool urgent = false; // a drop or an expired name: the "critical" urgency
};

DesktopNotice desktopNotice(const WatchReport& report);

/// Sends `notice` on the session bus ($DBUS_SESSION_BUS_ADDRESS); false with `why` when there is
/// no bus, no notification server, or no answer within `timeout`.
bool showDesktopNotice(const DesktopNotice& notice, std::chrono::milliseconds timeout, std::string& why);

} // namespace zonedesk::watch
