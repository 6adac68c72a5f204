// SPDX-License-Identifier: MIT
#include "watch/watch_message.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <memory>
#include <set>
#include <vector>

#include <glib.h>

#include "core/text.h"
#include "watch/registry_text.h"

#include <nlohmann/json.hpp>

namespace zonedesk::watch {

namespace {

using Json = nlohmann::ordered_json; // keys in the order written, for a reader of the body

constexpr std::string_view Replacement = "\xEF\xBF\xBD"; // U+FFFD

// Registry text as one line of readable UTF-8: a C0 control (CR, LF, tab, …) as its visible
// picture (U+2400 + the byte: "␍␊"), DEL as "␡", and C1 controls, text-reordering characters and
// bytes that are not UTF-8 as U+FFFD. A name holding CR LF therefore stays on its own line.
std::string visible(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    const auto append = [&out](gunichar point) {
        std::array<gchar, 6> bytes{};
        out.append(bytes.data(), static_cast<std::size_t>(g_unichar_to_utf8(point, bytes.data())));
    };
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p < end) {
        // GLib reads a NUL byte as the end of the text: it is a C0 control like the others here.
        const gunichar point = *p == '\0' ? 0 : g_utf8_get_char_validated(p, end - p);
        if (point == static_cast<gunichar>(-1) || point == static_cast<gunichar>(-2)) {
            out += Replacement;
            ++p;
            continue;
        }
        const char* const next = *p == '\0' ? p + 1 : g_utf8_next_char(p);
        if (point < 0x20)
            append(0x2400 + point);
        else if (point == 0x7F)
            append(0x2421);
        else if ((point >= 0x80 && point <= 0x9F) || core::reordersText(point))
            out += Replacement;
        else
            out.append(p, static_cast<std::size_t>(next - p));
        p = next;
    }
    return out;
}

/// `text` for HTML: made visible (so valid UTF-8, as GLib's markup escape needs), then escaped,
/// quotes too.
std::string escapeHtml(std::string_view text)
{
    const std::string shown = visible(text);
    const std::unique_ptr<gchar, decltype(&g_free)> escaped(
        g_markup_escape_text(shown.data(), static_cast<gssize>(shown.size())), &g_free);
    return escaped ? std::string(escaped.get()) : std::string();
}

std::string escapeSlack(std::string_view text)
{
    return escapeMarkup(text);
}

std::string counted(std::size_t n, std::string_view one, std::string_view many)
{
    return std::to_string(n) + " " + std::string(n == 1 ? one : many);
}

std::string daysWord(std::int64_t n)
{
    return counted(static_cast<std::size_t>(n), "day", "days");
}

bool isChange(NoticeKind kind)
{
    return kind == NoticeKind::ExpiryMovedBack || kind == NoticeKind::RegistrarChanged ||
           kind == NoticeKind::OwnerChanged;
}

// A name with two changes (registrar and owner) is one changed name.
std::size_t changedNames(const WatchReport& report)
{
    std::set<std::string_view> names;
    for (const Notice& notice : report.notices)
        if (isChange(notice.kind))
            names.insert(notice.name);
    return names.size();
}

std::size_t namesToReport(const WatchReport& report)
{
    std::set<std::string_view> names;
    for (const Notice& notice : report.notices)
        names.insert(notice.name);
    return names.size();
}

// The sections of a message, in the order it lists them; the three changes share one.
enum class Section
{
    Security,
    Dropped,
    Expiring,
    Changed,
    Failing,
};

constexpr std::array Sections = {
    Section::Security, Section::Dropped, Section::Expiring, Section::Changed, Section::Failing};

Section sectionOf(NoticeKind kind)
{
    switch (kind) {
    case NoticeKind::SecurityChanged:
    case NoticeKind::AtRisk: return Section::Security;
    case NoticeKind::Dropped: return Section::Dropped;
    case NoticeKind::NearExpiry: return Section::Expiring;
    case NoticeKind::ExpiryMovedBack:
    case NoticeKind::RegistrarChanged:
    case NoticeKind::OwnerChanged: return Section::Changed;
    case NoticeKind::FailingAgain: return Section::Failing;
    }
    return Section::Failing;
}

std::vector<const Notice*> noticesIn(const WatchReport& report, Section section)
{
    std::vector<const Notice*> found;
    for (const Notice& notice : report.notices)
        if (sectionOf(notice.kind) == section)
            found.push_back(&notice);
    return found;
}

std::string sectionTitle(const WatchReport& report, Section section)
{
    switch (section) {
    case Section::Security: return "Security (transfer lock, name servers, DNSSEC, hold, redemption)";
    case Section::Dropped: return "Dropped (now available)";
    case Section::Expiring: return "Expiring within " + daysWord(std::max(report.warnDays, 0));
    case Section::Changed: return "Changed";
    case Section::Failing: return "Failing for the second run in a row";
    }
    return {};
}

std::string daysLeftText(const Notice& notice)
{
    if (!notice.daysLeft)
        return {};
    const std::int64_t days = *notice.daysLeft;
    if (days == 0)
        return "today";
    if (days < 0)
        return "expired " + daysWord(-days) + " ago";
    return daysWord(days);
}

std::string changeWhat(NoticeKind kind)
{
    switch (kind) {
    case NoticeKind::ExpiryMovedBack: return "expiry moved back";
    case NoticeKind::RegistrarChanged: return "registrar";
    case NoticeKind::OwnerChanged: return "owner";
    default: return {};
    }
}

std::string orNone(std::string_view value)
{
    return value.empty() ? std::string("(none)") : visible(value);
}

std::string headingLine(const WatchReport& report)
{
    if (report.empty()) {
        std::string line = quietSummary(report) + ".";
        line.front() = static_cast<char>(std::toupper(static_cast<unsigned char>(line.front())));
        return line;
    }
    const std::size_t names = namesToReport(report);
    return "Of " + counted(report.total, "name", "names") + " looked up, " + std::to_string(names) +
           (names == 1 ? " needs" : " need") + " a look.";
}

std::string textLine(const Notice& notice)
{
    std::string line = "  " + visible(shownName(notice));
    switch (sectionOf(notice.kind)) {
    case Section::Security:
        if (notice.kind == NoticeKind::AtRisk)
            line += "  still " + visible(notice.what) + ": " + orNone(notice.after);
        else
            line +=
                "  " + visible(notice.what) + ": " + orNone(notice.before) + " -> " + orNone(notice.after);
        break;
    case Section::Dropped:
        if (!notice.registrar.empty())
            line += "  (registrar was " + visible(notice.registrar) + ")";
        break;
    case Section::Expiring:
        line += "  " + (notice.expiry.empty() ? std::string("expiry unknown") : visible(notice.expiry));
        if (notice.daysLeft)
            line += "  (" + daysLeftText(notice) + ")";
        if (!notice.registrar.empty())
            line += "  " + visible(notice.registrar);
        break;
    case Section::Changed:
        line += "  " + changeWhat(notice.kind) + ": " + orNone(notice.before) + " -> " + orNone(notice.after);
        break;
    case Section::Failing:
        if (!notice.reason.empty())
            line += "  " + visible(notice.reason);
        break;
    }
    return line + "\n";
}

void appendHtmlRow(std::string& html, const std::vector<std::string>& cells, std::string_view tag = "td")
{
    html += "<tr>";
    for (const std::string& cell : cells)
        html += "<" + std::string(tag) + ">" + cell + "</" + std::string(tag) + ">";
    html += "</tr>\n";
}

std::vector<std::string> htmlHeader(Section section)
{
    switch (section) {
    case Section::Security:
    case Section::Changed: return {"Name", "What", "Before", "After"};
    case Section::Dropped: return {"Name", "Registrar was"};
    case Section::Expiring: return {"Name", "Expires", "Days left", "Registrar"};
    case Section::Failing: return {"Name", "Reason"};
    }
    return {};
}

std::string htmlText(std::string_view registryText)
{
    return escapeHtml(visible(registryText));
}

std::vector<std::string> htmlCells(const Notice& notice)
{
    const std::string name = htmlText(shownName(notice));
    switch (sectionOf(notice.kind)) {
    case Section::Security:
        if (notice.kind == NoticeKind::AtRisk)
            return {name, htmlText("still " + notice.what), std::string(), htmlText(notice.after)};
        return {name, htmlText(notice.what), htmlText(orNone(notice.before)), htmlText(orNone(notice.after))};
    case Section::Dropped: return {name, htmlText(notice.registrar)};
    case Section::Expiring:
        return {name, htmlText(notice.expiry), escapeHtml(daysLeftText(notice)), htmlText(notice.registrar)};
    case Section::Changed:
        return {name,
                escapeHtml(changeWhat(notice.kind)),
                escapeHtml(orNone(notice.before)),
                escapeHtml(orNone(notice.after))};
    case Section::Failing: return {name, htmlText(notice.reason)};
    }
    return {};
}

// Strings as the JSON library takes them: text that is not UTF-8 becomes U+FFFD at dump().
Json textOrNull(const std::string& text)
{
    return text.empty() ? Json(nullptr) : Json(text);
}

bool isUrgent(const WatchReport& report)
{
    return std::any_of(report.notices.begin(), report.notices.end(), [](const Notice& notice) {
        return notice.kind == NoticeKind::Dropped || notice.kind == NoticeKind::AtRisk ||
               notice.change == "transfer-lock-lifted" || notice.change == "put-on-hold" ||
               notice.change == "entered-redemption" ||
               (notice.kind == NoticeKind::NearExpiry && notice.daysLeft && *notice.daysLeft < 0);
    });
}

Json jsonBody(const WatchReport& report)
{
    Json notices = Json::array();
    for (const Notice& notice : report.notices) {
        notices.push_back({
            {"name", notice.name},
            {"aLabel", textOrNull(notice.aLabel)},
            {"kind", noticeKey(notice.kind)},
            {"daysLeft", notice.daysLeft ? Json(*notice.daysLeft) : Json(nullptr)},
            {"expiry", textOrNull(notice.expiry)},
            {"registrar", textOrNull(notice.registrar)},
            {"before", textOrNull(notice.before)},
            {"after", textOrNull(notice.after)},
            {"reason", textOrNull(notice.reason)},
            {"change", textOrNull(notice.change)},
        });
    }
    return {
        {"subject", messageSubject(report)},
        {"total", report.total},
        {"warnDays", report.warnDays},
        {"notices", std::move(notices)},
    };
}

// What the services take in one message: ntfy turns a longer message into an attachment or refuses
// it, Slack cuts its text off.
constexpr std::size_t NtfyMessageLimit = 4000;
constexpr std::size_t SlackTextLimit = 39000;

/// `text` cut at its last whole line within `limit` bytes, saying how many lines were left out.
std::string fitted(std::string text, std::size_t limit)
{
    if (text.size() <= limit)
        return text;
    constexpr std::size_t Room = 40; // for the line saying what was left out
    const std::size_t end = text.rfind('\n', limit > Room ? limit - Room : 0);
    const std::size_t kept = end == std::string::npos ? 0 : end + 1;
    const auto left = static_cast<std::size_t>(
        std::count(text.begin() + static_cast<std::ptrdiff_t>(kept), text.end(), '\n'));
    text.resize(kept);
    return text + "... " + std::to_string(left) + (left == 1 ? " more line" : " more lines") + " not shown\n";
}

Json ntfyBody(const WatchReport& report, std::string_view topic)
{
    Json tags = Json::array({"zonedesk"});
    for (const NoticeKind kind : NoticeKinds)
        if (report.count(kind) > 0)
            tags.push_back(noticeKey(kind));
    return {
        {"topic", topic},
        {"title", messageSubject(report)},
        {"message", fitted(messageText(report), NtfyMessageLimit)},
        {"priority", isUrgent(report) ? 4 : 3},
        {"tags", std::move(tags)},
    };
}

} // namespace

