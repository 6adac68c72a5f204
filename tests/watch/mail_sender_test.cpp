// SPDX-License-Identifier: MIT
#include "watch/mail_sender.h"

#include <algorithm>
#include <utility>
#include <vector>

#include <glib.h>

#include <gtest/gtest.h>

#include "tests/support/loopback_smtp_server.h"
#include "tests/support/loopback_whois_server.h"
#include "tests/watch/sample_watch_report.h"
#include "watch/delivery.h"
#include "watch/watch_message.h"

namespace zonedesk::watch {
namespace {

using namespace std::chrono_literals;
using test::LoopbackSmtpServer;

constexpr std::int64_t Now = 1796754415; // Tue, 08 Dec 2026 18:26:55 UTC
const std::string From = "watch@example.com";
const std::string To = "me@example.org";

struct Part
{
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
};

// Headers (unfolded) and body of a CR LF message; fails the test on a bare LF.
Part splitHeaders(const std::string& text)
{
    Part part;
    const std::size_t end = text.find("\r\n\r\n");
    EXPECT_NE(end, std::string::npos);
    std::string block = text.substr(0, end + 2);
    part.body = text.substr(end + 4);
    for (std::size_t at = 0; at < block.size();) {
        const std::size_t lineEnd = block.find("\r\n", at);
        const std::string line = block.substr(at, lineEnd - at);
        at = lineEnd + 2;
        if (!line.empty() && (line[0] == ' ' || line[0] == '\t')) {
            EXPECT_FALSE(part.headers.empty());
            part.headers.back().second += line;
            continue;
        }
        const std::size_t colon = line.find(':');
        EXPECT_NE(colon, std::string::npos) << line;
        part.headers.emplace_back(line.substr(0, colon), line.substr(std::min(colon + 2, line.size())));
    }
    return part;
}

std::string header(const Part& part, const std::string& name)
{
    for (const auto& [key, value] : part.headers)
        if (key == name)
            return value;
    return {};
}

std::vector<std::string> headerNames(const Part& part)
{
    std::vector<std::string> names;
    for (const auto& each : part.headers)
        names.push_back(each.first);
    return names;
}

std::string fromBase64(const std::string& lines)
{
    gsize length = 0;
    guchar* decoded = g_base64_decode(lines.c_str(), &length);
    std::string out(reinterpret_cast<const char*>(decoded), length);
    g_free(decoded);
    return out;
}

struct Mail
{
    Part top;
    std::vector<Part> parts;
};

/// The parts of a multipart `container`, by the boundary its Content-Type gives (quoted or not).
std::vector<Part> partsOf(const Part& container)
{
    std::vector<Part> parts;
    const std::string type = header(container, "Content-Type");
    const std::size_t at = type.find("boundary=");
    EXPECT_NE(at, std::string::npos) << type;
    std::string boundary = type.substr(at + 9);
    if (boundary.starts_with('"'))
        boundary = boundary.substr(1, boundary.find('"', 1) - 1);
    boundary = "--" + boundary;
    const std::string& body = container.body;
    std::size_t start = body.find(boundary + "\r\n");
    while (start != std::string::npos) {
        start += boundary.size() + 2;
        const std::size_t next = body.find("\r\n" + boundary, start);
        EXPECT_NE(next, std::string::npos);
        parts.push_back(splitHeaders(body.substr(start, next + 2 - start)));
        start = body.compare(next + 2 + boundary.size(), 4, "--\r\n") == 0 ? std::string::npos : next + 2;
    }
    return parts;
}

Mail readMail(const std::string& message)
{
    Mail mail;
    mail.top = splitHeaders(message);
    mail.parts = partsOf(mail.top);
    return mail;
}

const std::vector<std::string> TopHeaders = {
    "Date", "From", "To", "Subject", "Message-ID", "MIME-Version", "Content-Type"};

TEST(MailMessage, IsMimeTextAndHtmlInBase64WithCrLfLines)
{
    const WatchReport report = test::sampleWatchReport();
    const std::string message = mailMessage(report, From, To, Now);
    for (std::size_t at = message.find('\n'); at != std::string::npos; at = message.find('\n', at + 1))
        ASSERT_EQ(message[at - 1], '\r') << "a bare LF at " << at;

    const Mail mail = readMail(message);
    EXPECT_EQ(headerNames(mail.top), TopHeaders);
    EXPECT_EQ(header(mail.top, "Date"), "Tue, 08 Dec 2026 18:26:55 +0000");
    EXPECT_EQ(header(mail.top, "From"), From);
    EXPECT_EQ(header(mail.top, "To"), To);
    EXPECT_EQ(header(mail.top, "Subject"), messageSubject(report));
    EXPECT_TRUE(header(mail.top, "Message-ID").ends_with("@example.com>"));
    EXPECT_TRUE(header(mail.top, "Content-Type").starts_with("multipart/alternative; boundary=\"=_"));

    ASSERT_EQ(mail.parts.size(), 2U);
    EXPECT_EQ(header(mail.parts[0], "Content-Type"), "text/plain; charset=UTF-8");
    EXPECT_EQ(header(mail.parts[1], "Content-Type"), "text/html; charset=UTF-8");
    for (const Part& part : mail.parts) {
        EXPECT_EQ(header(part, "Content-Transfer-Encoding"), "base64");
        for (std::size_t at = 0; at < part.body.size();) {
            const std::size_t end = part.body.find("\r\n", at);
            EXPECT_LE(end - at, 76U);
            at = end + 2;
        }
    }
    std::string text = messageText(report);
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 2))
        text.insert(at, "\r");
    EXPECT_EQ(fromBase64(mail.parts[0].body), text);
    const std::string html = fromBase64(mail.parts[1].body);
    EXPECT_NE(html.find("<td>soon.org</td>"), std::string::npos);
    EXPECT_NE(html.find("<td>Example Registrar</td>"), std::string::npos);
}

