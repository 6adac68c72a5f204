// SPDX-License-Identifier: MIT
#include "ui/calendar_text.h"

namespace zonedesk {

QString calendarText(const QString& stored, const std::optional<core::CalendarDate>& date, core::Field field)
{
    if (!date)
        return stored; // no readable date: the registry's text as it stands
    QString text = QString::fromStdString(date->iso());
    // The update column keeps the time of day where the registry gives one.
    if (field == core::Field::UpdatedDate) {
        if (const auto time = core::readTimeOfDay(stored.toStdString()))
            text += QLatin1Char(' ') + QString::fromStdString(*time);
    }
    return text;
}

} // namespace zonedesk
