// SPDX-License-Identifier: MIT
// .com/.net, .tv and .cc: the record between the header paragraph and the NOTICE paragraph.
#include <string>

#include <gtest/gtest.h>

#include "tests/parse/parsed_record.h"

namespace zonedesk::test {
namespace {

using core::LookupStatus;

std::string thinReply(std::string_view header, std::string_view record, std::string_view notice)
{
    return std::string(header) + "Registrars.\nthe registrar's Whois for detailed information.\n\n" +
           std::string(record) + std::string(notice) + "The expiration date displayed ...\n";
}

constexpr std::string_view Record =
    "   Domain Name: EXAMPLE.COM\n"
    "   Registrar: ABC REGISTRAR,   INC.\n"
    "   Whois Server: whois.abc.com\n"
    "   Updated Date: 20-jul-2011\n"
    "   Creation Date: 15-sep-1997\n"
    "   Expiration Date: 14-sep-2020\n\n"
    ">>> Last update of whois database: Thu, 26 Jan 2012 14:02:48 UTC <<<\n\n";

TEST(VerisignBranch, ReadsTheSectionAndMarksOwnerAndEmail)
{
    const Parsed parsed = parseAs(VerisignHost, thinReply("", Record, "NOTICE: The expiration"));
    EXPECT_EQ(parsed.status, LookupStatus::Success);
    EXPECT_EQ(parsed.registrationDate, "15-sep-1997");
    EXPECT_EQ(parsed.expiryDate, "14-sep-2020");
    EXPECT_EQ(parsed.registrar, "ABC REGISTRAR, INC.");
    EXPECT_EQ(parsed.updatedDate, "Thu, 26 Jan 2012 14:02:48 UTC");
    EXPECT_EQ(parsed.owner, "N/A");
    EXPECT_EQ(parsed.email, "N/A");
}

TEST(VerisignBranch, VerdictOnlyInsideTheSection)
{
    EXPECT_EQ(parseAs(VerisignHost, thinReply("", "No match for \"X.COM\".\n", "NOTICE: x")).status,
              LookupStatus::NotRegistered);
    EXPECT_EQ(parseAs(VerisignHost, thinReply("No match for \"X.COM\".\n", Record, "NOTICE: x")).status,
              LookupStatus::Success);
    EXPECT_EQ(parseAs(VerisignHost, thinReply("", Record, "NOTICE: No match for x")).status,
              LookupStatus::Success);
}

TEST(VerisignBranch, MissingSectionEndEmptiesEveryCutField)
{
    // "NOTICE:" straight before a line break is not "NOTICE: ": the old rules see no section.
    // The reply is then read as today's layout, whose labels include "Expiration Date:".
    const std::string reply = thinReply("", Record, "NOTICE:\n");
    EXPECT_EQ(oldReading(VerisignHost, reply).value(core::Field::ExpiryDate), "");
    const Parsed parsed = parseAs(VerisignHost, reply);
    EXPECT_EQ(parsed.status, LookupStatus::Success);
    EXPECT_EQ(parsed.expiryDate, "14-sep-2020");
    EXPECT_EQ(parsed.registrationDate, "15-sep-1997");
    EXPECT_EQ(parsed.registrar, "ABC REGISTRAR,   INC.");
    EXPECT_EQ(parsed.owner, "N/A");

    // A reply neither reading knows is no result; the old rules' empty fields and N/A stay.
    const Parsed unknown = parseAs(VerisignHost, "Something else entirely\nExpiration Date 2\n");
    EXPECT_EQ(unknown.status, LookupStatus::Error);
    EXPECT_EQ(unknown.registrationDate, "");
    EXPECT_EQ(unknown.registrar, "");
    EXPECT_EQ(unknown.email, "N/A");
}

TEST(VerisignTvBranch, NeedsTheFullStopAndReadsUpdatedDate)
{
    const Parsed parsed = parseAs(VerisignTvHost, thinReply("", Record, "NOTICE:\n"));
    EXPECT_EQ(parsed.updatedDate, "20-jul-2011");
    EXPECT_EQ(parsed.registrationDate, "15-sep-1997");
    EXPECT_EQ(parsed.expiryDate, "14-sep-2020");

    const std::string noStop = "for detailed information\n" + std::string(Record) + "NOTICE:\n";
    EXPECT_EQ(oldReading(VerisignTvHost, noStop).value(core::Field::ExpiryDate), "");
    EXPECT_EQ(oldReading(VerisignHost, noStop + " ").value(core::Field::ExpiryDate),
              ""); // "NOTICE:\n" is not "NOTICE: "
    const std::string comNoStop = "for detailed information\n" + std::string(Record) + "NOTICE: x";
    EXPECT_EQ(parseAs(VerisignHost, comNoStop).expiryDate, "14-sep-2020"); // .com needs no full stop
}

TEST(NicCcBranch, VerdictOutsideARecordAndRegistrarInItsOwnColumn)
{
    EXPECT_EQ(parseAs(NicCcHost, thinReply("No match for \"X.CC\".\n", "", "NOTICE:")).status,
              LookupStatus::NotRegistered);
    // A reply with a record answers for the name, whatever else it says.
    EXPECT_EQ(parseAs(NicCcHost, thinReply("No match for \"X.CC\".\n", Record, "NOTICE:")).status,
              LookupStatus::Success);

    const Parsed parsed = parseAs(NicCcHost, thinReply("", Record, "NOTICE:"));
    EXPECT_EQ(parsed.status, LookupStatus::Success);
    EXPECT_EQ(parsed.registrar, "ABC REGISTRAR, INC.");
    EXPECT_EQ(parsed.owner, "N/A");
    EXPECT_EQ(parsed.email, "N/A");
    EXPECT_EQ(parsed.updatedDate, "Thu, 26 Jan 2012 14:02:48 UTC");
}

TEST(NicCcBranch, CreationDateNeedsTheColonOfItsEndLabel)
{
    const std::string record =
        "Creation Date: 07-jun-1999\nExpiration Date 2\nExpiration Date: 07-jun-2010\n>>>\n";
    EXPECT_EQ(parseAs(NicCcHost, thinReply("", record, "NOTICE:")).registrationDate,
              "07-jun-1999 Expiration Date 2");
    EXPECT_EQ(parseAs(VerisignTvHost, thinReply("", record, "NOTICE:")).registrationDate, "07-jun-1999");
}

} // namespace
} // namespace zonedesk::test
