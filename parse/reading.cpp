// SPDX-License-Identifier: MIT
#include "parse/reading.h"

#include <algorithm>
#include <iterator>

#include "core/domain_table.h"
#include "core/field_copy.h"
#include "core/text.h"
#include "core/withheld_value.h"

namespace zonedesk::parse {

namespace {

/// The bytes of text each field holds, in Field order.
constexpr std::size_t FieldWidths[] = {
    sizeof(core::DomainRecord::registrationDate) - 1,
    sizeof(core::DomainRecord::expiryDate) - 1,
    sizeof(core::DomainRecord::updatedDate) - 1,
    sizeof(core::DomainRecord::owner) - 1,
    sizeof(core::DomainRecord::email) - 1,
    sizeof(core::DomainRecord::registrar) - 1,
};
static_assert(std::size(FieldWidths) == FieldCount &&
              static_cast<std::size_t>(Field::Registrar) == FieldCount - 1);

/// A withheld value as the field keeps it: a sentence that only says where to ask, or short words
/// too long for the field, would show as half a sentence, so they become "N/A"; the registry's
/// short words that fit stay as it wrote them.
std::string keptForm(Field field, std::string value)
{
    const core::WithheldForm form = core::withheldForm(value);
    const bool fits = core::gbkFitLength(value, FieldWidths[static_cast<std::size_t>(field)]) == value.size();
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
    const auto written = m_order.begin() + static_cast<std::ptrdiff_t>(m_written);
    if (std::find(m_order.begin(), written, field) == written)
        m_order[m_written++] = field;
    m_values[index(field)] = keptForm(field, cleanValue(raw));
}

bool Reading::hasValue(Field field) const
{
    const std::string_view text = value(field);
    return !text.empty() && text != NotApplicable;
}

bool Reading::hasAnyValue() const
{
    return std::any_of(m_order.begin(),
                       m_order.begin() + static_cast<std::ptrdiff_t>(m_written),
                       [this](Field f) { return hasValue(f); });
}

bool Reading::hasAnyDate() const
{
    return hasValue(Field::RegistrationDate) || hasValue(Field::ExpiryDate) || hasValue(Field::UpdatedDate);
}

void Reading::storeInto(core::DomainRecord& record) const
{
    record.status = static_cast<std::int32_t>(m_status);
    for (std::size_t i = 0; i < m_written; ++i) {
        const std::string& text = m_values[index(m_order[i])];
        switch (m_order[i]) {
        case Field::RegistrationDate: core::copyField(record.registrationDate, text); break;
        case Field::ExpiryDate: core::copyField(record.expiryDate, text); break;
        case Field::UpdatedDate: core::copyField(record.updatedDate, text); break;
        case Field::Owner: core::copyField(record.owner, text); break;
        case Field::Email: core::copyField(record.email, text); break;
        case Field::Registrar: core::copyField(record.registrar, text); break;
        }
    }
    record.errorReason =
        static_cast<std::uint8_t>(static_cast<std::uint8_t>(m_reason) |
                                  (m_source == core::ResultSource::Rdap ? core::ResultSourceBit : 0));
    core::publishDone(record);
}

} // namespace zonedesk::parse
