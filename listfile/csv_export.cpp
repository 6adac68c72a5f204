// SPDX-License-Identifier: MIT
// CSV export: no header, eight quoted fields, CR LF after every line, GBK bytes as the records hold them.
#include "listfile/csv_export.h"

#include <algorithm>
#include <cerrno>
#include <string_view>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "core/domain_table.h"
#include "core/encodings.h"
#include "core/field_copy.h"
#include "core/lookup_status.h"
#include "core/result_fields.h"
#include "core/unique_fd.h"

namespace zonedesk::listfile {

namespace {

constexpr std::size_t BlockSize = std::size_t{64} << 10;

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
    for (const core::ResultField& field : core::ResultFields) {
        if (field.exported)
            appendField(line, settled ? field.record.text(record) : "", Origin::Reply);
    }
    line.append("\r\n");
    return line;
}

std::string csvHeader()
{
    std::string line;
    for (const std::string_view title : core::LeadingColumnTitles)
        appendField(line, core::utf8ToGbk(title), Origin::Ours);
    for (const core::ResultField& field : core::ResultFields) {
        if (field.exported)
            appendField(line, core::utf8ToGbk(field.title), Origin::Ours);
    }
    return line + "\r\n";
}

ExportReport exportCsv(const core::DomainTable& table, const std::filesystem::path& path)
{
    ExportReport report;
    core::UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (!fd) {
        report.error = errno;
        return report;
    }
    // Lines are gathered into blocks and written with write(2), so that a line counts as written
    // only once the system has taken all of its bytes: a buffered write says nothing of that.
    std::string block;
    std::vector<std::size_t> lineEnds; // in `block`
    const auto flush = [&]() {
        std::size_t done = 0;
        while (done < block.size()) {
            const ssize_t n = ::write(fd.get(), block.data() + done, block.size() - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                report.error = n < 0 ? errno : EIO;
                break;
            }
            done += static_cast<std::size_t>(n);
        }
        report.written += static_cast<std::int32_t>(std::upper_bound(lineEnds.begin(), lineEnds.end(), done) -
                                                    lineEnds.begin());
        block.clear();
        lineEnds.clear();
        return report.error == 0;
    };
    for (const core::DomainRecord& record : table.inUse()) {
        block += csvLine(record);
        lineEnds.push_back(block.size());
        if (block.size() >= BlockSize && !flush())
            return report;
    }
    if (!flush())
        return report;
    if (::close(fd.release()) != 0) { // a network file system may report a lost write only here
        report.error = errno;
        return report;
    }
    report.ok = true;
    return report;
}

} // namespace zonedesk::listfile
