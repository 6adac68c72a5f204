// SPDX-License-Identifier: MIT
// Replies in which a server refuses or cannot serve the query: never read as a result.
#pragma once

#include <optional>
#include <string_view>

#include "parse/reading.h"

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

/// The reading every reader gives a reply that says nothing about the name: Error for an empty
/// reply, and for `refusal` (of `reply`, as serviceRefusal found it) throttled or service gone;
/// nullopt for any other reply.
std::optional<Reading> refusalReading(std::string_view reply, Refusal refusal);

} // namespace zonedesk::parse
