// SPDX-License-Identifier: MIT
// The notations, as the registries write them:
//    2027-05-14T04:00:00Z  2027-05-14 09:31:07  2027-05-14T04:00:00.0Z   (ISO 8601; most)
//    2027/11/30  2008/11/20 (JST)                                         (.jp)
//    2028.09.14  2020. 05. 19.                                            (dotted, year first)
//    20221101 00:10:24                                                    (eight digits)
//    14-sep-2028  31-Jul-2010 23:57:50 UTC  21-March-2002                 (thin registries, .org, .edu)
//    2001-Aug-23.                                                         (year, month name, day)
//    14.05.2028  4.7.2018                                                 (dotted, day first)
//    03/27/2013  30/10/2002                                               (slashed: only when one part
//                                                                          can't be a month)
//    12-06-2027                                                           (.hk: day first)
//    Connected (2015/03/31)                                               (.jp state line)
//    Wed, 21 Oct 2009 10:33:33 UTC  02nd August 2000                      (day, month name, year)
//    Fri Mar 26 23:59:59 GMT 2010  May 22 2002                            (.biz, 2010)
#include "core/calendar_date.h"

#include <array>
#include <chrono>
#include <cstdio>
#include <ctime>

#include "core/domain_table.h"
#include "core/field_copy.h"
#include "core/lookup_status.h"
#include "core/result_fields.h"
#include "core/text.h"