std::string messageSubject(const WatchReport& report)
{
    if (report.empty())
        return "zonedesk: " + quietSummary(report);
    std::vector<std::string> parts;
    if (const std::size_t n = report.count(NoticeKind::SecurityChanged); n > 0)
        parts.push_back(counted(n, "security change", "security changes"));
    if (const std::size_t n = report.count(NoticeKind::AtRisk); n > 0)
        parts.push_back(std::to_string(n) + " on hold or being deleted");
    if (const std::size_t n = report.count(NoticeKind::Dropped); n > 0)
        parts.push_back(std::to_string(n) + " dropped");
    if (const std::size_t n = report.count(NoticeKind::NearExpiry); n > 0)
        parts.push_back(std::to_string(n) + " expiring within " + daysWord(std::max(report.warnDays, 0)));
    if (const std::size_t n = changedNames(report); n > 0)
        parts.push_back(std::to_string(n) + " changed");
    if (const std::size_t n = report.count(NoticeKind::FailingAgain); n > 0)
        parts.push_back(std::to_string(n) + " failing");
    std::string subject = "zonedesk: ";
    for (std::size_t i = 0; i < parts.size(); ++i)
        subject += (i > 0 ? ", " : "") + parts[i];
    return subject;
}

std::string messageText(const WatchReport& report)
{
    std::string text = headingLine(report) + "\n";
    for (const Section section : Sections) {
        const std::vector<const Notice*> notices = noticesIn(report, section);
        if (notices.empty())
            continue;
        text += "\n" + sectionTitle(report, section) + ":\n";
        for (const Notice* notice : notices)
            text += textLine(*notice);
    }
    return text;
}

