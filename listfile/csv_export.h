// SPDX-License-Identifier: MIT
// Writing the domain table to a CSV file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace zonedesk::core {
class DomainTable;
struct DomainRecord;
} // namespace zonedesk::core

namespace zonedesk::listfile {

struct ExportReport
{
    bool ok = false;
    std::int32_t written = 0; // lines the system took whole, also on failure (they stay in the file)
    int error = 0;            // errno when !ok
};

/// One CSV line (GBK, CR LF) for a record: server, domain, status text, expiry date, registration
/// date, owner, e-mail, registrar. A record whose `done` is not yet seen is written as not looked up
/// (or without a server) with empty results, so a worker's half-written record is never read. Any
/// thread.
std::string csvLine(const core::DomainRecord& record);

/// The column titles as a header line (GBK, CR LF), for a CSV that asks for one; the export has none.
std::string csvHeader();

/// Writes records 0..count-1 to `path`, replacing the file. UI thread.
ExportReport exportCsv(const core::DomainTable& table, const std::filesystem::path& path);

} // namespace zonedesk::listfile
