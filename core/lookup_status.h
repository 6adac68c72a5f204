// SPDX-License-Identifier: MIT
// The outcome of a record's lookup and its texts in the list and in the CSV file.
#pragma once

#include <cstdint>
#include <string_view>

namespace zonedesk::core {

enum class LookupStatus : std::int32_t
{
    NoServer = 0,
    Success = 1,
    NotRegistered = 2,
    Error = 3,
};

/// The list's text for a record's status word, in GBK; empty for a value outside 0..3.
std::string_view statusText(std::int32_t status);

/// The CSV file's text for a record's status word, in GBK; empty for Error and any value outside 0..3.
std::string_view exportStatusText(std::int32_t status);

} // namespace zonedesk::core
