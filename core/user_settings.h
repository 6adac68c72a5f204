// SPDX-License-Identifier: MIT
// The user settings: near-expiry day count, red display of near-expiry domains, the transport, and
// the history database's place and use.
#pragma once

#include <cstdint>
#include <string>

namespace zonedesk::core {

struct UserSettings
{
    std::int32_t expiryWarnDays = 0; // key "gqts"
    std::int32_t redDisplay = 0;     // key "chkgq": 0 or 1
    /// Key "transport": "rdap" asks over RDAP first wherever a registry has it; anything else
    /// ("whois", or no key) keeps port 43 first. Read only: the program never writes it.
    bool preferRdap = false;
    /// Key "historyDb": the history database's path; empty for the default. Read only.
    std::string historyDb;
    /// Key "restoreLast": "1" opens the last run's results at start-up. Read only.
    bool restoreLast = false;
};

} // namespace zonedesk::core
