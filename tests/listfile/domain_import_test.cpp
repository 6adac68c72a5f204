// SPDX-License-Identifier: MIT
#include "listfile/domain_import.h"

#include <string>

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "core/domain_table.h"
#include "core/field_copy.h"
#include "tests/support/temp_dir.h"

namespace zonedesk::listfile {
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

    // clang-format off
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
        {"a final dot goes",                    "Example.COM.",                "example.com"         },
        {"GBK trail byte 0x41 is not a letter", "\xD6\x41.CN",                 "\xD6\x41.cn"         },
        {"GBK name kept byte for byte",         "\xD6\xD0\xCE\xC4.COM",        "\xD6\xD0\xCE\xC4.com"},
        {"scheme after a GBK character",        "\xD6\xD0http://x.com",        "\xD6\xD0x.com"       },
        {"GBK trail byte 'h' starts no scheme", "\xB0http://x.com",            "\xB0http:"           },
    };
    // clang-format on
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
    ASSERT_EQ(report.count, 3);
    EXPECT_EQ(table->count(), 3);
    EXPECT_EQ(domainAt(0), "first.com"); // byte-order mark dropped
    EXPECT_EQ(serverAt(0), "whois.verisign-grs.com");
    EXPECT_EQ(domainAt(1), "second.cn");
    EXPECT_EQ(domainAt(2), "second.cn"); // duplicates kept
    EXPECT_EQ(domainAt(3), "");          // "localhost" is no domain name
    EXPECT_EQ(report.skipped[static_cast<std::size_t>(SkipReason::NoDot)], 1);
    EXPECT_EQ(report.stoppedAtLine, 5);
    EXPECT_EQ(report.linesAfterStop, 1);
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
    const ImportReport report = importDomains(*table, dir.write("list.txt", "  \nnew.com\n\nlast.com"));
    EXPECT_EQ(report.count, 0);
    EXPECT_EQ(report.stoppedAtLine, 1); // said, not silent
    EXPECT_EQ(report.linesAfterStop, 2);
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
    EXPECT_EQ(report.skipped[static_cast<std::size_t>(SkipReason::TooLong)], 2);
    ASSERT_EQ(report.count, 2);
    EXPECT_EQ(domainAt(0), fits);
    EXPECT_EQ(domainAt(1), "next.com"); // a skipped name does not end the list
}

TEST_F(ImportDomains, StoresAtMostTableCapacityNames)
{
    std::string lines = "not a name\n";
    for (int i = 0; i < core::TableCapacity + 2; ++i)
        lines += "d" + std::to_string(i) + ".com\n";
    const ImportReport report = importDomains(*table, dir.write("list.txt", lines));
    EXPECT_EQ(report.count, core::TableCapacity);
    EXPECT_EQ(report.fullAtLine, core::TableCapacity + 2); // reading stops there
    EXPECT_EQ(domainAt(core::TableCapacity - 1), "d9999.com");
    EXPECT_EQ(serverAt(core::TableCapacity - 1), "whois.verisign-grs.com");
}

TEST_F(ImportDomains, APublicSuffixIsLeftOutUnlessOneOfTheTenServesIt)
{
    const ImportReport report =
        importDomains(*table, dir.write("list.txt", "co.uk\nexample.co.uk\ncom.au\ncom.cn\n"));
    EXPECT_EQ(report.count, 2);
    EXPECT_EQ(report.skipped[static_cast<std::size_t>(SkipReason::PublicSuffix)], 2U);
    EXPECT_EQ(domainAt(0), "example.co.uk");
    EXPECT_EQ(domainAt(1), "com.cn"); // CNNIC's rules, as always
    EXPECT_EQ(serverAt(1), "whois.cnnic.cn");
}

TEST_F(ImportDomains, EveryLineEndGivesOneNamePerLine)
{
    for (const std::string& list : {std::string("alpha.com\rbeta.net\rgamma.org\r"),
                                    std::string("alpha.com\r\nbeta.net\r\ngamma.org"),
                                    std::string("alpha.com\nbeta.net\r\ngamma.org\r")}) {
        const ImportReport report = importDomains(*table, dir.write("list.txt", list));
        ASSERT_EQ(report.count, 3) << list;
        EXPECT_EQ(domainAt(0), "alpha.com");
        EXPECT_EQ(domainAt(2), "gamma.org");
    }
}

