// SPDX-License-Identifier: MIT
// Printing a record's result for terminals and scripts.
#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "lookup/record_changes.h"

namespace zonedesk::core {
struct DomainRecord;
}

namespace zonedesk::cli {

enum class OutputFormat
{
    Lines, // name<TAB>value, one per line, control characters escaped
    Json,  // one object on one line
};

/// `text` as a JSON string literal, quotes included.
std::string jsonString(std::string_view text);

/// `text` with backslash, tab, CR and LF written as \\, \t, \r and \n.
std::string escapedLine(std::string_view text);

/// status, statusText and the six result fields of a record, in UTF-8.
void printRecordResult(std::ostream& out, const core::DomainRecord& record, OutputFormat format);

/// Every field of record `index` as one JSON object on one line (UTF-8). Results only once `done`
/// is seen, as in the CSV export. With `changes` (history on), a "changes" array of
/// {"kind","from","to"} objects ends it.
std::string recordJsonLine(const core::DomainRecord& record,
                           std::size_t index,
                           const std::vector<lookup::Change>* changes = nullptr);

/// The "changes" value: [{"kind":"renewed","from":"2026-05-14","to":"2027-05-14"}, ...].
std::string changesJson(const std::vector<lookup::Change>& changes);

/// index, server, domain, statusText and the six results, tab-separated (UTF-8, escaped).
std::string recordTsvLine(const core::DomainRecord& record, std::size_t index);

} // namespace zonedesk::cli
