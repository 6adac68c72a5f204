// SPDX-License-Identifier: MIT
// Withheld values as the registries write them, and real values that only look like them.
#include "core/withheld_value.h"

#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "core/text.h"
#include "tests/support/shared_corpus.h"

namespace zonedesk::core {
namespace {

TEST(WithheldValue, RegistriesWordingsAndTheirForms)
{
    using enum WithheldForm;
    const std::pair<std::string, WithheldForm> cases[] = {
        {"", ShortForm},
        {" N/A\r", ShortForm},
        {"Redacted For Privacy", ShortForm},       // letter case
        {"Redacted | EU Data Subject", ShortForm}, // .do
        {"NOT DISCLOSED!", ShortForm},             // .eu
        {"Not shown, please visit www.dnsbelgium.be for webbased whois.", ShortForm},
        {"(not shown)", ShortForm},    // .se
        {"Private Person", ShortForm}, // .ru
        {"HIDDEN! Details are available at https://whois.cctld.by", ShortForm},
        {"https://whois.nic.la/contact/google.la/registrant", ShortForm}, // a contact form
        {"Please query the RDDS service of the Registrar of Record  identified in this output for "
         "information on how                      to contact the Registrant",
         Sentence},                                              // runs of blanks inside
        {"Please contact the Registrar listed above", Sentence}, // .in
        {"Visit whois.aeda.ae for Web based WhoIs", Sentence},   // .ae
    };
    for (const auto& [value, form] : cases)
        EXPECT_EQ(withheldForm(value), form) << value;
}

TEST(WithheldValue, RealValuesThatLookWithheldAreNot)
{
    // Made-up names on the edges of the rule first, then values of the shared corpora.
    for (const char* value : {"Privacy Inc",
                              "Redactedly Ltd",
                              "Redacted Media Ltd",
                              "Please query theatre Ltd",
                              "Private Person Holdings",
                              "Visitor Centre Ltd",
                              "PDR LTD. D/B/A PUBLICDOMAINREGISTRY.COM",
                              "See PrivacyGuardian.org", // a proxy service the registry names
                              "ccops AT markmonitor.com",
                              "N/A, 1000"}) // a .bg city line with its postal code
        EXPECT_FALSE(isWithheld(value)) << value;
}

/// An address as registries print it: with "@", or written out as "name AT host" / "name en host".
bool looksLikeAddress(std::string_view value)
{
    std::istringstream words{std::string(value)};
    std::string name, at, host, more;
    words >> name >> at >> host;
    return value.find('@') != std::string_view::npos ||
           (!(words >> more) && (at == "AT" || at == "en") && host.find('.') != std::string::npos);
}

// The registrant's e-mail line of every reply of both corpora holds an address or a withheld
// value; a wording the table lacks, or an address it takes for one, fails here.
TEST(WithheldValue, EveryRegistrantEmailOfTheCorporaIsAnAddressOrWithheld)
{
    std::vector<std::string> replies;
    for (const test::CorpusReply& reply : test::corpusReplies())
        replies.push_back(test::corpusBytes(reply));
    for (const test::GenericReply& reply : test::genericReplies())
        replies.push_back(test::genericBytes(reply));
    if (replies.empty())
        GTEST_SKIP() << "shared reply corpora not found";
    int withheld = 0;
    for (const std::string& reply : replies) {
        for (const std::string_view line : splitLines(reply)) {
            const std::size_t colon = line.find(':');
            const std::string label = asciiLower(trim(line.substr(0, colon)));
            if (colon == std::string_view::npos ||
                (label != "registrant email" && label != "email" && label != "e-mail"))
                continue;
            const std::string_view value = trim(line.substr(colon + 1));
            EXPECT_NE(isWithheld(value), looksLikeAddress(value)) << value;
            withheld += !value.empty() && isWithheld(value);
        }
    }
    EXPECT_GE(withheld, 80); // the corpora hold that many: the scan read them
}

} // namespace
} // namespace zonedesk::core
