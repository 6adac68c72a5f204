// SPDX-License-Identifier: MIT
// How a CSV export for spreadsheets is laid out; the program's own CSV takes none of these.
#pragma once

#include "core/calendar_date.h"

namespace zonedesk::listfile {

struct CsvExportOptions
{
    bool header = false;     // a first line of column titles
    bool allColumns = false; // the list's nine columns in its order; else the export's eight
    bool isoDates = false;   // readable dates as YYYY-MM-DD; else the registry's own text
    bool daysLeft = false;   // a column after the expiry: days from `today` to it, blank without one
    bool utf8Bom = false;    // UTF-8 opened by a byte-order mark; else GBK as the records hold it
    core::CalendarDate today{};
};

} // namespace zonedesk::listfile
