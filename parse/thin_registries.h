// SPDX-License-Identifier: MIT
// Thin registries (.com/.net, .tv, .cc): the registry's short record between a header paragraph
// ending "for detailed information" and a closing paragraph beginning "NOTICE:". No owner or e-mail.
//
//    Registrar: MARKMONITOR INC.
//    Whois Server: whois.markmonitor.com
//    ...
//    Updated Date: 20-jul-2011
//    Creation Date: 15-sep-1997
//    Expiration Date: 14-sep-2020
//
// >>> Last update of whois database: Thu, 26 Jan 2012 14:02:48 UTC <<<
#pragma once

#include "parse/branch.h"

// Included only by branch_table.cpp, which indexes the branches by server.
namespace zonedesk::parse::thin {

using core::WhoisServer;

// Each value ends where the next expected label begins; the value after "Whois Server:" only ends
// the registrar. "Expiration Date" without its colon already ends the creation date for .com and .tv.
constexpr CutRule VerisignRules[] = {
    {Field::RegistrationDate, "Creation Date:", "Expiration Date"},
    {Field::ExpiryDate, "Expiration Date:", ">>>"},
    {Field::Registrar, "Registrar:", "Whois Server:"},
    {Field::UpdatedDate, "Last update of whois database:", "<<<"},
};

constexpr CutRule VerisignTvRules[] = {
    {Field::RegistrationDate, "Creation Date:", "Expiration Date"},
    {Field::ExpiryDate, "Expiration Date:", ">>>"},
    {Field::Registrar, "Registrar:", "Whois Server:"},
    {Field::UpdatedDate, "Updated Date:", "Creation Date:"},
};

// The registrar goes to `registrar`: its column, not the owner's.
constexpr CutRule NicCcRules[] = {
    {Field::RegistrationDate, "Creation Date:", "Expiration Date:"},
    {Field::ExpiryDate, "Expiration Date:", ">>>"},
    {Field::UpdatedDate, "Last update of whois database:", "<<<"},
    {Field::Registrar, "Registrar:", "Whois Server:"},
};

// Today's layout (2017 on), without the header paragraph:
//    Registry Expiry Date: 2020-09-14T04:00:00Z
//    Registrar: MarkMonitor Inc.
//    No match for "U34JEDZCQ.COM".
constexpr LayoutOverride ThinToday{
    .notApplicable = fields(Field::Owner, Field::Email),
};

constexpr Branch VerisignBranch{
    .server = WhoisServer::Verisign,
    .notRegistered = "No match for",
    .sectionCut = SectionCut::BeforeVerdict,
    .sectionStart = "for detailed information",
    .sectionEnd = "NOTICE: ",
    .rules = VerisignRules,
    .notApplicable = fields(Field::Owner, Field::Email),
    .today = &ThinToday,
};

constexpr Branch VerisignTvBranch{
    .server = WhoisServer::VerisignTv,
    .notRegistered = "No match for",
    .sectionCut = SectionCut::BeforeVerdict,
    .sectionStart = "for detailed information.",
    .sectionEnd = "NOTICE:",
    .rules = VerisignTvRules,
    .notApplicable = fields(Field::Owner, Field::Email),
    .today = &ThinToday,
};

constexpr Branch NicCcBranch{
    .server = WhoisServer::NicCc,
    .notRegistered = "No match for",
    .sectionCut = SectionCut::AfterVerdict,
    .sectionStart = "for detailed information.",
    .sectionEnd = "NOTICE:",
    .rules = NicCcRules,
    .notApplicable = fields(Field::Owner, Field::Email),
    .today = &ThinToday,
};

constexpr Branch ThinBranches[] = {VerisignBranch, VerisignTvBranch, NicCcBranch};

} // namespace zonedesk::parse::thin
