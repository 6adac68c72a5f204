// SPDX-License-Identifier: MIT
// Country-code registries (.cn, .jp, .hk) and .edu, each with a layout of its own.
#pragma once

#include "parse/branch.h"

// Included only by branch_table.cpp, which indexes the branches by server.
namespace zonedesk::parse::country {

using core::WhoisServer;

//    Registrant Name: 北京新网互联科技有限公司          (UTF-8)
//    Administrative Email: dns-admin@google.com
//    Sponsoring Registrar: MarkMonitor, Inc.
//    Name Server:ns1.google.com
//    Registration Date: 2003-03-17 12:20
//    Expiration Date: 2012-03-17 12:48
// The expiry date runs to the end of the reply, line break and any further lines included.
constexpr CutRule CnnicRules[] = {
    {Field::RegistrationDate, "Registration Date: ", "Expiration Date", Then::Keep},
    {Field::ExpiryDate, "Expiration Date:", "", Then::Keep},
    {Field::Registrar, "Sponsoring Registrar:", "Name Server", Then::Utf8ToGbk},
    {Field::Owner, "Registrant Name:", "Administrative Email", Then::Utf8ToGbk},
    {Field::Email, "Administrative Email:", "Sponsoring Registrar", Then::Keep},
};

// ISO-2022-JP labels in brackets; the dates are found by 7-bit byte strings inside the Japanese
// labels and cut twice: up to the next "[" (or "Contact Information:"), then after the first "]".
//    [ESC$B有効期限ESC(B]                2015/07/31    "BM-8z4|8B": B of ESC$B, then 有効期限
//    [ESC$B登録年月日ESC(B]              2004/07/30    "BEPO?G/7nF": 登録年月日 less its last byte
//    [ESC$B最終更新ESC(B]                2014/08/01    "G=*99": inside 最終更新
//    Contact Information: ...
constexpr CutRule JprsRules[] = {
    {Field::RegistrationDate, "BEPO?G/7nF", "[", Then::RestAfterBracket},
    {Field::ExpiryDate, "BM-8z4|8B", "[", Then::RestAfterBracket},
    {Field::Owner, "[Registrant]", "[Name Server]", Then::Iso2022JpToGbk},
    {Field::Email, "[Email]", "[Web Page]", Then::Keep},
    {Field::UpdatedDate, "G=*99", "Contact Information:", Then::RestAfterBracket},
};

//    Name of Registrar: HKDNR
//    ...
//    Email: dns-admin@google.com
//    Domain Name Commencement Date: 06-04-2004
//    Expiry Date: 31-03-2011
//    Re-registration Status: Complete
// The registrar goes to `registrar` and ends with its line: the next "Account Name:" stands in
// another contact many lines further down.
constexpr CutRule HkircRules[] = {
    {Field::RegistrationDate, "Domain Name Commencement Date:", "Country:"},
    {Field::ExpiryDate, "Expiry Date:", "Re-registration Status:"},
    {Field::Registrar, "Name of Registrar:", "\n"},
    {Field::Email, "Email:", "Domain Name Commencement Date:"},
};

//    Domain record activated:    11-Mar-1998
//    Domain record last updated: 02-Oct-2009
//    Domain expires:             31-Jul-2010
// The expiry date runs to the end of the reply, untouched.
constexpr CutRule EducauseRules[] = {
    {Field::RegistrationDate, "Domain record activated:", "Domain record last updated:"},
    {Field::ExpiryDate, "Domain expires:", ""},
    {Field::UpdatedDate, "Domain record last updated:", "Domain expires:"},
};

// Today's layouts.
//    .cn   Registrant: 北京新网互联科技有限公司 / Registration Time: 2003-03-17 12:20:05
//    .jp   [有効期限]  2024/02/29  or  [Expires on]  2010/05/31; second-level names (co.jp) carry
//          the end of the period in "[状態] Connected (2015/03/31)" instead; a letter may lead
//          the line ("a. [Domain Name]")
//    .hk   Registrar Name: MARKMONITOR INC. / Company English Name (...): GOOGLE LLC
//    .edu  the same date labels, tab-indented; "NO MATCH: name" when free
constexpr LayoutOverride CnnicToday{
    .notApplicable = fields(Field::UpdatedDate),
};

constexpr OwnLabel JprsLabels[] = {
    {Field::ExpiryDate, "[有効期限]", LabelThen::Keep},
    {Field::ExpiryDate, "[Expires on]", LabelThen::Keep},
    {Field::ExpiryDate, "[状態]", LabelThen::DateInParentheses},
    {Field::ExpiryDate, "[State]", LabelThen::DateInParentheses},
    {Field::RegistrationDate, "[登録年月日]", LabelThen::Keep},
    {Field::RegistrationDate, "[Created on]", LabelThen::Keep},
    {Field::RegistrationDate, "[Registered Date]", LabelThen::Keep},
    {Field::UpdatedDate, "[最終更新]", LabelThen::Keep},
    {Field::UpdatedDate, "[Last Updated]", LabelThen::Keep},
    {Field::UpdatedDate, "[Last Update]", LabelThen::Keep},
    {Field::Owner, "[登録者名]", LabelThen::Keep},
    {Field::Owner, "[Registrant]", LabelThen::Keep},
    {Field::Owner, "[組織名]", LabelThen::Keep},
    {Field::Owner, "[Organization]", LabelThen::Keep},
    {Field::Email, "[Email]", LabelThen::Keep},
};

constexpr LayoutOverride JprsToday{
    .labels = JprsLabels,
    .notApplicable = fields(Field::Registrar),
    .readIso2022Jp = true,
};

// The registrant block's lines come first among the contacts, so its "Email:" is the first one
// that begins a line (the registrar's stands after "Registrar Contact Information:").
constexpr OwnLabel HkircLabels[] = {
    {Field::ExpiryDate, "Expiry Date:", LabelThen::Keep},
    {Field::Owner, "Company English Name", LabelThen::AfterParenColon},
    {Field::Email, "Email:", LabelThen::Keep},
};

constexpr LayoutOverride HkircToday{
    .labels = HkircLabels,
    .dateOrder = core::DateOrder::DayFirst,
    .notApplicable = fields(Field::UpdatedDate),
};

constexpr LayoutOverride EducauseToday{
    .notApplicable = fields(Field::Registrar, Field::Owner, Field::Email),
};

// Rules: the verdict is tested on the whole reply, phrases exact and case-sensitive. The .jp
// section is everything after the first "[Domain Name]".
constexpr Branch CnnicBranch{
    .server = WhoisServer::Cnnic,
    .notRegistered = "no matching record",
    .rules = CnnicRules,
    .notApplicable = fields(Field::UpdatedDate),
    .today = &CnnicToday,
};

constexpr Branch JprsBranch{
    .server = WhoisServer::Jprs,
    .notRegistered = "No match!!",
    .sectionCut = SectionCut::AfterVerdict,
    .sectionStart = "[Domain Name]",
    .sectionToGbk = true,
    .rules = JprsRules,
    .notApplicable = fields(Field::Registrar),
    .today = &JprsToday,
};

constexpr Branch HkircBranch{
    .server = WhoisServer::Hkirc,
    .notRegistered = "Domain Not Found",
    .rules = HkircRules,
    .notApplicable = fields(Field::Owner, Field::UpdatedDate),
    .today = &HkircToday,
    .oldLayoutMarker = "Name of Registrar:",
};

constexpr Branch EducauseBranch{
    .server = WhoisServer::Educause,
    .notRegistered = "No Match",
    .rules = EducauseRules,
    .notApplicable = fields(Field::Registrar, Field::Owner, Field::Email),
    .today = &EducauseToday,
};

constexpr Branch CountryBranches[] = {CnnicBranch, JprsBranch, HkircBranch, EducauseBranch};

} // namespace zonedesk::parse::country
