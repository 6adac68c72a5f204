// SPDX-License-Identifier: MIT
#include "watch/notify_target.h"

#include <gtest/gtest.h>

namespace zonedesk::watch {
namespace {

using Kind = NotifyTarget::Kind;

TEST(ParseNotifyTarget, AcceptsEachKind)
{
    const struct
    {
        std::string_view text;
        NotifyTarget expected;
        // clang-format off
    } rows[] = {
        {"desktop",                                {Kind::Desktop, ""}                               },
        {"-",                                      {Kind::Stdout, ""}                                },
        {"mailto:me@example.com",                  {Kind::Mail, "me@example.com"}                    },
        {"MAILTO:first.last+tag@mail.example.org", {Kind::Mail, "first.last+tag@mail.example.org"}   },
        {"https://hooks.example.com/a?b=c",        {Kind::Webhook, "https://hooks.example.com/a?b=c"}},
        {"HTTPS://ntfy.example.net/topic",         {Kind::Webhook, "HTTPS://ntfy.example.net/topic"} },
        {"http://127.0.0.1:8080/hook",             {Kind::Webhook, "http://127.0.0.1:8080/hook"}     },
        {"http://127.3.2.1/hook",                  {Kind::Webhook, "http://127.3.2.1/hook"}          },
        {"http://[::1]:9/hook",                    {Kind::Webhook, "http://[::1]:9/hook"}            },
        {"http://LocalHost/hook",                  {Kind::Webhook, "http://LocalHost/hook"}          },
    };

    // clang-format on

    for (const auto& row : rows) {
        std::string why;
        const auto target = parseNotifyTarget(row.text, why);
        ASSERT_TRUE(target.has_value()) << row.text << ": " << why;
        EXPECT_EQ(*target, row.expected) << row.text;
    }
}

TEST(ParseNotifyTarget, RefusesWhatCouldBeReadTwoWaysSayingWhy)
{
    const struct
    {
        std::string_view text;
        std::string_view because; // part of the reason
        // clang-format off
    } rows[] = {
        {"Desktop",                                  "a notify target is" }, // kinds are exact words
        {"",                                         "a notify target is" },
        {"me@example.com",                           "a notify target is" },
        {"ftp://example.com/",                       "a notify target is" },
        {"mailto:",                                  "needs an address"   },
        {"mailto:me",                                "exactly one @"      },
        {"mailto:me@a@example.com",                  "exactly one @"      },
        {"mailto:@example.com",                      "a name before the @"},
        {"mailto:me@",                               "a name before the @"},
        {"mailto:me@example..com",                   "empty part"         },
        {"mailto:.me@example.com",                   "empty part"         },
        {"mailto:me @example.com",                   "blank"              },
        {"mailto:me@example.com\r\nBcc: x@evil.com", "control character"  },
        {"mailto:me@example.com\t",                  "control character"  },
        {"mailto:\"me\"@example.com",                "may not hold"       },
        {"mailto:<me@example.com>",                  "may not hold"       },
        {"mailto:me@example.com,you@example.com",    "may not hold"       },
        {"mailto:Me (home)@example.com",             "blank"              },
        {"mailto:me@[127.0.0.1]",                    "may not hold"       },
        {"mailto:me@example.com?cc=x@evil.com",      "without ?headers"   },
        {"mailto:m\xc3\xa9@example.com",             "must be ASCII"      },
        {"http://example.com/hook",                  "must use https"     },
        {"http://128.0.0.1/hook",                    "must use https"     },
        {"http://127.0.0.1.example.com/hook",        "must use https"     },
        {"http://localhost.example.com/hook",        "must use https"     },
        {"https://exa mple.com/",                    "blank"              },
        {"https://example.com/\nX: y",               "control character"  },
        {"https://",                                 "cannot be read"     },
        {"https://[::1/",                            "cannot be read"     },
    };

    // clang-format on

    for (const auto& row : rows) {
        std::string why;
        EXPECT_FALSE(parseNotifyTarget(row.text, why).has_value()) << row.text;
        EXPECT_NE(why.find(row.because), std::string::npos) << row.text << ": " << why;
    }
}

} // namespace
} // namespace zonedesk::watch
