// SPDX-License-Identifier: MIT
// Reading the port-43 reply of any registry that has no rules of its own.
#pragma once

#include <string_view>

#include "parse/layout_override.h"
#include "parse/reading.h"

namespace zonedesk::parse {

/// What `reply`, a complete port-43 reply about `queriedName` (ASCII or A-label; a name in UTF-8
/// is compared by its A-label; empty: not known, the name the reply states is taken), says, read by the
/// labels and phrases registries commonly use:
/// - Error with its reason for an empty reply, a refusal (serviceRefusal), a reply that states it
///   is about another name, and a reply that holds neither a not-registered answer nor a domain
///   line with a fact (Unrecognised);
/// - NotRegistered when a message line of the server says the name is free;
/// - Success when it says the name is reserved or not available, and when it carries the domain
///   with at least one fact or a registered status: then with all six fields, each the value of
///   the first label (in the table's order) that holds one, dates as the registry wrote them, in
///   GBK. Dates are kept only where core::readLeadingDate reads one; a withheld owner, e-mail or
///   registrar is kept only when no label holds a real one.
/// Dates in digits only are read in the order of day and month the reply states or the registry is
/// known to keep (dateOrderOf) and, where only that order reads them, stored in ISO form.
/// Pure; any thread.
Reading readGenericReply(std::string_view reply, std::string_view queriedName);

/// Adds the statuses, name servers and DNSSEC state `reply` states of its domain to `reading`, by
/// the labels registries commonly use (readTodaysReply reads them too). For the registries'
/// older layouts, whose rules read the six fields only. Pure; any thread.
void readSecurityFacts(std::string_view reply, Reading& reading);

/// Whether a server's line of `reply` says the registry holds the name back: reserved, not
/// available for registration, can't be registered.
bool saysHeld(std::string_view reply);

/// readGenericReply for a reply whose emptiness and refusal the caller has checked, with a registry's
/// `layout`: its own labels are read first, the fields it never carries are "N/A", and its values
/// stay as written where the layout says so.
/// Pure; any thread.
Reading readTodaysReply(std::string_view reply, std::string_view queriedName, const LayoutOverride& layout);

} // namespace zonedesk::parse
