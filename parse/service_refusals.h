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

/// Whether `reply` is a refusal, by the phrases servers use (letter case ignored).
Refusal serviceRefusal(std::string_view reply);

} // namespace zonedesk::parse