TEST(MailMessage, RegistryTextNeverReachesAHeader)
{
    const WatchReport report = test::hostileWatchReport();
    const std::string message = mailMessage(report, From, To, Now);
    const Mail mail = readMail(message);
    EXPECT_EQ(headerNames(mail.top), TopHeaders);
    ASSERT_EQ(mail.parts.size(), 2U);
    for (const Part& part : mail.parts)
        EXPECT_EQ(headerNames(part), (std::vector<std::string>{"Content-Type", "Content-Transfer-Encoding"}));
    EXPECT_EQ(message.find("Bcc"), std::string::npos);
    const std::string html = fromBase64(mail.parts[1].body);
    EXPECT_EQ(html.find("<script"), std::string::npos);
    EXPECT_NE(html.find("&lt;script&gt;"), std::string::npos);
    EXPECT_NE(fromBase64(mail.parts[0].body).find("evil.com\u240d\u240aBcc: x@evil"), std::string::npos);

    // Even addresses that slipped past the target's checks stay on their line.
    const Mail forged = readMail(mailMessage(report, From + "\r\nBcc: a@evil", To + "\nCc: b@evil", Now));
    EXPECT_EQ(headerNames(forged.top), TopHeaders);
}

TEST(MailMessage, EachMessageHasItsOwnBoundaryAndId)
{
    const Mail first = readMail(mailMessage(test::sampleWatchReport(), From, To, Now));
    const Mail second = readMail(mailMessage(test::sampleWatchReport(), From, To, Now));
    EXPECT_NE(header(first.top, "Content-Type"), header(second.top, "Content-Type"));
    EXPECT_NE(header(first.top, "Message-ID"), header(second.top, "Message-ID"));
}

SmtpSettings settingsFor(const LoopbackSmtpServer& server, std::chrono::milliseconds timeout = 10s)
{
    return {.url = server.url(), .user = "", .password = "", .from = From, .timeout = timeout};
}

TEST(SendMail, DeliversTheMessageWithTheLoginTheServerOffers)
{
    const std::string message = mailMessage(test::sampleWatchReport(), From, To, Now);
    for (const std::string mechanism : {"PLAIN", "LOGIN"}) {
        LoopbackSmtpServer server;
        server.offerLogins(mechanism);
        SmtpSettings smtp = settingsFor(server);
        smtp.user = "watch@example.com";
        smtp.password = "s3cret pass";
        std::string why;
        ASSERT_TRUE(sendMail(smtp, To, message, why)) << mechanism << ": " << why;

        const auto mails = server.mails();
        ASSERT_EQ(mails.size(), 1U);
        EXPECT_EQ(mails[0].sender, "<" + From + ">");
        EXPECT_EQ(mails[0].recipients, std::vector<std::string>{"<" + To + ">"});
        EXPECT_EQ(mails[0].mechanism, mechanism);
        EXPECT_EQ(mails[0].user, "watch@example.com");
        EXPECT_EQ(mails[0].password, "s3cret pass");
        EXPECT_EQ(mails[0].data, message);
    }
}

TEST(SendMail, AnAttachmentFollowsTheTextAndHtmlInAMixedMessage)
{
    LoopbackSmtpServer server;
    const WatchReport report = test::sampleWatchReport();
    const MailAttachment calendar{
        "renewals.ics",
        "text/calendar; charset=utf-8; method=PUBLISH",
        "BEGIN:VCALENDAR\r\nSUMMARY:Renew \xE4\xB8\xAD\xE6\x96\x87.cn\r\nEND:VCALENDAR\r\n"};
    std::string why;
    bool bodySent = false;
    ASSERT_TRUE(sendMailWithAttachment(settingsFor(server), To, report, calendar, Now, why, &bodySent))
        << why;
    EXPECT_TRUE(bodySent);
    ASSERT_EQ(server.mails().size(), 1U);

    const Mail mail = readMail(server.mails()[0].data);
    EXPECT_EQ(header(mail.top, "Date"), "Tue, 08 Dec 2026 18:26:55 +0000");
    EXPECT_EQ(header(mail.top, "From"), From);
    EXPECT_EQ(header(mail.top, "To"), To);
    EXPECT_EQ(header(mail.top, "Subject"), messageSubject(report));
    EXPECT_TRUE(header(mail.top, "Message-ID").ends_with("@example.com>"));
    EXPECT_EQ(header(mail.top, "Mime-Version"), "1.0");
    EXPECT_TRUE(header(mail.top, "Content-Type").starts_with("multipart/mixed; boundary="));
    ASSERT_EQ(mail.parts.size(), 2U);

    const std::vector<Part> alternative = partsOf(mail.parts[0]);
    ASSERT_EQ(alternative.size(), 2U);
    EXPECT_EQ(header(alternative[0], "Content-Type"), "text/plain; charset=UTF-8");
    EXPECT_EQ(header(alternative[1], "Content-Type"), "text/html; charset=UTF-8");
    std::string text = messageText(report);
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 2))
        text.insert(at, "\r");
    EXPECT_EQ(fromBase64(alternative[0].body), text);
    EXPECT_NE(fromBase64(alternative[1].body).find("<td>soon.org</td>"), std::string::npos);

    const Part& file = mail.parts[1];
    EXPECT_EQ(header(file, "Content-Type"), calendar.contentType);
    EXPECT_EQ(header(file, "Content-Disposition"), "attachment; filename=\"renewals.ics\"");
    EXPECT_EQ(header(file, "Content-Transfer-Encoding"), "base64");
    EXPECT_EQ(fromBase64(file.body), calendar.data);
}

