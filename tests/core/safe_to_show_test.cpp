// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "core/text.h"

namespace zonedesk::core {
namespace {

TEST(SafeToShow, NothingThatSteersATerminalOrTurnsALinePassesRaw)
{
    const struct
    {
        std::string text;
        LineBreaks breaks;
        std::string shown;
        // clang-format off
    } cases[] = {
        {"plain.com",                             LineBreaks::Escaped, "plain.com"},
        {"\x1b[2J\x07\x7f",                       LineBreaks::Escaped, "\\x1b[2J\\x07\\x7f"},
        {"a\tb\r\nc\rd",                          LineBreaks::Escaped, "a\\x09b\\x0d\\x0ac\\x0dd"},
        {"a\tb\r\nc\rd",                          LineBreaks::Kept,    "a\tb\r\nc\\x0dd"},
        {"\xc2\x9b" "31m \x9b",                   LineBreaks::Escaped, "\\xc2\\x9b31m \\x9b"},
        {"evil\xe2\x80\xaemoc.com",               LineBreaks::Escaped, "evil\\u202emoc.com"},
        {"a\xe2\x80\xa8" "b\xe2\x81\xa6" "c",     LineBreaks::Kept,    "a\\u2028b\\u2066c"},
        {"\xe4\xb8\xad\xd6\xd0.com",              LineBreaks::Escaped, "\xe4\xb8\xad\xd6\xd0.com"}, // UTF-8, GBK
    };

    // clang-format on
    for (const auto& c : cases)
        EXPECT_EQ(safeToShow(c.text, c.breaks), c.shown) << c.shown;
}

} // namespace
} // namespace zonedesk::core
