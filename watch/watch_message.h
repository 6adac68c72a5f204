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

/// One line, ASCII: "zonedesk: 1 dropped, 2 expiring within 30 days, 1 changed, 1 failing" or
/// "zonedesk: all 12 names fine".
std::string messageSubject(const WatchReport& report);

/// The message in plain UTF-8 text, a section per kind, one line per name.
std::string messageText(const WatchReport& report);

/// The same as an HTML document (UTF-8).
std::string messageHtml(const WatchReport& report);

/// The webhook's JSON body (always valid JSON, UTF-8). `ntfyTopic` is the topic of the ntfy format.
std::string webhookBody(const WatchReport& report, WebhookFormat format, std::string_view ntfyTopic = {});

} // namespace zonedesk::watch