namespace zonedesk::core {

namespace {

constexpr std::array<std::string_view, 12> MonthNames = {"january",
                                                         "february",
                                                         "march",
                                                         "april",
                                                         "may",
                                                         "june",
                                                         "july",
                                                         "august",
                                                         "september",
                                                         "october",
                                                         "november",
                                                         "december"};

constexpr std::array<std::string_view, 7> WeekdayNames = {
    "monday", "tuesday", "wednesday", "thursday", "friday", "saturday", "sunday"};

bool isLeap(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month)
{
    constexpr std::array<int, 12> Days = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeap(year) ? 29 : Days[static_cast<std::size_t>(month - 1)];
}

std::optional<CalendarDate> valid(int year, int month, int day)
{
    if (year < 1900 || year > 9999 || month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month))
        return std::nullopt;
    return CalendarDate{year, month, day};
}

/// The run of 1 to `most` digits at `pos` as a number; `pos` moves past it. nullopt without one.
std::optional<int> number(std::string_view text, std::size_t& pos, std::size_t least, std::size_t most)
{
    std::size_t length = 0;
    int value = 0;
    while (pos + length < text.size() && isAsciiDigit(text[pos + length]) && length < most) {
        value = value * 10 + (text[pos + length] - '0');
        ++length;
    }
    if (length < least || (pos + length < text.size() && isAsciiDigit(text[pos + length])))
        return std::nullopt;
    pos += length;
    return value;
}

/// A month's name at `pos`, whole or its first three letters ("sep", "September"), in any letter
/// case and not followed by a letter; `pos` moves past it.
std::optional<int> monthName(std::string_view text, std::size_t& pos)
{
    std::size_t length = 0;
    while (pos + length < text.size() && isAsciiLetter(text[pos + length]))
        ++length;
    if (length < 3)
        return std::nullopt;
    const std::string name = asciiLower(text.substr(pos, length));
    for (std::size_t i = 0; i < MonthNames.size(); ++i) {
        if (name == MonthNames[i] || name == MonthNames[i].substr(0, 3)) {
            pos += length;
            return static_cast<int>(i) + 1;
        }
    }
    return std::nullopt;
}

bool separator(std::string_view text, std::size_t& pos, char& which)
{
    if (pos >= text.size() || (text[pos] != '-' && text[pos] != '/' && text[pos] != '.'))
        return false;
    which = text[pos++];
    return true;
}

/// A blank after a full stop ("2020. 05. 19."): `pos` moves past it.
void blankAfterStop(std::string_view text, std::size_t& pos, char separator)
{
    if (separator == '.' && pos < text.size() && text[pos] == ' ')
        ++pos;
}

/// An ordinal's letters after a day ("02nd", "30th"): `pos` moves past them.
void ordinalSuffix(std::string_view text, std::size_t& pos)
{
    if (pos + 2 > text.size())
        return;
    const std::string suffix = asciiLower(text.substr(pos, 2));
    if ((suffix == "st" || suffix == "nd" || suffix == "rd" || suffix == "th") &&
        (pos + 2 == text.size() || !isAsciiLetter(text[pos + 2])))
        pos += 2;
}

/// Day and month in digits around a slash: only a date when one of the two can't be a month, or
/// both are the same, so that the order the registry meant does not matter.
std::optional<CalendarDate> slashedDate(int year, int first, int second)
{
    if (first == second || (first > 12 && second <= 12))
        return valid(year, second, first);
    if (second > 12 && first <= 12)
        return valid(year, first, second);
    return std::nullopt;
}

/// A date that starts exactly at `start`, in any notation the registries use.
std::optional<CalendarDate> dateAt(std::string_view text, std::size_t start, DateOrder order)
{
    std::size_t pos = start;
    char first = 0;
    char second = 0;
    // Eight digits: 20280914.
    if (const auto compact = number(text, pos, 8, 8))
        return valid(*compact / 10000, *compact / 100 % 100, *compact % 100);
    // Year first: 2028-09-14, 2028/09/14, 2028.09.14, 2028. 09. 14. (the same separator twice),
    // 2028-Sep-14.
    if (const auto year = number(text, pos, 4, 4); year && separator(text, pos, first)) {
        blankAfterStop(text, pos, first);
        std::optional<int> month = first == '-' ? monthName(text, pos) : std::nullopt;
        if (!month)
            month = number(text, pos, 1, 2);
        if (month && separator(text, pos, second) && second == first) {
            blankAfterStop(text, pos, second);
            if (const auto day = number(text, pos, 1, 2))
                return valid(*year, *month, *day);
        }
        return std::nullopt;
    }
    pos = start;
    const auto day = number(text, pos, 1, 2);
    if (!day)
        return std::nullopt;
    // Day, month name, year with blanks: 21 Oct 2009, 02nd August 2000.
    ordinalSuffix(text, pos);
    if (pos < text.size() && text[pos] == ' ') {
        std::size_t named = pos + 1;
        const auto month = monthName(text, named);
        if (month && named < text.size() && text[named] == ' ') {
            ++named;
            if (const auto year = number(text, named, 4, 4))
                return valid(*year, *month, *day);
        }
        return std::nullopt;
    }
    if (!separator(text, pos, first))
        return std::nullopt;
    // Day first with full stops (14.09.2028, 4.7.2018), or around slashes (03/27/2013).
    if (first == '.' || first == '/') {
        const auto month = number(text, pos, 1, 2);
        if (month && separator(text, pos, second) && second == first) {
            if (const auto year = number(text, pos, 4, 4))
                return first == '.'                     ? valid(*year, *month, *day)
                       : order == DateOrder::DayFirst   ? valid(*year, *month, *day)
                       : order == DateOrder::MonthFirst ? valid(*year, *day, *month)
                                                        : slashedDate(*year, *day, *month);
        }
        return std::nullopt;
    }
    // Day, month name, year: 14-sep-2028, 21-March-2002.
    std::size_t named = pos;
    if (const auto month = monthName(text, named)) {
        if (separator(text, named, second) && second == '-') {
            if (const auto year = number(text, named, 4, 4))
                return valid(*year, *month, *day);
        }
        return std::nullopt;
    }
    // Day and month in digits with hyphens: only where the registry's order is known.
    if (order == DateOrder::Unstated)
        return std::nullopt;
    const auto month = number(text, pos, 1, 2);
    if (month && separator(text, pos, second) && second == '-') {
        if (const auto year = number(text, pos, 4, 4))
            return order == DateOrder::DayFirst ? valid(*year, *month, *day) : valid(*year, *day, *month);
    }
    return std::nullopt;
}

/// The C library's notation at `start`: "Mar 26 23:59:59 GMT 2010" (the weekday before it is
/// not needed).
std::optional<CalendarDate> ctimeDateAt(std::string_view text, std::size_t start)
{
    std::size_t pos = start;
    const auto month = monthName(text, pos);
    if (!month)
        return std::nullopt;
    while (pos < text.size() && text[pos] == ' ')
        ++pos;
    const auto day = number(text, pos, 1, 2);
    if (!day || pos >= text.size() || text[pos] != ' ')
        return std::nullopt;
    // The time and the zone, up to the year at the end of the next few words.
    const std::string_view rest = text.substr(pos, 24);
    for (std::size_t i = 1; i + 4 <= rest.size(); ++i) {
        if (rest[i - 1] == ' ' && isAsciiDigit(rest[i])) {
            std::size_t at = pos + i;
            if (const auto year = number(text, at, 4, 4))
                return valid(*year, *month, *day);
        }
    }
    return std::nullopt;
}

} // namespace

std::string CalendarDate::iso() const
{
    char text[16];
    static_cast<void>(std::snprintf(text, sizeof(text), "%04d-%02d-%02d", year, month, day));
    return text;
}

