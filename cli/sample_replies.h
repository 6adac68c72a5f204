// SPDX-License-Identifier: MIT
// The demo's sample replies, one registered and one not-found reply per registry, in each
// registry's current layout (written by us; see res/samples): the ten registries and a handful of
// others, so the demo shows names beyond the ten too.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zonedesk::cli {

struct SampleFile
{
    std::string_view name; // "<registry>-registered.txt" or "<registry>-available.txt"
    std::string_view text;
};

extern const SampleFile SampleFiles[];
extern const std::size_t SampleFileCount;

/// A suffix beyond the ten registries that the demo responder answers for.
struct OtherSampleSuffix
{
    std::string_view tld;
    /// Answered over port 43 (at the host the shipped table names); otherwise over RDAP alone, and
    /// port 43 closes without a reply, as at a registry that has let it go.
    bool overWhois;
};

/// .de, .uk, .au and .sg over port 43; .io, .xyz and .app over RDAP.
extern const OtherSampleSuffix OtherSampleSuffixes[7];

/// The reply the demo responder gives to `query`: the registry's not-found reply for a name that
/// starts with "free-", its registered reply otherwise, with the name filled in. Empty for a name
/// whose suffix has no sample over port 43.
std::string sampleReply(std::string_view query);

/// The HTTP response the demo responder gives to an RDAP request line ("GET /domain/NAME ..."):
/// 404 for a name that starts with "free-", a domain object otherwise, whose registrant is
/// withheld ("REDACTED FOR PRIVACY") for a name that starts with "private-".
std::string sampleRdapResponse(std::string_view requestLine);

} // namespace zonedesk::cli
