// SPDX-License-Identifier: MIT
// Refusals, and today's layouts read where the older rules find nothing.
#include <string>

#include <gtest/gtest.h>

#include "parse/service_refusals.h"
#include "tests/parse/parsed_record.h"

namespace zonedesk::test {
namespace {

using core::LookupStatus;

TEST(ServiceRefusal, IsNeverReadAsAResult)
{
    struct Case
    {
        std::string_view host;
        const char* reply;
        parse::Refusal kind;
    };

    const Case cases[] = {
        {PirHost, "WHOIS LIMIT EXCEEDED - SEE WWW.PIR.ORG/WHOIS FOR DETAILS\n", parse::Refusal::Throttled},
        {VerisignHost,
         "Whois Server Version 2.0\n\nSorry, the Whois database is currently down.\n",
         parse::Refusal::Throttled},
        {AfiliasHost, "TLD is not supported.\n", parse::Refusal::Unavailable},
        {CnnicHost, "You have exceeded your query limit, try later\n", parse::Refusal::Throttled},
        {HkircHost, "Server Too Busy\n", parse::Refusal::Throttled},
        {BizHost, "Not found: x.biz\nQuota Exceeded\n", parse::Refusal::Throttled},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(parse::serviceRefusal(c.reply), c.kind) << c.reply;
        EXPECT_EQ(parseAs(c.host, c.reply).status, LookupStatus::Error) << c.reply;
    }
    EXPECT_EQ(parse::serviceRefusal("Domain Name: EXAMPLE.COM\n"), parse::Refusal::None);
}

TEST(ServiceRefusal, CountsOnlyWhereTheServerSpeaks)
{
    struct Case
    {
        const char* reply;
        parse::Refusal kind;
    };

    // clang-format off
    const Case cases[] = {
  // The server's own lines: no label, a comment, an error label.
        {"% Error: quota exceeded for 1.2.3.4\n",                            parse::Refusal::Throttled},
        {"Error: WHOIS LIMIT EXCEEDED\n",                                    parse::Refusal::Throttled},
        {"# server too busy, try later\n",                                   parse::Refusal::Throttled},
 // Values of a record's fields: a registrant may be called anything.
        {"Registrant Organization: Server Too Busy Ltd.\n",                  parse::Refusal::None     },
        {"[Registrant]   Quota Exceeded K.K.\n",                             parse::Refusal::None     },
        {"Registrant Name: Limit Exceeded\nTech Name: Server Too Busy\n",    parse::Refusal::None     },
 // A reply that carries a record is an answer, even with such a line in it.
        {"Domain Name: X.ORG\nCreation Date: 2001-02-03\nServer too busy\n", parse::Refusal::None     },
        {"Domain names in .com can be registered...\nServer too busy\n",     parse::Refusal::Throttled},
    };
    // clang-format on
    for (const Case& c : cases)
        EXPECT_EQ(parse::serviceRefusal(c.reply), c.kind) << c.reply;
}

TEST(ParsedValues, KeepNoControlBytesOrSurroundingBlanks)
{
    const Parsed parsed = parseAs(AfiliasHost,
                                  "Created On:  \t31-Jul-2001\r\n\r\n"
                                  "Last Updated On:05-Mar-2009\n"
                                  "Expiration Date:31-Jul-2010\x7F\n"
                                  "Trademark Name:X\n"
                                  "Sponsoring Registrar:Bad\x01Registrar\x1B[31m Inc.\n"
                                  "Status:OK\n");
    EXPECT_EQ(parsed.status, LookupStatus::Success);
    EXPECT_EQ(parsed.registrationDate, "31-Jul-2001");
    EXPECT_EQ(parsed.expiryDate, "31-Jul-2010");
    EXPECT_EQ(parsed.registrar, "Bad Registrar [31m Inc.");
}

TEST(TodaysLayout, ThickOwnerSkipsRedactedNames)
{
    const std::string reply = "Domain Name: EXAMPLE.ORG\n"
                              "Creation Date: 2011-08-30T16:41:12Z\n"
                              "Registry Expiry Date: 2027-08-30T16:41:12Z\n"
                              "Registrar: Example Registrar, Inc.\n"
                              "Registrant Name: REDACTED FOR PRIVACY\n"
                              "Registrant Organization: Example Holdings Ltd.\n"
                              "Registrant Email: Please query the RDDS service of the Registrar of Record\n";
    const Parsed parsed = parseAs(PirHost, reply);
    EXPECT_EQ(parsed.status, LookupStatus::Success);
    EXPECT_EQ(parsed.expiryDate, "2027-08-30T16:41:12Z");
    EXPECT_EQ(parsed.owner, "Example Holdings Ltd.");
    EXPECT_EQ(parsed.email, "N/A"); // a sentence in place of the address, never shown cut
    EXPECT_EQ(parsed.registrar, "Example Registrar, Inc.");

    std::string bothRedacted = reply;
    bothRedacted.replace(bothRedacted.find("Example Holdings Ltd."), 21, "REDACTED FOR PRIVACY");
    EXPECT_EQ(parseAs(PirHost, bothRedacted).owner, "REDACTED FOR PRIVACY");

    // A registry's short words stay as written where they fit the field, and are "N/A" where not.
    std::string shortWords = reply;
    shortWords.replace(shortWords.find("Please"), std::string::npos, "Redacted | EU Data Subject\n");
    EXPECT_EQ(parseAs(PirHost, shortWords).email, "Redacted | EU Data Subject");
    shortWords.replace(shortWords.find("Redacted |"),
                       std::string::npos,
                       "Not Disclosed - Visit www.internet.ee for webbased WHOIS\n");
    EXPECT_EQ(parseAs(PirHost, shortWords).email, "N/A");
}

TEST(TodaysLayout, JpSecondLevelNameTakesTheExpiryFromItsState)
{
    const std::string reply = "Domain Information:\n"
                              "a. [Domain Name]                GOOGLE.CO.JP\n"
                              "g. [Organization]               Google Japan G.K.\n"
                              "[State]                         Connected (2024/03/31)\n"
                              "[Registered Date]               2001/03/22\n"
                              "[Last Update]                   2023/04/01 01:05:57 (JST)\n";
    const Parsed parsed = parseAs(JprsHost, reply);
    EXPECT_EQ(parsed.expiryDate, "2024/03/31");
    EXPECT_EQ(parsed.registrationDate, "2001/03/22");
    EXPECT_EQ(parsed.owner, "Google Japan G.K.");
    EXPECT_EQ(parsed.registrar, "N/A");

    // UTF-8 Japanese: the registrant's name is stored in GBK.
    const Parsed japanese =
        parseAs(JprsHost, "[Domain Name]  X.JP\n[有効期限]  2024/02/29\n[登録者名]  日本\n");
    EXPECT_EQ(japanese.owner, "\xC8\xD5\xB1\xBE");
}

TEST(TodaysLayout, HkReadsTheRegistrarAndTheRegistrantsCompany)
{
    // The date labels outlived the old layout: without "Name of Registrar:" the reply is today's.
    const std::string reply = "Domain Name: GOOGLE.COM.HK\n"
                              "Registrar Name: MARKMONITOR INC.\n"
                              "Registrar Contact Information: Email: ccops@markmonitor.com\n"
                              "Company English Name (It should be the same as ...): GOOGLE LLC\n"
                              "Email:  dns-admin@google.com \n"
                              "Domain Name Commencement Date: 06-04-2004\n"
                              "Expiry Date: 31-03-2020 \n";
    const Parsed parsed = parseAs(HkircHost, reply);
    EXPECT_EQ(parsed.expiryDate, "31-03-2020");
    EXPECT_EQ(parsed.registrationDate, "06-04-2004");
    EXPECT_EQ(parsed.registrar, "MARKMONITOR INC.");
    EXPECT_EQ(parsed.owner, "GOOGLE LLC");
    EXPECT_EQ(parsed.email, "dns-admin@google.com"); // the registrant's, not the registrar's
    EXPECT_EQ(parsed.updatedDate, "N/A");

    // With the old layout's label, the old rules stand.
    const Parsed old =
        parseAs(HkircHost, "Name of Registrar: HKDNR\n" + reply + "Re-registration Status: Complete\n");
    EXPECT_EQ(old.registrar, "HKDNR");
    EXPECT_EQ(old.owner, "N/A");
    EXPECT_EQ(parseAs(HkircHost, "The domain has not been registered.\n").status,
              LookupStatus::NotRegistered);
}

TEST(TodaysLayout, NotRegisteredPhrasesStartALine)
{
    EXPECT_EQ(parseAs(VerisignHost, "No match for \"FREE.COM\".\r\n>>> Last update <<<\r\n").status,
              LookupStatus::NotRegistered);
    EXPECT_EQ(parseAs(CnnicHost, "No matching record.").status, LookupStatus::NotRegistered);
    EXPECT_EQ(parseAs(EducauseHost, "\nNO MATCH: free.edu\n").status, LookupStatus::NotRegistered);
    EXPECT_EQ(parseAs(BizHost, "No Data Found\n").status, LookupStatus::NotRegistered);
    EXPECT_EQ(parseAs(PirHost, "Domain not found.\n").status, LookupStatus::NotRegistered);
}

} // namespace
} // namespace zonedesk::test
