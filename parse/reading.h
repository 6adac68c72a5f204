// SPDX-License-Identifier: MIT
// What one reader made of a reply, as a value: the verdict and the values it found. Every reader
// (the old-layout rules, today's line layouts, and any later transport) produces one; a single
// function stores it into a record.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/domain_status.h"
#include "core/domain_table.h"
#include "core/error_reason.h"
#include "core/lookup_status.h"
#include "core/result_fields.h"
#include "parse/branch.h"

namespace zonedesk::parse {

/// The value of a field the registry's reply does not carry.
inline constexpr std::string_view NotApplicable = "N/A";

/// A reply value as a record keeps it: every C0 control byte and DEL (line breaks and tabs among
/// them) becomes a blank, and the blanks around the value go. No such byte is ever part of a GBK
/// character, so the bytes of a double-byte character stay as they are.
std::string cleanValue(std::string_view value);

class Reading
{
public:
    Reading() = default;

    explicit Reading(core::LookupStatus status, core::ErrorReason reason = core::ErrorReason::None)
        : m_status(status)
        , m_reason(reason)
    {}

    core::LookupStatus status() const { return m_status; }

    core::ErrorReason reason() const { return m_reason; }

    void setVerdict(core::LookupStatus status, core::ErrorReason reason = core::ErrorReason::None)
    {
        m_status = status;
        m_reason = reason;
    }

    core::ResultSource source() const { return m_source; }

    void setSource(core::ResultSource source) { m_source = source; }

    /// Records `raw`, cleaned, as the field's value; a field set twice keeps its last value. A
    /// withheld value (core::withheldForm) that is a sentence, or does not fit the field's width
    /// whole, is recorded as "N/A", never cut.
    void set(Field field, std::string_view raw);

    std::string_view value(Field field) const { return m_values[field]; }

    /// The field has a value from the reply: not empty and not "N/A".
    bool hasValue(Field field) const;

    bool hasAnyValue() const;

    bool hasAnyDate() const;

    /// The name's security state, as the reader found it (GBK, as the record keeps it).
    core::DomainStatuses& statuses() { return m_statuses; }

    const core::DomainStatuses& statuses() const { return m_statuses; }

    std::vector<std::string>& nameServers() { return m_nameServers; }

    const std::vector<std::string>& nameServers() const { return m_nameServers; }

    core::Dnssec dnssec() const { return m_dnssec; }

    void setDnssec(core::Dnssec dnssec) { m_dnssec = dnssec; }

    /// Copies the verdict and the values into `record` (through copyField; a field the reading does
    /// not hold keeps what it had) and publishes `done` last.
    /// Worker thread that owns the record.
    void storeInto(core::DomainRecord& record) const;

private:
    core::LookupStatus m_status = core::LookupStatus::Error;
    core::ErrorReason m_reason = core::ErrorReason::None;
    core::ResultSource m_source = core::ResultSource::Whois;
    core::FieldTexts m_values;
    FieldSet m_held = 0; // the fields set
    core::DomainStatuses m_statuses;
    std::vector<std::string> m_nameServers; // sorted, as core::addNameServer keeps them
    core::Dnssec m_dnssec = core::Dnssec::NotStated;
};

} // namespace zonedesk::parse
