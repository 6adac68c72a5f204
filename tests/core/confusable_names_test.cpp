// SPDX-License-Identifier: MIT
#include "core/confusable_names.h"

#include <gtest/gtest.h>

#include "core/encodings.h"

namespace zonedesk::core {
namespace {

TEST(NameConfusion, MixedScriptsAndLookAlikesAreToldFromOrdinaryNames)
{
    struct Case
    {
        const char* name;
        NameConfusion expected;
    };

    const Case cases[] = {
        {"apple.com", NameConfusion::None},
        {"\xD0\xB0pple.com", NameConfusion::MixedScripts},                              // Cyrillic а + Latin
        {"\xD1\x80\xD0\xB0\xD1\x83\xD1\x80\xD0\xB0l.com", NameConfusion::MixedScripts}, // раураl
        {"\xD0\xB0\xD1\x80\xD0\xB5.com", NameConfusion::LooksLikeAscii}, // аре, all Cyrillic
        {"1\xE0\xA5\xA8"
         "3.in",
         NameConfusion::MixedScripts},                        // two digit sets
        {"\xE4\xBE\x8B\xE5\xAD\x90.cn", NameConfusion::None}, // 例子
        {"\xE4\xB8\xAD\xE5\x9B\xBD"
         "wifi.cn",
         NameConfusion::None},                                                        // Han with Latin
        {"\xE6\x97\xA5\xE6\x9C\xAC\xE3\x83\x89\xE3\x83\xA1.jp", NameConfusion::None}, // 日本ドメ
        {"b\xC3\xBC"
         "cher.de",
         NameConfusion::None},                            // bücher
        {"ok.\xD0\xB0pple", NameConfusion::MixedScripts}, // any label counts
    };
    for (const Case& c : cases)
        EXPECT_EQ(nameConfusion(c.name), c.expected) << c.name;
}

TEST(NameConfusion, TheALabelIsGivenOnlyForNamesThatMayPassForAnother)
{
    EXPECT_EQ(confusableALabel(utf8ToGbk("\xD0\xB0pple.com")), "xn--pple-43d.com");
    EXPECT_EQ(confusableALabel("apple.com"), std::nullopt);
    EXPECT_EQ(confusableALabel("\xD6\xD0\xCE\xC4.cn"), std::nullopt); // 中文 in GBK
}

} // namespace
} // namespace zonedesk::core
