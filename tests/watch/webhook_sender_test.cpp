// SPDX-License-Identifier: MIT
#include "watch/webhook_sender.h"

#include <gtest/gtest.h>

#include "tests/support/loopback_http_server.h"
#include "tests/support/loopback_whois_server.h"
#include "tests/watch/sample_watch_report.h"
#include "watch/watch_message.h"

#include <nlohmann/json.hpp>

namespace zonedesk::watch {
namespace {

using namespace std::chrono_literals;
using test::HttpAnswer;
using test::LoopbackHttpServer;

constexpr auto Generous = 10s;

TEST(PostWebhook, PostsTheBodyAsJsonAndSucceedsOn2xx)
{
    LoopbackHttpServer server({HttpAnswer::with(204)});
    const std::string body = webhookBody(test::sampleWatchReport(), WebhookFormat::Json);
    std::string why;
    ASSERT_TRUE(postWebhook(server.url("/hooks/abc?x=1"), body, Generous, why)) << why;

    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 1U);
    EXPECT_EQ(requests[0].method, "POST");
    EXPECT_EQ(requests[0].path, "/hooks/abc?x=1");
    EXPECT_EQ(requests[0].headers.at("content-type"), "application/json");
    EXPECT_EQ(requests[0].headers.at("user-agent"), "zonedesk");
    EXPECT_EQ(requests[0].headers.count("expect"), 0U);
    EXPECT_EQ(requests[0].body, body);
    EXPECT_TRUE(nlohmann::json::accept(requests[0].body));
}

TEST(PostWebhook, AnAnswerOutside2xxFailsNamingItsStatus)
{
    const struct
    {
        int status;
        std::string_view because;
    } rows[] = {
        {500, "HTTP 500"},
        {404, "HTTP 404"},
        {302, "redirect"}, // not followed: the hook's own answer decides
    };

    for (const auto& row : rows) {
        LoopbackHttpServer server({HttpAnswer::with(row.status, "no")});
        std::string why;
        EXPECT_FALSE(postWebhook(server.url(), "{}", Generous, why)) << row.status;
        EXPECT_NE(why.find(row.because), std::string::npos) << why;
        EXPECT_EQ(server.requests().size(), 1U);
    }
}

TEST(PostWebhook, EachCallIsOneAttempt)
{
    LoopbackHttpServer server({HttpAnswer::with(500), HttpAnswer::with(200)});
    std::string why;
    EXPECT_FALSE(postWebhook(server.url(), "{}", Generous, why));
    EXPECT_EQ(server.requests().size(), 1U);
    EXPECT_TRUE(postWebhook(server.url(), "{}", Generous, why)) << why;
    EXPECT_EQ(server.requests().size(), 2U);
}

TEST(PostWebhook, ALongAnswerIsCutOffAndStillCounts)
{
    LoopbackHttpServer server({HttpAnswer::with(200, std::string(1024 * 1024, 'x'))});
    std::string why;
    EXPECT_TRUE(postWebhook(server.url(), "{}", Generous, why)) << why;
}

TEST(PostWebhook, NoAnswerOrNoServerFails)
{
    {
        LoopbackHttpServer server({HttpAnswer::hangs()});
        std::string why;
        EXPECT_FALSE(postWebhook(server.url(), "{}", 1s, why));
        EXPECT_NE(why.find("did not answer within 1000 ms"), std::string::npos) << why;
    }
    const std::string nowhere =
        "http://127.0.0.1:" + std::to_string(test::LoopbackWhoisServer::refusedPort()) + "/";
    std::string why;
    EXPECT_FALSE(postWebhook(nowhere, "{}", Generous, why));
    EXPECT_NE(why.find("refused the connection"), std::string::npos) << why;
}

} // namespace
} // namespace zonedesk::watch
