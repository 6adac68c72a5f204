// SPDX-License-Identifier: MIT
// Dispatch and storing rules shared by every branch.
#include "parse/parse_reply.h"

#include <cstring>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "core/domain_table.h"
#include "tests/parse/parsed_record.h"

namespace zonedesk::test {
namespace {

using core::LookupStatus;

TEST(ParseReply, EmptyReplyIsAnErrorThatWritesNoText)
{
    const Parsed parsed = parseAs(VerisignHost, "");
    EXPECT_EQ(parsed.status, LookupStatus::Error);
    EXPECT_TRUE(parsed.done);
    EXPECT_EQ(parsed.expiryDate, Untouched);
    EXPECT_EQ(parsed.registrar, Untouched);
}

TEST(ParseReply, ServerWithoutBranchLeavesTheRecordButDone)
{
    for (const std::string_view host : {"whois.example.net", "WHOIS.VERISIGN-GRS.COM", ""}) {
        const Parsed parsed = parseAs(host, "No match for \"X\".\nCreation Date: 1\n");
        EXPECT_EQ(parsed.status, LookupStatus::NoServer) << host;
        EXPECT_TRUE(parsed.done);
        EXPECT_EQ(parsed.owner, Untouched);
    }
}

TEST(ParseReply, NotRegisteredWritesNoField)
{
    const Parsed parsed = parseAs(AfiliasHost, "NOT FOUND\nCreated On:01-Jan-2000\nLast Updated On:x\n");
    EXPECT_EQ(parsed.status, LookupStatus::NotRegistered);
    EXPECT_EQ(parsed.registrationDate, Untouched);
    EXPECT_EQ(parsed.email, Untouched);
}

TEST(ParseReply, OverLongValuesAreCutAtTheirFieldWidth)
{
    // .info's e-mail runs to "Name Server:", across every other contact block.
    std::string reply = "Registrant Email:";
    for (int i = 0; i < 40; ++i)
        reply += "contact" + std::to_string(i) + "@example.info ";
    reply += "\nName Server:ns1\nSponsoring Registrar:" + std::string(400, 'R') + "\nStatus:ok\n";

    auto record = std::make_unique<core::DomainRecord>();
    std::memset(record.get(), 0x5A, sizeof(core::DomainRecord));
    core::copyField(record->server, AfiliasHost);
    parse::parseReply(reply, *record);
    EXPECT_EQ(core::fieldText(record->email).size(), 50U);
    EXPECT_EQ(core::fieldText(record->registrar), std::string(250, 'R'));
    EXPECT_EQ(record->claimed, 0x5A); // the byte after `registrar`
    EXPECT_EQ(record->shown, 0x5A);
}

TEST(ParseReply, HugeAndValuelessRepliesStayWithinTheFields)
{
    std::string huge = "Registrant Name:" + std::string(4 << 20, 'x') + "Registrant Organization:";
    const Parsed big = parseAs(BizHost, huge);
    EXPECT_EQ(big.status, LookupStatus::Success);
    EXPECT_EQ(big.owner.size(), 250U);

    std::string labels;
    for (int i = 0; i < 2000; ++i)
        labels += "Domain Registration Date:\nDomain Expiration Date:\nRegistrant Name:\nRegistrant Email:\n";
    const Parsed empty = parseAs(BizHost, labels);
    EXPECT_EQ(empty.status, LookupStatus::Error); // labels without a value are no record
    EXPECT_EQ(empty.registrationDate, "");
    EXPECT_LE(empty.email.size(), 50U);
}

} // namespace
} // namespace zonedesk::test
