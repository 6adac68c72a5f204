// SPDX-License-Identifier: MIT
// Thick registries (.org, .info, .biz): the full record, registrant included, one "Label:value"
// item per line. Only .org skips its opening usage policy first.
//
//    Created On:21-Oct-1998 04:00:00 UTC
//    Last Updated On:04-Mar-2009 12:12:55 UTC
//    Expiration Date:20-Oct-2012 04:00:00 UTC
//    Sponsoring Registrar:MarkMonitor Inc. (R37-LROR)
//    Status:CLIENT DELETE PROHIBITED
//    ...
//    Registrant Name:DNS Admin
//    Registrant Organization:Google Inc.
#pragma once

#include "parse/branch.h"

// Included only by branch_table.cpp, which indexes the branches by server.
namespace zonedesk::parse::thick {

using core::WhoisServer;

// Start labels are searched from the start of the working text, end labels from the end of their
// start label, so the first occurrence wins: the registrar ends at the first "Status:" after it.
constexpr CutRule PirRules[] = {
    {Field::RegistrationDate, "Created On:", "Last Updated On"},
    {Field::ExpiryDate, "Expiration Date:", "Sponsoring Registrar"},
    {Field::Registrar, "Sponsoring Registrar:", "Status:"},
    {Field::UpdatedDate, "Last Updated On:", "Expiration Date:"},
    {Field::Owner, "Registrant Name:", "Registrant Organization:"},
    {Field::Email, "Registrant Email:", "Admin ID:"},
};

constexpr CutRule AfiliasRules[] = {
    {Field::RegistrationDate, "Created On:", "Last Updated On:"},
    {Field::ExpiryDate, "Expiration Date:", "Trademark Name:"},
    {Field::Registrar, "Sponsoring Registrar:", "Status:"},
    {Field::UpdatedDate, "Last Updated On:", "Expiration Date:"},
    {Field::Owner, "Registrant Name:", "Registrant Organization:"},
    {Field::Email, "Registrant Email:", "Name Server:"},
};

//    Domain Last Updated Date: Sun Mar 01 00:41:31 GMT 2009
//    >>>> Whois database was last updated on: Thu Mar 05 ...
constexpr CutRule BizRules[] = {
    {Field::RegistrationDate, "Domain Registration Date:", "Domain Expiration Date:"},
    {Field::ExpiryDate, "Domain Expiration Date:", "Domain Last Updated Date:"},
    {Field::Registrar, "Sponsoring Registrar:", "Sponsoring Registrar IANA ID:"},
    {Field::UpdatedDate, "Domain Last Updated Date:", ">>>>"},
    {Field::Owner, "Registrant Name:", "Registrant Organization:"},
    {Field::Email, "Registrant Email:", "Administrative Contact ID:"},
};

// Today's layout (ICANN 2013 on), read by the generic tables alone:
//    Creation Date: 1998-10-21T04:00:00Z
//    Registry Expiry Date: 2014-10-20T04:00:00Z
//    Registrant Name: REDACTED FOR PRIVACY
//    Registrant Organization: Google LLC
constexpr LayoutOverride ThickToday{};

// Rules: the verdict is tested on the whole reply; "NOT FOUND" (.org, .info) and "Not found" (.biz)
// are different phrases. The .org section ends at the first "Tech Email:" after the policy.
constexpr Branch PirBranch{
    .server = WhoisServer::Pir,
    .notRegistered = "NOT FOUND",
    .sectionCut = SectionCut::AfterVerdict,
    .sectionStart = "you agree to abide by this policy",
    .sectionEnd = "Tech Email:",
    .rules = PirRules,
    .today = &ThickToday,
};

constexpr Branch AfiliasBranch{
    .server = WhoisServer::Afilias,
    .notRegistered = "NOT FOUND",
    .rules = AfiliasRules,
    .today = &ThickToday,
};

constexpr Branch BizRegistryBranch{
    .server = WhoisServer::BizRegistry,
    .notRegistered = "Not found",
    .rules = BizRules,
    .today = &ThickToday,
};

constexpr Branch ThickBranches[] = {PirBranch, AfiliasBranch, BizRegistryBranch};

} // namespace zonedesk::parse::thick
