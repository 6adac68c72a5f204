// SPDX-License-Identifier: MIT
// The module that sends a desktop notification through GIO's D-Bus client (zonedesk-gio.so),
// loaded by watch/desktop_notification when a notification is sent.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zonedesk::watch {

struct NotifyRequest
{
    const char* address; // the session bus, as $DBUS_SESSION_BUS_ADDRESS gives it
    const char* summary; // valid UTF-8, NUL-terminated, as is the body
    const char* body;
    bool urgent;                // the "critical" urgency
    std::int64_t timeoutMillis; // for the connection and for the answer, each
};

/// Sends org.freedesktop.Notifications.Notify: nullptr when the server took it, else the reason
/// in a buffer the caller frees with std::free.
using NotifySend = char*(const NotifyRequest* request);
inline constexpr const char* NotifySendEntry = "zonedesk_notify_send";

} // namespace zonedesk::watch
