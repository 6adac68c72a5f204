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

/// Sends org.freedesktop.Notifications.Notify: true when the server took it, else false with the
/// reason in `why`, a buffer the caller frees with std::free (nullptr when memory ran out).
using NotifySend = bool(const NotifyRequest* request, char** why);
/// The entry's name carries the version of these types: a change to them renames it, so that a
/// module of another build is refused rather than misread.
inline constexpr const char* NotifySendEntry = "zonedesk_notify_send_1";

} // namespace zonedesk::watch
