// SPDX-License-Identifier: MIT
// A reply that carries a record answers for its name only: a not-registered phrase in a notice or a
// value does not make it free, and a record of another name is no answer for the one asked.
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/whois_servers.h"
#include "parse/branch.h"
#include "parse/parse_reply.h"
#include "parse/reply_entry.h"
#include "tests/parse/parsed_record.h"
#include "tests/support/shared_corpus.h"
#include "tests/support/temp_dir.h"

namespace zonedesk::test {
namespace {

using core::ErrorReason;
using core::LookupStatus;

struct RegisteredReply
{
    std::string label; // for failure messages
    core::WhoisServer server;
    std::string domain;
    std::string text;
};

std::string withName(std::string text, std::string_view name)
{
    std::string upper(name);
    for (char& c : upper)
        c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    for (const auto& [mark, value] : {std::pair<std::string_view, std::string_view>{"{DOMAIN}", upper},
                                      std::pair<std::string_view, std::string_view>{"{domain}", name}}) {
        for (std::size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at))
            text.replace(at, mark.size(), value);
    }
    return text;
}

/// The registered samples of the registries with rules of their own (always at hand) and the
/// registered replies of the shared corpus, both eras (when it is beside the repository).
std::vector<RegisteredReply> registeredReplies()
{
    struct Sample
    {
        const char* sample;
        std::string_view host;
        const char* domain;
    };

    const Sample samples[] = {
        {"afilias", AfiliasHost, "example.info"},
        {"biz", BizHost, "example.biz"},
        {"cnnic", CnnicHost, "example.cn"},
        {"educause", EducauseHost, "example.edu"},
        {"hkirc", HkircHost, "example.hk"},
        {"jprs", JprsHost, "example.jp"},
        {"niccc", NicCcHost, "example.cc"},
        {"pir", PirHost, "example.org"},
        {"verisign", VerisignHost, "example.com"},
        {"verisigntv", VerisignTvHost, "example.tv"},
    };
    std::vector<RegisteredReply> replies;
    const std::filesystem::path folder = std::filesystem::path(ZONEDESK_SOURCE_DIR) / "res" / "samples";
    for (const Sample& s : samples) {
        replies.push_back(
            {s.sample,
             *core::serverForHost(s.host),
             s.domain,
             withName(readFile(folder / (std::string(s.sample) + "-registered.txt")), s.domain)});
    }
    for (const CorpusReply& reply : corpusReplies()) {
        if (reply.kind == "registered" && !reply.domain.empty())
            replies.push_back({reply.file,
                               *core::serverForHost(hostForSuffix(reply.suffix)),
                               reply.domain,
                               corpusBytes(reply)});
    }
    return replies;
}

parse::Reading read(const std::string& reply, core::WhoisServer server, std::string_view domain = {})
{
    return parse::readReply(reply, server, parse::serviceRefusal(reply), domain);
}

/// The registry's own not-registered phrase of the old layout and the phrases today's replies of
/// the ten write.
std::vector<std::string_view> notRegisteredPhrases(core::WhoisServer server)
{
    std::vector<std::string_view> phrases = {"NOT FOUND",
                                             "Domain not found.",
                                             "No Data Found",
                                             "No match for \"",
                                             "No matching record.",
                                             "No match!!",
                                             "The domain has not been registered.",
                                             "NO MATCH:"};
    if (const parse::Branch& branch = parse::branchFor(server); !branch.notRegistered.empty())
        phrases.push_back(branch.notRegistered);
    return phrases;
}

TEST(RecordVerdict, NotRegisteredPhrasesInsideARecordSayNothing)
{
    int withRecord = 0;
    for (const RegisteredReply& reply : registeredReplies()) {
        ASSERT_EQ(read(reply.text, reply.server).status(), LookupStatus::Success) << reply.label;
        const bool record = parse::carriesEntry(reply.text);
        withRecord += record ? 1 : 0;
        for (const std::string_view phrase : notRegisteredPhrases(reply.server)) {
            const std::string p(phrase);
            // In a value: never the server's word about the name.
            EXPECT_EQ(read(reply.text + "\nRegistrant Organization: " + p + " Holdings Ltd\n", reply.server)
                          .status(),
                      LookupStatus::Success)
                << reply.label << " / " << p;
            EXPECT_EQ(read(reply.text + "\n[Registrant] " + p + " Holdings Ltd\n", reply.server).status(),
                      LookupStatus::Success)
                << reply.label << " / " << p;
            if (!record)
                continue;
            // In a notice, or a line of its own, of a reply that carries the name's record.
            EXPECT_EQ(
                read("NOTICE: \"" + p + "\" means the name is free\n" + reply.text, reply.server).status(),
                LookupStatus::Success)
                << reply.label << " / " << p;
            EXPECT_EQ(read(reply.text + "\n" + p + "\n", reply.server).status(), LookupStatus::Success)
                << reply.label << " / " << p;
        }
    }
    EXPECT_GE(withRecord, 10);
}

TEST(RecordVerdict, AReplyForAnotherNameIsAnError)
{
    int checked = 0;
    for (const RegisteredReply& reply : registeredReplies()) {
        if (!parse::carriesEntry(reply.text))
            continue;
        ++checked;
        const std::string suffix = reply.domain.substr(reply.domain.rfind('.'));
        EXPECT_EQ(read(reply.text, reply.server, reply.domain).status(), LookupStatus::Success)
            << reply.label;
        std::string upper = reply.domain;
        for (char& c : upper)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        EXPECT_EQ(read(reply.text, reply.server, upper).status(), LookupStatus::Success) << reply.label;
        const parse::Reading other = read(reply.text, reply.server, "someone-else" + suffix);
        EXPECT_EQ(other.status(), LookupStatus::Error) << reply.label;
        EXPECT_EQ(other.reason(), ErrorReason::OtherDomain) << reply.label;
    }
    EXPECT_GE(checked, 10);
}

TEST(RecordVerdict, StatedNamesCompareInAnyLabelFormAndCase)
{
    using parse::statesOnlyOtherNames;
    const std::string record =
        "Domain Name: \xE4\xB8\xAD\xE5\x9B\xBD.cn\nExpiration Time: 2030-01-01 00:00:00\n";
    EXPECT_FALSE(statesOnlyOtherNames(record, "xn--fiqs8s.cn"));
    EXPECT_FALSE(statesOnlyOtherNames(record, "\xE4\xB8\xAD\xE5\x9B\xBD.cn"));
    EXPECT_TRUE(statesOnlyOtherNames(record, "xn--fiq228c.cn"));
    EXPECT_FALSE(statesOnlyOtherNames("   Domain Name: EXAMPLE.COM.\n", "example.com"));
    EXPECT_FALSE(statesOnlyOtherNames("[Domain Name]   EXAMPLE.JP\n", "example.jp"));
    EXPECT_FALSE(
        statesOnlyOtherNames("domain: example.co.uk\n", "www.example.co.uk")); // the name it lies under
    EXPECT_TRUE(statesOnlyOtherNames("domain: ample.co.uk\n", "example.co.uk"));
    // Several matches, one of them the name asked for (the legacy .com server lists look-alikes).
    EXPECT_FALSE(
        statesOnlyOtherNames("Domain Name: GOOGLE.COM.EVIL\nDomain Name: GOOGLE.COM\n", "google.com"));
    // Lines that state no name: the reply is read as before.
    EXPECT_FALSE(statesOnlyOtherNames("Domain Name: not found\nRegistrant: someone.org\n", "example.org"));
    EXPECT_FALSE(statesOnlyOtherNames("Creation Date: 2001-01-01\n", "example.org"));
}

} // namespace
} // namespace zonedesk::test
