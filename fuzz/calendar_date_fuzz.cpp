// SPDX-License-Identifier: MIT
// The date reader on arbitrary text, with and without a registry's notation: a date it gives is
// a real calendar day, and its day number leads back to it.
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "core/calendar_date.h"

namespace {

using zonedesk::core::CalendarDate;

bool isLeap(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

void requireRealDay(const std::optional<CalendarDate>& date)
{
    if (!date)
        return;
    constexpr int DaysIn[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (date->month < 1 || date->month > 12 || date->day < 1)
        std::abort();
    const int last = DaysIn[date->month - 1] + (date->month == 2 && isLeap(date->year) ? 1 : 0);
    if (date->day > last || CalendarDate::fromDayNumber(date->dayNumber()) != *date)
        std::abort();
    (void)date->iso();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace zonedesk::core;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    requireRealDay(readDate(text));
    requireRealDay(readLeadingDate(text));
    // The first byte picks the registry whose notation is tried as well.
    if (size > 0)
        requireRealDay(readDate(text.substr(1), static_cast<WhoisServer>(data[0] % WhoisServerCount)));
    return 0;
}
