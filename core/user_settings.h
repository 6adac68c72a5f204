// SPDX-License-Identifier: MIT
// The user settings: near-expiry day count, red display of near-expiry domains, the transport, the
// history database's place and use, and the screen's language.
#pragma once

#include <cstdint>
#include <string>

namespace zonedesk::core {

/// Key "language": which language the desktop program's screen speaks.
enum class LanguageChoice : std::uint8_t
{
    System,  // no key, or a value that names neither: the system's UI language decides
    Chinese, // "zh", "zh_CN", "zh-Hans"…
    English, // "en", "en_US"…
};

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
    /// Key "everyRegistry": "0" looks names up only where one of the ten registries serves them;
    /// anything else (or no key) every registry with a known service. Read only.
    bool everyRegistry = true;
    /// Key "jobs": how many servers are asked at once (1..256; 32 when absent or not a number).
    /// Read only.
    std::int32_t jobs = DefaultJobs;
    /// Key "language": "zh" or "en" (letter case and a region such as "_CN" or "-US" aside)
    /// forces that language; anything else follows the system. Read only.
    LanguageChoice language = LanguageChoice::System;

    static constexpr std::int32_t DefaultJobs = 32;
    static constexpr std::int32_t MaxJobs = 256;
};

} // namespace zonedesk::core
