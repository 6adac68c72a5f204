// SPDX-License-Identifier: MIT
// .org, .info and .biz: full "Label:value" records.
#include <string>

#include <gtest/gtest.h>

#include "tests/parse/parsed_record.h"

namespace zonedesk::test {
namespace {

using core::LookupStatus;

constexpr std::string_view OrgRecord = "Created On:21-Oct-1998 04:00:00 UTC\n"
                                       "Last Updated On:04-Mar-2009 12:07:19 UTC\n"
                                       "Expiration Date:20-Oct-2012 04:00:00 UTC\n"
                                       "Sponsoring Registrar:MarkMonitor Inc. (R37-LROR)\n"
                                       "Status:CLIENT DELETE PROHIBITED\n"
                                       "Registrant Name:DNS Admin\n"
                                       "Registrant Organization:Google Inc.\n"
                                       "Registrant Email:dns-admin@google.com\n"
                                       "Admin ID:mmr-32097\n"
                                       "Tech Email:dns-admin@google.com\n"
                                       "Name Server:NS1.GOOGLE.COM\n";

std::string orgReply(std::string_view record)
{
    return "By submitting a WHOIS query, you agree to abide by this policy.\n\n" + std::string(record);
}

TEST(PirBranch, ReadsTheRecordAfterThePolicy)
{
    const Parsed parsed = parseAs(PirHost, orgReply(OrgRecord));
    EXPECT_EQ(parsed.status, LookupStatus::Success);
    EXPECT_EQ(parsed.registrationDate, "21-Oct-1998 04:00:00 UTC");
    EXPECT_EQ(parsed.updatedDate, "04-Mar-2009 12:07:19 UTC");
    EXPECT_EQ(parsed.expiryDate, "20-Oct-2012 04:00:00 UTC");
    EXPECT_EQ(parsed.registrar, "MarkMonitor Inc. (R37-LROR)");
    EXPECT_EQ(parsed.owner, "DNS Admin");
    EXPECT_EQ(parsed.email, "dns-admin@google.com");
}

TEST(PirBranch, VerdictOnTheWholeReplyFieldsOnlyInTheSection)
{
    EXPECT_EQ(
        parseAs(PirHost,
                "Policy text, NOT FOUND in it. you agree to abide by this policy.\n" + std::string(OrgRecord))
            .status,
        LookupStatus::NotRegistered);

    const Parsed noPolicy = parseAs(PirHost, OrgRecord);
    EXPECT_EQ(noPolicy.status, LookupStatus::Error); // nothing read: not passed off as a record
    EXPECT_EQ(noPolicy.expiryDate, "");
    EXPECT_EQ(noPolicy.owner, "");

    // The section ends at the first "Tech Email:": a registrant block after it is not read.
    const Parsed late =
        parseAs(PirHost, orgReply("Tech Email:x\nRegistrant Name:Late\nRegistrant Organization:"));
    EXPECT_EQ(late.owner, "");
}

TEST(PirBranch, UpdatedLabelWithoutColonEndsTheCreationDate)
{
    const std::string record = "Created On:01-Jan-2000\nLast Updated On 2\nLast Updated On:02-Jan-2000\n";
    EXPECT_EQ(parseAs(PirHost, orgReply(record) + "Tech Email:").registrationDate, "01-Jan-2000");
    EXPECT_EQ(parseAs(AfiliasHost, record).registrationDate, "01-Jan-2000 Last Updated On 2");
}

TEST(AfiliasBranch, ReadsTheWholeReply)
{
    const std::string reply = "Created On:31-Jul-2001 23:57:50 UTC\n"
                              "Last Updated On:05-Mar-2009 22:39:19 UTC\n"
                              "Expiration Date:31-Jul-2010 23:57:50 UTC\n"
                              "Trademark Name:GOOGLE\n"
                              "Sponsoring Registrar:Markmonitor Inc. (R37-LRMS)\n"
                              "Status:CLIENT DELETE PROHIBITED\n"
                              "Registrant Name:DNS Admin\n"
                              "Registrant Organization:Google Inc.\n"
                              "Registrant Email:dns-admin@google.com\n"
                              "Name Server:NS1.GOOGLE.COM\n";
    const Parsed parsed = parseAs(AfiliasHost, reply);
    EXPECT_EQ(parsed.expiryDate, "31-Jul-2010 23:57:50 UTC");
    EXPECT_EQ(parsed.updatedDate, "05-Mar-2009 22:39:19 UTC");
    EXPECT_EQ(parsed.email, "dns-admin@google.com");
    EXPECT_EQ(parsed.owner, "DNS Admin");
    EXPECT_EQ(parsed.registrar, "Markmonitor Inc. (R37-LRMS)");
}

TEST(BizBranch, OnlyCapitalisedNotFoundMeansFree)
{
    EXPECT_EQ(parseAs(BizHost, "Not found: x.biz\n").status, LookupStatus::NotRegistered);
    EXPECT_EQ(oldReading(BizHost, "not found\n").status(), LookupStatus::Success);
    // Today's layouts of the thick registries say "NOT FOUND" at the start of a line.
    EXPECT_EQ(parseAs(BizHost, "NOT FOUND\n").status, LookupStatus::NotRegistered);
    EXPECT_EQ(parseAs(BizHost, "Terms: NOT FOUND means free\n").status, LookupStatus::Error);
    EXPECT_EQ(oldReading(PirHost, "Not found\n").status(), LookupStatus::Success);
}

TEST(BizBranch, UpdatedDateNeedsTheMarkerLine)
{
    const std::string dates = "Domain Registration Date: Wed Mar 27 00:01:00 GMT 2002\n"
                              "Domain Expiration Date: Fri Mar 26 23:59:59 GMT 2010\n"
                              "Domain Last Updated Date: Sun Mar 01 12:01:04 GMT 2009\n";
    const Parsed marked = parseAs(BizHost, dates + ">>>> Whois database was last updated on: x <<<<\n");
    EXPECT_EQ(marked.registrationDate, "Wed Mar 27 00:01:00 GMT 2002");
    EXPECT_EQ(marked.expiryDate, "Fri Mar 26 23:59:59 GMT 2010");
    EXPECT_EQ(marked.updatedDate, "Sun Mar 01 12:01:04 GMT 2009");
    EXPECT_EQ(parseAs(BizHost, dates).updatedDate, "");
}

} // namespace
} // namespace zonedesk::test
