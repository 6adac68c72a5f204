// SPDX-License-Identifier: MIT
#include "listfile/expiry_jsonl.h"

#include "core/json_nesting.h"
#include "core/status_words.h"

#include <nlohmann/json.hpp>

namespace zonedesk::listfile {

namespace {

/// Hands each JSON object line with a "domain" to `take(object, domain)`; counts the lines that are
/// no record.
template <class Take> ExpiryJsonl readRecords(int fd, Take take)
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
        if (const auto domain = record.find("domain"); domain != record.end() && domain->is_string())
            take(record, domain->get<std::string>(), result);
    }
    result.end = reader.end();
    result.error = reader.error();
    // The read limit cuts the last line short: that line is unread, not a line that is no record.
    if (result.end == ListReader::End::ReadLimit && lastUnreadable)
        --result.unreadable;
    return result;
}

} // namespace

ExpiryJsonl readExpiryJsonl(int fd, std::int32_t days, const core::CalendarDate& today)
{
    return readRecords(fd, [&](const nlohmann::json& record, std::string domain, ExpiryJsonl& result) {
        const auto expiry = record.find("expiry");
        if (expiry == record.end() || !expiry->is_string())
            return;
        const auto date = core::readDate(expiry->get_ref<const std::string&>());
        if (!date)
            return;
        if (const std::int64_t left = core::daysBetween(today, *date); left <= days)
            result.entries.push_back({std::move(domain), *date, left});
    });
}

ExpiryJsonl readStatesJsonl(int fd, std::uint32_t states)
{
    return readRecords(fd, [states](const nlohmann::json& record, std::string domain, ExpiryJsonl& result) {
        // An available or failed name's reply states nothing of a name held.
        if (const auto found = record.find("result"); found == record.end() || *found != "registered")
            return;
        core::StatusBits codes = 0;
        if (const auto list = record.find("statuses"); list != record.end() && list->is_array()) {
            for (const nlohmann::json& status : *list) {
                if (status.is_string())
                    codes |= core::readStatusesText(status.get_ref<const std::string&>()).codes;
            }
        }
        const auto dnssec = record.find("dnssec");
        const core::Dnssec signing = dnssec != record.end() && dnssec->is_string()
                                         ? core::dnssecOfText(dnssec->get_ref<const std::string&>())
                                         : core::Dnssec::NotStated;
        if (const std::uint32_t in = core::holderStates(codes, signing) & states; in != 0)
            result.stated.push_back({std::move(domain), in});
    });
}

} // namespace zonedesk::listfile
