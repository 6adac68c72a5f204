// SPDX-License-Identifier: MIT
// The names that fall due month by month, for the renewal calendar: one bar of the names already
// expired, one for the rest of this month, one for each of the next 24, each bar stacked by
// registrar or by top-level domain.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/calendar_date.h"

namespace zonedesk::core {

class DomainTable;
struct DomainRecord;

/// What a bar is stacked by.
enum class RenewalStack : std::uint8_t
{
    Registrar,
    Tld,
};

/// Bar 0: expired; bar 1: today to the end of this month; bars 2..25: the next 24 months.
inline constexpr int RenewalBars = 26;
/// Stacks kept by name, the most names first; the rest share one.
inline constexpr std::size_t NamedStacks = 7;

struct RenewalStackRow
{
    std::string name;    // UTF-8: a registrar as first written ("" when stated none or withheld), or a TLD
    std::string key;     // what names of the stack share: the name in lower case
    bool others = false; // the names of every stack past NamedStacks
    std::array<int, RenewalBars> counts{};

    int total() const;
};

struct RenewalMonths
{
    CalendarDate today;
    std::vector<RenewalStackRow> stacks; // the most names first, the others last
    int later = 0;                       // registered names due after the last bar
    int unknown = 0;                     // registered names without a readable expiry date

    int barTotal(int bar) const;
    int highestBar() const;
};

/// The bar of an expiry date seen on `today`; nullopt past the last bar.
std::optional<int> renewalBar(const CalendarDate& expiry, const CalendarDate& today);

/// The first day a bar counts (for the expired bar: none, nullopt) and the last.
std::optional<CalendarDate> barFirstDay(int bar, const CalendarDate& today);
CalendarDate barLastDay(int bar, const CalendarDate& today);

/// The months of the table's registered names. Any thread that may read the records.
RenewalMonths renewalMonths(const DomainTable& table, RenewalStack by, const CalendarDate& today);

/// Whether `record` counts in `bar` of `months` and, unless `stack` is negative, in that stack.
bool inRenewalSlot(
    const RenewalMonths& months, const DomainRecord& record, RenewalStack by, int bar, int stack);

} // namespace zonedesk::core
