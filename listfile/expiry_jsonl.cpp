// SPDX-License-Identifier: MIT
#include "listfile/expiry_jsonl.h"

#include "core/json_nesting.h"

#include <nlohmann/json.hpp>

namespace zonedesk::listfile {

ExpiryJsonl readExpiryJsonl(int fd, std::int32_t days, const core::CalendarDate& today)
{
    ExpiryJsonl result;
    ListReader reader(fd, ListEncoding::Utf8, ExpiryLineCap);
    bool lastUnreadable = false;
    while (const auto line = reader.next()) {
        lastUnreadable = false;
        if (line->overlong) {
            ++result.unreadable;
            lastUnreadable = true;
            continue;
        }
        if (line->bytes.empty())
            continue;
        // A line nested deeper than a record builds no document: it is no record either.
        const auto record = core::jsonNestingWithin(line->bytes)
                                ? nlohmann::json::parse(line->bytes, nullptr, false)
                                : nlohmann::json(nlohmann::json::value_t::discarded);
        if (record.is_discarded() || !record.is_object()) {
            ++result.unreadable;
            lastUnreadable = true;
            continue;
        }
        const auto expiry = record.find("expiry");
        const auto domain = record.find("domain");
        if (expiry == record.end() || !expiry->is_string() || domain == record.end() || !domain->is_string())
            continue;
        const auto date = core::readDate(expiry->get_ref<const std::string&>());
        if (!date)
            continue;
        if (const std::int64_t left = core::daysBetween(today, *date); left <= days)
            result.entries.push_back({domain->get<std::string>(), *date, left});
    }
    result.end = reader.end();
    result.error = reader.error();
    // The read limit cuts the last line short: that line is unread, not a line that is no record.
    if (result.end == ListReader::End::ReadLimit && lastUnreadable)
        --result.unreadable;
    return result;
}

} // namespace zonedesk::listfile
