// SPDX-License-Identifier: MIT
#include "watch/watch_message.h"

#include <algorithm>

#include <glib.h>

#include <gtest/gtest.h>

#include "tests/watch/sample_watch_report.h"
#include "watch/desktop_notification.h"

#include <nlohmann/json.hpp>

namespace zonedesk::watch {
namespace {

using test::hostileWatchReport;
using test::sampleWatchReport;
using Json = nlohmann::json;

bool isUtf8(const std::string& text)
{
    return g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr) != 0;
}

TEST(MessageSubject, CountsEachKindWithItsNumberAndWindow)
{
    WatchReport fine;
    fine.total = 12;
    EXPECT_EQ(messageSubject(fine), "zonedesk: all 12 names fine");
    fine.total = 1;
    EXPECT_EQ(messageSubject(fine), "zonedesk: the 1 name is fine");
    // A lookup that failed for the first time is no notice yet, but never fine.
    fine.total = 12;
    fine.failed = 2;
    EXPECT_EQ(messageSubject(fine), "zonedesk: 10 of 12 names fine, 2 lookups failed");

    // x.com's expiry and registrar are two notices but one changed name.
    EXPECT_EQ(messageSubject(sampleWatchReport()),
              "zonedesk: 1 dropped, 2 expiring within 30 days, 2 changed, 1 failing");

    WatchReport oneDay;
    oneDay.warnDays = 1;
    oneDay.notices = {test::expiring("a.com", 1, "2026-12-09")};
    EXPECT_EQ(messageSubject(oneDay), "zonedesk: 1 expiring within 1 day");
}

TEST(MessageSubject, StaysOneAsciiLineWhateverTheRegistriesWrote)
{
    const std::string subject = messageSubject(hostileWatchReport());
    EXPECT_TRUE(std::all_of(subject.begin(), subject.end(), [](char c) { return c >= 0x20 && c < 0x7f; }))
        << subject;
}

TEST(MessageText, ListsEachSectionInOrderOneLinePerNotice)
{
    EXPECT_EQ(messageText(sampleWatchReport()),
              "Of 12 names looked up, 6 need a look.\n"
              "\n"
              "Dropped (now available):\n"
              "  old.com  (registrar was Example Registrar)\n"
              "\n"
              "Expiring within 30 days:\n"
              "  soon.org  2027-01-02  (25 days)  Example Registrar\n"
              "  gone.net  2026-12-01  (expired 7 days ago)\n"
              "\n"
              "Changed:\n"
              "  x.com  expiry moved back: 2027-05-14 -> 2026-05-14\n"
              "  x.com  registrar: A -> B\n"
              "  z.com  owner: (none) -> B\n"
              "\n"
              "Failing for the second run in a row:\n"
              "  y.com  timed out\n");

    WatchReport fine;
    fine.total = 3;
    EXPECT_EQ(messageText(fine), "All 3 names fine.\n");
}

TEST(MessageText, RegistryTextCannotBreakALineOrHideBytes)
{
    const std::string text = messageText(hostileWatchReport());
    EXPECT_TRUE(isUtf8(text));
    // Heading, blank, title, notice, blank, title, notice: CR LF inside a value adds no line.
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 7) << text;
    EXPECT_EQ(text.find('\r'), std::string::npos);
    EXPECT_EQ(text.find("\nBcc:"), std::string::npos);
    EXPECT_NE(text.find("evil.com\u240d\u240aBcc: x@evil"), std::string::npos) << text;
    EXPECT_NE(text.find("bad\ufffd\ufffd\u2401\u2421\u2400.com  \u241b[31m"), std::string::npos) << text;
    EXPECT_EQ(text.find('\x1b'), std::string::npos);

    WatchReport reordered;
    reordered.notices = {test::dropped("a\u202egro.com\u2028x\xc2\x85")};
    EXPECT_NE(messageText(reordered).find("a\ufffdgro.com\ufffdx\ufffd\n"), std::string::npos);
}

TEST(MessageHtml, HoldsEveryNoticeWithRegistryTextEscaped)
{
    const std::string html = messageHtml(sampleWatchReport());
    EXPECT_TRUE(html.starts_with("<!DOCTYPE html>\n<html lang=\"en\">"));
    EXPECT_TRUE(html.ends_with("</html>\n"));
    for (const char* name : {"old.com", "soon.org", "gone.net", "x.com", "z.com", "y.com"})
        EXPECT_NE(html.find("<td>" + std::string(name) + "</td>"), std::string::npos) << name;
    // Four header rows and one row per notice.
    std::size_t rows = 0;
    for (std::size_t at = html.find("<tr>"); at != std::string::npos; at = html.find("<tr>", at + 1))
        ++rows;
    EXPECT_EQ(rows, 4U + sampleWatchReport().notices.size());

    const std::string hostile = messageHtml(hostileWatchReport());
    EXPECT_TRUE(isUtf8(hostile));
    EXPECT_EQ(hostile.find("<script"), std::string::npos);
    EXPECT_NE(hostile.find("&lt;script&gt;alert(1)&lt;/script&gt; &amp; Co"), std::string::npos) << hostile;
    EXPECT_EQ(hostile.find('\r'), std::string::npos);
}

