// SPDX-License-Identifier: MIT
// Replies in which a server refuses or cannot serve the query: never read as a result.
#pragma once

#include <string_view>

namespace zonedesk::parse {

enum class Refusal
{
    None,
    Throttled,   // too many queries: asking again later may work
    Unavailable, // the service is gone for this query: asking again won't help
};

/// Whether `reply` is a refusal, by the phrases servers use (letter case ignored), where the server
/// writes them: in its own message lines, not in the value of a record field, and never in a reply
/// that carries a record.
Refusal serviceRefusal(std::string_view reply);

} // namespace zonedesk::parse
