// SPDX-License-Identifier: MIT
#include "core/library_versions.h"

#include <curl/curl.h>
#include <idn2.h>
#include <libpsl.h>
#include <sqlite3.h>
#include <zstd.h>

#include "core/optional_module.h"

#include <gnu/libc-version.h>
#include <nlohmann/json.hpp>

namespace zonedesk::core {

namespace {

std::string orUnknown(const char* version)
{
    return version != nullptr ? std::string(version) : std::string("?");
}

} // namespace

std::vector<LibraryVersion> libraryVersions()
{
    const curl_version_info_data* curl = curl_version_info(CURLVERSION_NOW);
    return {
        {"libidn2", orUnknown(idn2_check_version(nullptr))},
        {"iconv (GNU libc)", orUnknown(gnu_get_libc_version())},
        {"libcurl", orUnknown(curl != nullptr ? curl->version : nullptr)},
        {"nlohmann-json",
         std::to_string(NLOHMANN_JSON_VERSION_MAJOR) + "." + std::to_string(NLOHMANN_JSON_VERSION_MINOR) +
             "." + std::to_string(NLOHMANN_JSON_VERSION_PATCH)},
        {"SQLite", orUnknown(sqlite3_libversion())},
        {"zstd", orUnknown(ZSTD_versionString())},
        {"libpsl", orUnknown(psl_get_version())},
        // The modules' libraries, loaded here if not yet: "?" when a module is missing.
        {"ICU", moduleLibraryVersion(SpoofModule)},
        {"libical", moduleLibraryVersion(CalendarModule)},
        {"GIO", moduleLibraryVersion(NotifyModule)},
    };
}

} // namespace zonedesk::core
