// SPDX-License-Identifier: MIT
#include "core/whois_hosts.h"

#include <string>

#include <gtest/gtest.h>

#include "core/data_files.h"
#include "core/domain_table.h"
#include "tests/support/temp_dir.h"

namespace zonedesk::core {
namespace {

TEST(WhoisHostTable, ReadsTldsAndHostsInEitherLineEnd)
{
    std::string error;
    const auto table =
        WhoisHostTable::parse("de\twhois.denic.de\r\nfj\twww.whois.fj\n\nxn--p1ai\twhois.tcinet.ru", error);
    ASSERT_TRUE(table) << error;
    EXPECT_EQ(table->size(), 3U);
    EXPECT_EQ(table->hostFor("de"), "whois.denic.de");
    EXPECT_EQ(table->hostFor("fj"), "www.whois.fj");
    EXPECT_EQ(table->hostFor("xn--p1ai"), "whois.tcinet.ru");
    EXPECT_EQ(table->hostFor("DE"), "");
    EXPECT_EQ(table->hostFor("uk"), "");

    const auto empty = WhoisHostTable::parse("", error);
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->size(), 0U);
}

TEST(WhoisHostTable, HostsFitTheServerFieldExactly)
{
    const std::string fifty = std::string(46, 'h') + ".org";
    ASSERT_EQ(fifty.size(), MaxWhoisHostBytes);
    ASSERT_EQ(sizeof(DomainRecord::server), MaxWhoisHostBytes + 1);
    std::string error;
    const auto fits = WhoisHostTable::parse("zz\t" + fifty + "\n", error);
    ASSERT_TRUE(fits) << error;
    EXPECT_EQ(fits->hostFor("zz"), fifty);
    EXPECT_FALSE(WhoisHostTable::parse("zz\th" + fifty + "\n", error));
    EXPECT_EQ(error, "line 1: the host is longer than 50 bytes");
}

TEST(WhoisHostTable, RefusesTheWholeFileAtItsFirstBadLine)
{
    struct Case
    {
        std::string_view text;
        std::string_view error;
    };

    // clang-format off
    const Case cases[] = {
        {"de\twhois.denic.de\nuk whois.nic.uk\n",    "line 2: not a TLD and a host separated by one tab"},
        {"de\twhois.denic.de\textra\n",              "line 1: not a TLD and a host separated by one tab"},
        {"DE\twhois.denic.de\n",                     "line 1: the TLD is not one lower-case label"      },
        {"co.uk\twhois.nic.uk\n",                    "line 1: the TLD is not one lower-case label"      },
        {"\twhois.nic.uk\n",                         "line 1: the TLD is not one lower-case label"      },
        {"uk\t\n",                                   "line 1: the host is not a lower-case host name"   },
        {"uk\twhois nic uk\n",                       "line 1: the host is not a lower-case host name"   },
        {"uk\twhois..uk\n",                          "line 1: the host is not a lower-case host name"   },
        {"uk\tWHOIS.NIC.UK\n",                       "line 1: the host is not a lower-case host name"   },
        {"uk\twhois.nic.uk\n\nuk\twhois.other.uk\n", "line 3: the TLD is listed again"                  },
    };
    // clang-format on
    for (const Case& c : cases) {
        std::string error;
        EXPECT_FALSE(WhoisHostTable::parse(c.text, error)) << c.text;
        EXPECT_EQ(error, c.error) << c.text;
    }
}

TEST(WhoisHostTable, HoldsItsBounds)
{
    std::string error;
    EXPECT_FALSE(WhoisHostTable::parse(std::string(MaxWhoisTableBytes + 1, '\n'), error));
    EXPECT_NE(error.find("larger than"), std::string::npos);
    EXPECT_FALSE(WhoisHostTable::parse(std::string(MaxWhoisTableLines + 1, '\n'), error));
    EXPECT_NE(error.find("more than"), std::string::npos);

    const test::TempDir dir;
    const auto file = dir.write("table.tsv", "uk\twhois.nic.uk\nuk\n");
    EXPECT_FALSE(WhoisHostTable::load(file, error));
    EXPECT_EQ(error, file.string() + ": line 2: not a TLD and a host separated by one tab");
}

TEST(WhoisHostTable, TheShippedTableReadsWhole)
{
    std::string error;
    const auto shipped =
        WhoisHostTable::load(dataDirFor(nullptr, ZONEDESK_BINARY_DIR) / WhoisTableFileName, error);
    ASSERT_TRUE(shipped) << error;
    EXPECT_EQ(shipped->size(), 885U);
    EXPECT_EQ(shipped->hostFor("de"), "whois.denic.de");
    EXPECT_EQ(shipped->hostFor("fj"), "www.whois.fj");
    EXPECT_EQ(shipped->hostFor("info"), ""); // RDAP only
}

} // namespace
} // namespace zonedesk::core
