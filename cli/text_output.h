// SPDX-License-Identifier: MIT
// Printing a record's result for terminals and scripts.
#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "core/result_fields.h"
#include "history/record_changes.h"

#include <nlohmann/json.hpp>

namespace zonedesk::core {
struct DomainRecord;
}

namespace zonedesk::cli {

enum class OutputFormat
{
    Lines, // name<TAB>value, one per line, control characters escaped
    Json,  // one object on one line
};

/// One JSON object, its keys in the order they were added.
using JsonObject = nlohmann::ordered_json;

/// `object` on one line and a line break. Bytes that are not UTF-8 (a reply in another encoding)
/// become U+FFFD, so that the line is always valid JSON; every control character, DEL and C1 ones
/// too, is written as a \u escape.
std::string jsonLine(const JsonObject& object);

/// A field's value (UTF-8 text form) as JSON: the statuses and the name servers as arrays, any
/// other field as its text.
JsonObject fieldJson(core::Field field, const std::string& value);

/// `text` with backslash, tab, CR and LF written as \\, \t, \r and \n, and every other control
/// character (C0, DEL, C1) as \x1b: one line that can't steer a terminal.
std::string escapedLine(std::string_view text);

/// `text` (a reply, say) for a terminal: its lines as they are, tabs and line ends (LF, CR LF)
/// kept, every other control character shown as \x1b, so that an escape sequence in it is seen
/// and not obeyed.
std::string visibleControls(std::string_view text);

/// status, statusText and the six result fields of a record, in UTF-8, then the error and, when
/// given, the reader that read the reply ("registry" or "generic").
void printRecordResult(std::ostream& out,
                       const core::DomainRecord& record,
                       OutputFormat format,
                       std::string_view reader = {});

/// Every field of record `index` as one JSON object on one line (UTF-8), "aLabel" after "domain"
/// when the name may pass for another. Results only once `done` is seen, as in the CSV export. With `changes`
/// (history on), a "changes" array of
/// {"kind","from","to"} objects ends it.
std::string recordJsonLine(const core::DomainRecord& record,
                           std::size_t index,
                           const std::vector<history::Change>* changes = nullptr);

/// The record's name for a line of text (UTF-8, escaped); a name that may pass for another
/// (core/confusable_names.h) with its A-label beside it: "аpple.com (xn--pple-43d.com)".
std::string shownDomain(const core::DomainRecord& record);

/// The names of recordTsvLine's columns, tab-separated.
std::string tsvHeader();

/// index, server, domain (shownDomain), statusText and the result fields, tab-separated (UTF-8, escaped).
std::string recordTsvLine(const core::DomainRecord& record, std::size_t index);

} // namespace zonedesk::cli
