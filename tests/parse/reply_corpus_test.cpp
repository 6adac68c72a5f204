// SPDX-License-Identifier: MIT
// Real replies of the ten registries, both eras, from the shared corpus beside the repository.
#include <map>
#include <string>

#include <gtest/gtest.h>

#include "tests/parse/parsed_record.h"
#include "tests/support/shared_corpus.h"

namespace zonedesk::test {
namespace {

using core::LookupStatus;

struct Tally
{
    int verdicts = 0;
    int rightVerdicts = 0;
    int expiries = 0;
    int rightExpiries = 0;
};

TEST(ReplyCorpus, VerdictsAndDatesOfBothEras)
{
    const auto replies = corpusReplies();
    if (replies.empty())
        GTEST_SKIP() << "shared WHOIS replies not found";
    std::map<std::string, Tally> tallies; // "suffix era"
    for (const CorpusReply& reply : replies) {
        const Parsed parsed = parseAs(hostForSuffix(reply.suffix), corpusBytes(reply));
        Tally& tally = tallies[reply.suffix + " " + reply.era];
        if (reply.kind == "available") {
            ++tally.verdicts;
            tally.rightVerdicts += parsed.status == LookupStatus::NotRegistered;
            EXPECT_EQ(parsed.status, LookupStatus::NotRegistered) << reply.file;
        } else if (reply.kind == "registered") {
            ++tally.verdicts;
            tally.rightVerdicts += parsed.status == LookupStatus::Success;
            EXPECT_EQ(parsed.status, LookupStatus::Success) << reply.file;
            if (!reply.expiry.empty()) {
                ++tally.expiries;
                tally.rightExpiries += holdsDate(parsed.expiryDate, reply.expiry);
                EXPECT_TRUE(holdsDate(parsed.expiryDate, reply.expiry))
                    << reply.file << ": expiry " << parsed.expiryDate << " should hold " << reply.expiry;
            }
            if (!reply.created.empty()) {
                EXPECT_TRUE(holdsDate(parsed.registrationDate, reply.created))
                    << reply.file << ": creation " << parsed.registrationDate << " should hold "
                    << reply.created;
            }
        } else if (reply.kind == "throttled" || reply.kind == "other") {
            // A refusal or an outage says nothing about the domain.
            EXPECT_EQ(parsed.status, LookupStatus::Error) << reply.file;
        } else {
            EXPECT_NE(parsed.status, LookupStatus::NotRegistered) << reply.file; // reserved names are taken
        }
    }
    for (const auto& [group, tally] : tallies) {
        std::printf("%-14s verdicts %d/%d  expiry dates %d/%d\n",
                    group.c_str(),
                    tally.rightVerdicts,
                    tally.verdicts,
                    tally.rightExpiries,
                    tally.expiries);
    }
}

} // namespace
} // namespace zonedesk::test
