// SPDX-License-Identifier: MIT
// What every message format does to text a registry wrote before showing it: the characters that
// could turn a line around, and the markup characters escaped.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zonedesk::watch {

/// Characters that would move or hide text on a reader's screen: line and paragraph separators,
/// and the bidirectional overrides and isolates.
bool reordersText(std::uint32_t point);

/// `text` with &, < and > as entities, and the quotes too unless `quotes` is false (Slack's mrkdwn
/// and the notification servers' markup read only the three).
std::string escapeMarkup(std::string_view text, bool quotes = true);

} // namespace zonedesk::watch
