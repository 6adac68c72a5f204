// SPDX-License-Identifier: MIT
// Real replies in the registries' older layouts, from the shared corpus beside the repository.
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "tests/parse/parsed_record.h"
#include "tests/support/shared_corpus.h"

namespace zonedesk::test {
namespace {

using core::LookupStatus;

// Older replies whose layout the per-registry rules were not written for: a second-level .jp
// name without an expiry line, and the English (/e) .jp output. Their expiry stays empty.
const std::set<std::string> UnreadableExpiry = {"jp/legacy-registered-2.txt", "jp/legacy-registered-3.txt"};

TEST(LegacyCorpus, VerdictsAndExpiryDates)
{
    const auto replies = corpusReplies();
    if (replies.empty())
        GTEST_SKIP() << "shared WHOIS replies not found";
    int checked = 0;
    for (const CorpusReply& reply : replies) {
        if (reply.era != "legacy" || (reply.kind != "registered" && reply.kind != "available"))
            continue;
        ++checked;
        const Parsed parsed = parseAs(hostForSuffix(reply.suffix), corpusBytes(reply));
        if (reply.kind == "available") {
            EXPECT_EQ(parsed.status, LookupStatus::NotRegistered) << reply.file;
            continue;
        }
        EXPECT_EQ(parsed.status, LookupStatus::Success) << reply.file;
        if (UnreadableExpiry.contains(reply.file))
            EXPECT_EQ(parsed.expiryDate, "") << reply.file;
        else
            EXPECT_TRUE(holdsDate(parsed.expiryDate, reply.expiry))
                << reply.file << ": " << parsed.expiryDate << " should hold " << reply.expiry;
    }
    EXPECT_GE(checked, 25);
}

} // namespace
} // namespace zonedesk::test
