// SPDX-License-Identifier: MIT
// A watch message as an e-mail (plain text and HTML), sent with libcurl's SMTP.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "watch/watch_report.h"

namespace zonedesk::watch {

struct SmtpSettings
{
    std::string url;  // smtps://host:port, or smtp://host:port (STARTTLS required but on loopback)
    std::string user; // empty: no login
    std::string password;
    std::string from;                          // the sender's address
    std::chrono::milliseconds timeout{30'000}; // the whole exchange
};

/// A file a mail carries after its text and HTML.
struct MailAttachment
{
    std::string fileName;    // "renewals.ics"
    std::string contentType; // "text/calendar; charset=utf-8; method=PUBLISH"
    std::string data;
};

/// The whole message (headers, a multipart/alternative body of text and HTML), CR LF line ends.
/// Only `from`, `to` and the ASCII subject reach a header; `to` and `from` must have passed
/// parseNotifyTarget's checks; any byte outside printable ASCII is dropped from a header all the
/// same. `now` is the Date header's time (seconds since the epoch, written in UTC). Each part is
/// base64 in lines of 76; the boundary ("=_zonedesk_" and 32 random hex digits) and the
/// Message-ID are new for every message.
std::string
mailMessage(const WatchReport& report, const std::string& from, const std::string& to, std::int64_t now);

/// Sends `message` to `to`: one attempt, TLS required (smtps://, or STARTTLS on smtp://) except
/// for smtp:// to a loopback host, no proxy, every stage (the greeting and each answer, the one
/// after the message's end too) within `smtp.timeout` in all. False with `why` (a sentence naming
/// the SMTP reply code where there is one) when the server refused the login or the mail, or
/// did not finish in time. `bodySent`, when given, tells whether the server took the message's
/// body (it answered DATA and got bytes of it): then it may deliver it even though the attempt
/// failed, and a second attempt could send it twice. Any thread.
bool sendMail(const SmtpSettings& smtp,
              const std::string& to,
              const std::string& message,
              std::string& why,
              bool* bodySent = nullptr);

/// Sends mailMessage's message with `attachment` after its text and HTML: a multipart/mixed of
/// the two (multipart/alternative) and the file, each part base64, put together by libcurl's
/// MIME API under mailMessage's headers. As sendMail otherwise. Any thread.
bool sendMailWithAttachment(const SmtpSettings& smtp,
                            const std::string& to,
                            const WatchReport& report,
                            const MailAttachment& attachment,
                            std::int64_t now,
                            std::string& why,
                            bool* bodySent = nullptr);

} // namespace zonedesk::watch
