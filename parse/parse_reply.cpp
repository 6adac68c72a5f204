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
#include "parse/cut_field.h"
#include "parse/utf8_to_ansi.h"

namespace zonedesk::parse {

namespace {

constexpr std::string_view NotApplicable = "N/A";
constexpr Field AllFields[] = {Field::RegistrationDate,
                               Field::ExpiryDate,
                               Field::UpdatedDate,
                               Field::Owner,
                               Field::Email,
                               Field::Registrar};

void store(core::DomainRecord& record, Field field, std::string_view value)
{
    switch (field) {
    case Field::RegistrationDate: core::copyField(record.registrationDate, value); return;
    case Field::ExpiryDate: core::copyField(record.expiryDate, value); return;
    case Field::UpdatedDate: core::copyField(record.updatedDate, value); return;
    case Field::Owner: core::copyField(record.owner, value); return;
    case Field::Email: core::copyField(record.email, value); return;
    case Field::Registrar: core::copyField(record.registrar, value); return;
    }
}

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
        store(record, rule.field, applyRule(text, rule));
    for (const Field field : AllFields) {
        if ((branch.notApplicable & fieldBit(field)) != 0)
            store(record, field, NotApplicable);
    }
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
    if (reply.empty()) {
        setStatus(record, core::LookupStatus::Error);
    } else if (const Branch* branch = branchForHost(core::fieldText(record.server))) {
        runBranch(*branch, reply, record);
    }
    core::publishDone(record);
}

void parseReply(std::string_view reply, core::DomainTable& table, std::size_t index)
{
    parseReply(reply, table[index]);
}

} // namespace zonedesk::parse
