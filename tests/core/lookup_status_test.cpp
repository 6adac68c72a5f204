// SPDX-License-Identifier: MIT
#include "core/lookup_status.h"

#include <gtest/gtest.h>

#include "core/domain_table.h"
#include "core/encodings.h"
#include "core/field_copy.h"

namespace zonedesk::core {
namespace {

TEST(StatusText, ListAndCsvTextsAreGbkAndDifferOnlyForError)
{
    struct Case
    {
        std::int32_t status;
        const char* listUtf8;
        const char* csvUtf8;
    };

    // clang-format off
    const Case cases[] = {
        {0,  "无whois服务器", "无whois服务器"},
        {1,  "成功",            "成功"           },
        {2,  "域名未注册",   "域名未注册"  },
        {3,  "ERR!",              ""                 },
        {4,  "",                  ""                 },
        {-1, "",                  ""                 },
    };
    // clang-format on
    for (const Case& c : cases) {
        EXPECT_EQ(statusText(c.status), utf8ToGbk(c.listUtf8)) << c.status;
        EXPECT_EQ(exportStatusText(c.status), utf8ToGbk(c.csvUtf8)) << c.status;
    }
    DomainRecord waiting{};
    copyField(waiting.server, "whois.nic.tv");
    EXPECT_EQ(recordStatusText(waiting), utf8ToGbk("未查询"));
    EXPECT_EQ(recordStatusKey(waiting), "not-looked-up");
}

} // namespace
} // namespace zonedesk::core