std::string messageHtml(const WatchReport& report)
{
    std::string html =
        "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>" +
        escapeHtml(messageSubject(report)) +
        "</title>\n<style>th, td { text-align: left; padding: 0 1em 0 0; }</style>\n</head>\n<body>\n<p>" +
        escapeHtml(headingLine(report)) + "</p>\n";
    for (const Section section : Sections) {
        const std::vector<const Notice*> notices = noticesIn(report, section);
        if (notices.empty())
            continue;
        html += "<h2>" + escapeHtml(sectionTitle(report, section)) + "</h2>\n<table>\n";
        appendHtmlRow(html, htmlHeader(section), "th");
        for (const Notice* notice : notices)
            appendHtmlRow(html, htmlCells(*notice));
        html += "</table>\n";
    }
    return html + "</body>\n</html>\n";
}

std::string webhookBody(const WatchReport& report, WebhookFormat format, std::string_view ntfyTopic)
{
    Json body;
    switch (format) {
    case WebhookFormat::Json: body = jsonBody(report); break;
    case WebhookFormat::Slack:
        body = {{"text",
                 fitted(escapeSlack(messageSubject(report) + "\n" + messageText(report)), SlackTextLimit)}};
        break;
    case WebhookFormat::Ntfy: body = ntfyBody(report, ntfyTopic); break;
    }
    // Replace, never throw: a byte that is not UTF-8 becomes U+FFFD, control bytes are escaped.
    return body.dump(-1, ' ', false, Json::error_handler_t::replace);
}

} // namespace zonedesk::watch
