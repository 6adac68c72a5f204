// SPDX-License-Identifier: MIT
// Checks that ASan cannot make: every text field of a record still ends within its width.
#pragma once

#include <cstdlib>
#include <cstring>

#include "core/domain_table.h"

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
}

} // namespace zonedesk::fuzz