std::int64_t CalendarDate::dayNumber() const
{
    const std::chrono::year_month_day date{std::chrono::year{year},
                                           std::chrono::month{static_cast<unsigned>(month)},
                                           std::chrono::day{static_cast<unsigned>(day)}};
    return std::chrono::sys_days{date}.time_since_epoch().count();
}

CalendarDate CalendarDate::fromDayNumber(std::int64_t days)
{
    const std::chrono::year_month_day date{std::chrono::sys_days{std::chrono::days{days}}};
    return {
        int{date.year()}, static_cast<int>(unsigned{date.month()}), static_cast<int>(unsigned{date.day()})};
}

std::optional<CalendarDate> readDate(std::string_view text, std::optional<WhoisServer> server)
{
    const DateOrder order = server == WhoisServer::Hkirc ? DateOrder::DayFirst : DateOrder::Unstated;
    for (std::size_t i = 0; i < text.size(); ++i) {
        // A date starts a token: never inside a longer number or word.
        if (i > 0 && (isAsciiDigit(text[i - 1]) || isAsciiLetter(text[i - 1])))
            continue;
        const auto date = isAsciiDigit(text[i])    ? dateAt(text, i, order)
                          : isAsciiLetter(text[i]) ? ctimeDateAt(text, i)
                                                   : std::nullopt;
        if (date)
            return date;
    }
    return std::nullopt;
}

std::optional<std::string> readTimeOfDay(std::string_view text)
{
    const auto number = [&text](std::size_t at, std::size_t length) {
        int value = 0;
        for (std::size_t i = at; i < at + length; ++i)
            value = value * 10 + (text[i] - '0');
        return value;
    };
    const auto twoDigits = [&text](std::size_t at) {
        return at + 1 < text.size() && isAsciiDigit(text[at]) && isAsciiDigit(text[at + 1]);
    };
    for (std::size_t start = 0; start < text.size(); ++start) {
        if (!isAsciiDigit(text[start]) ||
            (start > 0 && (isAsciiDigit(text[start - 1]) || text[start - 1] == ':')))
            continue;
        std::size_t hourDigits = 1;
        if (start + 1 < text.size() && isAsciiDigit(text[start + 1]))
            hourDigits = 2;
        const std::size_t colon = start + hourDigits;
        if (colon >= text.size() || text[colon] != ':' || !twoDigits(colon + 1) ||
            number(start, hourDigits) > 23 || number(colon + 1, 2) > 59)
            continue;
        std::size_t end = colon + 3;
        if (end < text.size() && text[end] == ':' && twoDigits(end + 1)) {
            if (number(end + 1, 2) > 60)
                continue;
            end += 3;
        }
        if (end < text.size() && isAsciiDigit(text[end]))
            continue;
        return std::string(text.substr(start, end - start));
    }
    return std::nullopt;
}

std::optional<CalendarDate> readLeadingDate(std::string_view text, DateOrder order)
{
    std::size_t pos = 0;
    while (pos < text.size() && text[pos] == ' ')
        ++pos;
    // A weekday's name and its comma may come first: "Tue Dec 12 2000", "Wed, 21 Oct 2009".
    std::size_t length = 0;
    while (pos + length < text.size() && isAsciiLetter(text[pos + length]))
        ++length;
    const std::string word = asciiLower(text.substr(pos, length));
    for (const std::string_view weekday : WeekdayNames) {
        if (length >= 3 && (word == weekday || word == weekday.substr(0, 3))) {
            pos += length;
            if (pos < text.size() && text[pos] == ',')
                ++pos;
            while (pos < text.size() && text[pos] == ' ')
                ++pos;
            break;
        }
    }
    if (pos >= text.size())
        return std::nullopt;
    return isAsciiDigit(text[pos])    ? dateAt(text, pos, order)
           : isAsciiLetter(text[pos]) ? ctimeDateAt(text, pos)
                                      : std::nullopt;
}

CalendarDate today()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

std::int64_t daysBetween(const CalendarDate& from, const CalendarDate& to)
{
    return to.dayNumber() - from.dayNumber();
}

std::optional<CalendarDate> recordDate(const DomainRecord& record, Field field)
{
    if (settledStatus(record) != static_cast<std::int32_t>(LookupStatus::Success))
        return std::nullopt;
    return readDate(fieldValue(record, field), serverForHost(fieldText(record.server)));
}

std::optional<std::int64_t> daysLeft(const DomainRecord& record, const CalendarDate& today)
{
    const auto expiry = recordDate(record, Field::ExpiryDate);
    if (!expiry)
        return std::nullopt;
    return daysBetween(today, *expiry);
}

bool nearExpiry(const DomainRecord& record, std::int32_t days, const CalendarDate& today)
{
    const auto left = daysLeft(record, today);
    return left && *left <= days;
}

} // namespace zonedesk::core
