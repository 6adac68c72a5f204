// SPDX-License-Identifier: MIT
// The record's security fields in their text forms: the statuses' bits and the registry's own
// words, and the DNSSEC state.
#include "core/result_fields.h"

namespace zonedesk::core {

namespace {

constexpr std::string_view OwnWordBreak = ", ";

} // namespace

DomainStatuses recordStatuses(const DomainRecord& record)
{
    DomainStatuses statuses{record.statusCodes, {}};
    std::string_view own = fieldText(record.registryStatus);
    while (!own.empty()) {
        const std::size_t end = std::min(own.size(), own.find(OwnWordBreak));
        statuses.own.emplace_back(own.substr(0, end));
        own = own.substr(std::min(own.size(), end + OwnWordBreak.size()));
    }
    return statuses;
}

std::string recordStatusesText(const DomainRecord& record)
{
    return statusesText(recordStatuses(record));
}

void storeRecordStatuses(DomainRecord& record, const DomainStatuses& statuses)
{
    record.statusCodes = statuses.codes;
    std::string own;
    for (const std::string& word : statuses.own) {
        // Whole words only: a word cut short would read as another state.
        const std::size_t size = own.size() + (own.empty() ? 0 : OwnWordBreak.size()) + word.size();
        if (size > sizeof(record.registryStatus) - 1)
            break;
        own += own.empty() ? "" : OwnWordBreak;
        own += word;
    }
    copyField(record.registryStatus, own);
}

std::size_t storeRecordStatuses(DomainRecord& record, std::string_view text)
{
    storeRecordStatuses(record, readStatusesText(text));
    return fieldText(record.registryStatus).size();
}

std::string recordDnssecText(const DomainRecord& record)
{
    return std::string(dnssecText(record.dnssec <= static_cast<std::uint8_t>(Dnssec::Signed)
                                      ? static_cast<Dnssec>(record.dnssec)
                                      : Dnssec::NotStated));
}

std::size_t storeRecordDnssec(DomainRecord& record, std::string_view text)
{
    record.dnssec = static_cast<std::uint8_t>(dnssecOfText(text));
    return dnssecText(static_cast<Dnssec>(record.dnssec)).size();
}

} // namespace zonedesk::core
