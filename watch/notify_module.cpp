// SPDX-License-Identifier: MIT
// Built into zonedesk-gio.so alone.
#include "watch/notify_module.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>

#include <gio/gio.h>

namespace {

using zonedesk::watch::NotifyRequest;

constexpr const char* BusName = "org.freedesktop.Notifications";
constexpr const char* ObjectPath = "/org/freedesktop/Notifications";
constexpr const char* DesktopEntry = "io.github.zonedesk.Zonedesk";

constexpr std::uint8_t NormalUrgency = 1;
constexpr std::uint8_t CriticalUrgency = 2;

/// The wait as GLib's milliseconds: at least 1, at most what a gint holds.
gint glibMilliseconds(std::int64_t millis)
{
    return static_cast<gint>(std::clamp<std::int64_t>(millis, 1, G_MAXINT));
}

// The asynchronous calls finish on a main context of this call's own, pushed as the thread's
// default while it runs: nothing is left queued on the program's default context, and the wait
// ends at the deadline even while the bus itself does not answer.
class CallContext
{
public:
    explicit CallContext(std::int64_t timeoutMillis)
        : m_context(g_main_context_new())
        , m_cancellable(g_cancellable_new())
        , m_deadline(g_timeout_source_new(static_cast<guint>(glibMilliseconds(timeoutMillis))))
    {
        g_main_context_push_thread_default(m_context);
        g_source_set_callback(m_deadline, &CallContext::cancel, m_cancellable, nullptr);
        g_source_attach(m_deadline, m_context);
    }

    ~CallContext()
    {
        g_source_destroy(m_deadline);
        g_source_unref(m_deadline);
        g_main_context_pop_thread_default(m_context);
        g_object_unref(m_cancellable);
        g_main_context_unref(m_context);
    }

    CallContext(const CallContext&) = delete;
    CallContext& operator=(const CallContext&) = delete;

    GCancellable* cancellable() const { return m_cancellable; }

    /// The callback and its data for an asynchronous call whose result `wait` returns.
    static void keep(GObject* /*source*/, GAsyncResult* result, gpointer self)
    {
        static_cast<CallContext*>(self)->m_result = result;
        g_object_ref(result);
    }

    /// Runs the context until the pending call has finished (by the deadline at the latest: it
    /// cancels the call); the caller owns the result.
    GAsyncResult* wait()
    {
        while (m_result == nullptr)
            g_main_context_iteration(m_context, TRUE);
        return std::exchange(m_result, nullptr);
    }

private:
    static gboolean cancel(gpointer cancellable)
    {
        g_cancellable_cancel(static_cast<GCancellable*>(cancellable));
        return G_SOURCE_REMOVE;
    }

    GMainContext* m_context;
    GCancellable* m_cancellable;
    GSource* m_deadline;
    GAsyncResult* m_result = nullptr;
};

bool isTimeout(const GError* error)
{
    return g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED) != FALSE ||
           g_error_matches(error, G_IO_ERROR, G_IO_ERROR_TIMED_OUT) != FALSE ||
           g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_NO_REPLY) != FALSE;
}

std::string within(std::int64_t timeoutMillis)
{
    return "within " + std::to_string(timeoutMillis) + " ms";
}

GVariant* notifyArguments(const NotifyRequest& request)
{
    GVariantBuilder hints;
    g_variant_builder_init(&hints, G_VARIANT_TYPE_VARDICT);
    g_variant_builder_add(
        &hints, "{sv}", "urgency", g_variant_new_byte(request.urgent ? CriticalUrgency : NormalUrgency));
    g_variant_builder_add(&hints, "{sv}", "desktop-entry", g_variant_new_string(DesktopEntry));
    return g_variant_new("(susssasa{sv}i)",
                         "zonedesk",
                         guint32{0}, // a new notification, not one replacing an earlier
                         DesktopEntry,
                         request.summary,
                         request.body,
                         static_cast<GVariantBuilder*>(nullptr), // no actions
                         &hints,
                         gint32{-1}); // the server's own display time
}

/// False with the reason, in a buffer the caller frees.
bool failure(char** why, const std::string& text)
{
    *why = strdup(text.c_str());
    return false;
}

} // namespace

extern "C" __attribute__((visibility("default"))) bool zonedesk_notify_send_1(const NotifyRequest* request,
                                                                              char** why)
{
    CallContext call(request->timeoutMillis);
    g_autoptr(GError) error = nullptr;

    // A connection of our own, closed when done; the shared one would stay open for the
    // program's life and end the program when the bus goes away.
    g_dbus_connection_new_for_address(
        request->address,
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr,
        call.cancellable(),
        &CallContext::keep,
        &call);
    g_autoptr(GAsyncResult) connected = call.wait();
    g_autoptr(GDBusConnection) connection = g_dbus_connection_new_for_address_finish(connected, &error);
    if (connection == nullptr) {
        if (isTimeout(error))
            return failure(why, "the D-Bus session bus did not answer " + within(request->timeoutMillis));
        return failure(why, std::string("cannot connect to the D-Bus session bus: ") + error->message);
    }

    g_dbus_connection_call(connection,
                           BusName,
                           ObjectPath,
                           BusName,
                           "Notify",
                           notifyArguments(*request),
                           G_VARIANT_TYPE("(u)"),
                           G_DBUS_CALL_FLAGS_NONE,
                           glibMilliseconds(request->timeoutMillis),
                           call.cancellable(),
                           &CallContext::keep,
                           &call);
    g_autoptr(GAsyncResult) answered = call.wait();
    g_autoptr(GVariant) reply = g_dbus_connection_call_finish(connection, answered, &error);
    g_dbus_connection_close_sync(connection, nullptr, nullptr);
    if (reply != nullptr)
        return true;

    if (g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_SERVICE_UNKNOWN) != FALSE)
        return failure(why, "no notification server is running on the session bus");
    if (isTimeout(error))
        return failure(why, "the notification server did not answer " + within(request->timeoutMillis));
    g_dbus_error_strip_remote_error(error);
    return failure(why,
                   std::string("the notification server did not take the notification: ") + error->message);
}

extern "C" __attribute__((visibility("default"))) const char* zonedesk_module_version()
{
    static const std::string version = std::to_string(glib_major_version) + "." +
                                       std::to_string(glib_minor_version) + "." +
                                       std::to_string(glib_micro_version);
    return version.c_str();
}
