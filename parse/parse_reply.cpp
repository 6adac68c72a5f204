// SPDX-License-Identifier: MIT
// The one routine that reads every registry branch: verdict, section, field rules, "N/A" fields.
#include "parse/parse_reply.h"

#include <string>

#include "core/domain_table.h"
#include "core/encodings.h"
#include "core/field_copy.h"
#include "core/lookup_status.h"
#include "core/whois_servers.h"
#include "parse/branch.h"
#include "parse/current_layout.h"
#include "parse/cut_field.h"
#include "parse/record_fields.h"
#include "parse/service_refusals.h"
#include "parse/utf8_to_ansi.h"

namespace zonedesk::parse {

namespace {

constexpr Field AllFields[] = {Field::RegistrationDate,
                               Field::ExpiryDate,
                               Field::UpdatedDate,
                               Field::Owner,
                               Field::Email,
                               Field::Registrar};

std::string applyRule(std::string_view text, const CutRule& rule)
{
    std::string value = cutField(text, rule.startLabel, rule.endLabel);
    switch (rule.then) {
    case Then::Keep: break;
    case Then::Utf8ToAnsi: utf8ToAnsi(value); break;
    case Then::Iso2022JpToGbk:
        // Only text that switches into JIS needs it; a value already in GBK would be lost.
        if (value.find('\x1B') != std::string::npos)
            value = core::iso2022jpToGbk(value);
        break;
    case Then::RestAfterBracket: value = cutField(value, "]", ""); break;
    }
    return value;
}

void setStatus(core::DomainRecord& record, core::LookupStatus status)
{
    record.status = static_cast<std::int32_t>(status);
}

void setError(core::DomainRecord& record, core::ErrorReason reason)
{
    setStatus(record, core::LookupStatus::Error);
    record.errorReason = static_cast<std::uint8_t>(reason);
}

void runBranch(const Branch& branch, std::string_view reply, core::DomainRecord& record)
{
    std::string section;
    std::string_view text = reply;
    const auto cutSection = [&] {
        section = cutField(reply, branch.sectionStart, branch.sectionEnd);
        if (branch.sectionToAnsi)
            utf8ToAnsi(section);
        text = section;
    };

    if (branch.sectionCut == SectionCut::BeforeVerdict)
        cutSection();
    if (text.find(branch.notRegistered) != std::string_view::npos) {
        setStatus(record, core::LookupStatus::NotRegistered);
        return;
    }
    if (branch.sectionCut == SectionCut::AfterVerdict)
        cutSection();

    setStatus(record, core::LookupStatus::Success);
    for (const CutRule& rule : branch.rules)
        storeField(record, rule.field, applyRule(text, rule));
    for (const Field field : AllFields) {
        if ((branch.notApplicable & fieldBit(field)) != 0)
            storeField(record, field, NotApplicable);
    }
}

bool hasValue(std::string_view text)
{
    return !text.empty() && text != NotApplicable;
}

/// Whether the registry-specific rules found the layout they were written for: the verdict, or
/// the expiry date. (A reply of the 2014 transitional layouts keeps the old header and an updated
/// date, but its expiry stands under today's label.)
bool foundOldLayout(const core::DomainRecord& record)
{
    return record.status == static_cast<std::int32_t>(core::LookupStatus::NotRegistered) ||
           hasValue(core::fieldText(record.expiryDate));
}

/// Whether the rules took at least one value from the reply ("N/A" is the branch's, not the reply's).
bool foundAnyField(const core::DomainRecord& record)
{
    return hasValue(core::fieldText(record.registrationDate)) ||
           hasValue(core::fieldText(record.expiryDate)) || hasValue(core::fieldText(record.updatedDate)) ||
           hasValue(core::fieldText(record.owner)) || hasValue(core::fieldText(record.email)) ||
           hasValue(core::fieldText(record.registrar));
}

bool hasAnyDate(const core::DomainRecord& record)
{
    return hasValue(core::fieldText(record.registrationDate)) ||
           hasValue(core::fieldText(record.expiryDate)) || hasValue(core::fieldText(record.updatedDate));
}

/// Reads the reply with today's layout where the older rules did not find their own layout; where
/// they found some dates but no expiry, today's reading is taken only if it has the expiry.
void readTodaysLayout(const CurrentLayout& layout, std::string_view reply, core::DomainRecord& record)
{
    core::DomainRecord trial{};
    if (!readCurrentLayout(layout, reply, trial))
        return;
    const bool verdict = trial.status == static_cast<std::int32_t>(core::LookupStatus::NotRegistered);
    if (hasAnyDate(record) && !verdict && !hasValue(core::fieldText(trial.expiryDate)))
        return;
    // Results only: `claimed` and `shown` belong to the UI thread.
    record.status = trial.status;
    if (verdict)
        return;
    core::copyField(record.expiryDate, core::fieldText(trial.expiryDate));
    core::copyField(record.registrationDate, core::fieldText(trial.registrationDate));
    core::copyField(record.updatedDate, core::fieldText(trial.updatedDate));
    core::copyField(record.owner, core::fieldText(trial.owner));
    core::copyField(record.email, core::fieldText(trial.email));
    core::copyField(record.registrar, core::fieldText(trial.registrar));
}

} // namespace

const Branch* branchForHost(std::string_view host)
{
    const auto server = core::serverForHost(host);
    if (!server)
        return nullptr;
    for (const auto family : {thinRegistryBranches(), thickRegistryBranches(), countryRegistryBranches()}) {
        for (const Branch& branch : family) {
            if (branch.server == *server)
                return &branch;
        }
    }
    return nullptr;
}

void parseReply(std::string_view reply, core::DomainRecord& record)
{
    parseReply(reply, record, reply.empty() ? Refusal::None : serviceRefusal(reply));
}

void parseReply(std::string_view reply, core::DomainRecord& record, Refusal refusal)
{
    record.errorReason = static_cast<std::uint8_t>(core::ErrorReason::None);
    if (reply.empty()) {
        setError(record, core::ErrorReason::EmptyReply);
    } else if (refusal != Refusal::None) {
        // A refusal says nothing about the domain: it must never read as a result.
        setError(record,
                 refusal == Refusal::Throttled ? core::ErrorReason::Throttled
                                               : core::ErrorReason::ServiceGone);
    } else if (const Branch* branch = branchForHost(core::fieldText(record.server))) {
        runBranch(*branch, reply, record);
        const bool oldLayout =
            foundOldLayout(record) && (branch->oldLayoutMarker.empty() ||
                                       reply.find(branch->oldLayoutMarker) != std::string_view::npos);
        if (branch->current != nullptr && !oldLayout)
            readTodaysLayout(*branch->current, reply, record);
        // Text that is neither a record nor a not-registered answer (noise, a greeting, a page of
        // some other service) must not pass for a registered name with empty fields.
        const bool reserved = branch->current != nullptr && saysReserved(*branch->current, reply);
        if (record.status == static_cast<std::int32_t>(core::LookupStatus::Success) &&
            !foundAnyField(record) && !reserved)
            setError(record, core::ErrorReason::Unrecognised);
    }
    core::publishDone(record);
}

void parseReply(std::string_view reply, core::DomainTable& table, std::size_t index)
{
    parseReply(reply, table[index]);
}

void settleAsError(core::DomainRecord& record, core::ErrorReason reason)
{
    setError(record, reason);
    core::publishDone(record);
}

} // namespace zonedesk::parse
