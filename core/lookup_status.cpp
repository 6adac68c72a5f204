// SPDX-License-Identifier: MIT
// Status texts, stored as GBK bytes because they go into records and files as they stand.
#include "core/lookup_status.h"

namespace zonedesk::core {

namespace {

constexpr std::string_view NoServerText = "\xCE\xDE"
                                          "whois\xB7\xFE\xCE\xF1\xC6\xF7"; // 无whois服务器
constexpr std::string_view SuccessText = "\xB3\xC9\xB9\xA6";               // 成功
constexpr std::string_view NotRegisteredText = "\xD3\xF2\xC3\xFB\xCE\xB4\xD7\xA2\xB2\xE1"; // 域名未注册
constexpr std::string_view ErrorText = "ERR!";

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

} // namespace zonedesk::core
