// SPDX-License-Identifier: MIT
// Reading the expiry dates and the security states back from the JSONL of an earlier lookup run,
// with the list reader's bounds: a device, an endless stream or a file without line ends can't make it grow.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/calendar_date.h"
#include "listfile/list_reader.h"

namespace zonedesk::listfile {

struct ExpiryEntry
{
    std::string domain; // UTF-8, as the JSONL has it
    core::CalendarDate expiry;
    std::int64_t daysLeft = 0; // from the day asked; negative once expired
};

struct StateEntry
{
    std::string domain;       // UTF-8, as the JSONL has it
    std::uint32_t states = 0; // core::HolderState bits, of those asked
};

struct ExpiryJsonl
{
    std::vector<ExpiryEntry> entries;            // the records whose expiry lies within the days asked
    std::vector<StateEntry> stated;              // the records in one of the states asked
    std::int32_t unreadable = 0;                 // lines that are not JSON objects, or too long to be records
    ListReader::End end = ListReader::End::None; // EndOfFile unless reading stopped early
    int error = 0;                               // errno of a ReadError

    /// Whether the whole input was read.
    bool complete() const { return end == ListReader::End::EndOfFile; }
};

/// Longest line taken as a record: a lookup's JSON line is a few KiB at most.
inline constexpr std::size_t ExpiryLineCap = std::size_t{64} << 10;

/// The records of the JSONL read from `fd` (not closed) that carry a "domain" and an "expiry" date
/// within `days` days of `today` (expired ones too). Lines without those keys are passed over.
ExpiryJsonl readExpiryJsonl(int fd, std::int32_t days, const core::CalendarDate& today);

/// The records of the JSONL read from `fd` (not closed) that carry a "domain", are "registered" and are in
/// one of the core::HolderState bits of `states`, by their "statuses" and "dnssec".
ExpiryJsonl readStatesJsonl(int fd, std::uint32_t states);

} // namespace zonedesk::listfile
