// SPDX-License-Identifier: MIT
// The two user settings: near-expiry day count and red display of near-expiry domains.
#pragma once

#include <cstdint>

namespace zonedesk::core {

struct UserSettings
{
    std::int32_t expiryWarnDays = 0; // key "gqts"
    std::int32_t redDisplay = 0;     // key "chkgq": 0 or 1
};

} // namespace zonedesk::core