TEST_F(ImportDomains, LinesThatAreNoDomainNameAreSkippedByReason)
{
    const auto file = dir.write("list.txt",
                                "ok.com\n"
                                "two words.com\n"
                                "tab\tinside.com\n"
                                "bell\x07.com\n"
                                "nodot\n"
                                "under_score.com\n"
                                "a..b.com\n"
                                "=cmd.com\n"
                                "+1.com\n"
                                "-x.com\n"
                                "@x.com\n"
                                "\xA1\xA3.cn\n" // a GBK punctuation mark: no IDNA form
                                "\xD6\xD0\xCE\xC4.cn\n"
                                "last.org\n");
    const ImportReport report = importDomains(*table, file);
    ASSERT_EQ(report.count, 3);
    EXPECT_EQ(domainAt(1), "\xD6\xD0\xCE\xC4.cn");
    EXPECT_EQ(domainAt(2), "last.org");
    const auto skipped = [&](SkipReason reason) { return report.skipped[static_cast<std::size_t>(reason)]; };
    EXPECT_EQ(skipped(SkipReason::Blank), 2);
    EXPECT_EQ(skipped(SkipReason::ControlByte), 1);
    EXPECT_EQ(skipped(SkipReason::NoDot), 1);
    EXPECT_EQ(skipped(SkipReason::BadCharacter), 3);
    EXPECT_EQ(skipped(SkipReason::FormulaPrefix), 4);
    EXPECT_EQ(report.skippedTotal(), 11);
}

TEST_F(ImportDomains, ListEncodingFollowsTheMarkOrTheBytes)
{
    struct Case
    {
        const char* why;
        std::string bytes;
        ListEncoding forced;
        ListEncoding reported;
    };

    const std::string utf8Name = "\xE4\xBE\x8B\xE5\xAD\x90.jp"; // 例子.jp
    const std::string gbkName = "\xC0\xFD\xD7\xD3.jp";          // 例子.jp in GBK
    const std::string utf16Le("\xFF\xFE\x8B\x4F\x50\x5B.\0j\0p\0\r\0\n\0", 16);
    const std::string utf16Be("\xFE\xFF\x4F\x8B\x5B\x50\0.\0j\0p", 12);
    const Case cases[] = {
        {"UTF-8 bytes without a mark", "a.com\n" + utf8Name + "\n", ListEncoding::Auto, ListEncoding::Utf8},
        {"UTF-8 with a mark", "\xEF\xBB\xBF" + utf8Name + "\n", ListEncoding::Auto, ListEncoding::Utf8},
        {"GBK bytes", gbkName + "\n", ListEncoding::Auto, ListEncoding::Gbk},
        {"GBK forced", gbkName + "\n", ListEncoding::Gbk, ListEncoding::Gbk},
        {"UTF-16LE", utf16Le, ListEncoding::Auto, ListEncoding::Utf16},
        {"UTF-16BE", utf16Be, ListEncoding::Auto, ListEncoding::Utf16},
    };
    for (const Case& c : cases) {
        const ImportReport report = importDomains(*table, dir.write("list.txt", c.bytes), c.forced);
        EXPECT_EQ(report.encoding, c.reported) << c.why;
        ASSERT_GE(report.count, 1) << c.why;
        EXPECT_EQ(domainAt(static_cast<std::size_t>(report.count - 1)), gbkName) << c.why;
    }

    // Read as GBK, these bytes would be "渚嬪瓙.jp", a different and real-looking name.
    const ImportReport forcedWrong =
        importDomains(*table, dir.write("list.txt", utf8Name + "\n"), ListEncoding::Gbk);
    EXPECT_EQ(forcedWrong.count, 1);
    EXPECT_NE(domainAt(0), gbkName);
    // A character GBK can't hold is never replaced by "?": the line is left out.
    const ImportReport emoji = importDomains(*table, dir.write("list.txt", "\xF0\x9F\x98\x80.com\nb.com\n"));
    EXPECT_EQ(emoji.count, 1);
    EXPECT_EQ(emoji.skipped[static_cast<std::size_t>(SkipReason::NotInGbk)], 1);
}

