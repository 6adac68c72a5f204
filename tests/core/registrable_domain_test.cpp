// SPDX-License-Identifier: MIT
#include "core/registrable_domain.h"

#include <string>

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace zonedesk::core {
namespace {

using Kind = DomainParts::Kind;

struct Case
{
    std::string_view name;
    Kind kind;
    std::string_view registrable;
    std::string_view suffix;
    std::string_view tld;
};

void expectParts(const Case& c, const DomainParts& parts)
{
    EXPECT_EQ(parts.kind, c.kind) << c.name << ": " << parts.error;
    EXPECT_EQ(parts.registrable, c.registrable) << c.name;
    EXPECT_EQ(parts.suffix, c.suffix) << c.name;
    EXPECT_EQ(parts.tld, c.tld) << c.name;
}

// "www.例子.中国" and "Bücher.de" in UTF-8, and the first in A-labels.
constexpr std::string_view ChineseName = "www.\xE4\xBE\x8B\xE5\xAD\x90.\xE4\xB8\xAD\xE5\x9B\xBD";
constexpr std::string_view ChineseALabels = "www.xn--fsqu00a.xn--fiqs8s";
constexpr std::string_view GermanName = "B\xC3\xBC"
                                        "cher.de";

TEST(SplitDomain, FindsTheRegistrableDomainByTheSystemList)
{
    // foo.blogspot.com: the list's private section doesn't count, blogspot.com is a registration.
    // clang-format off
    const Case cases[] = {
        {"www.example.co.uk",    Kind::Registrable,  "example.co.uk",          "co.uk",      "uk"        },
        {"shop.example.com.au",  Kind::Registrable,  "example.com.au",         "com.au",     "au"        },
        {"Example.COM.",         Kind::Registrable,  "example.com",            "com",        "com"       },
        {"a.b.c.example.org",    Kind::Registrable,  "example.org",            "org",        "org"       },
        {"foo.blogspot.com",     Kind::Registrable,  "blogspot.com",           "com",        "com"       },
        {"deep.name.unknowntld", Kind::Registrable,  "name.unknowntld",        "unknowntld", "unknowntld"},
        {"co.uk",                Kind::PublicSuffix, "",                       "co.uk",      "uk"        },
        {"com",                  Kind::PublicSuffix, "",                       "com",        "com"       },
        {"localhost",            Kind::PublicSuffix, "",                       "localhost",  "localhost" },
        {ChineseName,            Kind::Registrable,  "xn--fsqu00a.xn--fiqs8s", "xn--fiqs8s", "xn--fiqs8s"},
        {ChineseALabels,         Kind::Registrable,  "xn--fsqu00a.xn--fiqs8s", "xn--fiqs8s", "xn--fiqs8s"},
        {GermanName,             Kind::Registrable,  "xn--bcher-kva.de",       "de",         "de"        },
    };
    // clang-format on
    for (const Case& c : cases)
        expectParts(c, splitDomain(c.name));
    EXPECT_EQ(splitDomain("WWW.Example.co.uk.").name, "www.example.co.uk");
}

TEST(SplitDomain, FollowsWildcardExceptionAndPrivateRulesOfAList)
{
    const test::TempDir dir;
    const auto file = dir.write("list.dat",
                                "// ===BEGIN ICANN DOMAINS===\n"
                                "uk\nco.uk\nck\n*.ck\n!www.ck\n"
                                "// ===END ICANN DOMAINS===\n"
                                "// ===BEGIN PRIVATE DOMAINS===\n"
                                "blogspot.co.uk\n"
                                "// ===END PRIVATE DOMAINS===\n");
    std::string error;
    const auto list = PublicSuffixList::load(file, error);
    ASSERT_TRUE(list) << error;
    // clang-format off
    const Case cases[] = {
        {"a.b.foo.ck",       Kind::Registrable,  "b.foo.ck",       "foo.ck", "ck" },
        {"foo.ck",           Kind::PublicSuffix, "",               "foo.ck", "ck" },
        {"a.www.ck",         Kind::Registrable,  "www.ck",         "ck",     "ck" },
        {"x.blogspot.co.uk", Kind::Registrable,  "blogspot.co.uk", "co.uk",  "uk" },
        {"www.example.net",  Kind::Registrable,  "example.net",    "net",    "net"}, // a TLD the list lacks
    };
    // clang-format on
    for (const Case& c : cases)
        expectParts(c, splitDomain(c.name, *list));

    EXPECT_FALSE(PublicSuffixList::load(dir.path() / "missing.dat", error));
    EXPECT_NE(error.find("missing.dat"), std::string::npos);
}

TEST(SplitDomain, WhatIsNotAHostNameSaysWhy)
{
    const std::string label63(63, 'a');
    const std::string longest = label63 + "." + label63 + "." + label63 + "." + std::string(58, 'b') + ".uk";
    ASSERT_EQ(longest.size(), 253U);
    EXPECT_EQ(splitDomain(longest).kind, Kind::Registrable);
    EXPECT_EQ(splitDomain(label63 + ".com").kind, Kind::Registrable);

    for (const std::string& name : {std::string(),
                                    std::string("."),
                                    std::string("exa mple.com"),
                                    std::string("-a.com"),
                                    std::string("a-.com"),
                                    std::string("a..com"),
                                    std::string("under_score.com"),
                                    std::string(64, 'a') + ".com",
                                    "x" + longest,
                                    std::string("192.168.0.1"),
                                    std::string("\xFF\xFE.com"),
                                    std::string(2000, '.')}) {
        const DomainParts parts = splitDomain(name);
        EXPECT_EQ(parts.kind, Kind::NotADomain) << name;
        EXPECT_FALSE(parts.error.empty()) << name;
        EXPECT_EQ(parts.registrable, "") << name;
    }
}

} // namespace
} // namespace zonedesk::core
