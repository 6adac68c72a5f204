// SPDX-License-Identifier: MIT
#include "core/idn_mapping.h"

#include <gtest/gtest.h>

namespace zonedesk::core {
namespace {

TEST(IdnMapped, FoldsCaseWidthAndTheOtherFullStops)
{
    struct Case
    {
        const char* why;
        std::string name;
        std::string expected;
    };

    const Case cases[] = {
        {"non-ASCII capitals",
         "B\xC3\x9C"
         "CHER.jp",
         "b\xC3\xBC"
         "cher.jp"},
        {"ideographic full stop",
         "\xE4\xBE\x8B\xE5\xAD\x90\xE3\x80\x82"
         "cn",
         "\xE4\xBE\x8B\xE5\xAD\x90.cn"},
        {"full-width full stop",
         "\xE4\xBE\x8B\xE5\xAD\x90\xEF\xBC\x8E"
         "cn",
         "\xE4\xBE\x8B\xE5\xAD\x90.cn"},
        {"half-width ideographic",
         "\xE4\xBE\x8B\xE5\xAD\x90\xEF\xBD\xA1"
         "cn",
         "\xE4\xBE\x8B\xE5\xAD\x90.cn"},
        {"full-width letters", "\xEF\xBD\x85\xEF\xBD\x98\xEF\xBC\x8E\xEF\xBD\x83\xEF\xBD\x8F", "ex.co"},
        {"sharp s is kept",
         "Stra\xC3\x9F"
         "e.de",
         "stra\xC3\x9F"
         "e.de"},
        {"a name as it is", "\xE4\xBE\x8B\xE5\xAD\x90.cn", "\xE4\xBE\x8B\xE5\xAD\x90.cn"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(idnMapped(c.name), c.expected) << c.why;
    EXPECT_EQ(idnMapped(std::string("a\0b.com", 7)), std::nullopt);
}

} // namespace
} // namespace zonedesk::core