TEST_F(ImportDomains, NamesAreMappedAsBrowsersMapThemBeforeTheyAreChecked)
{
    struct Case
    {
        const char* why;
        std::string line;
        std::string stored; // GBK
    };

    const std::string example = "\xC0\xFD\xD7\xD3"; // 例子 in GBK
    // clang-format off
    const Case cases[] = {
        {"non-ASCII capitals folded",
         "B\xC3\x9C"
         "CHER.jp",                                                                     "b\xA8\xB9"
         "cher.jp"                                                                  },
        {"ideographic full stop",
         "\xE4\xBE\x8B\xE5\xAD\x90\xE3\x80\x82"
         "cn",                                                                          example + ".cn"},
        {"half-width ideographic full stop",
         "\xE4\xBE\x8B\xE5\xAD\x90\xEF\xBD\xA1"
         "cn",                                                                          example + ".cn"},
        {"full-width name and stop",
         "\xEF\xBD\x85\xEF\xBD\x98\xEF\xBC\x8E\xEF\xBD\x83\xEF\xBD\x8F\xEF\xBD\x8D",    "ex.com"       },
        {"a final ideographic stop goes",    "\xE4\xBE\x8B\xE5\xAD\x90.cn\xE3\x80\x82", example + ".cn"},
        {"web decoration still goes",
         "HTTPS://www.\xE4\xBE\x8B\xE5\xAD\x90\xE3\x80\x82"
         "CN/x",                                                                        example + ".cn"},
    };
    // clang-format on
    for (const Case& c : cases) {
        const ImportReport report = importDomains(*table, dir.write("list.txt", c.line + "\n"));
        ASSERT_EQ(report.count, 1) << c.why;
        EXPECT_EQ(domainAt(0), c.stored) << c.why;
        EXPECT_FALSE(serverAt(0).empty()) << c.why;
    }

    // A GBK list maps too: 例子。cn with GBK's own ideographic full stop.
    const ImportReport gbk = importDomains(*table,
                                           dir.write("list.txt",
                                                     example + "\xA1\xA3"
                                                               "cn\n"),
                                           ListEncoding::Gbk);
    ASSERT_EQ(gbk.count, 1);
    EXPECT_EQ(domainAt(0), example + ".cn");
    // What the mapping leaves is still checked: a blank, or a character no name holds.
    const ImportReport bad = importDomains(*table,
                                           dir.write("list.txt",
                                                     "\xE4\xBE\x8B \xE5\xAD\x90\xE3\x80\x82"
                                                     "cn\n\xE2\x98\x83\xE3\x80\x82"
                                                     "cn\n"));
    EXPECT_EQ(bad.count, 0);
    EXPECT_EQ(bad.skipped[static_cast<std::size_t>(SkipReason::Blank)], 1);
    EXPECT_EQ(bad.skippedTotal(), 2);
}

TEST_F(ImportDomains, NamesThatMayPassForAnotherAreCounted)
{
    const ImportReport report = importDomains(*table,
                                              dir.write("list.txt",
                                                        "apple.com\n"
                                                        "\xD0\xB0pple.com\n"                // Cyrillic а
                                                        "\xE4\xBE\x8B\xE5\xAD\x90.cn\n"     // 例子
                                                        "\xD0\xB0\xD1\x80\xD0\xB5.com\n")); // аре
    ASSERT_EQ(report.count, 4);
    EXPECT_EQ(report.confusable, (std::vector<std::int32_t>{1, 3}));
}

TEST_F(ImportDomains, OverlongLinesAndBinaryDataAreBounded)
{
    const std::string longLine(5 * 1024 * 1024, 'x');
    const ImportReport report =
        importDomains(*table, dir.write("list.txt", "a.com\n" + longLine + "\nb.com"));
    EXPECT_EQ(report.count, 2);
    EXPECT_EQ(report.skipped[static_cast<std::size_t>(SkipReason::LineTooLong)], 1);

    const ImportReport binary =
        importDomains(*table, dir.write("list.txt", std::string("a.com\nb.c\0m\nc.com\n", 19)));
    EXPECT_EQ(binary.count, 1);
    EXPECT_EQ(binary.end, ListReader::End::Binary);
}

TEST_F(ImportDomains, DevicesAndFifosAreRefused)
{
    ASSERT_EQ(importDomains(*table, dir.write("old.txt", "old.com\n")).count, 1);
    const auto fifo = dir.path() / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::filesystem::path& path : {std::filesystem::path("/dev/zero"), fifo}) {
        const ImportReport report = importDomains(*table, path); // must not block on the FIFO
        EXPECT_EQ(report.outcome, ImportOutcome::NotAFile) << path;
        EXPECT_EQ(domainAt(0), "old.com");
    }
}

} // namespace
} // namespace zonedesk::listfile
