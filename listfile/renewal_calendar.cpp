// SPDX-License-Identifier: MIT
#include "listfile/renewal_calendar.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <memory>
#include <string_view>
#include <unordered_set>

#include <libical/ical.h>

#include "core/domain_table.h"
#include "core/encodings.h"
#include "core/field_copy.h"
#include "core/result_fields.h"
#include "core/text.h"
#include "core/whois_query_name.h"

namespace zonedesk::listfile {

namespace {

// The last expiry year an event can have: libical writes years up to 3000, and DTEND is the day after.
constexpr int LastYear = 2999;

// SEQUENCE counts minutes from here: small numbers, and an INTEGER for thousands of years.
constexpr std::int64_t SequenceEpoch = 1'704'067'200; // 2024-01-01T00:00:00Z

struct ComponentFree
{
    void operator()(icalcomponent* component) const { icalcomponent_free(component); }
};

using Component = std::unique_ptr<icalcomponent, ComponentFree>;

icaltimetype dateValue(const core::CalendarDate& date)
{
    icaltimetype value = icaltime_null_date();
    value.year = date.year;
    value.month = date.month;
    value.day = date.day;
    return value;
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

Component eventOf(const core::DomainRecord& record,
                  const core::CalendarDate& expiry,
                  const std::string& uid,
                  const RenewalCalendarOptions& options)
{
    const std::string summary = "Renew " + core::gbkToUtf8(core::fieldText(record.domain));
    const icaltimetype stamp = icaltime_from_timet_with_zone(
        static_cast<std::time_t>(options.now), 0, icaltimezone_get_utc_timezone());
    Component event(icalcomponent_new_vevent());
    icalcomponent* const vevent = event.get();
    icalcomponent_add_property(vevent, icalproperty_new_uid(uid.c_str()));
    icalcomponent_add_property(vevent, icalproperty_new_dtstamp(stamp));
    icalcomponent_add_property(vevent, icalproperty_new_lastmodified(stamp));
    icalcomponent_add_property(vevent, icalproperty_new_sequence(sequenceAt(options.now)));
    icalcomponent_add_property(vevent, icalproperty_new_dtstart(dateValue(expiry)));
    icalcomponent_add_property(
        vevent, icalproperty_new_dtend(dateValue(core::CalendarDate::fromDayNumber(expiry.dayNumber() + 1))));
    icalcomponent_add_property(vevent, icalproperty_new_summary(summary.c_str()));
    icalcomponent_add_property(
        vevent, icalproperty_new_description(description(record, expiry, options.today).c_str()));
    // A reminder on the calendar, not a busy day.
    icalcomponent_add_property(vevent, icalproperty_new_transp(ICAL_TRANSP_TRANSPARENT));

    icalcomponent* alarm = icalcomponent_new_valarm();
    icaltriggertype trigger{};
    trigger.time = icaltime_null_time();
    trigger.duration = icaldurationtype_null_duration();
    trigger.duration.is_neg = 1;
    trigger.duration.days = static_cast<unsigned int>(std::max(options.warnDays, 0));
    icalcomponent_add_property(alarm, icalproperty_new_action(ICAL_ACTION_DISPLAY));
    icalcomponent_add_property(alarm, icalproperty_new_trigger(trigger));
    icalcomponent_add_property(alarm, icalproperty_new_description(summary.c_str()));
    icalcomponent_add_component(vevent, alarm);
    return event;
}

} // namespace

RenewalCalendar renewalCalendar(const core::DomainTable& table, const RenewalCalendarOptions& options)
{
    RenewalCalendar calendar;
    Component vcalendar(icalcomponent_new_vcalendar());
    icalcomponent_add_property(vcalendar.get(), icalproperty_new_prodid("-//zonedesk//Renewals//EN"));
    icalcomponent_add_property(vcalendar.get(), icalproperty_new_version("2.0"));
    icalcomponent_add_property(vcalendar.get(), icalproperty_new_calscale("GREGORIAN"));
    // What a mail's text/calendar part says in its method parameter must be said here too.
    icalcomponent_add_property(vcalendar.get(), icalproperty_new_method(ICAL_METHOD_PUBLISH));
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
        icalcomponent_add_component(vcalendar.get(), eventOf(record, *expiry, uid, options).release());
        ++calendar.events;
    }
    char* text = icalcomponent_as_ical_string_r(vcalendar.get());
    if (text != nullptr)
        calendar.text = text;
    std::free(text); // NOLINT(cppcoreguidelines-no-malloc): libical's buffer
    return calendar;
}

} // namespace zonedesk::listfile
