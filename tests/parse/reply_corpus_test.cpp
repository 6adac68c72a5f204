// SPDX-License-Identifier: MIT
// Real replies of the ten registries, both eras, from the shared corpus beside the repository.
#include <map>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "core/text.h"
#include "core/withheld_value.h"
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

/// Every withheld value of the record is "N/A" or stands whole in the reply: somewhere it is
/// followed by nothing but blanks to the end of its line.
void expectNoCutWithholding(const Parsed& parsed, std::string_view reply, const std::string& file)
{
    for (const std::string& text : {parsed.expiryDate,
                                    parsed.registrationDate,
                                    parsed.updatedDate,
                                    parsed.owner,
                                    parsed.email,
                                    parsed.registrar}) {
        bool whole = text == parse::NotApplicable || text == Untouched || !core::isWithheld(text);
        for (std::size_t at = reply.find(text); !whole && at != std::string_view::npos;
             at = reply.find(text, at + 1)) {
            const std::string_view rest = reply.substr(at + text.size());
            whole = core::trim(rest.substr(0, rest.find('\n'))).empty();
        }
        EXPECT_TRUE(whole) << file << ": \"" << text << "\" is cut";
    }
}

// The generic set is read as .org replies too: its gTLDs' ICANN lines are the ones the .org reader
// reads today, and they carry the registries' withholding sentences.
TEST(ReplyCorpus, WithholdingSentencesAreNeverCutToTheFieldWidth)
{
    if (!corpusFolder() && !genericCorpusFolder())
        GTEST_SKIP() << "shared reply corpora not found";
    for (const CorpusReply& reply : corpusReplies()) {
        const std::string bytes = corpusBytes(reply);
        expectNoCutWithholding(parseAs(hostForSuffix(reply.suffix), bytes), bytes, reply.file);
    }
    int sentences = 0;
    for (const GenericReply& reply : genericReplies()) {
        const std::string bytes = genericBytes(reply);
        const Parsed parsed = parseAs(PirHost, bytes);
        expectNoCutWithholding(parsed, bytes, reply.file);
        if (bytes.find("\nRegistrant Email: Please query the R") != std::string::npos) {
            ++sentences;
            EXPECT_EQ(parsed.email, parse::NotApplicable) << reply.file;
        }
    }
    if (genericCorpusFolder()) {
        EXPECT_GE(sentences, 40); // the set holds that many: the search found its lines
    }
}

} // namespace
} // namespace zonedesk::test
