// SPDX-License-Identifier: MIT
// Which reading of a reply stands, and storing it.
#include "parse/parse_reply.h"

#include "core/domain_table.h"
#include "core/field_copy.h"
#include "core/whois_servers.h"
#include "parse/branch.h"
#include "parse/generic_reply.h"
#include "parse/old_layout.h"
#include "parse/reply_entry.h"

namespace zonedesk::parse {

namespace {

/// The old rules and, where they did not find their own layout, the generic reader with the
/// branch's override. The old reading stands on its verdict or its expiry date (a reply of the 2014
/// transitional layouts keeps the old header and an updated date, but its expiry stands under
/// today's label); where it found some dates but no expiry, today's reading is taken only if it has
/// the expiry. Today's reading counts as a record only with a date.
Reading readBranch(const Branch& branch, std::string_view reply, std::string_view queriedName)
{
    Reading reading = readOldLayout(branch, reply);
    const bool oldLayout =
        branch.oldLayoutMarker.empty() || reply.find(branch.oldLayoutMarker) != std::string_view::npos;
    const bool oldStands =
        (reading.status() == core::LookupStatus::NotRegistered || reading.hasValue(Field::ExpiryDate)) &&
        oldLayout;
    bool reserved = false;
    if (branch.today != nullptr && !oldStands) {
        Reading today = readTodaysReply(reply, queriedName, *branch.today);
        if (today.status() == core::LookupStatus::NotRegistered) {
            reading.setVerdict(core::LookupStatus::NotRegistered); // the old values stay as read
        } else if (today.status() == core::LookupStatus::Success && today.hasAnyDate()) {
            if (!oldLayout || !reading.hasAnyDate() || today.hasValue(Field::ExpiryDate))
                reading = std::move(today);
        } else {
            // A name the registry holds back is an answer without a field.
            reserved =
                today.status() == core::LookupStatus::Success && !today.hasAnyValue() && saysHeld(reply);
        }
    }
    // Text that is neither a record nor a not-registered answer (noise, a greeting, a page of some
    // other service) must not pass for a registered name with empty fields.
    if (reading.status() == core::LookupStatus::Success && !reading.hasAnyValue() && !reserved)
        reading.setVerdict(core::LookupStatus::Error, core::ErrorReason::Unrecognised);
    // The old rules read the six fields; the status, server and DNSSEC lines of either layout are
    // read by their labels, once (today's reading has them already).
    if (reading.status() == core::LookupStatus::Success && reading.statuses().empty() &&
        reading.nameServers().empty() && reading.dnssec() == core::Dnssec::NotStated)
        readSecurityFacts(reply, reading);
    return reading;
}

} // namespace

Reading
readReply(std::string_view reply, core::WhoisServer server, Refusal refusal, std::string_view queriedName)
{
    if (auto refused = refusalReading(reply, refusal))
        return std::move(*refused);
    // A proxy or a misrouted server may answer with another name's record: its dates are not ours.
    if (!queriedName.empty() && statesOnlyOtherNames(reply, queriedName))
        return Reading(core::LookupStatus::Error, core::ErrorReason::OtherDomain);
    return readBranch(branchFor(server), reply, queriedName);
}

void parseReply(std::string_view reply, core::DomainRecord& record, std::string_view queriedName)
{
    const auto server = core::serverForHost(core::fieldText(record.server));
    if (!server) {
        // No branch reads this server: everything but `done` stays as it was.
        record.errorReason = static_cast<std::uint8_t>(core::ErrorReason::None);
        core::publishDone(record);
        return;
    }
    readReply(reply, *server, reply.empty() ? Refusal::None : serviceRefusal(reply), queriedName)
        .storeInto(record);
}

void settleAsError(core::DomainRecord& record, core::ErrorReason reason)
{
    Reading(core::LookupStatus::Error, reason).storeInto(record);
}

} // namespace zonedesk::parse
