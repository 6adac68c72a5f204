// SPDX-License-Identifier: MIT
// CSV export: no header, eight quoted fields, CR LF after every line, GBK bytes as the records hold them.
#include "exchange/csv_export.h"

#include <cerrno>
#include <cstdio>
#include <memory>
#include <string_view>

#include "core/domain_table.h"
#include "core/field_copy.h"
#include "core/lookup_status.h"
#include "core/unique_file.h"

namespace zonedesk::exchange {

namespace {

enum class Origin
{
    Ours,
    Reply, // text a WHOIS server sent: may be crafted to run as a spreadsheet formula
};

void appendField(std::string& line, std::string_view value, Origin origin)
{
    if (!line.empty())
        line.push_back(',');
    line.push_back('"');
    // A spreadsheet runs a cell that begins with one of these as a formula; the apostrophe makes it text.
    if (origin == Origin::Reply && !value.empty() &&
        std::string_view("=+-@\t\r").find(value.front()) != std::string_view::npos)
        line.push_back('\'');
    for (const char c : value) {
        // A line break inside a cell splits the row for many readers: a row stays one line.
        line.push_back(c == '\r' || c == '\n' ? ' ' : c);
        if (c == '"')
            line.push_back('"');
    }
    line.push_back('"');
}

} // namespace

std::string csvLine(const core::DomainRecord& record)
{
    const bool settled = core::isDone(record);
    std::string line;
    appendField(line, core::fieldText(record.server), Origin::Ours);
    appendField(line, core::fieldText(record.domain), Origin::Ours);
    appendField(line, core::recordExportStatusText(record), Origin::Ours);
    appendField(line, settled ? core::fieldText(record.expiryDate) : "", Origin::Reply);
    appendField(line, settled ? core::fieldText(record.registrationDate) : "", Origin::Reply);
    appendField(line, settled ? core::fieldText(record.owner) : "", Origin::Reply);
    appendField(line, settled ? core::fieldText(record.email) : "", Origin::Reply);
    appendField(line, settled ? core::fieldText(record.registrar) : "", Origin::Reply);
    line.append("\r\n");
    return line;
}

ExportReport exportCsv(const core::DomainTable& table, const std::filesystem::path& path)
{
    ExportReport report;
    core::UniqueFile file(std::fopen(path.c_str(), "wbe"));
    if (!file) {
        report.error = errno;
        return report;
    }
    for (const core::DomainRecord& record : table.inUse()) {
        const std::string line = csvLine(record);
        if (std::fwrite(line.data(), 1, line.size(), file.get()) != line.size()) {
            report.error = errno;
            return report;
        }
        ++report.written;
    }
    // Buffered bytes reach the disk only here; a full disk shows up at the flush or the close.
    const bool flushed = std::fflush(file.get()) == 0;
    const int flushError = errno;
    const bool closed = std::fclose(file.release()) == 0;
    if (!flushed || !closed) {
        report.error = flushed ? errno : flushError;
        return report;
    }
    report.ok = true;
    return report;
}

} // namespace zonedesk::exchange
