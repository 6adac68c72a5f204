// SPDX-License-Identifier: MIT
// IANA's current RDAP bootstrap fetched into the cache folder, asked for only when it changed
// (If-None-Match / If-Modified-Since), with what changed against the copy in use. Both programs
// offer it: `zonedesk-cli update-data` and the desktop program's menu.
#pragma once

#include <filesystem>
#include <optional>
#include <stop_token>
#include <string>

#include "core/rdap_bootstrap.h"

namespace zonedesk::net {

inline constexpr const char* IanaBootstrapUrl = "https://data.iana.org/rdap/dns.json";

/// The validators' file beside the cached copy: "ETag: ..." and "Last-Modified: ..." lines.
inline constexpr const char* ValidatorsFileName = "rdap-dns.json.http";

struct BootstrapUpdate
{
    enum class Outcome
    {
        Failed,       // `error` says why; the cache is as it was
        NotModified,  // the server said the cached copy is current
        Unchanged,    // fetched, and the same as the copy in use
        FirstCopy,    // saved, with no copy in use before it
        OlderFetched, // fetched, but the copy in use is a later publication
        Updated,      // saved, and later than the copy in use: `changes` says how
    };
    Outcome outcome = Outcome::Failed;
    std::string error;
    std::string cacheNote;                    // why a cached copy that is there could not be read
    std::string validatorsNote;               // why the validators could not be kept
    std::optional<core::RdapBootstrap> inUse; // before the update
    std::filesystem::path inUseSource;
    std::optional<core::RdapBootstrap> fetched; // Unchanged, FirstCopy, OlderFetched, Updated
    std::filesystem::path cacheFile;
    core::BootstrapChanges changes; // Updated
};

/// Fetches `url` (http or https; redirects to https only) into core::cacheDir(), at most
/// core::MaxBootstrapBytes, within two minutes; a stop ends the transfer within a second, as a
/// failure. Blocks: not on a window's thread.
BootstrapUpdate updateBootstrap(const std::string& url = IanaBootstrapUrl, const std::stop_token& stop = {});

} // namespace zonedesk::net