TEST(WebhookBody, JsonHoldsTheFactsWithNullForWhatANoticeLacks)
{
    const Json body = Json::parse(webhookBody(sampleWatchReport(), WebhookFormat::Json));
    EXPECT_EQ(body["subject"], messageSubject(sampleWatchReport()));
    EXPECT_EQ(body["total"], 12);
    EXPECT_EQ(body["warnDays"], 30);
    ASSERT_EQ(body["notices"].size(), 7U);
    std::vector<std::string> kinds;
    for (const Json& notice : body["notices"]) {
        kinds.push_back(notice["kind"]);
        EXPECT_EQ(notice.size(), 10U) << notice; // every key, always
        for (const auto& [key, value] : notice.items())
            EXPECT_TRUE(value.is_null() || value.is_number() || !value.get<std::string>().empty()) << key;
    }
    EXPECT_EQ(kinds,
              (std::vector<std::string>{"dropped",
                                        "near-expiry",
                                        "near-expiry",
                                        "expiry-moved-back",
                                        "registrar-changed",
                                        "owner-changed",
                                        "failing-again"}));
    const Json& dropped = body["notices"][0];
    EXPECT_EQ(dropped["name"], "old.com");
    EXPECT_TRUE(dropped["daysLeft"].is_null());
    EXPECT_TRUE(dropped["expiry"].is_null());
    EXPECT_EQ(dropped["registrar"], "Example Registrar");
    const Json& expired = body["notices"][2];
    EXPECT_EQ(expired["daysLeft"], -7);
    EXPECT_EQ(expired["expiry"], "2026-12-01");
    EXPECT_TRUE(expired["registrar"].is_null());
    const Json& owner = body["notices"][5];
    EXPECT_TRUE(owner["before"].is_null());
    EXPECT_EQ(owner["after"], "B");
    EXPECT_EQ(body["notices"][6]["reason"], "timed out");
}

TEST(WebhookBody, SlackTextIsTheSubjectThenThePlainTextWithMarkupEscaped)
{
    const Json sample = Json::parse(webhookBody(sampleWatchReport(), WebhookFormat::Slack));
    ASSERT_EQ(sample.size(), 1U);
    const std::string sampleText = sample["text"];
    EXPECT_TRUE(sampleText.starts_with(messageSubject(sampleWatchReport()) + "\nOf 12 names looked up"))
        << sampleText;
    EXPECT_NE(sampleText.find("\n  x.com  registrar: A -&gt; B\n"), std::string::npos) << sampleText;

    const std::string text = Json::parse(webhookBody(hostileWatchReport(), WebhookFormat::Slack))["text"];
    EXPECT_EQ(text.find('<'), std::string::npos);
    EXPECT_NE(text.find("&lt;script&gt;alert(1)&lt;/script&gt; &amp; Co"), std::string::npos) << text;
}

TEST(WebhookBody, NtfyIsUrgentOnlyForADropOrAnExpiry)
{
    const Json sample = Json::parse(webhookBody(sampleWatchReport(), WebhookFormat::Ntfy, "domains"));
    EXPECT_EQ(sample["topic"], "domains");
    EXPECT_EQ(sample["title"], messageSubject(sampleWatchReport()));
    EXPECT_EQ(sample["message"], messageText(sampleWatchReport()));
    EXPECT_EQ(sample["priority"], 4);
    EXPECT_EQ(sample["tags"],
              Json({"zonedesk",
                    "dropped",
                    "near-expiry",
                    "expiry-moved-back",
                    "registrar-changed",
                    "owner-changed",
                    "failing-again"}));

    WatchReport report;
    report.notices = {test::expiring("a.com", 3, "2026-12-11")};
    EXPECT_EQ(Json::parse(webhookBody(report, WebhookFormat::Ntfy, "t"))["priority"], 3);
    report.notices[0].daysLeft = -1;
    EXPECT_EQ(Json::parse(webhookBody(report, WebhookFormat::Ntfy, "t"))["priority"], 4);
    report.notices = {test::changed(NoticeKind::RegistrarChanged, "a.com", "A", "B")};
    EXPECT_EQ(Json::parse(webhookBody(report, WebhookFormat::Ntfy, "t"))["priority"], 3);
}

