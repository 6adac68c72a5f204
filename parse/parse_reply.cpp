// SPDX-License-Identifier: MIT
// Which reading of a reply stands, and storing it.
#include "parse/parse_reply.h"

#include "core/domain_table.h"
#include "core/field_copy.h"
#include "core/whois_servers.h"
#include "parse/branch.h"
#include "parse/current_layout.h"
#include "parse/old_layout.h"
#include "parse/reply_record.h"

namespace zonedesk::parse {

namespace {

/// The old rules and, where they did not find their own layout, today's layout. The old reading
/// stands on its verdict or its expiry date (a reply of the 2014 transitional layouts keeps the old
/// header and an updated date, but its expiry stands under today's label); where it found some
/// dates but no expiry, today's reading is taken only if it has the expiry.
Reading readBranch(const Branch& branch, std::string_view reply)
{
    Reading reading = readOldLayout(branch, reply);
    const bool oldStands =
        (reading.status() == core::LookupStatus::NotRegistered || reading.hasValue(Field::ExpiryDate)) &&
        (branch.oldLayoutMarker.empty() || reply.find(branch.oldLayoutMarker) != std::string_view::npos);
    if (branch.current != nullptr && !oldStands) {
        if (auto today = readCurrentLayout(*branch.current, reply)) {
            const bool verdict = today->status() == core::LookupStatus::NotRegistered;
            if (verdict)
                reading.setVerdict(core::LookupStatus::NotRegistered); // the old values stay as read
            else if (!reading.hasAnyDate() || today->hasValue(Field::ExpiryDate))
                reading = std::move(*today);
        }
    }
    // Text that is neither a record nor a not-registered answer (noise, a greeting, a page of some
    // other service) must not pass for a registered name with empty fields.
    const bool reserved = branch.current != nullptr && saysReserved(*branch.current, reply);
    if (reading.status() == core::LookupStatus::Success && !reading.hasAnyValue() && !reserved)
        reading.setVerdict(core::LookupStatus::Error, core::ErrorReason::Unrecognised);
    return reading;
}

} // namespace

Reading
readReply(std::string_view reply, core::WhoisServer server, Refusal refusal, std::string_view queriedName)
{
    if (reply.empty())
        return Reading(core::LookupStatus::Error, core::ErrorReason::EmptyReply);
    // A refusal says nothing about the domain: it must never read as a result.
    if (refusal != Refusal::None) {
        return Reading(core::LookupStatus::Error,
                       refusal == Refusal::Throttled ? core::ErrorReason::Throttled
                                                     : core::ErrorReason::ServiceGone);
    }
    // A proxy or a misrouted server may answer with another name's record: its dates are not ours.
    if (!queriedName.empty() && statesOnlyOtherNames(reply, queriedName))
        return Reading(core::LookupStatus::Error, core::ErrorReason::OtherDomain);
    return readBranch(branchFor(server), reply);
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
