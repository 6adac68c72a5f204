// SPDX-License-Identifier: MIT
// Turning one WHOIS reply into the facts of one domain record.
#pragma once

#include <cstddef>
#include <string_view>

#include "core/error_reason.h"
#include "core/whois_servers.h"
#include "parse/reading.h"
#include "parse/service_refusals.h"

namespace zonedesk::core {
struct DomainRecord;
}

namespace zonedesk::parse {

/// Reads `reply`, a complete reply, with the rules of the registry named by the record's `server`
/// and stores status and results, then publishes `done` (release). An empty reply, a refusal, and
/// a reply in which neither the not-registered phrase nor a single field is found give Error with
/// its reason; an empty reply touches no text field. A server without a branch leaves everything
/// but `done` as it was. Given the name asked for, a reply whose domain-name lines name only other
/// names is Error (other-domain). Only the worker that owns the record may call it.
void parseReply(std::string_view reply, core::DomainRecord& record, std::string_view queriedName = {});

/// What the rules of `server`'s registry make of `reply`, a complete reply whose refusal check the
/// caller has made, asked for `queriedName` (empty: not known): the reading parseReply stores.
/// Pure; any thread.
Reading readReply(std::string_view reply,
                  core::WhoisServer server,
                  Refusal refusal,
                  std::string_view queriedName = {});

/// Settles the record as Error for `reason` without touching a text field, then publishes `done`:
/// the lookup got no complete reply to read. Only the worker that owns the record may call it.
void settleAsError(core::DomainRecord& record, core::ErrorReason reason);

} // namespace zonedesk::parse
