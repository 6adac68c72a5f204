// SPDX-License-Identifier: MIT
// Storing a parsed value into the record field a rule names.
#pragma once

#include <string>
#include <string_view>

#include "core/domain_table.h"
#include "core/field_copy.h"
#include "core/text.h"
#include "parse/branch.h"

namespace zonedesk::parse {

/// Stored in a field the registry's reply does not carry.
inline constexpr std::string_view NotApplicable = "N/A";

/// A reply value as a record keeps it: every C0 control byte and DEL (line breaks and tabs among
/// them) becomes a blank, and the blanks around the value go. No such byte is ever part of a GBK
/// character, so the bytes of a double-byte character stay as they are.
inline std::string cleanValue(std::string_view value)
{
    std::string clean(value);
    for (char& c : clean) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
            c = ' ';
    }
    return std::string(core::trim(clean, " "));
}

/// Copies the cleaned `value` into the field (cut to its width). Worker thread that owns the record.
inline void storeField(core::DomainRecord& record, Field field, std::string_view raw)
{
    const std::string value = cleanValue(raw);
    switch (field) {
    case Field::RegistrationDate: core::copyField(record.registrationDate, value); return;
    case Field::ExpiryDate: core::copyField(record.expiryDate, value); return;
    case Field::UpdatedDate: core::copyField(record.updatedDate, value); return;
    case Field::Owner: core::copyField(record.owner, value); return;
    case Field::Email: core::copyField(record.email, value); return;
    case Field::Registrar: core::copyField(record.registrar, value); return;
    }
}

} // namespace zonedesk::parse
