// SPDX-License-Identifier: MIT
// The demo's sample replies, one registered and one not-found reply per registry, in each
// registry's current layout (written by us; see res/samples).
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

/// The reply the demo responder gives to `query`: the registry's not-found reply for a name that
/// starts with "free-", its registered reply otherwise, with the name filled in. Empty for a name
/// whose suffix has no registry.
std::string sampleReply(std::string_view query);

/// The HTTP response the demo responder gives to an RDAP request line ("GET /domain/NAME ..."):
/// 404 for a name that starts with "free-", a domain object otherwise, whose registrant is
/// withheld ("REDACTED FOR PRIVACY") for a name that starts with "private-".
std::string sampleRdapResponse(std::string_view requestLine);

} // namespace zonedesk::cli
