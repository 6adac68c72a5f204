// SPDX-License-Identifier: MIT
// The names that expire soon, for zonedesk-cli lookup --warn-days and zonedesk-cli report, and
// the names in a state the report asks for.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "core/calendar_date.h"
#include "listfile/expiry_jsonl.h"

namespace zonedesk::core {
class DomainTable;
}

namespace zonedesk::cli {

/// A name with its expiry and the days left to it (UTF-8).
using NearName = listfile::ExpiryEntry;

/// The table's registered names whose expiry lies within `days` days of `today` (the boundary
/// day and expired names included), soonest first.
std::vector<NearName>
nearExpiryNames(const core::DomainTable& table, std::int32_t days, const core::CalendarDate& today);

/// Prints "name<TAB>state,state" lines (the states' keys), in the order given.
void printStates(std::ostream& out, const std::vector<listfile::StateEntry>& names);

/// Sorts `names` soonest first (then by name) and prints "name<TAB>YYYY-MM-DD<TAB>days left" lines.
void printNearExpiry(std::ostream& out, std::vector<NearName> names);

} // namespace zonedesk::cli