TEST(SendMail, ARefusedLoginFailsSayingSo)
{
    LoopbackSmtpServer server;
    server.refuse(LoopbackSmtpServer::Step::Auth, 535);
    SmtpSettings smtp = settingsFor(server);
    smtp.user = "watch@example.com";
    smtp.password = "wrong";
    std::string why;
    EXPECT_FALSE(sendMail(smtp, To, mailMessage(test::sampleWatchReport(), From, To, Now), why));
    EXPECT_NE(why.find("refused the login of watch@example.com with SMTP 535"), std::string::npos) << why;
    EXPECT_TRUE(server.mails().empty());
}

TEST(SendMail, LogsInOnlyWhenAUserIsGiven)
{
    LoopbackSmtpServer server;
    std::string why;
    ASSERT_TRUE(sendMail(settingsFor(server), To, mailMessage(test::sampleWatchReport(), From, To, Now), why))
        << why;
    ASSERT_EQ(server.mails().size(), 1U);
    EXPECT_EQ(server.mails()[0].mechanism, "");
}

TEST(SendMail, ARefusalFailsWithTheServersCode)
{
    const struct
    {
        LoopbackSmtpServer::Step step;
        int code;
        // clang-format off
    } rows[] = {
        {LoopbackSmtpServer::Step::Mail,    553},
        {LoopbackSmtpServer::Step::Rcpt,    550},
        {LoopbackSmtpServer::Step::Data,    554},
        {LoopbackSmtpServer::Step::Message, 452},
    };

    // clang-format on

    for (const auto& row : rows) {
        LoopbackSmtpServer server;
        server.refuse(row.step, row.code);
        std::string why;
        EXPECT_FALSE(
            sendMail(settingsFor(server), To, mailMessage(test::sampleWatchReport(), From, To, Now), why))
            << row.code;
        EXPECT_NE(why.find("SMTP " + std::to_string(row.code)), std::string::npos) << why;
        EXPECT_TRUE(server.mails().empty());
    }
}

TEST(SendMail, AStallAtAnyStageEndsWithinTheLimitAndATakenMessageIsNotSentAgain)
{
    using Step = LoopbackSmtpServer::Step;

    const struct
    {
        Step stall; // None: no greeting at all
        int bodies; // messages the server took over both tries
        // clang-format off
    } rows[] = {
        {Step::None,    0},
        {Step::Mail,    0},
        {Step::Data,    0},
        {Step::Message, 1},
    };

    // clang-format on

    for (const auto& row : rows) {
        LoopbackSmtpServer server;
        if (row.stall == Step::None)
            server.hang();
        else
            server.stallAt(row.stall);
        DeliverySettings settings{.mail = settingsFor(server, 1s), .retryPause = 10ms};
        std::string why;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(
            deliver(test::sampleWatchReport(), {NotifyTarget::Kind::Mail, To}, settings, std::cout, why));
        // libcurl's own wait for an answer is two minutes; two tries of a second each are far less.
        EXPECT_LT(std::chrono::steady_clock::now() - start, 30s) << static_cast<int>(row.stall);
        EXPECT_NE(why.find("did not finish within 1000 ms"), std::string::npos) << why;
        EXPECT_EQ(server.bodiesTaken(), row.bodies) << why;
        EXPECT_EQ(why.find("not sent again") != std::string::npos, row.bodies > 0) << why;
    }
}

TEST(SendMail, NoServerFails)
{
    SmtpSettings nowhere;
    nowhere.url = "smtp://127.0.0.1:" + std::to_string(test::LoopbackWhoisServer::refusedPort());
    nowhere.from = From;
    std::string why;
    EXPECT_FALSE(sendMail(nowhere, To, "Subject: x\r\n\r\nx\r\n", why));
    EXPECT_NE(why.find("refused the connection"), std::string::npos) << why;
}

} // namespace
} // namespace zonedesk::watch
