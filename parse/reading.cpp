// SPDX-License-Identifier: MIT
#include "parse/reading.h"

#include <algorithm>

#include "core/domain_table.h"
#include "core/field_copy.h"
#include "core/result_fields.h"
#include "core/text.h"
#include "core/withheld_value.h"

namespace zonedesk::parse {

namespace {

/// A withheld value as the field keeps it: a sentence that only says where to ask, or short words
/// too long for the field, would show as half a sentence, so they become "N/A"; the registry's
/// short words that fit stay as it wrote them.
std::string keptForm(Field field, std::string value)
{
    const core::WithheldForm form = core::withheldForm(value);
    const bool fits = core::gbkFitLength(value, core::resultField(field).record.capacity) == value.size();
    if (form == core::WithheldForm::Sentence || (form == core::WithheldForm::ShortForm && !fits))
        return std::string(NotApplicable);
    return value;
}

} // namespace

std::string cleanValue(std::string_view value)
{
    std::string clean(value);
    for (char& c : clean) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
            c = ' ';
    }
    return std::string(core::trim(clean, " "));
}

void Reading::set(Field field, std::string_view raw)
{
    m_held |= fieldBit(field);
    m_values[field] = keptForm(field, cleanValue(raw));
}

bool Reading::hasValue(Field field) const
{
    const std::string_view text = value(field);
    return !text.empty() && text != NotApplicable;
}

bool Reading::hasAnyValue() const
{
    return std::any_of(std::begin(core::ResultFields), std::end(core::ResultFields), [this](const auto& row) {
        return row.readByLabel() && hasValue(row.field);
    });
}

bool Reading::hasAnyDate() const
{
    return hasValue(Field::RegistrationDate) || hasValue(Field::ExpiryDate) || hasValue(Field::UpdatedDate);
}

void Reading::storeInto(core::DomainRecord& record) const
{
    record.status = static_cast<std::int32_t>(m_status);
    for (const core::ResultField& row : core::ResultFields) {
        if (row.readByLabel() && (m_held & fieldBit(row.field)) != 0)
            row.record.store(record, m_values[row.field]);
    }
    // A state not stated is stored as such: a record looked up again keeps no earlier state.
    core::storeRecordStatuses(record, m_statuses);
    core::copyField(
        record.nameServers,
        core::nameServersText(m_nameServers, core::resultField(Field::NameServers).record.capacity));
    record.dnssec = static_cast<std::uint8_t>(m_dnssec);
    record.errorReason =
        static_cast<std::uint8_t>(static_cast<std::uint8_t>(m_reason) |
                                  (m_source == core::ResultSource::Rdap ? core::ResultSourceBit : 0));
    core::publishDone(record);
}

} // namespace zonedesk::parse
