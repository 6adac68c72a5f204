// SPDX-License-Identifier: MIT
// The stand-in notification server (tests/support/notification_listener.cpp) run for one test on
// the test's own session bus, and what it was sent.
#pragma once

#include <filesystem>
#include <vector>

#include <sys/types.h>

#include <nlohmann/json.hpp>

namespace zonedesk::test {

class NotificationListenerProcess
{
public:
    /// Starts the listener, logging to `log`; `hang`: it never answers Notify. Waits (up to 10 s)
    /// until it owns the name; ready() says whether it did.
    NotificationListenerProcess(std::filesystem::path log, bool hang);

    /// Ends it and waits until the bus has let its name go, so that the next test meets no server.
    ~NotificationListenerProcess();

    NotificationListenerProcess(const NotificationListenerProcess&) = delete;
    NotificationListenerProcess& operator=(const NotificationListenerProcess&) = delete;

    bool ready() const { return m_ready; }

    /// Every Notify call received so far, one JSON object each, in order.
    std::vector<nlohmann::json> calls() const;

private:
    std::filesystem::path m_log;
    pid_t m_pid = -1;
    bool m_ready = false;
};

/// Whether org.freedesktop.Notifications has an owner on the session bus.
bool notificationNameOwned();

} // namespace zonedesk::test
