// SPDX-License-Identifier: MIT
#include "ui/calendar_text.h"

#include <QRegularExpression>

namespace zonedesk {

QString calendarText(const QString& stored, const std::optional<core::CalendarDate>& date, core::Field field)
{
    if (!date)
        return stored; // no readable date: the registry's text as it stands
    QString text = QString::fromStdString(date->iso());
    // The update column keeps the time of day where the registry gives one.
    if (field == core::Field::UpdatedDate) {
        static const QRegularExpression Time(QStringLiteral("\\b\\d{2}:\\d{2}(:\\d{2})?"));
        const auto match = Time.match(stored);
        if (match.hasMatch())
            text += QLatin1Char(' ') + match.captured();
    }
    return text;
}

} // namespace zonedesk
