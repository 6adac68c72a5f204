// SPDX-License-Identifier: MIT
// Turning one WHOIS reply into the facts of one domain record.
#pragma once

#include <cstddef>
#include <string_view>

#include "core/error_reason.h"
#include "parse/service_refusals.h"

namespace zonedesk::core {
class DomainTable;
struct DomainRecord;
} // namespace zonedesk::core

namespace zonedesk::parse {

struct Branch;

/// Reads `reply`, a complete reply, with the rules of the registry named by the record's `server`
/// and stores status and results, then publishes `done` (release). An empty reply, a refusal, and
/// a reply in which neither the not-registered phrase nor a single field is found give Error with
/// its reason; an empty reply touches no text field. A server without a branch leaves everything
/// but `done` as it was. Only the worker that owns the record may call it.
void parseReply(std::string_view reply, core::DomainRecord& record);

/// parseReply for a reply whose refusal check the caller has already made.
void parseReply(std::string_view reply, core::DomainRecord& record, Refusal refusal);

/// parseReply on record `index` (< count) of the table.
void parseReply(std::string_view reply, core::DomainTable& table, std::size_t index);

/// Settles the record as Error for `reason` without touching a text field, then publishes `done`:
/// the lookup got no complete reply to read. Only the worker that owns the record may call it.
void settleAsError(core::DomainRecord& record, core::ErrorReason reason);

/// The branch for a server host name (exact, case-sensitive); nullptr for any other text.
const Branch* branchForHost(std::string_view host);

} // namespace zonedesk::parse
