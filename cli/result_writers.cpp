// SPDX-License-Identifier: MIT
#include "cli/result_writers.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <system_error>

#include <fcntl.h>
#include <unistd.h>

#include "cli/command.h"
#include "cli/text_output.h"
#include "core/domain_table.h"
#include "core/encodings.h"
#include "core/error_reason.h"
#include "core/field_copy.h"
#include "core/lookup_status.h"
#include "history/history_writer.h"
#include "listfile/csv_export.h"

namespace zonedesk::cli {

namespace {

/// Record `index`'s changes when history is on; null otherwise.
const std::vector<history::Change>* changesOf(const history::HistoryWriter* runHistory, std::size_t index)
{
    return runHistory != nullptr && runHistory->active() ? &runHistory->changesOf(index) : nullptr;
}

bool writeJsonl(const core::DomainTable& table,
                const std::string& path,
                const history::HistoryWriter* runHistory,
                bool& opened)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    opened = out.is_open();
    const auto records = table.inUse();
    for (std::size_t i = 0; i < records.size() && out; ++i)
        out << recordJsonLine(records[i], i, changesOf(runHistory, i));
    out.close();
    return !out.fail();
}

/// A new file in the temporary folder for results that could not go where they were asked to.
std::optional<std::string> fallbackPath(std::string_view extension)
{
    const char* folder = std::getenv("TMPDIR"); // NOLINT(concurrency-mt-unsafe): no thread sets it
    std::string path = std::string(folder != nullptr && *folder != '\0' ? folder : "/tmp") +
                       "/zonedesk-results-XXXXXX" + std::string(extension);
    const int fd = ::mkstemps(path.data(), static_cast<int>(extension.size()));
    if (fd < 0)
        return std::nullopt;
    ::close(fd);
    return path;
}

/// A file `write` opened and could not finish holds a part of the results that reads like the
/// whole (a full disk cuts it at a line): a regular file goes, anything else is said to be cut.
void dropCutFile(const std::string& path)
{
    std::error_code error;
    if (std::filesystem::is_regular_file(path, error) && std::filesystem::remove(path, error)) {
        std::cerr << "zonedesk-cli: removed " << path << ", which holds only a part of the results\n";
        return;
    }
    std::cerr << "zonedesk-cli: " << path << " holds only a part of the results\n";
}

/// Writes the results with `write` to `path`; when that fails, to a file in the temporary folder,
/// and when that fails too, as TSV on standard output: a finished run is never lost, and no file
/// that holds a part of it is left to pass for the whole. False when `path` could not be written.
template <typename Write>
bool writeOrRescue(const core::DomainTable& table,
                   const std::string& path,
                   std::string_view extension,
                   Write write)
{
    bool opened = false;
    if (write(path, opened))
        return true;
    if (opened)
        dropCutFile(path);
    if (const auto rescue = fallbackPath(extension)) {
        if (write(*rescue, opened)) {
            std::cerr << "zonedesk-cli: the results are in " << *rescue << " instead\n";
            return false;
        }
        std::error_code error;
        std::filesystem::remove(*rescue, error); // a file of our own, cut or empty
    }
    std::cerr << "zonedesk-cli: the results follow on standard output\n";
    const auto records = table.inUse();
    for (std::size_t i = 0; i < records.size(); ++i)
        std::cout << recordTsvLine(records[i], i);
    return false;
}

} // namespace

bool checkWritable(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    if (fd < 0) {
        std::cerr << "zonedesk-cli: cannot write " << path << ": "
                  << std::error_code(errno, std::generic_category()).message() << "\n";
        return false;
    }
    ::close(fd);
    return true;
}

