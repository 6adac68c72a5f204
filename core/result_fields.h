// SPDX-License-Identifier: MIT
// The values a lookup finds, in one table: where each lives in a record, and what it is called in
// JSON and TSV, in the history database, in the list and in the CSV export. Every place that
// handles the fields one by one walks this table; a new field is a new row (and its reader). The
// first six are read from a reply by label, one text each; the last three are the name's security
// state (core/domain_status.h), read from its status, name server and DNSSEC lines.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "core/domain_status.h"
#include "core/domain_table.h"
#include "core/field_copy.h"

namespace zonedesk::core {

/// A result field. The values number readings' slots and bit sets; the table gives the order in
/// which the fields are shown and written.
enum class Field : std::uint8_t
{
    RegistrationDate,
    ExpiryDate,
    UpdatedDate,
    Owner,
    Email,
    Registrar,
    Statuses,
    NameServers,
    Dnssec,
};

inline constexpr std::size_t FieldCount = 9;

/// How a field's value is written and read.
enum class FieldKind : std::uint8_t
{
    Date,        // a date as the registry wrote it
    Text,        // a name, an address
    Statuses,    // core::statusesText
    NameServers, // core::nameServersText
    Dnssec,      // core::dnssecText
};

/// How one field of a record is read and written (through copyField, so never past its width).
struct RecordMember
{
    std::string (*text)(const DomainRecord& record);
    std::size_t (*store)(DomainRecord& record, std::string_view text);
    std::size_t capacity; // bytes of text it holds, its terminator not counted
};

template <auto Member> std::string memberText(const DomainRecord& record)
{
    return std::string(fieldText(record.*Member));
}

template <auto Member> std::size_t storeMember(DomainRecord& record, std::string_view text)
{
    return copyField(record.*Member, text);
}

template <auto Member>
inline constexpr RecordMember member{
    &memberText<Member>, &storeMember<Member>, sizeof(std::declval<DomainRecord&>().*Member) - 1};

/// The record's statuses (own words in GBK, as the registry wrote them).
DomainStatuses recordStatuses(const DomainRecord& record);
/// The record's statuses in their text form (GBK: a registry's own words are kept as it wrote them).
std::string recordStatusesText(const DomainRecord& record);
/// Stores a text form of statuses; the bytes of the own words kept.
std::size_t storeRecordStatuses(DomainRecord& record, std::string_view text);
/// Stores the statuses read from a reply.
void storeRecordStatuses(DomainRecord& record, const DomainStatuses& statuses);
std::string recordDnssecText(const DomainRecord& record);
std::size_t storeRecordDnssec(DomainRecord& record, std::string_view text);

inline constexpr RecordMember StatusesMember{
    &recordStatusesText, &storeRecordStatuses, sizeof(DomainRecord::registryStatus) - 1};
inline constexpr RecordMember DnssecMember{&recordDnssecText, &storeRecordDnssec, 8};

struct ResultField
{
    Field field;
    RecordMember record;
    std::string_view key;    // JSON keys, TSV header and parse output: "expiryDate"
    std::string_view column; // the history database's column: "expiry"
    std::string_view isoKey; // a date's calendar form in JSON: "expiry"; empty for a text field
    std::string_view title;  // the list's and the CSV header's column title (UTF-8)
    int listColumn;          // the list's column (the update date after the other six); -1: none
    bool exported;           // a column of the CSV export (the update date is not)
    FieldKind kind;

    bool isDate() const { return kind == FieldKind::Date; }

    /// One of the six a reply states in one labelled value (not the security state).
    bool readByLabel() const { return kind == FieldKind::Date || kind == FieldKind::Text; }
};

/// The titles of the list's and the CSV export's first three columns: server, domain and status.
inline constexpr std::string_view LeadingColumnTitles[] = {"whois服务器", "域名", "当前状态"};

// Rows in the order of the JSON, TSV and history columns.
inline constexpr ResultField ResultFields[] = {
    // clang-format off
    {Field::ExpiryDate,       member<&DomainRecord::expiryDate>,       "expiryDate",       "expiry",       "expiry",  "过期日期",      3,  true,  FieldKind::Date},
    {Field::RegistrationDate, member<&DomainRecord::registrationDate>, "registrationDate", "registration", "created", "注册日期",      4,  true,  FieldKind::Date},
    {Field::UpdatedDate,      member<&DomainRecord::updatedDate>,      "updatedDate",      "updated",      "updated", "whois更新日期", 8,  false, FieldKind::Date},
    {Field::Owner,            member<&DomainRecord::owner>,            "owner",            "owner",        "",        "所有人",        5,  true,  FieldKind::Text},
    {Field::Email,            member<&DomainRecord::email>,            "email",            "email",        "",        "联系Email",     6,  true,  FieldKind::Text},
    {Field::Registrar,        member<&DomainRecord::registrar>,        "registrar",        "registrar",    "",        "注册商",        7,  true,  FieldKind::Text},
    {Field::Statuses,         StatusesMember,                          "statuses",         "statuses",     "",        "状态码",        9,  false, FieldKind::Statuses},
    {Field::NameServers,      member<&DomainRecord::nameServers>,      "nameServers",      "name_servers", "",        "域名服务器",    10, false, FieldKind::NameServers},
    {Field::Dnssec,           DnssecMember,                            "dnssec",           "dnssec",       "",        "DNSSEC签名",    -1, false, FieldKind::Dnssec},
    // clang-format on
};

static_assert(std::size(ResultFields) == FieldCount);

/// How many fields the list shows in a column of their own.
inline constexpr int ListedFieldCount = [] {
    int listed = 0;
    for (const ResultField& row : ResultFields)
        listed += row.listColumn >= 0 ? 1 : 0;
    return listed;
}();

/// The row of `field`.
constexpr const ResultField& resultField(Field field)
{
    for (const ResultField& row : ResultFields) {
        if (row.field == field)
            return row;
    }
    return ResultFields[0];
}

/// The row shown in the list's `column`; none for the server, domain and status columns.
constexpr const ResultField* fieldAtListColumn(int column)
{
    for (const ResultField& row : ResultFields) {
        if (column >= 0 && row.listColumn == column)
            return &row;
    }
    return nullptr;
}

/// The text of a record's field (GBK, as stored).
inline std::string fieldValue(const DomainRecord& record, Field field)
{
    return resultField(field).record.text(record);
}

/// One text per field, indexed by Field.
class FieldTexts
{
public:
    std::string& operator[](Field field) { return m_texts[static_cast<std::size_t>(field)]; }

    const std::string& operator[](Field field) const { return m_texts[static_cast<std::size_t>(field)]; }

    bool operator==(const FieldTexts&) const = default;

private:
    std::array<std::string, FieldCount> m_texts{};
};

} // namespace zonedesk::core
