// SPDX-License-Identifier: MIT
// Reading a text file of domain names into the domain table.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "listfile/list_reader.h"

namespace zonedesk::core {
class DomainTable;
}

namespace zonedesk::listfile {

enum class ImportOutcome : std::uint8_t
{
    Imported,    // the file was read to its end, to its first empty line, or to a bound
    InvalidFile, // the file could not be opened; the table is unchanged
    NotAFile,    // a FIFO, a device or a socket: refused; the table is unchanged
    ReadError,   // reading failed part-way; the names read before the failure are kept
};

/// Why a line was left out; such a line is never stored and so never sent to a server.
enum class SkipReason : std::uint8_t
{
    TooLong,     // longer than a domain field holds
    LineTooLong, // longer than ListReader::LineCap: not read whole
    Blank,       // a blank or a tab inside the name
    ControlByte,
    NoDot,
    BadCharacter,  // a character no domain name holds, an empty label, or no IDNA form
    FormulaPrefix, // starts with "=", "+", "-" or "@"
    NotInGbk,      // UTF-8 text that is not UTF-8, or a character GBK can't hold
    PublicSuffix,  // a public suffix ("co.uk"), which nobody registers, outside the ten registries
};

inline constexpr std::size_t SkipReasonCount = 9;

/// The reason as a terminal says it ("a blank inside"), and in Chinese (UTF-8) for the screen.
std::string_view skipReasonText(SkipReason reason);
std::string_view skipReasonTextZh(SkipReason reason);

struct ImportReport
{
    ImportOutcome outcome = ImportOutcome::Imported;
    std::int32_t count = 0; // names stored, records 0..count-1
    std::array<std::int32_t, SkipReasonCount> skipped{};
    ListEncoding encoding = ListEncoding::Auto; // what the names were read as (Auto: ASCII only)
    std::int64_t fullAtLine = 0;     // the table was full at this line: it and the rest were not read
    std::int64_t stoppedAtLine = 0;  // the empty line that ended the list (1 = the first line)
    std::int32_t linesAfterStop = 0; // non-empty lines after that line, not imported
    ListReader::End end = ListReader::End::None; // how reading ended (Binary, ReadLimit, ...)
    int error = 0;                               // errno of an InvalidFile or ReadError outcome
    std::vector<std::int32_t> confusable; // records whose name may pass for another (core/confusable_names.h)
    std::string confusableUnchecked; // why names beyond ASCII were not checked for that; empty when they were

    std::int32_t skippedTotal() const;
};

/// One line of the file as it would be stored: trimmed, ASCII lower-cased, the web prefixes, any
/// path and a final dot removed (GBK-aware: the trail byte of a double-byte character is never
/// matched). Empty means "end of the list".
std::string normaliseDomainLine(std::string_view line);

/// Why a normalised name (GBK) can't be a domain name, or nullopt when it can.
std::optional<SkipReason> checkDomainName(std::string_view name);

/// Replaces the table's contents with the names of the regular file at `path` and chooses their
/// servers. Names outside ASCII are stored as UTS #46 maps them (core/idn_mapping.h). The table is cleared
/// only once the file is open. UI thread, never during a run.
ImportReport importDomains(core::DomainTable& table,
                           const std::filesystem::path& path,
                           ListEncoding encoding = ListEncoding::Auto);

/// importDomains from an open descriptor (standard input, say), which it neither checks nor closes.
ImportReport importDomainsFrom(core::DomainTable& table, int fd, ListEncoding encoding = ListEncoding::Auto);

} // namespace zonedesk::listfile
