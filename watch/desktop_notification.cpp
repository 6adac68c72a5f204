// SPDX-License-Identifier: MIT
#include "watch/desktop_notification.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>
#include <utility>

#include <gio/gio.h>

#include "core/text.h"
#include "watch/registry_text.h"

namespace zonedesk::watch {

namespace {

constexpr std::size_t ListedNames = 5;
constexpr std::size_t ValueChars = 80; // a registrar's or owner's name, cut so the body stays short

constexpr const char* BusName = "org.freedesktop.Notifications";
constexpr const char* ObjectPath = "/org/freedesktop/Notifications";
constexpr const char* DesktopEntry = "io.github.zonedesk.Zonedesk";

constexpr std::uint8_t NormalUrgency = 1;
constexpr std::uint8_t CriticalUrgency = 2;

/// `text` as valid UTF-8; a byte that is not becomes U+FFFD, since D-Bus refuses such a string.
std::string validUtf8(std::string_view text)
{
    if (g_utf8_validate_len(text.data(), text.size(), nullptr) != FALSE)
        return std::string(text);
    g_autofree gchar* valid = g_utf8_make_valid(text.data(), static_cast<gssize>(text.size()));
    return valid;
}

enum class Shown
{
    AsIs,
    Space,
    Dropped,
};

/// How a character of registry text is shown. Line breaks become a space so words stay apart; the
/// other control characters and the bidirectional overrides, which could turn the line around, go.
Shown shown(gunichar c)
{
    if (c == '\t' || c == '\n' || c == '\r' || c == 0x2028 || c == 0x2029)
        return Shown::Space;
    if (c < 0x20 || (c >= 0x7f && c <= 0x9f) || core::reordersText(c))
        return Shown::Dropped;
    return Shown::AsIs;
}

/// What a registry wrote, fit for one line of the body: cleaned as `shown` says, cut at `maxChars`
/// characters, and & < > escaped because the notification servers that read markup would take
/// them for it.
std::string bodyText(std::string_view raw, std::size_t maxChars = ValueChars)
{
    const std::string valid = validUtf8(raw);
    std::string plain;
    std::size_t chars = 0;
    bool cut = false;
    const gchar* const end = valid.c_str() + valid.size();
    for (const gchar* p = valid.c_str(); p < end;) {
        const gchar* next = g_utf8_find_next_char(p, end);
        if (next == nullptr)
            next = end;
        const Shown how = shown(g_utf8_get_char(p));
        const std::string_view character(p, static_cast<std::size_t>(next - p));
        p = next;
        if (how == Shown::Dropped)
            continue;
        if (chars == maxChars) {
            cut = true;
            break;
        }
        plain += how == Shown::Space ? std::string_view(" ") : character;
        ++chars;
    }
    std::string out = escapeMarkup(plain);
    if (cut)
        out += "…";
    return out;
}

std::string plural(std::int64_t n, std::string_view one, std::string_view many)
{
    return std::to_string(n) + ' ' + std::string(n == 1 ? one : many);
}

std::string countsLine(const WatchReport& report)
{
    struct Count
    {
        NoticeKind kind;
        std::string text;
    };

    const Count counts[] = {
        {NoticeKind::SecurityChanged, "security changed"},
        {NoticeKind::AtRisk, "on hold or being deleted"},
        {NoticeKind::Dropped, "dropped"},
        {NoticeKind::NearExpiry, "expiring within " + plural(report.warnDays, "day", "days")},
        {NoticeKind::ExpiryMovedBack, "expiry moved back"},
        {NoticeKind::RegistrarChanged, "registrar changed"},
        {NoticeKind::OwnerChanged, "owner changed"},
        {NoticeKind::FailingAgain, "failing again"},
    };
    std::string line;
    for (const Count& count : counts) {
        const std::size_t n = report.count(count.kind);
        if (n == 0)
            continue;
        if (!line.empty())
            line += ", ";
        line += std::to_string(n) + ' ' + count.text;
    }
    return line;
}

std::string expiryPhrase(const Notice& notice)
{
    if (!notice.daysLeft) {
        if (notice.expiry.empty())
            return "expires soon";
        return "expires on " + bodyText(notice.expiry);
    }
    const std::int32_t days = *notice.daysLeft;
    if (days == 0)
        return "expires today";
    if (days > 0)
        return "expires in " + plural(days, "day", "days");
    return "expired " + plural(-static_cast<std::int64_t>(days), "day", "days") + " ago";
}

std::string changeDetail(const Notice& notice)
{
    if (notice.before.empty() && notice.after.empty())
        return {};
    const auto side = [](const std::string& value) { return value.empty() ? "none" : bodyText(value); };
    return " (" + side(notice.before) + " → " + side(notice.after) + ")";
}

std::string noticeLine(const Notice& notice)
{
    std::string name = bodyText(shownName(notice));
    switch (notice.kind) {
    case NoticeKind::SecurityChanged: return bodyText(notice.what) + ": " + name + changeDetail(notice);
    case NoticeKind::AtRisk: return "still " + bodyText(notice.what) + ": " + name;
    case NoticeKind::Dropped: return "dropped: " + name;
    case NoticeKind::NearExpiry: return expiryPhrase(notice) + ": " + name;
    case NoticeKind::ExpiryMovedBack: return "expiry moved back: " + name + changeDetail(notice);
    case NoticeKind::RegistrarChanged: return "registrar changed: " + name + changeDetail(notice);
    case NoticeKind::OwnerChanged: return "owner changed: " + name + changeDetail(notice);
    case NoticeKind::FailingAgain:
        if (notice.reason.empty())
            return "failing again: " + name;
        return "failing again: " + name + " (" + bodyText(notice.reason) + ")";
    }
    return name;
}

std::string summaryLine(const WatchReport& report)
{
    if (report.empty())
        return "zonedesk: " + quietSummary(report);
    std::set<std::string> names;
    for (const Notice& notice : report.notices)
        names.insert(notice.name);
    if (names.size() == 1)
        return "zonedesk: 1 name needs attention";
    return "zonedesk: " + std::to_string(names.size()) + " names need attention";
}

/// `timeout` as GLib's milliseconds: at least 1, at most what a gint holds.
gint glibMilliseconds(std::chrono::milliseconds timeout)
{
    return static_cast<gint>(std::clamp<std::chrono::milliseconds::rep>(timeout.count(), 1, G_MAXINT));
}

// The asynchronous calls finish on a main context of this call's own, pushed as the thread's
// default while it runs: nothing is left queued on the program's default context, and the wait
// ends at the deadline even while the bus itself does not answer.
class CallContext
{
public:
    explicit CallContext(std::chrono::milliseconds timeout)
        : m_context(g_main_context_new())
        , m_cancellable(g_cancellable_new())
        , m_deadline(g_timeout_source_new(static_cast<guint>(glibMilliseconds(timeout))))
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

std::string within(std::chrono::milliseconds timeout)
{
    return "within " + std::to_string(timeout.count()) + " ms";
}

GVariant* notifyArguments(const DesktopNotice& notice)
{
    GVariantBuilder hints;
    g_variant_builder_init(&hints, G_VARIANT_TYPE_VARDICT);
    g_variant_builder_add(
        &hints, "{sv}", "urgency", g_variant_new_byte(notice.urgent ? CriticalUrgency : NormalUrgency));
    g_variant_builder_add(&hints, "{sv}", "desktop-entry", g_variant_new_string(DesktopEntry));
    const std::string summary = validUtf8(notice.summary);
    const std::string body = validUtf8(notice.body);
    return g_variant_new("(susssasa{sv}i)",
                         "zonedesk",
                         guint32{0}, // a new notification, not one replacing an earlier
                         DesktopEntry,
                         summary.c_str(),
                         body.c_str(),
                         static_cast<GVariantBuilder*>(nullptr), // no actions
                         &hints,
                         gint32{-1}); // the server's own display time
}

} // namespace

DesktopNotice desktopNotice(const WatchReport& report)
{
    DesktopNotice notice;
    notice.summary = summaryLine(report);
    if (report.empty())
        return notice;
    notice.body = countsLine(report);
    std::size_t listed = 0;
    for (const Notice& item : report.notices) {
        if (item.kind == NoticeKind::Dropped || (item.daysLeft && *item.daysLeft < 0))
            notice.urgent = true;
        if (listed < ListedNames) {
            notice.body += '\n' + noticeLine(item);
            ++listed;
        }
    }
    if (report.notices.size() > listed)
        notice.body += "\nand " + std::to_string(report.notices.size() - listed) + " more";
    return notice;
}

bool showDesktopNotice(const DesktopNotice& notice, std::chrono::milliseconds timeout, std::string& why)
{
    // The address is read here rather than left to GIO, which without it would try to autolaunch
    // a bus through X11.
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS"); // NOLINT(concurrency-mt-unsafe)
    if (address == nullptr || *address == '\0') {
        why = "no D-Bus session bus (DBUS_SESSION_BUS_ADDRESS is not set)";
        return false;
    }

    CallContext call(timeout);
    g_autoptr(GError) error = nullptr;

    // A connection of our own, closed when done; the shared one would stay open for the
    // program's life and end the program when the bus goes away.
    g_dbus_connection_new_for_address(
        address,
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
            why = "the D-Bus session bus did not answer " + within(timeout);
        else
            why = std::string("cannot connect to the D-Bus session bus: ") + error->message;
        return false;
    }

    g_dbus_connection_call(connection,
                           BusName,
                           ObjectPath,
                           BusName,
                           "Notify",
                           notifyArguments(notice),
                           G_VARIANT_TYPE("(u)"),
                           G_DBUS_CALL_FLAGS_NONE,
                           glibMilliseconds(timeout),
                           call.cancellable(),
                           &CallContext::keep,
                           &call);
    g_autoptr(GAsyncResult) answered = call.wait();
    g_autoptr(GVariant) reply = g_dbus_connection_call_finish(connection, answered, &error);
    g_dbus_connection_close_sync(connection, nullptr, nullptr);
    if (reply != nullptr)
        return true;

    if (g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_SERVICE_UNKNOWN) != FALSE)
        why = "no notification server is running on the session bus";
    else if (isTimeout(error))
        why = "the notification server did not answer " + within(timeout);
    else {
        g_dbus_error_strip_remote_error(error);
        why = std::string("the notification server did not take the notification: ") + error->message;
    }
    return false;
}

} // namespace zonedesk::watch
