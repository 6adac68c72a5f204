// SPDX-License-Identifier: MIT
#include "core/renewal_months.h"

#include <algorithm>
#include <map>
#include <numeric>

#include "core/domain_table.h"
#include "core/encodings.h"
#include "core/field_copy.h"
#include "core/lookup_status.h"
#include "core/result_fields.h"
#include "core/text.h"
#include "core/withheld_value.h"

namespace zonedesk::core {

namespace {

int monthNumber(const CalendarDate& date)
{
    return date.year * 12 + (date.month - 1);
}

CalendarDate firstOfMonth(int number)
{
    return {number / 12, number % 12 + 1, 1};
}

/// The record's stack as written (UTF-8); a withheld registrar is none.
std::string stackName(const DomainRecord& record, RenewalStack by)
{
    if (by == RenewalStack::Registrar) {
        const std::string_view registrar = trim(fieldText(record.registrar));
        return isWithheld(registrar) ? std::string() : gbkToUtf8(registrar);
    }
    const std::string_view domain = fieldText(record.domain);
    const std::size_t dot = domain.rfind('.');
    return gbkToUtf8(dot == std::string_view::npos ? domain : domain.substr(dot + 1));
}

/// What the names of one stack share: "EXAMPLE REGISTRAR" is "Example Registrar".
std::string stackKey(const DomainRecord& record, RenewalStack by)
{
    return asciiLower(stackName(record, by));
}

} // namespace

int RenewalStackRow::total() const
{
    return std::accumulate(counts.begin(), counts.end(), 0);
}

int RenewalMonths::barTotal(int bar) const
{
    int total = 0;
    for (const RenewalStackRow& stack : stacks)
        total += bar >= 0 && bar < RenewalBars ? stack.counts[static_cast<std::size_t>(bar)] : 0;
    return total;
}

int RenewalMonths::highestBar() const
{
    int highest = 0;
    for (int bar = 0; bar < RenewalBars; ++bar)
        highest = std::max(highest, barTotal(bar));
    return highest;
}

std::optional<int> renewalBar(const CalendarDate& expiry, const CalendarDate& today)
{
    if (expiry.dayNumber() < today.dayNumber())
        return 0;
    const int bar = monthNumber(expiry) - monthNumber(today) + 1;
    return bar < RenewalBars ? std::optional<int>(bar) : std::nullopt;
}

std::optional<CalendarDate> barFirstDay(int bar, const CalendarDate& today)
{
    if (bar <= 0)
        return std::nullopt;
    return bar == 1 ? today : firstOfMonth(monthNumber(today) + bar - 1);
}

CalendarDate barLastDay(int bar, const CalendarDate& today)
{
    if (bar <= 0)
        return CalendarDate::fromDayNumber(today.dayNumber() - 1);
    return CalendarDate::fromDayNumber(firstOfMonth(monthNumber(today) + bar).dayNumber() - 1);
}

RenewalMonths renewalMonths(const DomainTable& table, RenewalStack by, const CalendarDate& today)
{
    RenewalMonths months;
    months.today = today;
    std::map<std::string, RenewalStackRow> byKey;
    for (const DomainRecord& record : table.inUse()) {
        if (!isDone(record) || record.status != static_cast<std::int32_t>(LookupStatus::Success))
            continue;
        const auto expiry = recordDate(record, Field::ExpiryDate);
        if (!expiry) {
            ++months.unknown;
            continue;
        }
        const auto bar = renewalBar(*expiry, today);
        if (!bar) {
            ++months.later;
            continue;
        }
        RenewalStackRow& stack = byKey[stackKey(record, by)];
        if (stack.total() == 0) {
            stack.name = stackName(record, by);
            stack.key = asciiLower(stack.name);
        }
        ++stack.counts[static_cast<std::size_t>(*bar)];
    }
    for (auto& [key, stack] : byKey)
        months.stacks.push_back(std::move(stack));
    // The most names first; equal ones by name, as the map gave them.
    std::stable_sort(months.stacks.begin(), months.stacks.end(), [](const auto& a, const auto& b) {
        return a.total() > b.total();
    });
    if (months.stacks.size() > NamedStacks) {
        RenewalStackRow others{{}, {}, true, {}};
        for (std::size_t i = NamedStacks; i < months.stacks.size(); ++i) {
            for (std::size_t bar = 0; bar < others.counts.size(); ++bar)
                others.counts[bar] += months.stacks[i].counts[bar];
        }
        months.stacks.resize(NamedStacks);
        months.stacks.push_back(std::move(others));
    }
    return months;
}

bool inRenewalSlot(
    const RenewalMonths& months, const DomainRecord& record, RenewalStack by, int bar, int stack)
{
    if (!isDone(record) || record.status != static_cast<std::int32_t>(LookupStatus::Success))
        return false;
    const auto expiry = recordDate(record, Field::ExpiryDate);
    if (!expiry || renewalBar(*expiry, months.today) != bar)
        return false;
    if (stack < 0 || static_cast<std::size_t>(stack) >= months.stacks.size())
        return stack < 0;
    const RenewalStackRow& row = months.stacks[static_cast<std::size_t>(stack)];
    const std::string key = stackKey(record, by);
    if (!row.others)
        return key == row.key;
    return std::none_of(months.stacks.begin(), months.stacks.end(), [&key](const RenewalStackRow& named) {
        return !named.others && named.key == key;
    });
}

} // namespace zonedesk::core
