// SPDX-License-Identifier: MIT
// Storing a parsed value into the record field a rule names.
#pragma once

#include <string_view>

#include "core/domain_table.h"
#include "core/field_copy.h"
#include "parse/branch.h"

namespace zonedesk::parse {

/// Stored in a field the registry's reply does not carry.
inline constexpr std::string_view NotApplicable = "N/A";

/// Copies `value` into the field (cut to its width). Worker thread that owns the record.
inline void storeField(core::DomainRecord& record, Field field, std::string_view value)
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

} // namespace zonedesk::parse
