// SPDX-License-Identifier: MIT
// Reading a text file of domain names into the domain table.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace zonedesk::core {
class DomainTable;
}

namespace zonedesk::exchange {

enum class ImportOutcome : std::uint8_t
{
    Imported,    // the file was read to its end or to its first empty line
    InvalidFile, // the file could not be opened; the table is unchanged
    ReadError,   // reading failed part-way; the names read before the failure are kept
};

struct ImportReport
{
    ImportOutcome outcome = ImportOutcome::Imported;
    std::int32_t count = 0;        // names stored, records 0..count-1
    std::int32_t overCapacity = 0; // names after the table was full, left out
    std::int32_t tooLong = 0;      // names longer than a domain field holds, left out
    int error = 0;                 // errno of an InvalidFile or ReadError outcome
};

/// One line of the file as it would be stored: trimmed, ASCII lower-cased, the web prefixes and any
/// path removed (GBK-aware: the trail byte of a double-byte character is never matched). Empty means
/// "end of the list".
std::string normaliseDomainLine(std::string_view line);

/// Replaces the table's contents with the names of the file at `path` and chooses their servers.
/// The table is cleared only once the file is open. UI thread, never during a run.
ImportReport importDomains(core::DomainTable& table, const std::filesystem::path& path);

} // namespace zonedesk::exchange
