// SPDX-License-Identifier: MIT
// How old the reference data in use is: the date of each file the service choice reads.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/service_choice.h"

namespace zonedesk::core {

/// The data folder's description of its files.
inline constexpr const char* DataReadmeFileName = "README.md";

struct DataFileDate
{
    std::string_view file; // "rdap-dns.json"
    std::string date;      // YYYY-MM-DD; empty when nothing says
};

/// The RDAP bootstrap's publication (of the copy in use, which may be a later one from the cache
/// folder) and the WHOIS host table's date from the data folder's README.
std::vector<DataFileDate> dataFileDates(const ServiceData& data, const std::filesystem::path& dataDir);

/// The date README text gives `file`: the first date on a "Date" or "Publication" line of the
/// section whose heading names the file in backquotes; empty when there is none.
std::string readmeDate(std::string_view readme, std::string_view file);

} // namespace zonedesk::core
