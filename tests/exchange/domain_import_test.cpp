// SPDX-License-Identifier: MIT
#include "exchange/domain_import.h"

#include <string>

#include <gtest/gtest.h>

#include "core/domain_table.h"
#include "core/field_copy.h"
#include "tests/support/temp_dir.h"

namespace zonedesk::exchange {
namespace {

using core::fieldText;

TEST(NormaliseDomainLine, TrimsLowerCasesAndStripsWebDecoration)
{
    struct Case
    {
        const char* why;
        std::string line;
        std::string expected;
    };

    const Case cases[] = {
        {"blanks and tabs go first",            " \t example.com \t\r\n",      "example.com"         },
        {"upper case, also of www.",            "WWW.Example.COM",             "example.com"         },
        {"everything at once",                  "  HTTP://www.Example.com/  ", "example.com"         },
        {"https:// goes like http://",          "https://example.com",         "example.com"         },
        {"www. only at the start",              "ilovewww.com",                "ilovewww.com"        },
        {"www. after the scheme",               "http://www.example.com",      "example.com"         },
        {"a path is cut, not joined",           "example.com/a/b",             "example.com"         },
        {"leading slashes still name a host",   "//example.com/x",             "example.com"         },
        {"uncovered blank stays",               "http:// example.com",         " example.com"        },
        {"only www. is empty",                  "www.",                        ""                    },
        {"only a slash is empty",               "/",                           ""                    },
        {"blank line is empty",                 "   \r\n",                     ""                    },
        {"word without dot is kept",            "Localhost",                   "localhost"           },
        {"GBK trail byte 0x41 is not a letter", "\xD6\x41.CN",                 "\xD6\x41.cn"         },
        {"GBK name kept byte for byte",         "\xD6\xD0\xCE\xC4.COM",        "\xD6\xD0\xCE\xC4.com"},
        {"scheme after a GBK character",        "\xD6\xD0http://x.com",        "\xD6\xD0x.com"       },
        {"GBK trail byte 'h' starts no scheme", "\xB0http://x.com",            "\xB0http:"           },
    };
    for (const Case& c : cases)
        EXPECT_EQ(normaliseDomainLine(c.line), c.expected) << c.why;
}

class ImportDomains : public ::testing::Test
{
protected:
    void SetUp() override
    {
        table = core::DomainTable::allocate();
        ASSERT_NE(table, nullptr);
    }

    std::string domainAt(std::size_t i) const { return std::string(fieldText((*table)[i].domain)); }

    std::string serverAt(std::size_t i) const { return std::string(fieldText((*table)[i].server)); }

    test::TempDir dir;
    std::unique_ptr<core::DomainTable> table;
};

TEST_F(ImportDomains, ReadsLinesUntilTheFirstEmptyOne)
{
    const auto file = dir.write("list.txt",
                                "\xEF\xBB\xBF"
                                "First.com\r\nsecond.cn\nsecond.cn\nlocalhost\n\nafter-blank.com\n");
    const ImportReport report = importDomains(*table, file);
    EXPECT_EQ(report.outcome, ImportOutcome::Imported);
    ASSERT_EQ(report.count, 4);
    EXPECT_EQ(table->count(), 4);
    EXPECT_EQ(domainAt(0), "first.com"); // byte-order mark dropped
    EXPECT_EQ(serverAt(0), "whois.verisign-grs.com");
    EXPECT_EQ(domainAt(1), "second.cn");
    EXPECT_EQ(domainAt(2), "second.cn"); // duplicates kept
    EXPECT_EQ(serverAt(3), "");
    EXPECT_EQ(domainAt(4), "");
}

TEST_F(ImportDomains, LastLineWithoutLineEndCounts)
{
    const ImportReport report = importDomains(*table, dir.write("list.txt", "a.com\nb.org"));
    ASSERT_EQ(report.count, 2);
    EXPECT_EQ(domainAt(1), "b.org");
    EXPECT_EQ(serverAt(1), "whois.publicinterestregistry.org");
}

TEST_F(ImportDomains, BlankFirstLineEmptiesTheTable)
{
    ASSERT_EQ(importDomains(*table, dir.write("old.txt", "old.com\n")).count, 1);
    const ImportReport report = importDomains(*table, dir.write("list.txt", "  \nnew.com\n"));
    EXPECT_EQ(report.count, 0);
    EXPECT_EQ(table->count(), 0);
    EXPECT_EQ(domainAt(0), ""); // the previous list is gone
}

TEST_F(ImportDomains, InvalidFileLeavesTheTableUnchanged)
{
    ASSERT_EQ(importDomains(*table, dir.write("old.txt", "old.com\n")).count, 1);
    for (const auto& path : {dir.path() / "missing.txt", dir.path()}) {
        const ImportReport report = importDomains(*table, path);
        EXPECT_EQ(report.outcome, ImportOutcome::InvalidFile) << path;
        EXPECT_NE(report.error, 0);
        EXPECT_EQ(table->count(), 1);
        EXPECT_EQ(domainAt(0), "old.com");
    }
}

TEST_F(ImportDomains, NamesTooLongForTheFieldAreSkippedAndCounted)
{
    const std::string fits = std::string(36, 'a') + ".com";    // 40 bytes
    const std::string tooLong = std::string(37, 'b') + ".com"; // 41 bytes
    std::string gbkTooLong;                                    // 41 bytes: a cut would query another name
    for (int i = 0; i < 20; ++i)
        gbkTooLong += "\xD6\xD0";
    gbkTooLong += "x";
    const ImportReport report = importDomains(
        *table, dir.write("list.txt", fits + "\n" + tooLong + "\n" + gbkTooLong + "\nnext.com\n"));
    EXPECT_EQ(report.tooLong, 2);
    ASSERT_EQ(report.count, 2);
    EXPECT_EQ(domainAt(0), fits);
    EXPECT_EQ(domainAt(1), "next.com"); // a skipped name does not end the list
}

TEST_F(ImportDomains, StoresAtMostTableCapacityNames)
{
    std::string lines;
    for (int i = 0; i < core::TableCapacity + 2; ++i)
        lines += "d" + std::to_string(i) + ".com\n";
    const ImportReport report = importDomains(*table, dir.write("list.txt", lines));
    EXPECT_EQ(report.count, core::TableCapacity);
    EXPECT_EQ(report.overCapacity, 2);
    EXPECT_EQ(domainAt(core::TableCapacity - 1), "d9999.com");
    EXPECT_EQ(serverAt(core::TableCapacity - 1), "whois.verisign-grs.com");
}

} // namespace
} // namespace zonedesk::exchange
