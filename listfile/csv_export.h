// SPDX-License-Identifier: MIT
// Writing the domain table to a CSV file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

#include "listfile/csv_export_options.h"

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
    bool opened = false;      // the file was opened, and so emptied: on failure it holds a part
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

/// One line for a spreadsheet as `options` lay it out, CR LF ended. A field is quoted only when it
/// holds a comma, a quote or a line break (RFC 4180), a line break kept inside its quotes; a reply's
/// text that a spreadsheet would run as a formula gets an apostrophe, as in csvLine. Results only of
/// a record whose `done` is seen. Any thread.
std::string csvLine(const core::DomainRecord& record, const CsvExportOptions& options);

/// The column titles of that layout (the list's own titles), CR LF ended.
std::string csvHeader(const CsvExportOptions& options);

/// Writes the records at `rows` (indices into the records in use, in the order given; one beyond
/// them is skipped) to `path` as `options` lay them out, replacing the file. `written` counts
/// record lines, not the header. UI thread.
ExportReport exportCsv(const core::DomainTable& table,
                       const std::filesystem::path& path,
                       const CsvExportOptions& options,
                       std::span<const std::size_t> rows);

} // namespace zonedesk::listfile
