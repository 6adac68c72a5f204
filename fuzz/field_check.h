// SPDX-License-Identifier: MIT
// Checks that ASan cannot make: every text field of a record still ends within its width, and
// the security state holds nothing but what its forms allow.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "core/domain_status.h"
#include "core/domain_table.h"
#include "core/field_copy.h"
#include "core/lookup_status.h"

namespace zonedesk::fuzz {

template <std::size_t N> void requireTerminated(const char (&field)[N])
{
    if (std::memchr(field, '\0', N) == nullptr)
        std::abort();
}

inline void requireFieldsTerminated(const core::DomainRecord& record)
{
    requireTerminated(record.server);
    requireTerminated(record.domain);
    requireTerminated(record.expiryDate);
    requireTerminated(record.registrationDate);
    requireTerminated(record.updatedDate);
    requireTerminated(record.owner);
    requireTerminated(record.email);
    requireTerminated(record.registrar);
    requireTerminated(record.registryStatus);
    requireTerminated(record.nameServers);
    // Host names (lower case, a blank between them) and "+N"; the registry's own words without
    // control bytes; a DNSSEC state of the three; nothing of a name not found or an error.
    const std::string_view servers = core::fieldText(record.nameServers);
    if (!std::all_of(servers.begin(), servers.end(), [](char c) {
            return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '-' || c == ' ' ||
                   c == '+';
        }))
        std::abort();
    const std::string_view own = core::fieldText(record.registryStatus);
    if (std::any_of(own.begin(), own.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }))
        std::abort();
    if (record.dnssec > static_cast<std::uint8_t>(core::Dnssec::Signed))
        std::abort();
    const bool stated = record.statusCodes != 0 || !own.empty() || !servers.empty() || record.dnssec != 0;
    if (stated && record.status != static_cast<std::int32_t>(core::LookupStatus::Success))
        std::abort();
}

} // namespace zonedesk::fuzz
