// SPDX-License-Identifier: MIT
// What every message format does to text a registry wrote before showing it: the markup characters
// escaped (the characters that could turn a line around are core::reordersText's).
#pragma once

#include <string>
#include <string_view>

namespace zonedesk::watch {

/// `text` with &, < and > as entities and nothing else changed: Slack's mrkdwn and the
/// notification servers' markup read only the three (HTML goes through GLib's escape).
std::string escapeMarkup(std::string_view text);

} // namespace zonedesk::watch
