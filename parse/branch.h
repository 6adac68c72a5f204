// SPDX-License-Identifier: MIT
// The shape every registry branch of the reply parser fills in: its phrases, its section and its
// field rules, as data read by one routine (parse_reply.cpp).
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "core/result_fields.h"
#include "core/whois_servers.h"

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

/// Bit set of fields stored as "N/A" because the registry's reply does not carry them.
using FieldSet = std::uint8_t;

constexpr FieldSet fieldBit(Field field)
{
    return static_cast<FieldSet>(1U << static_cast<unsigned>(field));
}

template <typename... Fields> constexpr FieldSet fields(Fields... each)
{
    return static_cast<FieldSet>((fieldBit(each) | ... | 0U));
}

/// What happens to a value of today's line-oriented layouts.
enum class LineThen : std::uint8_t
{
    Keep,
    SkipIfRedacted,    // a redaction text counts as no value, so a later rule for the field applies
    DateInParentheses, // "Connected (2015/03/31)" -> "2015/03/31"
    AfterParenColon,   // "Company English Name (...): NAME" -> "NAME"
};

/// One field of today's layout: the rest of the first line that begins with `label` (after blanks
/// and a "x. " letter), trimmed. Several rules may name one field: the first non-empty value wins.
struct LineRule
{
    Field field;
    std::string_view label;
    LineThen then = LineThen::Keep;
};

/// A registry's current reply layout: the not-registered phrases (each at the start of a line) and
/// the field labels. Values are UTF-8 and stored in GBK.
struct CurrentLayout
{
    std::span<const std::string_view> notRegistered;
    std::span<const LineRule> rules;
    /// Phrases at the start of a line by which the registry says it holds the name back: an answer
    /// (the name is taken) even though the reply carries no field.
    std::span<const std::string_view> reserved = {};
    FieldSet notApplicable = 0;
    bool readIso2022Jp = false; // a reply in ISO-2022-JP is decoded before its lines are read
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
    const CurrentLayout* current = nullptr; // today's layout, read when the rules above find nothing
    /// A label only the old layout has, for a registry whose date labels outlived it: without it,
    /// the old rules' dates do not make the reply an old one.
    std::string_view oldLayoutMarker = {};
};

/// The branch of a server; every server has exactly one (checked when the table is built).
const Branch& branchFor(core::WhoisServer server);

} // namespace zonedesk::parse
