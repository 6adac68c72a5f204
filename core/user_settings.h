// SPDX-License-Identifier: MIT
// The user settings: near-expiry day count, red display of near-expiry domains, and the transport.
#pragma once

#include <cstdint>

namespace zonedesk::core {

struct UserSettings
{
    std::int32_t expiryWarnDays = 0; // key "gqts"
    std::int32_t redDisplay = 0;     // key "chkgq": 0 or 1
    /// Key "transport": "rdap" asks over RDAP first wherever a registry has it; anything else
    /// ("whois", or no key) keeps port 43 first. Read only: the program never writes it.
    bool preferRdap = false;
};

} // namespace zonedesk::core
