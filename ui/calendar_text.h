// SPDX-License-Identifier: MIT
// How the list and the history show a date: its calendar form, the way every registry's
// notation reads alike.
#pragma once

#include <optional>

#include <QString>

#include "core/calendar_date.h"
#include "core/result_fields.h"

namespace zonedesk {

/// YYYY-MM-DD for a readable `date` (the update's time of day kept where `stored` gives one);
/// `stored` as it stands when it holds no readable date.
QString calendarText(const QString& stored, const std::optional<core::CalendarDate>& date, core::Field field);

} // namespace zonedesk
