// SPDX-License-Identifier: MIT
#include "core/service_choice.h"

#include <string>

#include <gtest/gtest.h>

#include "core/data_files.h"
#include "tests/support/temp_dir.h"

namespace zonedesk::core {
namespace {

ServiceData smallData()
{
    ServiceData data;
    std::string error;
    data.rdap = RdapBootstrap::parse(R"({"publication": "2026-07-23T02:00:03Z", "services": [
        [["shop", "de", "br", "xn--p1ai", "com"], ["https://rdap.example/"]]]})",
                                     error);
    data.whois = WhoisHostTable::parse("aero\twhois.aero\nde\twhois.denic.de\nsg\twhois.sgnic.sg\n"
                                       "uk\twhois.nic.uk\nxn--p1ai\twhois.tcinet.ru\ncom\twhois.other.com\n",
                                       error);
    EXPECT_TRUE(data.rdap && data.whois) << error;
    return data;
}

TEST(ChooseService, RdapFirstForGenericTldsWhoisFirstForCountryCodes)
{
    struct Case
    {
        std::string_view name;
        std::string_view registrable;
        Service first;
        Service fallback;
        ChoiceReason why;
    };

    // .br has RDAP only, .aero WHOIS only; .xn--p1ai counts as generic; the ten give .com.sg no
    // server, but .com and .cn are theirs.
    const Case cases[] = {
        {"www.example.shop", "example.shop", Service::Rdap, Service::None, ChoiceReason::Bootstrap},
        {"example.de", "example.de", Service::Whois, Service::Rdap, ChoiceReason::Table},
        {"example.br", "example.br", Service::Rdap, Service::None, ChoiceReason::Bootstrap},
        {"example.aero", "example.aero", Service::Whois, Service::None, ChoiceReason::Table},
        {"example.xn--p1ai", "example.xn--p1ai", Service::Rdap, Service::Whois, ChoiceReason::Bootstrap},
        {"www.example.co.uk", "example.co.uk", Service::Whois, Service::None, ChoiceReason::Table},
        {"example.com.sg", "example.com.sg", Service::Whois, Service::None, ChoiceReason::Table},
        {"example.mil", "example.mil", Service::None, Service::None, ChoiceReason::Referral},
        {"example.com", "example.com", Service::None, Service::None, ChoiceReason::TenRegistries},
        {"mail.example.cn", "example.cn", Service::None, Service::None, ChoiceReason::TenRegistries},
        {"co.uk", "", Service::None, Service::None, ChoiceReason::PublicSuffix},
        {"not a name", "", Service::None, Service::None, ChoiceReason::NotADomain},
    };
    const ServiceData data = smallData();
    for (const Case& c : cases) {
        const ServiceChoice choice = chooseService(c.name, data);
        EXPECT_EQ(choice.registrable, c.registrable) << c.name;
        EXPECT_EQ(choice.first, c.first) << c.name;
        EXPECT_EQ(choice.fallback, c.fallback) << c.name;
        EXPECT_EQ(choice.why, c.why) << c.name << ": " << reasonText(choice.why);
    }

    const ServiceChoice de = chooseService("Example.DE", data);
    EXPECT_EQ(de.tld, "de");
    EXPECT_EQ(de.whoisHost, "whois.denic.de");
    EXPECT_EQ(de.rdapBase, "https://rdap.example/");
    const ServiceChoice ten = chooseService("example.com", data);
    EXPECT_EQ(ten.rdapBase, ""); // what the ten get is not touched
    EXPECT_EQ(ten.whoisHost, "");
    EXPECT_FALSE(chooseService("not a name", data).error.empty());
}

TEST(ChooseService, MissingDataLeavesOnlyTheReferral)
{
    const ServiceData none;
    const ServiceChoice choice = chooseService("example.de", none);
    EXPECT_EQ(choice.why, ChoiceReason::Referral);
    EXPECT_EQ(choice.first, Service::None);
    EXPECT_EQ(choice.tld, "de");
}

TEST(ChooseService, TheShippedDataGivesEveryTldItNamesAService)
{
    const test::TempDir emptyCache;
    const ServiceData data = loadServiceData(dataDirFor(nullptr, ZONEDESK_BINARY_DIR), emptyCache.path());
    ASSERT_TRUE(data.rdap);
    ASSERT_TRUE(data.whois);
    EXPECT_TRUE(data.problems.empty()) << data.problems.front();
    int countryCodesByWhois = 0;
    for (const auto& [tld, base] : data.rdap->bases()) {
        // One label more than usual: some TLDs register only below a second level ("*.pg").
        const ServiceChoice choice = chooseService("www.example." + tld, data);
        if (choice.why == ChoiceReason::TenRegistries)
            continue;
        ASSERT_NE(choice.first, Service::None) << tld;
        EXPECT_EQ(choice.rdapBase, base) << tld;
        EXPECT_FALSE((choice.first == Service::Rdap ? choice.rdapBase : choice.whoisHost).empty()) << tld;
        if (isCountryCodeTld(tld) && !choice.whoisHost.empty()) {
            EXPECT_EQ(choice.first, Service::Whois) << tld;
            ++countryCodesByWhois;
        }
    }
    EXPECT_GT(countryCodesByWhois, 10);
    EXPECT_EQ(chooseService("example.de", data).whoisHost, "whois.denic.de");
    EXPECT_EQ(chooseService("example.mil", data).why, ChoiceReason::Referral);
}

TEST(LoadServiceData, SaysWhichFileCouldNotBeUsed)
{
    const test::TempDir data;
    const test::TempDir cache;
    data.write(WhoisTableFileName, "uk\twhois.nic.uk\n");
    cache.write(BootstrapFileName, "not json");
    const ServiceData loaded = loadServiceData(data.path(), cache.path());
    EXPECT_FALSE(loaded.rdap);
    ASSERT_TRUE(loaded.whois);
    ASSERT_EQ(loaded.problems.size(), 2U);
    EXPECT_NE(loaded.problems[0].find((data.path() / BootstrapFileName).string()), std::string::npos);
    EXPECT_NE(loaded.problems[1].find("ignored the cached copy"), std::string::npos);
}

} // namespace
} // namespace zonedesk::core