int writeResults(const core::DomainTable& table,
                 const std::string& csvPath,
                 const std::string& jsonlPath,
                 const history::HistoryWriter* runHistory)
{
    int result = ExitOk;
    if (!csvPath.empty()) {
        const bool written =
            writeOrRescue(table, csvPath, ".csv", [&](const std::string& path, bool& opened) {
                const auto report = listfile::exportCsv(table, path);
                opened = report.opened;
                if (!report.ok)
                    std::cerr << "zonedesk-cli: cannot write " << path << ": "
                              << std::error_code(report.error, std::generic_category()).message() << "\n";
                return report.ok;
            });
        result = written ? result : ExitFile;
    }
    if (!jsonlPath.empty()) {
        const bool written =
            writeOrRescue(table, jsonlPath, ".jsonl", [&](const std::string& path, bool& opened) {
                const bool ok = writeJsonl(table, path, runHistory, opened);
                if (!ok)
                    std::cerr << "zonedesk-cli: cannot write " << path << "\n";
                return ok;
            });
        result = written ? result : ExitFile;
    }
    return result;
}

void printResults(const core::DomainTable& table,
                  Format format,
                  bool header,
                  const history::HistoryWriter* runHistory)
{
    const auto records = table.inUse();
    if (header && format == Format::Tsv)
        std::cout << tsvHeader();
    if (header && format == Format::Csv)
        std::cout << listfile::csvHeader();
    for (std::size_t i = 0; i < records.size(); ++i) {
        switch (format) {
        case Format::Tsv: std::cout << recordTsvLine(records[i], i); break;
        case Format::Csv: std::cout << listfile::csvLine(records[i]); break;
        case Format::Jsonl: std::cout << recordJsonLine(records[i], i, changesOf(runHistory, i)); break;
        }
    }
    std::cout.flush();
}

/// name<TAB>change; change... for every name that changed since its previous lookup.
void printChanges(std::ostream& out, const core::DomainTable& table, const history::HistoryWriter* runHistory)
{
    if (runHistory == nullptr)
        return;
    const auto records = table.inUse();
    for (const std::size_t i : runHistory->changedRecords()) {
        out << shownDomain(records[i]);
        const char* separator = "\t";
        for (const history::Change& change : runHistory->changesOf(i)) {
            out << separator << escapedLine(history::changeText(change));
            separator = "; ";
        }
        out << "\n";
    }
}

bool anyFailed(const core::DomainTable& table)
{
    for (const core::DomainRecord& record : table.inUse()) {
        if (core::settledStatus(record) == static_cast<std::int32_t>(core::LookupStatus::Error))
            return true;
    }
    return false;
}

/// "finished: 12 domains, 9 成功, 2 ERR! (1 timed out, 1 throttled), 1 not looked up; 3 expire
/// within 30 days".
void printSummary(const core::DomainTable& table,
                  bool stopped,
                  std::optional<std::int32_t> warnDays,
                  std::size_t near)
{
    std::map<std::int32_t, int> perStatus;
    std::map<std::uint8_t, int> perReason;
    int unfinished = 0;
    for (const core::DomainRecord& record : table.inUse()) {
        const auto status = core::settledStatus(record);
        if (!status) {
            ++unfinished;
            continue;
        }
        ++perStatus[*status];
        if (*status == static_cast<std::int32_t>(core::LookupStatus::Error))
            ++perReason[core::errorReasonOf(record)];
    }
    std::cerr << (stopped ? "stopped" : "finished") << ": " << table.count() << " domains";
    for (const auto& [status, count] : perStatus) {
        const std::string_view text = core::statusText(status);
        std::cerr << ", " << count << " " << (text.empty() ? "?" : core::gbkToUtf8(text));
        if (status != static_cast<std::int32_t>(core::LookupStatus::Error))
            continue;
        const char* separator = " (";
        for (const auto& [reason, reasonCount] : perReason) {
            const std::string_view reasonText = core::errorReasonText(reason);
            std::cerr << separator << reasonCount << " " << (reasonText.empty() ? "no reason" : reasonText);
            separator = ", ";
        }
        std::cerr << ")";
    }
    if (unfinished > 0)
        std::cerr << ", " << unfinished << " not looked up";
    if (warnDays)
        std::cerr << "; " << near << " expire" << (near == 1 ? "s" : "") << " within " << *warnDays
                  << " days";
    std::cerr << "\n";
}

} // namespace zonedesk::cli
