// SPDX-License-Identifier: MIT
// Status texts, stored as GBK bytes because they go into records and files as they stand.
#include "core/lookup_status.h"

#include "core/domain_table.h"

namespace zonedesk::core {

namespace {

constexpr std::string_view NoServerText = "\xCE\xDE"
                                          "whois\xB7\xFE\xCE\xF1\xC6\xF7"; // 无whois服务器
constexpr std::string_view SuccessText = "\xB3\xC9\xB9\xA6";               // 成功
constexpr std::string_view NotRegisteredText = "\xD3\xF2\xC3\xFB\xCE\xB4\xD7\xA2\xB2\xE1"; // 域名未注册
constexpr std::string_view ErrorText = "ERR!";
constexpr std::string_view NotLookedUpText = "\xCE\xB4\xB2\xE9\xD1\xAF"; // 未查询

} // namespace

std::string_view statusText(std::int32_t status)
{
    switch (static_cast<LookupStatus>(status)) {
    case LookupStatus::NoServer: return NoServerText;
    case LookupStatus::Success: return SuccessText;
    case LookupStatus::NotRegistered: return NotRegisteredText;
    case LookupStatus::Error: return ErrorText;
    }
    return {};
}

std::string_view exportStatusText(std::int32_t status)
{
    // A failed lookup leaves the CSV cell empty while the list says "ERR!".
    if (status == static_cast<std::int32_t>(LookupStatus::Error))
        return {};
    return statusText(status);
}

std::optional<std::int32_t> settledStatus(const DomainRecord& record)
{
    if (isDone(record))
        return record.status;
    if (record.server[0] == '\0')
        return static_cast<std::int32_t>(LookupStatus::NoServer);
    return std::nullopt;
}

std::string_view recordStatusText(const DomainRecord& record)
{
    const auto status = settledStatus(record);
    return status ? statusText(*status) : NotLookedUpText;
}

std::string_view recordExportStatusText(const DomainRecord& record)
{
    const auto status = settledStatus(record);
    return status ? exportStatusText(*status) : NotLookedUpText;
}

std::string_view recordStatusKey(const DomainRecord& record)
{
    const auto status = settledStatus(record);
    return status ? statusKey(*status) : "not-looked-up";
}

std::string_view statusKey(std::int32_t status)
{
    switch (static_cast<LookupStatus>(status)) {
    case LookupStatus::NoServer: return "no-server";
    case LookupStatus::Success: return "registered";
    case LookupStatus::NotRegistered: return "available";
    case LookupStatus::Error: return "error";
    }
    return {};
}

} // namespace zonedesk::core