TEST(WebhookBody, APushOrChatMessageStaysWithinWhatTheServiceTakesAndSaysWhatItLeftOut)
{
    WatchReport large;
    large.total = 5000;
    for (int i = 0; i < 5000; ++i)
        large.notices.push_back(
            test::changed(NoticeKind::RegistrarChanged, "name" + std::to_string(i) + ".com", "A", "B"));
    const std::string ntfy = Json::parse(webhookBody(large, WebhookFormat::Ntfy, "t"))["message"];
    EXPECT_LE(ntfy.size(), 4096U);
    EXPECT_TRUE(ntfy.ends_with(" more lines not shown\n")) << ntfy.substr(ntfy.size() - 80);
    EXPECT_NE(ntfy.find("name0.com"), std::string::npos);
    const std::string slack = Json::parse(webhookBody(large, WebhookFormat::Slack))["text"];
    EXPECT_LE(slack.size(), 40000U);
    EXPECT_TRUE(slack.ends_with(" more lines not shown\n"));
    // Each line is either whole or left out, and the count says how many.
    const std::size_t shown = static_cast<std::size_t>(std::count(slack.begin(), slack.end(), '\n'));
    const std::size_t left = std::stoul(slack.substr(slack.rfind("... ") + 4));
    const std::string text = messageText(large);
    EXPECT_EQ(shown - 1 + left, static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
    // The facts as data are never cut.
    EXPECT_EQ(Json::parse(webhookBody(large, WebhookFormat::Json))["notices"].size(), 5000U);
}

TEST(WebhookBody, EveryFormatIsValidJsonFromBytesThatAreNotUtf8)
{
    WatchReport report = hostileWatchReport();
    report.notices[1].registrar = "\xc3\x28\xe2\x82";
    report.notices[1].reason = std::string("\x00\x01\x1f\x7f\xed\xa0\x80", 7);
    for (const WebhookFormat format : {WebhookFormat::Json, WebhookFormat::Slack, WebhookFormat::Ntfy}) {
        std::string body;
        ASSERT_NO_THROW(body = webhookBody(report, format, "t\xff"));
        EXPECT_TRUE(isUtf8(body)) << body;
        EXPECT_TRUE(Json::accept(body)) << body;
    }
    const Json data = Json::parse(webhookBody(report, WebhookFormat::Json));
    EXPECT_EQ(data["notices"][0]["name"], "evil.com\r\nBcc: x@evil"); // data keeps the bytes, JSON-escaped
    EXPECT_EQ(data["notices"][1]["registrar"], "\ufffd(\ufffd");
}

TEST(WatchMessage, AHomographIsToldWithItsALabelInEveryFormat)
{
    WatchReport report;
    report.total = 1;
    Notice& notice = report.notices.emplace_back();
    notice.kind = NoticeKind::Dropped;
    notice.name = "\xd0\xb0pple.com"; // a Cyrillic а
    notice.aLabel = "xn--pple-43d.com";
    const std::string shown[] = {
        messageText(report),
        messageHtml(report),
        webhookBody(report, WebhookFormat::Slack),
        webhookBody(report, WebhookFormat::Ntfy, "t"),
        desktopNotice(report).body,
    };
    for (const std::string& text : shown)
        EXPECT_NE(text.find("\xd0\xb0pple.com (xn--pple-43d.com)"), std::string::npos) << text;
    EXPECT_EQ(Json::parse(webhookBody(report, WebhookFormat::Json))["notices"][0]["aLabel"], notice.aLabel);
}

TEST(WatchMessage, SecurityChangesComeFirstWithBeforeAndAfterInEveryFormat)
{
    WatchReport report;
    report.total = 3;
    const auto security =
        [](std::string name, std::string change, std::string what, std::string before, std::string after) {
            Notice notice;
            notice.kind = NoticeKind::SecurityChanged;
            notice.name = std::move(name);
            notice.change = std::move(change);
            notice.what = std::move(what);
            notice.before = std::move(before);
            notice.after = std::move(after);
            return notice;
        };
    report.notices = {
        security("a.com", "transfer-lock-lifted", "transfer lock lifted", "clientTransferProhibited", ""),
        security("a.com", "name-servers-changed", "name servers changed", "a.ns.example", "evil.ns.example"),
        security(
            "b.com", "entered-redemption", "entered redemption / pending delete", "", "redemptionPeriod"),
        test::dropped("c.com"),
    };
    EXPECT_EQ(messageSubject(report), "zonedesk: 3 security changes, 1 dropped");
    const std::string text = messageText(report);
    EXPECT_LT(text.find("Security"), text.find("Dropped")) << text;
    for (const char* line : {"  a.com  transfer lock lifted: clientTransferProhibited -> (none)\n",
                             "  a.com  name servers changed: a.ns.example -> evil.ns.example\n",
                             "  b.com  entered redemption / pending delete: (none) -> redemptionPeriod\n"})
        EXPECT_NE(text.find(line), std::string::npos) << text;
    EXPECT_NE(messageHtml(report).find("<td>a.com</td><td>name servers changed</td><td>a.ns.example</td>"
                                       "<td>evil.ns.example</td>"),
              std::string::npos);
    const Json json = Json::parse(webhookBody(report, WebhookFormat::Json));
    EXPECT_EQ(json["notices"][0]["kind"], "security");
    EXPECT_EQ(json["notices"][0]["change"], "transfer-lock-lifted");
    EXPECT_TRUE(json["notices"][3]["change"].is_null());
    EXPECT_EQ(Json::parse(webhookBody(report, WebhookFormat::Ntfy, "t"))["priority"], 4); // a lock lifted
    const std::string desktop = desktopNotice(report).body;
    EXPECT_NE(desktop.find("transfer lock lifted: a.com (clientTransferProhibited → none)"),
              std::string::npos)
        << desktop;
}

} // namespace
} // namespace zonedesk::watch
