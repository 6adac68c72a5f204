// SPDX-License-Identifier: MIT
// A record parsed from one reply, with its text fields as strings for readable expectations.
#pragma once

#include <string>
#include <string_view>

#include "core/domain_table.h"
#include "core/field_copy.h"
#include "core/lookup_status.h"
#include "core/result_fields.h"
#include "core/whois_servers.h"
#include "parse/branch.h"
#include "parse/old_layout.h"
#include "parse/parse_reply.h"

namespace zonedesk::test {

/// Marks a field the parser did not write.
inline constexpr std::string_view Untouched = "(untouched)";

struct Parsed
{
    core::LookupStatus status;
    bool done;
    std::string expiryDate, registrationDate, updatedDate, owner, email, registrar;
};

/// Parses `reply` as an answer of `host` into a record whose six fields hold Untouched before.
inline Parsed parseAs(std::string_view host, std::string_view reply)
{
    core::DomainRecord record{};
    core::copyField(record.server, host);
    for (const core::ResultField& each : core::ResultFields)
        each.record.store(record, Untouched);
    parse::parseReply(reply, record);
    const auto value = [&record](core::Field field) { return core::fieldValue(record, field); };
    return {static_cast<core::LookupStatus>(record.status),
            core::isDone(record),
            value(core::Field::ExpiryDate),
            value(core::Field::RegistrationDate),
            value(core::Field::UpdatedDate),
            value(core::Field::Owner),
            value(core::Field::Email),
            value(core::Field::Registrar)};
}

/// What the old rules alone (the original program's) make of `reply`, without today's reading.
inline parse::Reading oldReading(std::string_view host, std::string_view reply)
{
    return parse::readOldLayout(parse::branchFor(*core::serverForHost(host)), reply);
}

inline constexpr std::string_view VerisignHost = "whois.verisign-grs.com";
inline constexpr std::string_view VerisignTvHost = "whois.nic.tv";
inline constexpr std::string_view NicCcHost = "ccwhois.verisign-grs.com";
inline constexpr std::string_view PirHost = "whois.publicinterestregistry.org";
inline constexpr std::string_view AfiliasHost = "rdap.identitydigital.services";
inline constexpr std::string_view BizHost = "whois.nic.biz";
inline constexpr std::string_view CnnicHost = "whois.cnnic.cn";
inline constexpr std::string_view JprsHost = "whois.jprs.jp";
inline constexpr std::string_view HkircHost = "whois.hkirc.hk";
inline constexpr std::string_view EducauseHost = "whois.educause.edu";

} // namespace zonedesk::test
