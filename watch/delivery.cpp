// SPDX-License-Identifier: MIT
#include "watch/delivery.h"

#include <array>
#include <ctime>
#include <thread>
#include <tuple>

#include <pwd.h>
#include <unistd.h>

#include "watch/desktop_notification.h"
#include "watch/webhook_sender.h"

namespace zonedesk::watch {

namespace {

/// The login name of the user running the program; "root" would be a guess, so empty when unknown.
std::string loginName()
{
    std::array<char, 4096> buffer{};
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr ||
        found->pw_name == nullptr)
        return {};
    return found->pw_name;
}

std::string hostName()
{
    std::array<char, 256> name{};
    if (::gethostname(name.data(), name.size() - 1) != 0)
        return {};
    return name.data();
}

bool tryOnce(const WatchReport& report,
             const NotifyTarget& target,
             const DeliverySettings& settings,
             const std::string& body,
             const std::string& url,
             std::ostream& out,
             std::string& why)
{
    switch (target.kind) {
    case NotifyTarget::Kind::Stdout:
        out << messageSubject(report) << "\n\n" << messageText(report) << std::flush;
        if (!out)
            why = "standard output cannot be written";
        return static_cast<bool>(out);
    case NotifyTarget::Kind::Desktop: return showDesktopNotice(desktopNotice(report), settings.timeout, why);
    case NotifyTarget::Kind::Mail: return sendMail(settings.mail, target.address, body, why);
    case NotifyTarget::Kind::Webhook: return postWebhook(url, body, settings.timeout, why);
    }
    return false;
}

} // namespace

bool deliver(const WatchReport& report,
             const NotifyTarget& target,
             const DeliverySettings& settings,
             std::ostream& out,
             std::string& why)
{
    std::string body;
    std::string url = target.address;
    if (target.kind == NotifyTarget::Kind::Mail)
        body = mailMessage(report, settings.mail.from, target.address, std::int64_t{std::time(nullptr)});
    if (target.kind == NotifyTarget::Kind::Webhook) {
        std::string topic;
        if (settings.webhookFormat == WebhookFormat::Ntfy)
            std::tie(url, topic) = ntfyRootAndTopic(target.address);
        body = webhookBody(report, settings.webhookFormat, topic);
    }
    // Standard output is written once: a second copy would not mend a closed pipe.
    const int tries = target.kind == NotifyTarget::Kind::Stdout ? 1 : 2;
    for (int attempt = 0; attempt < tries; ++attempt) {
        if (attempt > 0)
            std::this_thread::sleep_for(settings.retryPause);
        why.clear();
        if (tryOnce(report, target, settings, body, url, out, why))
            return true;
    }
    return false;
}

std::string targetText(const NotifyTarget& target)
{
    switch (target.kind) {
    case NotifyTarget::Kind::Desktop: return "the desktop";
    case NotifyTarget::Kind::Mail:
    case NotifyTarget::Kind::Webhook: return target.address;
    case NotifyTarget::Kind::Stdout: break;
    }
    return "standard output";
}

std::optional<WebhookFormat> webhookFormatNamed(std::string_view name)
{
    if (name.empty() || name == "json")
        return WebhookFormat::Json;
    if (name == "slack")
        return WebhookFormat::Slack;
    if (name == "ntfy")
        return WebhookFormat::Ntfy;
    return std::nullopt;
}

std::string mailSender(const std::string& from, const std::string& smtpUser)
{
    if (!from.empty())
        return from;
    if (smtpUser.find('@') != std::string::npos)
        return smtpUser;
    const std::string login = loginName();
    const std::string host = hostName();
    return login.empty() || host.empty() ? std::string() : login + "@" + host;
}

std::pair<std::string, std::string> ntfyRootAndTopic(const std::string& url)
{
    const std::size_t scheme = url.find("://");
    const std::size_t path = url.find('/', scheme == std::string::npos ? 0 : scheme + 3);
    if (path == std::string::npos)
        return {url + "/", {}};
    std::string topic = url.substr(path + 1);
    topic = topic.substr(0, topic.find_first_of("?#"));
    while (topic.ends_with('/'))
        topic.pop_back();
    return {url.substr(0, path + 1), topic.substr(topic.rfind('/') + 1)};
}

} // namespace zonedesk::watch
