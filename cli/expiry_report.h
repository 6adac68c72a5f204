// SPDX-License-Identifier: MIT
// The names that expire soon, for zonedesk-cli lookup --warn-days and zonedesk-cli report.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "core/calendar_date.h"

namespace zonedesk::core {
class DomainTable;
}

namespace zonedesk::cli {

struct NearName
{
    std::string domain; // UTF-8
    core::CalendarDate expiry;
    std::int64_t daysLeft = 0; // negative once expired
};

/// The table's registered names whose expiry lies within `days` days of `today` (the boundary
/// day and expired names included), soonest first.
std::vector<NearName>
nearExpiryNames(const core::DomainTable& table, std::int32_t days, const core::CalendarDate& today);

/// Sorts `names` soonest first (then by name) and prints "name<TAB>YYYY-MM-DD<TAB>days left" lines.
void printNearExpiry(std::ostream& out, std::vector<NearName> names);

} // namespace zonedesk::cli
