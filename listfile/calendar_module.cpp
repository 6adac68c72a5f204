// SPDX-License-Identifier: MIT
// Built into zonedesk-ical.so alone. libical escapes the text and folds the lines.
#include "listfile/calendar_module.h"

#include <algorithm>
#include <ctime>
#include <memory>

#include <libical/ical.h>

namespace {

using zonedesk::listfile::CalendarDay;
using zonedesk::listfile::CalendarEvent;
using zonedesk::listfile::CalendarRequest;

struct ComponentFree
{
    void operator()(icalcomponent* component) const { icalcomponent_free(component); }
};

using Component = std::unique_ptr<icalcomponent, ComponentFree>;

icaltimetype dateValue(const CalendarDay& day)
{
    icaltimetype value = icaltime_null_date();
    value.year = day.year;
    value.month = day.month;
    value.day = day.day;
    return value;
}

icalcomponent* eventOf(const CalendarEvent& event, const CalendarRequest& request)
{
    const icaltimetype stamp = icaltime_from_timet_with_zone(
        static_cast<std::time_t>(request.now), 0, icaltimezone_get_utc_timezone());
    icalcomponent* const vevent = icalcomponent_new_vevent();
    icalcomponent_add_property(vevent, icalproperty_new_uid(event.uid));
    icalcomponent_add_property(vevent, icalproperty_new_dtstamp(stamp));
    icalcomponent_add_property(vevent, icalproperty_new_lastmodified(stamp));
    icalcomponent_add_property(vevent, icalproperty_new_sequence(request.sequence));
    icalcomponent_add_property(vevent, icalproperty_new_dtstart(dateValue(event.start)));
    icalcomponent_add_property(vevent, icalproperty_new_dtend(dateValue(event.end)));
    icalcomponent_add_property(vevent, icalproperty_new_summary(event.summary));
    icalcomponent_add_property(vevent, icalproperty_new_description(event.description));
    // A reminder on the calendar, not a busy day.
    icalcomponent_add_property(vevent, icalproperty_new_transp(ICAL_TRANSP_TRANSPARENT));

    icalcomponent* alarm = icalcomponent_new_valarm();
    icaltriggertype trigger{};
    trigger.time = icaltime_null_time();
    trigger.duration = icaldurationtype_null_duration();
    trigger.duration.is_neg = 1;
    trigger.duration.days = static_cast<unsigned int>(std::max(request.warnDays, 0));
    icalcomponent_add_property(alarm, icalproperty_new_action(ICAL_ACTION_DISPLAY));
    icalcomponent_add_property(alarm, icalproperty_new_trigger(trigger));
    icalcomponent_add_property(alarm, icalproperty_new_description(event.summary));
    icalcomponent_add_component(vevent, alarm);
    return vevent;
}

} // namespace

extern "C" __attribute__((visibility("default"))) char*
zonedesk_calendar_text_1(const CalendarRequest* request)
{
    Component vcalendar(icalcomponent_new_vcalendar());
    icalcomponent_add_property(vcalendar.get(), icalproperty_new_prodid("-//zonedesk//Renewals//EN"));
    icalcomponent_add_property(vcalendar.get(), icalproperty_new_version("2.0"));
    icalcomponent_add_property(vcalendar.get(), icalproperty_new_calscale("GREGORIAN"));
    // What a mail's text/calendar part says in its method parameter must be said here too.
    icalcomponent_add_property(vcalendar.get(), icalproperty_new_method(ICAL_METHOD_PUBLISH));
    for (std::size_t i = 0; i < request->count; ++i)
        icalcomponent_add_component(vcalendar.get(), eventOf(request->events[i], *request));
    return icalcomponent_as_ical_string_r(vcalendar.get());
}

extern "C" __attribute__((visibility("default"))) const char* zonedesk_module_version()
{
    return ICAL_VERSION;
}
