// SPDX-License-Identifier: MIT
// Calendar dates read from the notations the registries write their dates in.
#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/whois_servers.h"

namespace zonedesk::core {

struct CalendarDate
{
    int year = 0;
    int month = 0; // 1..12
    int day = 0;   // 1..31

    auto operator<=>(const CalendarDate&) const = default;

    /// "YYYY-MM-DD".
    std::string iso() const;

    /// Days since 1970-01-01 (negative before it).
    std::int64_t dayNumber() const;

    /// The date of a day number.
    static CalendarDate fromDayNumber(std::int64_t days);
};

/// The order of day and month in a registry's dates written with digits only ("05-06-2026",
/// "02/11/2019"): where it is not stated, only dates that can be read one way are read.
enum class DateOrder : std::uint8_t
{
    Unstated,
    DayFirst,
    MonthFirst,
};

/// The first date in `text` as a registry stored it: ISO 8601 with or without time, fraction and
/// zone ("2028-09-14T04:00:00Z"), "2028/09/14", "2028.09.14", "2028. 09. 14.", "20280914",
/// "2028-Sep-14", day first with full stops ("14.09.2028"), "14-sep-2028" and "21 Oct 2009" with
/// the month's name whole or in three letters and in any letter case ("02nd August 2000" too),
/// "Mar 26 23:59:59 GMT 2010", and around slashes day and month in either order when one of them
/// can't be a month ("03/27/2013"); for .hk's registry (the one notation that can't be told from
/// the text alone), day-first "14-09-2028". A date in parentheses or after blanks and line breaks
/// is found too. nullopt for text without one, for impossible dates ("2028-13-40", "31-Feb-2028")
/// and for "02/11/2019": never a guess.
std::optional<CalendarDate> readDate(std::string_view text, std::optional<WhoisServer> server = std::nullopt);

/// The date that opens `text` (after blanks and a weekday's name), in the notations readDate
/// reads without a registry's own ("2028-09-14T04:00:00Z", "Tue Dec 12 2000", "4.7.2018") and,
/// given the registry's `order`, digits around slashes or hyphens read in that order; nullopt
/// when the text opens with anything else ("before 1 January 1996", "registrar AT ns.il 19990605").
std::optional<CalendarDate> readLeadingDate(std::string_view text, DateOrder order = DateOrder::Unstated);

/// The first time of day in `text`, as "HH:MM" or "HH:MM:SS" the way it is written there: hours
/// (one or two digits, up to 23) after anything but a digit or a colon ("T08:15:27Z" of ISO 8601,
/// "2026-03-02 08:15", "Mar 26 23:59:59 GMT 2010"), minutes up to 59, seconds up to 60, and no
/// digit after them; nullopt without one.
std::optional<std::string> readTimeOfDay(std::string_view text);

/// Today in the local time zone.
CalendarDate today();

/// Days from `from` to `to` (negative when `to` lies before `from`).
std::int64_t daysBetween(const CalendarDate& from, const CalendarDate& to);

struct DomainRecord;
enum class Field : std::uint8_t;

/// A finished record's date as a calendar date (read with its server's notation); nullopt for a
/// record not done or not registered, or a text without a readable date. Any thread.
std::optional<CalendarDate> recordDate(const DomainRecord& record, Field field);

/// Days from `today` to the record's expiry (negative once expired); nullopt without one.
std::optional<std::int64_t> daysLeft(const DomainRecord& record, const CalendarDate& today);

/// Whether the record expires within `days` days of `today`, the boundary day and expired
/// names included.
bool nearExpiry(const DomainRecord& record, std::int32_t days, const CalendarDate& today);

} // namespace zonedesk::core
