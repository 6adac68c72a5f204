// SPDX-License-Identifier: MIT
// A watch report as the channels want it: a subject line, plain text, HTML, and the JSON bodies
// of the webhook formats. Everything the registries wrote is treated as data: escaped for HTML,
// encoded by the JSON library, never a line break in a subject.
#pragma once

#include <string>
#include <string_view>

#include "watch/watch_report.h"

namespace zonedesk::watch {

enum class WebhookFormat
{
    Json,  // the report's facts as data
    Slack, // {"text": …}, what Slack's and Mattermost's incoming webhooks take
    Ntfy,  // ntfy's JSON publishing: {"topic", "title", "message", "priority", "tags"}
};

/// One line, ASCII: "zonedesk: 1 dropped, 2 expiring within 30 days, 1 changed, 1 failing" (kinds
/// absent are left out; "changed" counts names, so a name whose registrar and owner both moved
/// counts once) or, for an empty report, "zonedesk: all 12 names fine" ("the 1 name is fine",
/// "no names looked up").
std::string messageSubject(const WatchReport& report);

/// The message in plain UTF-8 text, LF line ends: a heading line, then a section per kind present
/// (a blank line before each), one line per notice, fields two spaces apart:
///   Of 12 names looked up, 4 need a look.
///
///   Dropped (now available):
///     old.com  (registrar was Example Registrar)
///
///   Expiring within 30 days:
///     soon.org  2027-01-02  (25 days)  Example Registrar
///     gone.net  2026-12-01  (expired 7 days ago)
///
///   Changed:
///     x.com  expiry moved back: 2027-05-14 -> 2026-05-14
///     x.com  registrar: A -> B
///     x.com  owner: (none) -> B
///
///   Failing for the second run in a row:
///     y.com  timed out
/// An empty report is the heading alone ("All 12 names looked up are fine."). Registry text is
/// kept on its line: a control byte shows as its picture (CR LF as "␍␊"), DEL as "␡"; C1
/// controls, line separators, bidirectional overrides and bytes that are not UTF-8 as U+FFFD.
std::string messageText(const WatchReport& report);

/// The same as an HTML document (UTF-8): the heading as a paragraph, each section an <h2> and a
/// table with a header row; registry text made visible as in messageText, then HTML-escaped.
std::string messageHtml(const WatchReport& report);

/// The webhook's JSON body (always valid JSON, UTF-8; a byte that is not UTF-8 becomes U+FFFD).
///   Json:  {"subject", "total", "warnDays", "notices": [{"name", "kind" (noticeKey), "daysLeft",
///          "expiry", "registrar", "before", "after", "reason"}]}; a value the notice does not
///          have, or that is unknown, is null, never "" (daysLeft is a number or null).
///   Slack: {"text": subject, a line break, messageText}, with & < > escaped as Slack asks.
///   Ntfy:  {"topic": ntfyTopic, "title": subject, "message": messageText, "priority": 4 when a
///          name was dropped or has expired, else 3, "tags": ["zonedesk", the kinds' keys…]}.
std::string webhookBody(const WatchReport& report, WebhookFormat format, std::string_view ntfyTopic = {});

} // namespace zonedesk::watch
