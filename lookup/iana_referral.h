// SPDX-License-Identifier: MIT
// The WHOIS host of a TLD that neither shipped file knows, from IANA's own WHOIS server, with its
// answers (also "no host") kept for 30 days in the user's cache folder.
#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <stop_token>
#include <string>
#include <string_view>

#include "core/error_reason.h"
#include "lookup/endpoints.h"
#include "lookup/exchange_options.h"

namespace zonedesk::lookup {

inline constexpr std::string_view IanaWhoisHost = "whois.iana.org";
inline constexpr const char* ReferralCacheFileName = "iana-referrals.tsv";
inline constexpr std::chrono::hours ReferralLifetime{24 * 30};

/// Bounds from outside: IANA's answer for a TLD is a few KiB; the cache holds a line per TLD.
inline constexpr std::size_t MaxReferralReplyBytes = std::size_t{64} << 10;
inline constexpr std::size_t MaxReferralCacheBytes = std::size_t{1} << 20;
inline constexpr std::size_t MaxReferralCacheEntries = 10'000;

/// The host a reply of whois.iana.org names on its "refer:" line, else on its "whois:" line (keys
/// in any letter case), in lower case; empty when neither names a host a record's `server` field
/// can hold, or names an IPv4 literal or whois.iana.org itself (never asked about a domain).
std::string referralHost(std::string_view reply);

struct Referral
{
    bool answered = false;  // false: IANA could not be asked, or the TLD is not a label
    std::string host;       // empty when answered: IANA names no WHOIS host for the TLD
    bool fromCache = false; // answered from the cache file, without asking
    bool stopped = false;   // a stop was requested while asking
    core::ErrorReason reason = core::ErrorReason::None; // why asking failed
    std::string cacheError; // the cache file could not be written (the answer stands)
};

/// The cache file: $XDG_CACHE_HOME/zonedesk/iana-referrals.tsv.
std::filesystem::path defaultReferralCache();

/// The WHOIS host of `tld` (a lower-case A-label): a fresh answer of `cacheFile` (asked at `now`
/// or at most ReferralLifetime before), else whois.iana.org asked for the TLD at the endpoint
/// `endpoints` give it, within `session`'s limits and at most MaxReferralReplyBytes; that answer
/// goes into the cache file (written whole, its stale and unreadable lines dropped) when it is
/// IANA's record of the TLD. A failed exchange, a refusal (Throttled) or any other answer
/// (Unrecognised) is an error of this call and is not kept. Worker threads; any number at once.
Referral ianaReferral(std::string_view tld,
                      const std::filesystem::path& cacheFile,
                      const EndpointOverrides& endpoints,
                      const ExchangeOptions& session,
                      std::chrono::system_clock::time_point now,
                      const std::stop_token& stop);

} // namespace zonedesk::lookup
