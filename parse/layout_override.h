// SPDX-License-Identifier: MIT
// What a registry with rules of its own adds to the generic reader for its today's replies: labels
// the generic tables do not know, its text encoding, and the fields its replies never carry.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "core/calendar_date.h"
#include "core/result_fields.h"

namespace zonedesk::parse {

using core::Field;

/// Bit set of fields stored as "N/A" because the registry's reply does not carry them.
using FieldSet = std::uint16_t;

constexpr FieldSet fieldBit(Field field)
{
    return static_cast<FieldSet>(1U << static_cast<unsigned>(field));
}

template <typename... Fields> constexpr FieldSet fields(Fields... each)
{
    return static_cast<FieldSet>((fieldBit(each) | ... | 0U));
}

/// What happens to the value of a registry's own label.
enum class LabelThen : std::uint8_t
{
    Keep,
    DateInParentheses, // "Connected (2015/03/31)" -> "2015/03/31"
    AfterParenColon,   // "Company English Name (...): NAME" -> "NAME"
};

/// A label of the registry's own: the rest of the first line that begins with `label` (after blanks
/// and a lettered prefix "a. "), trimmed. Several labels may name one field: the first non-empty
/// value wins, before any label of the generic tables.
struct OwnLabel
{
    Field field;
    std::string_view label;
    LabelThen then = LabelThen::Keep;
};

struct LayoutOverride
{
    std::span<const OwnLabel> labels = {};
    core::DateOrder dateOrder = core::DateOrder::Unstated; // else the reply's or the TLD's order
    FieldSet notApplicable = 0;
    bool readIso2022Jp = false; // a reply in ISO-2022-JP is decoded before its lines are read
    /// A registry with rules of its own keeps its values as written: its dates are read later with
    /// its server's notation, its registrar stands as it always did. Any other registry's dates are
    /// rewritten where only its order reads them, and its registrar loses a handle after the name.
    bool keepWritten = true;
};

/// The generic reader as it stands, for registries without rules of their own.
inline constexpr LayoutOverride NoOverride{.keepWritten = false};

} // namespace zonedesk::parse
