// SPDX-License-Identifier: MIT
// The shape every registry branch of the reply parser fills in: its phrases, its section and its
// field rules, as data read by one routine (parse_reply.cpp).
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "core/whois_servers.h"

namespace zonedesk::parse {

enum class Field : std::uint8_t
{
    RegistrationDate,
    ExpiryDate,
    UpdatedDate,
    Owner,
    Email,
    Registrar,
};

/// What happens to a value after its cut.
enum class Then : std::uint8_t
{
    Keep,
    Utf8ToAnsi,       // the registry sends the value in UTF-8
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
    bool sectionToAnsi = false;       // the section passes through utf8ToAnsi before the field rules
    std::span<const CutRule> rules;
    FieldSet notApplicable = 0;
};

/// The branches of each registry family, defined in one file per family.
std::span<const Branch> thinRegistryBranches();
std::span<const Branch> thickRegistryBranches();
std::span<const Branch> countryRegistryBranches();

} // namespace zonedesk::parse
