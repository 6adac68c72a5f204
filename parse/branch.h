// SPDX-License-Identifier: MIT
// The shape every registry branch of the reply parser fills in: its phrases, its section and its
// field rules, as data read by one routine (parse_reply.cpp).
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "core/result_fields.h"
#include "core/whois_servers.h"
#include "parse/layout_override.h"

namespace zonedesk::parse {

using core::Field;

/// What happens to a value after its cut.
enum class Then : std::uint8_t
{
    Keep,
    Utf8ToGbk,        // the registry sends the value in UTF-8
    Iso2022JpToGbk,   // the value is ISO-2022-JP text
    RestAfterBracket, // second cut: everything after the first "]" of the value, untouched
};

/// One field: cutField(working text, startLabel, endLabel), then `then`.
/// An empty endLabel takes the rest of the working text untouched.
struct CutRule
{
    Field field;
    std::string_view startLabel;
    std::string_view endLabel;
    Then then = Then::Keep;
};

/// When the reply is cut down to the section that holds the record.
enum class SectionCut : std::uint8_t
{
    None,
    BeforeVerdict, // the not-registered phrase is looked for inside the section only
    AfterVerdict,  // the phrase is looked for in the whole reply, the fields in the section
};

struct Branch
{
    core::WhoisServer server;
    std::string_view notRegistered; // exact, case-sensitive phrase anywhere in the tested text
    SectionCut sectionCut = SectionCut::None;
    std::string_view sectionStart = {};
    std::string_view sectionEnd = {}; // empty: to the end of the reply
    bool sectionToGbk = false;        // the section passes through utf8ToGbkInPlace before the field rules
    std::span<const CutRule> rules;
    FieldSet notApplicable = 0;
    /// What the generic reader needs besides its tables to read today's replies, read when the
    /// rules above find nothing.
    const LayoutOverride* today = nullptr;
    /// A label only the old layout has, for a registry whose date labels outlived it: without it,
    /// the old rules' dates do not make the reply an old one.
    std::string_view oldLayoutMarker = {};
};

/// The branch of a server; every server has exactly one (checked when the table is built).
const Branch& branchFor(core::WhoisServer server);

} // namespace zonedesk::parse
