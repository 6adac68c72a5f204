// SPDX-License-Identifier: MIT
// The outcome of a record's lookup and its texts in the list and in the CSV file.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace zonedesk::core {

struct DomainRecord;

enum class LookupStatus : std::int32_t
{
    NoServer = 0,
    Success = 1,
    NotRegistered = 2,
    Error = 3,
};

/// The list's text for a record's status word, in GBK; empty for a value outside 0..3.
std::string_view statusText(std::int32_t status);

/// The CSV file's text for a record's status word, in GBK; empty for Error and any value outside 0..3.
std::string_view exportStatusText(std::int32_t status);

// What every reader says of a record, so that a name still waiting for its lookup never reads as
// a result (a name without a server is NoServer whether or not a run has settled it yet).

/// The record's status once its `done` is seen (acquire: its results may be read afterwards), or
/// nullopt while it waits for its lookup. Any thread.
std::optional<std::int32_t> settledStatus(const DomainRecord& record);

/// statusText of the settled status, or "未查询" (GBK) while the record waits for its lookup.
std::string_view recordStatusText(const DomainRecord& record);

/// exportStatusText of the settled status, or "未查询" (GBK) while the record waits for its lookup.
std::string_view recordExportStatusText(const DomainRecord& record);

/// A stable English key: "registered", "available", "error", "no-server", "not-looked-up"; empty
/// for a status outside 0..3.
std::string_view recordStatusKey(const DomainRecord& record);

/// The key of a settled status: "registered", "available", "error", "no-server"; empty outside 0..3.
std::string_view statusKey(std::int32_t status);

} // namespace zonedesk::core
