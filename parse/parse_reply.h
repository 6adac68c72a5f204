// SPDX-License-Identifier: MIT
// Turning one WHOIS reply into the facts of one domain record.
#pragma once

#include <cstddef>
#include <string_view>

#include "parse/service_refusals.h"

namespace zonedesk::core {
class DomainTable;
struct DomainRecord;
} // namespace zonedesk::core

namespace zonedesk::parse {

struct Branch;

/// Reads `reply` with the rules of the registry named by the record's `server` and stores status
/// and results, then publishes `done` (release). An empty reply gives Error and touches no text
/// field; a server without a branch leaves everything but `done` as it was. Only the worker that
/// owns the record may call it.
void parseReply(std::string_view reply, core::DomainRecord& record);

/// parseReply for a reply whose refusal check the caller has already made.
void parseReply(std::string_view reply, core::DomainRecord& record, Refusal refusal);

/// parseReply on record `index` (< count) of the table.
void parseReply(std::string_view reply, core::DomainTable& table, std::size_t index);

/// The branch for a server host name (exact, case-sensitive); nullptr for any other text.
const Branch* branchForHost(std::string_view host);

} // namespace zonedesk::parse
