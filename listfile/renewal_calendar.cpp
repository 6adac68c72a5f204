// SPDX-License-Identifier: MIT
#include "listfile/renewal_calendar.h"

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <limits>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "core/domain_table.h"
#include "core/encodings.h"
#include "core/field_copy.h"
#include "core/optional_module.h"
#include "core/result_fields.h"
#include "core/text.h"
#include "core/whois_query_name.h"
#include "listfile/calendar_module.h"

namespace zonedesk::listfile {

namespace {

// The last expiry year an event can have: libical writes years up to 3000, and DTEND is the day after.
constexpr int LastYear = 2999;

// SEQUENCE counts minutes from here: small numbers, and an INTEGER for thousands of years.
constexpr std::int64_t SequenceEpoch = 1'704'067'200; // 2024-01-01T00:00:00Z

CalendarDay dayOf(const core::CalendarDate& date)
{
    return {date.year, date.month, date.day};
}

std::string uidOf(std::string_view gbkDomain)
{
    const auto ascii = core::whoisQueryName(gbkDomain);
    return core::asciiLower(ascii ? *ascii : core::gbkToUtf8(gbkDomain)) + "@zonedesk";
}

std::int32_t sequenceAt(std::int64_t now)
{
    const std::int64_t minutes = (now - SequenceEpoch) / 60;
    return static_cast<std::int32_t>(
        std::clamp<std::int64_t>(minutes, 0, std::numeric_limits<std::int32_t>::max()));
}

std::string daysText(std::int64_t days)
{
    return std::to_string(days) + (days == 1 ? " day" : " days");
}

std::string description(const core::DomainRecord& record,
                        const core::CalendarDate& expiry,
                        const core::CalendarDate& today)
{
    const std::string registrar = core::safeToShow(
        core::gbkToUtf8(core::fieldValue(record, core::Field::Registrar)), core::LineBreaks::Kept);
    const std::int64_t left = core::daysBetween(today, expiry);
    const std::string when = left > 0    ? daysText(left) + " left on " + today.iso()
                             : left == 0 ? "the day of " + today.iso()
                                         : "expired " + daysText(-left) + " before " + today.iso();
    return "Registrar: " + (registrar.empty() ? std::string("not stated") : registrar) +
           "\nExpiry: " + expiry.iso() + " (" + when + ")";
}

/// The texts of one event, kept while the module reads them.
struct EventTexts
{
    std::string uid;
    std::string summary;
    std::string description;
};

/// The module's writer, or none with the reason when the module is missing.
const core::ModuleFunction<CalendarText>& calendarText()
{
    static const auto text = core::moduleFunction<CalendarText>(core::CalendarModule, CalendarTextEntry);
    return text;
}

} // namespace

std::string calendarUnavailable()
{
    return calendarText().why;
}

RenewalCalendar renewalCalendar(const core::DomainTable& table, const RenewalCalendarOptions& options)
{
    RenewalCalendar calendar;
    CalendarText* const write = calendarText().function;
    if (write == nullptr) {
        calendar.error = calendarText().why;
        return calendar;
    }
    std::deque<EventTexts> texts; // stays put as it grows: the events point into it
    std::vector<CalendarEvent> events;
    std::unordered_set<std::string> uids;
    for (const core::DomainRecord& record : table.inUse()) {
        const auto expiry = core::recordDate(record, core::Field::ExpiryDate);
        if (!expiry || expiry->year > LastYear) {
            ++calendar.leftOut;
            continue;
        }
        std::string uid = uidOf(core::fieldText(record.domain));
        if (!uids.insert(uid).second)
            continue;
        const EventTexts& event =
            texts.emplace_back(EventTexts{std::move(uid),
                                          "Renew " + core::gbkToUtf8(core::fieldText(record.domain)),
                                          description(record, *expiry, options.today)});
        events.push_back({event.uid.c_str(),
                          event.summary.c_str(),
                          event.description.c_str(),
                          dayOf(*expiry),
                          dayOf(core::CalendarDate::fromDayNumber(expiry->dayNumber() + 1))});
    }
    const CalendarRequest request{
        events.data(), events.size(), options.now, sequenceAt(options.now), options.warnDays};
    char* text = write(&request);
    if (text == nullptr) {
        calendar.error = "not enough memory for the calendar";
        return calendar;
    }
    calendar.text = text;
    calendar.events = static_cast<std::int32_t>(events.size());
    std::free(text); // NOLINT(cppcoreguidelines-no-malloc): the module's buffer
    return calendar;
}

} // namespace zonedesk::listfile
