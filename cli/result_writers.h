// SPDX-License-Identifier: MIT
// Where a lookup run's results go: CSV and JSONL files (rescued to a temporary file or standard
// output when they can't be written), standard output, the changes and the closing summary.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace zonedesk::core {
class DomainTable;
}

namespace zonedesk::history {
class HistoryWriter;
}

namespace zonedesk::cli {

enum class Format
{
    Tsv,
    Csv,
    Jsonl,
};

/// Whether `path` can be written, found out before a run rather than after it: the file is created
/// if it is missing (the run's results replace it) and left as it is otherwise. Says why not.
bool checkWritable(const std::string& path);

/// Writes the CSV and JSONL files asked for (an empty path: none); a file that can't be written is
/// rescued and said. ExitOk, or ExitFile when a file could not be written where asked.
int writeResults(const core::DomainTable& table,
                 const std::string& csvPath,
                 const std::string& jsonlPath,
                 const history::HistoryWriter* runHistory);

/// Every record on standard output in `format`, after a header row when `header` (TSV, CSV).
void printResults(const core::DomainTable& table,
                  Format format,
                  bool header,
                  const history::HistoryWriter* runHistory);

/// name<TAB>change; change... for every name that changed since its previous lookup.
void printChanges(std::ostream& out,
                  const core::DomainTable& table,
                  const history::HistoryWriter* runHistory);

/// True when a settled record ended in Error.
bool anyFailed(const core::DomainTable& table);

/// "finished: 12 domains, 9 成功, 2 ERR! (1 timed out, 1 throttled), 1 not looked up; 3 expire
/// within 30 days", on standard error.
void printSummary(const core::DomainTable& table,
                  bool stopped,
                  std::optional<std::int32_t> warnDays,
                  std::size_t near);

} // namespace zonedesk::cli
