// SPDX-License-Identifier: MIT
#include "watch/desktop_notification.h"

#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>

#include <glib.h>

#include "core/optional_module.h"
#include "core/text.h"
#include "watch/notify_module.h"
#include "watch/registry_text.h"

namespace zonedesk::watch {

namespace {

constexpr std::size_t ListedNames = 5;
constexpr std::size_t ValueChars = 80; // a registrar's or owner's name, cut so the body stays short

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

/// The module's sender, or none with the reason when the module is missing.
const core::ModuleFunction<NotifySend>& notifySend()
{
    static const auto send = core::moduleFunction<NotifySend>(core::NotifyModule, NotifySendEntry);
    return send;
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

    NotifySend* const send = notifySend().function;
    if (send == nullptr) {
        why = "desktop notifications are not available: " + notifySend().why;
        return false;
    }
    const std::string summary = validUtf8(notice.summary);
    const std::string body = validUtf8(notice.body);
    const NotifyRequest request{address, summary.c_str(), body.c_str(), notice.urgent, timeout.count()};
    char* failed = nullptr;
    if (send(&request, &failed))
        return true;
    why = failed != nullptr ? failed : "the notification was not sent: out of memory";
    std::free(failed); // NOLINT(cppcoreguidelines-no-malloc): the module's buffer
    return false;
}

} // namespace zonedesk::watch
