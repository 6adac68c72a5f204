// SPDX-License-Identifier: MIT
#include "core/field_copy.h"

#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "core/domain_table.h"

namespace zonedesk::core {
namespace {

TEST(CopyField, CutsAtWidthMinusOneAndTerminates)
{
    struct Case
    {
        const char* why;
        std::string src;
        std::string expected;
    };

    // 0xD6 0xD0 and 0xCE 0xC4 are two GBK characters; the field holds 4 bytes of text.
    // clang-format off
    const Case cases[] = {
        {"fits exactly",                        "abcd",               "abcd"      },
        {"one byte too long",                   "abcde",              "abcd"      },
        {"GBK character ends at the last byte", "xy\xD6\xD0",         "xy\xD6\xD0"},
        {"GBK character straddles the end",     "xyz\xD6\xD0",        "xyz"       },
        {"lead byte without trail is a byte",   "xyz\xD6",            "xyz\xD6"   },
        {"ASCII after GBK stays aligned",       "\xD6\xD0xy\xCE\xC4", "\xD6\xD0xy"},
    };
    // clang-format on
    for (const Case& c : cases) {
        char field[5];
        std::memset(field, 'x', sizeof(field));
        const std::size_t stored = copyField(field, c.src);
        EXPECT_EQ(std::string(field), c.expected) << c.why;
        EXPECT_EQ(stored, c.expected.size()) << c.why;
        for (std::size_t i = stored; i < sizeof(field); ++i)
            EXPECT_EQ(field[i], '\0') << c.why << " at " << i;
    }
}

TEST(CopyField, NulInsideTheSourceEndsTheText)
{
    char field[5];
    EXPECT_EQ(copyField(field, std::string("ab\0cd", 5)), 2U);
    EXPECT_EQ(std::string(field), "ab");
}

TEST(CopyField, NeverTouchesTheNextFieldOfARecord)
{
    DomainRecord record;
    std::memset(&record, 0xAA, sizeof(record));
    const std::string longText(400, 'z');
    copyField(record.server, longText);
    copyField(record.domain, longText);
    copyField(record.owner, longText);
    copyField(record.registrar, longText);

    EXPECT_EQ(fieldText(record.server).size(), 50U);
    EXPECT_EQ(fieldText(record.domain).size(), 40U);
    EXPECT_EQ(record.status, static_cast<std::int32_t>(0xAAAAAAAA));
    EXPECT_EQ(static_cast<unsigned char>(record.expiryDate[0]), 0xAAU);
    EXPECT_EQ(static_cast<unsigned char>(record.email[0]), 0xAAU);
    EXPECT_EQ(record.claimed, 0xAAU);
}

TEST(FieldText, StopsAtTheFieldEndWithoutATerminator)
{
    char field[4] = {'a', 'b', 'c', 'd'};
    EXPECT_EQ(fieldText(field), "abcd");
}

} // namespace
} // namespace zonedesk::core
