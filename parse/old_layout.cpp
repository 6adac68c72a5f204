// SPDX-License-Identifier: MIT
// The one routine that reads every registry branch's old-layout rules: verdict, section, field
// rules, "N/A" fields.
#include "parse/old_layout.h"

#include <string>

#include "core/encodings.h"
#include "core/result_fields.h"
#include "parse/branch.h"
#include "parse/cut_field.h"
#include "parse/reply_entry.h"
#include "parse/utf8_to_gbk.h"

namespace zonedesk::parse {

namespace {

std::string applyRule(std::string_view text, const CutRule& rule)
{
    std::string value = cutField(text, rule.startLabel, rule.endLabel);
    switch (rule.then) {
    case Then::Keep: break;
    case Then::Utf8ToGbk: utf8ToGbkInPlace(value); break;
    case Then::Iso2022JpToGbk:
        // Only text that switches into JIS needs it; a value already in GBK would be lost.
        if (value.find('\x1B') != std::string::npos)
            value = core::iso2022jpToGbk(value);
        break;
    case Then::RestAfterBracket: value = cutField(value, "]", ""); break;
    }
    return value;
}

/// Whether `phrase` stands in one of the server's own message lines of `text` (see standsInMessage):
/// in a field's value ("Registrant Organization: NOT FOUND Holdings") it says nothing.
bool saysInMessage(std::string_view text, std::string_view phrase)
{
    if (phrase.empty())
        return false;
    for (std::size_t at = text.find(phrase); at != std::string_view::npos; at = text.find(phrase, at + 1)) {
        if (standsInMessage(text, at))
            return true;
    }
    return false;
}

} // namespace

Reading readOldLayout(const Branch& branch, std::string_view reply)
{
    std::string section;
    std::string_view text = reply;
    const auto cutSection = [&] {
        section = cutField(reply, branch.sectionStart, branch.sectionEnd);
        if (branch.sectionToGbk)
            utf8ToGbkInPlace(section);
        text = section;
    };

    if (branch.sectionCut == SectionCut::BeforeVerdict)
        cutSection();
    // A reply with a record is an answer for the name, whatever a notice in it says of names that
    // are "NOT FOUND".
    if (saysInMessage(text, branch.notRegistered) && !carriesEntry(reply))
        return Reading(core::LookupStatus::NotRegistered);
    if (branch.sectionCut == SectionCut::AfterVerdict)
        cutSection();

    Reading reading(core::LookupStatus::Success);
    for (const CutRule& rule : branch.rules)
        reading.set(rule.field, applyRule(text, rule));
    for (const core::ResultField& each : core::ResultFields) {
        if ((branch.notApplicable & fieldBit(each.field)) != 0)
            reading.set(each.field, NotApplicable);
    }
    return reading;
}

} // namespace zonedesk::parse
