// SPDX-License-Identifier: MIT
// CSV export. The program's own: no header, eight quoted fields, CR LF after every line, GBK bytes as
// the records hold them. A spreadsheet's: the list's columns and titles as the options ask.
#include "listfile/csv_export.h"

#include <algorithm>
#include <cerrno>
#include <string_view>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "core/calendar_date.h"
#include "core/domain_table.h"
#include "core/encodings.h"
#include "core/field_copy.h"
#include "core/lookup_status.h"
#include "core/result_fields.h"
#include "core/text.h"
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
    if (origin == Origin::Reply && core::runsAsFormula(value))
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

namespace {

/// The byte-order mark that tells a spreadsheet the file is UTF-8.
constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";

/// A field as RFC 4180 has it: quoted only when it must be, quotes doubled, line breaks kept. The
/// caller separates the fields: a first field may be empty.
void appendSheetField(std::string& line, std::string_view value, Origin origin)
{
    const bool formula = origin == Origin::Reply && core::runsAsFormula(value);
    if (value.find_first_of(",\"\r\n") == std::string_view::npos) {
        if (formula)
            line.push_back('\'');
        line.append(value);
        return;
    }
    line.push_back('"');
    if (formula)
        line.push_back('\'');
    for (const char c : value) {
        line.push_back(c);
        if (c == '"')
            line.push_back('"');
    }
    line.push_back('"');
}

struct SheetColumn
{
    enum Kind
    {
        Server, // the three leading columns, in LeadingColumnTitles' order
        Domain,
        Status,
        Result,
        DaysLeft,
    };

    Kind kind;
    const core::ResultField* field = nullptr; // for a Result
};

std::vector<SheetColumn> sheetColumns(const CsvExportOptions& options)
{
    std::vector<SheetColumn> columns{{SheetColumn::Server}, {SheetColumn::Domain}, {SheetColumn::Status}};
    std::vector<const core::ResultField*> fields;
    for (const core::ResultField& field : core::ResultFields) {
        // The security state is always a column of the spreadsheet (never of our own CSV).
        if (field.exported || options.allColumns || !field.readByLabel())
            fields.push_back(&field);
    }
    // The list's order (the update date last), which the export's eight columns keep too; the
    // security state after them, in the table's order.
    const auto order = [](const core::ResultField* field) {
        return field->readByLabel() ? field->listColumn
                                    : 100 + static_cast<int>(field - std::begin(core::ResultFields));
    };
    std::sort(fields.begin(), fields.end(), [&order](const core::ResultField* a, const core::ResultField* b) {
        return order(a) < order(b);
    });
    for (const core::ResultField* field : fields) {
        columns.push_back({SheetColumn::Result, field});
        if (options.daysLeft && field->field == core::Field::ExpiryDate)
            columns.push_back({SheetColumn::DaysLeft});
    }
    return columns;
}

constexpr std::string_view DaysLeftTitle = "剩余天数";

} // namespace

std::string csvLine(const core::DomainRecord& record, const CsvExportOptions& options)
{
    const bool settled = core::isDone(record);
    const auto encoded = [&](std::string_view gbk) {
        return options.utf8Bom ? core::gbkToUtf8(gbk) : std::string(gbk);
    };
    std::string line;
    bool first = true;
    for (const SheetColumn& column : sheetColumns(options)) {
        if (!std::exchange(first, false))
            line.push_back(',');
        switch (column.kind) {
        case SheetColumn::Server:
            appendSheetField(line, encoded(core::fieldText(record.server)), Origin::Ours);
            continue;
        case SheetColumn::Domain:
            appendSheetField(line, encoded(core::fieldText(record.domain)), Origin::Ours);
            continue;
        case SheetColumn::Status:
            appendSheetField(line, encoded(core::recordExportStatusText(record)), Origin::Ours);
            continue;
        case SheetColumn::DaysLeft: {
            const auto left = core::daysLeft(record, options.today);
            appendSheetField(line, left ? std::to_string(*left) : std::string(), Origin::Ours);
            continue;
        }
        case SheetColumn::Result: break;
        }
        if (!settled) {
            appendSheetField(line, {}, Origin::Ours);
            continue;
        }
        if (options.isoDates && column.field->isDate()) {
            if (const auto date = core::recordDate(record, column.field->field)) {
                appendSheetField(line, date->iso(), Origin::Ours);
                continue;
            }
        }
        appendSheetField(line, encoded(column.field->record.text(record)), Origin::Reply);
    }
    line.append("\r\n");
    return line;
}

std::string csvHeader(const CsvExportOptions& options)
{
    const auto encoded = [&](std::string_view utf8) {
        return options.utf8Bom ? std::string(utf8) : core::utf8ToGbk(utf8);
    };
    std::string line;
    bool first = true;
    for (const SheetColumn& column : sheetColumns(options)) {
        if (!std::exchange(first, false))
            line.push_back(',');
        const std::string_view title = column.kind == SheetColumn::DaysLeft ? DaysLeftTitle
                                       : column.kind == SheetColumn::Result
                                           ? column.field->title
                                           : core::LeadingColumnTitles[static_cast<std::size_t>(column.kind)];
        appendSheetField(line, encoded(title), Origin::Ours);
    }
    return line + "\r\n";
}

namespace {

/// Writes `prefix`, then lineAt(0)..lineAt(count - 1), to `path`, replacing the file.
template <typename LineAt>
ExportReport
writeLines(const std::filesystem::path& path, std::string prefix, std::size_t count, LineAt lineAt)
{
    ExportReport report;
    core::UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (!fd) {
        report.error = errno;
        return report;
    }
    report.opened = true;
    // Lines are gathered into blocks and written with write(2), so that a line counts as written
    // only once the system has taken all of its bytes: a buffered write says nothing of that.
    std::string block = std::move(prefix);
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
    for (std::size_t i = 0; i < count; ++i) {
        if (!lineAt(i, block))
            continue;
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

} // namespace

ExportReport exportCsv(const core::DomainTable& table, const std::filesystem::path& path)
{
    const auto records = table.inUse();
    return writeLines(path, {}, records.size(), [&](std::size_t i, std::string& block) {
        block += csvLine(records[i]);
        return true;
    });
}

ExportReport exportCsv(const core::DomainTable& table,
                       const std::filesystem::path& path,
                       const CsvExportOptions& options,
                       std::span<const std::size_t> rows)
{
    const auto records = table.inUse();
    std::string prefix = options.utf8Bom ? std::string(Utf8Bom) : std::string();
    if (options.header)
        prefix += csvHeader(options);
    return writeLines(path, std::move(prefix), rows.size(), [&](std::size_t i, std::string& block) {
        if (rows[i] >= records.size())
            return false;
        block += csvLine(records[rows[i]], options);
        return true;
    });
}

} // namespace zonedesk::listfile
