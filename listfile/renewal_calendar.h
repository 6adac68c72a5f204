// SPDX-License-Identifier: MIT
// The table's expiry dates as an iCalendar file (RFC 5545) for a calendar program: one all-day
// event per registered name on its expiry day, with a reminder some days before. Made with
// libical (in a module loaded on first use), which escapes the text and folds the lines.
#pragma once

#include <cstdint>
#include <string>

#include "core/calendar_date.h"

namespace zonedesk::core {
class DomainTable;
}

namespace zonedesk::listfile {

struct RenewalCalendarOptions
{
    std::int32_t warnDays = 30; // the reminder, this many days before the expiry day
    std::int64_t now = 0;       // the export's time, seconds since the epoch
    core::CalendarDate today;   // the export's day, from which the days left are counted
};

struct RenewalCalendar
{
    std::string text;         // UTF-8, CR LF, folded at 75 octets; empty when there is an error
    std::string error;        // why there is no text: the calendar module missing, no memory
    std::int32_t events = 0;  // one per name
    std::int32_t leftOut = 0; // names without a known expiry
};

/// Why no calendar can be made (its module is missing); empty when one can. Loads the module.
std::string calendarUnavailable();

/// The calendar of the table's names whose lookup settled as registered with an expiry date
/// readable from 1900-01-01 to 2999-12-31 (libical writes no year past 3000, and the event ends
/// the next day; a registry's 9999-12-31 stands for no end). Every other name (not registered,
/// failed, not looked up, its expiry withheld or unreadable, a later date) is left out and
/// counted; a name listed twice has one event. Each event:
/// - UID "<name>@zonedesk", the name lower-cased in its A-label form, the same in every export,
///   so that a calendar program updates the event rather than adding a second one;
/// - SEQUENCE the whole minutes from 2024-01-01 00:00 UTC to `now`, DTSTAMP and LAST-MODIFIED
///   `now`: a later export never carries a lower SEQUENCE, and within a minute DTSTAMP tells
///   the later one, as RFC 5546 orders them;
/// - SUMMARY "Renew NAME", DESCRIPTION the registrar and the days left on `today`, a VALARM
///   (DISPLAY) `warnDays` days before the start.
/// Registry text reaches the file without its controls (core::safeToShow); line breaks stay.
/// Any thread.
RenewalCalendar renewalCalendar(const core::DomainTable& table, const RenewalCalendarOptions& options);

} // namespace zonedesk::listfile
