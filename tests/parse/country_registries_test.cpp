// SPDX-License-Identifier: MIT
// .cn, .jp, .hk and .edu.
#include <string>

#include <gtest/gtest.h>

#include "tests/parse/parsed_record.h"

namespace zonedesk::test {
namespace {

using core::LookupStatus;

TEST(CnnicBranch, ReencodesNamesAndRunsExpiryToTheEnd)
{
    const std::string reply = "Domain Name: example.cn\n"
                              "Registrant Name: \xE5\xBC\xA0\xE4\xB8\x89\n" // 张三 in UTF-8
                              "Administrative Email: admin@example.cn\n"
                              "Sponsoring Registrar: \xE4\xB8\xAD\xE6\x96\x87 Inc.\n"
                              "Name Server:ns1.example.cn\n"
                              "Registration Date: 2003-03-17 12:20\n"
                              "Expiration Date: 2012-03-17 12:48\n"
                              "Trailing line\n";
    const Parsed parsed = parseAs(CnnicHost, reply);
    EXPECT_EQ(parsed.status, LookupStatus::Success);
    EXPECT_EQ(parsed.owner, "\xD5\xC5\xC8\xFD");
    EXPECT_EQ(parsed.registrar, "\xD6\xD0\xCE\xC4 Inc.");
    EXPECT_EQ(parsed.email, "admin@example.cn");
    EXPECT_EQ(parsed.registrationDate, "2003-03-17 12:20");
    EXPECT_EQ(parsed.expiryDate, "2012-03-17 12:48 Trailing line");
    EXPECT_EQ(parsed.updatedDate, "N/A");
}

TEST(CnnicBranch, StartLabelNeedsItsTrailingBlank)
{
    EXPECT_EQ(parseAs(CnnicHost, "Registration Date:\n2003 Expiration Date: x").registrationDate, "");
    EXPECT_EQ(parseAs(CnnicHost, "no matching record").status, LookupStatus::NotRegistered);
    // The old rules want their phrase's letter case; today's reader takes the phrase in any.
    EXPECT_EQ(oldReading(CnnicHost, "NO MATCHING RECORD").status(), LookupStatus::Success);
    EXPECT_EQ(parseAs(CnnicHost, "NO MATCHING RECORD").status, LookupStatus::NotRegistered);
}

// A .jp reply in ISO-2022-JP: ESC $ B switches to JIS X 0208 pairs, ESC ( B back to ASCII.
const std::string Esc = "\x1B";
const std::string Jis = Esc + "$B";
const std::string Ascii = Esc + "(B";

std::string jpReply(std::string_view registrantLines)
{
    return "[ JPRS database provides information ]\n\n"
           "Domain Information: [" +
           Jis + "%I%a%$%s>pJs" + Ascii +
           "]\n"
           "[Domain Name]                   AMEBLO.JP\n\n"
           "[" +
           Jis + "EPO?<TL>" + Ascii + "]                      " + Jis + "3t<02q<R" + Ascii + "\n" +
           std::string(registrantLines) +
           "[Email]                         support@ameba.jp\n"
           "[Web Page]                       \n"
           "[" +
           Jis + "EPO?G/7nF|" + Ascii + "]                    2004/07/30\n" + "[" + Jis + "M-8z4|8B" + Ascii +
           "]                      2015/07/31\n" + "[" + Jis + ":G=*99?7" + Ascii +
           "]                      2014/08/01 01:05:11 (JST)\n" + "Contact Information: [" + Jis +
           "O\"Mm@hEv<T" + Ascii + "]\n";
}

TEST(JprsBranch, CutsDatesTwiceOnTheRawBytes)
{
    const Parsed parsed = parseAs(JprsHost,
                                  jpReply("[Registrant]                    CyberAgent, Inc.\n\n"
                                          "[Name Server]                   ns1.example.jp\n"));
    EXPECT_EQ(parsed.status, LookupStatus::Success);
    EXPECT_EQ(parsed.registrationDate, "2004/07/30");
    EXPECT_EQ(parsed.expiryDate, "2015/07/31");
    EXPECT_EQ(parsed.updatedDate, "2014/08/01 01:05:11 (JST)");
    EXPECT_EQ(parsed.owner, "CyberAgent, Inc.");
    EXPECT_EQ(parsed.email, "support@ameba.jp");
    EXPECT_EQ(parsed.registrar, "N/A");
}

TEST(JprsBranch, BlanksBeforeTheDateAreTrimmed)
{
    std::string reply = jpReply("");
    const std::string line = "]                      2015/07/31";
    reply.replace(reply.find(line), line.size(), "]   2015/07/31");
    EXPECT_EQ(parseAs(JprsHost, reply).expiryDate, "2015/07/31");
}

TEST(JprsBranch, JapaneseOwnerBecomesGbk)
{
    // 日本 as registrant: JIS pairs "F|K\" between the escapes.
    const Parsed parsed =
        parseAs(JprsHost, jpReply("[Registrant]   " + Jis + "F|K\\" + Ascii + "\n[Name Server]\n"));
    EXPECT_EQ(parsed.owner, "\xC8\xD5\xB1\xBE");
}

TEST(JprsBranch, MissingLabelsEmptyTheirFields)
{
    EXPECT_EQ(parseAs(JprsHost, jpReply("[Registrant]  Nobody\n")).owner, ""); // no [Name Server] after it
    const Parsed noSection = parseAs(JprsHost, "[Registrant] X\n[Name Server]\n");
    EXPECT_EQ(noSection.status, LookupStatus::Error); // nothing of a record was found
    EXPECT_EQ(noSection.owner, "");
    EXPECT_EQ(noSection.registrar, "N/A");
    EXPECT_EQ(parseAs(JprsHost, "No match!!\n").status, LookupStatus::NotRegistered);
}

constexpr std::string_view HkReply =
    "Domain Name:  GOOGLE.HK\n\n"
    "Contract Version:   HKDNR latest version\n\n"
    "Name of Registrar:  HKDNR\n\n"
    "Registrant Contact Information:\n\n"
    "Company English Name (It should be the same as the registered/corporation name "
    "on your Business Register Certificate or relevant documents): GOOGLE INC.\n"
    "Email: dns-admin@google.com\n"
    "Domain Name Commencement Date: 06-04-2004\n"
    "Expiry Date: 31-03-2011 \n"
    "Re-registration Status: Complete\n\n"
    "Administrative Contact Information:\n\n"
    "Account Name: HK1234\n";

TEST(HkircBranch, RegistrarEndsWithItsLine)
{
    const Parsed parsed = parseAs(HkircHost, HkReply);
    EXPECT_EQ(parsed.status, LookupStatus::Success);
    EXPECT_EQ(parsed.registrar, "HKDNR");
    EXPECT_EQ(parsed.owner, "N/A");
    EXPECT_EQ(parsed.updatedDate, "N/A");
    EXPECT_EQ(parsed.email, "dns-admin@google.com");
    EXPECT_EQ(parsed.expiryDate, "31-03-2011");
}

TEST(HkircBranch, VerdictIsCaseSensitive)
{
    EXPECT_EQ(parseAs(HkircHost, "Domain Not Found\n").status, LookupStatus::NotRegistered);
    EXPECT_EQ(oldReading(HkircHost, "domain not found\n").status(), LookupStatus::Success);
}

TEST(EducauseBranch, ExpiryLosesItsBlanksAndVerdictNeedsCapitalM)
{
    const std::string reply = "Domain record activated:    11-Mar-1998\n"
                              "Domain record last updated: 02-Oct-2009\n"
                              "Domain expires:             31-Jul-2010\n";
    const Parsed parsed = parseAs(EducauseHost, reply);
    EXPECT_EQ(parsed.registrationDate, "11-Mar-1998");
    EXPECT_EQ(parsed.updatedDate, "02-Oct-2009");
    EXPECT_EQ(parsed.expiryDate, "31-Jul-2010");
    EXPECT_EQ(parsed.registrar, "N/A");
    EXPECT_EQ(parsed.owner, "N/A");
    EXPECT_EQ(parsed.email, "N/A");
    EXPECT_EQ(parseAs(EducauseHost, "No Match\n").status, LookupStatus::NotRegistered);
    EXPECT_EQ(oldReading(EducauseHost, "No match\n").status(), LookupStatus::Success);
}

} // namespace
} // namespace zonedesk::test
