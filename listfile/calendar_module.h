// SPDX-License-Identifier: MIT
// The module that writes a renewal calendar with libical (zonedesk-ical.so), loaded by
// listfile/renewal_calendar when a calendar is made: the events go in as plain C data.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zonedesk::listfile {

struct CalendarDay
{
    int year;
    int month;
    int day;
};

struct CalendarEvent
{
    const char* uid;         // UTF-8, NUL-terminated, as are the other texts
    const char* summary;     // also the reminder's text
    const char* description; // line breaks kept
    CalendarDay start;       // the all-day event's day
    CalendarDay end;         // the day after it
};

struct CalendarRequest
{
    const CalendarEvent* events;
    std::size_t count;
    std::int64_t now;      // DTSTAMP and LAST-MODIFIED, seconds since the epoch
    std::int32_t sequence; // every event's SEQUENCE
    std::int32_t warnDays; // the reminder, this many days before the day
};

/// The VCALENDAR (METHOD:PUBLISH) of the events, UTF-8, CR LF, folded at 75 octets, in a buffer
/// the caller frees with std::free; nullptr when libical ran out of memory.
using CalendarText = char*(const CalendarRequest* request);
/// The entry's name carries the version of these structs: a change to them renames it, so that a
/// module of another build is refused rather than misread.
inline constexpr const char* CalendarTextEntry = "zonedesk_calendar_text_1";

} // namespace zonedesk::listfile
