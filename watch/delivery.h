// SPDX-License-Identifier: MIT
// A watch's message on its way to each target: the shape each channel takes (mail, the webhooks'
// JSON, ntfy's topic), the sender's address, one retry, and what a failure is called. The command
// line and the desktop program's dialog both go through here, so a channel is added once.
#pragma once

#include <chrono>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>

#include "watch/mail_sender.h"
#include "watch/notify_target.h"
#include "watch/watch_message.h"
#include "watch/watch_report.h"

namespace zonedesk::watch {

struct DeliverySettings
{
    SmtpSettings mail;                          // for mailto: targets; `from` as mailSender gives it
    std::optional<MailAttachment> attachment{}; // a file the mail carries; the other targets ignore it
    WebhookFormat webhookFormat = WebhookFormat::Json;
    std::chrono::milliseconds timeout{30'000};   // one try at one target
    std::chrono::milliseconds retryPause{1'000}; // before the second try
};

/// Sends `report` to `target` (standard output's message to `out`), once more after a pause when
/// the first try fails, except a mail whose body the server took (it may still deliver it); false,
/// with the last try's reason in `why`, when no try went through.
bool deliver(const WatchReport& report,
             const NotifyTarget& target,
             const DeliverySettings& settings,
             std::ostream& out,
             std::string& why);

/// How a failure names `target`: "the desktop", the address or URL, "standard output".
std::string targetText(const NotifyTarget& target);

/// The webhook shape named `name` (json, slack, ntfy; empty means json); none for another.
std::optional<WebhookFormat> webhookFormatNamed(std::string_view name);

/// The mail's sender: `from` when given, else the SMTP user when it is a mail address, else the
/// Unix default, the login name at the host's name (as mail(1) and cron send).
std::string mailSender(const std::string& from, const std::string& smtpUser);

/// An ntfy URL ("https://ntfy.sh/alerts") as the server's root to publish to and the topic.
std::pair<std::string, std::string> ntfyRootAndTopic(const std::string& url);

} // namespace zonedesk::watch
