// SPDX-License-Identifier: MIT
#include "watch/delivery.h"

#include <array>
#include <ctime>
#include <thread>
#include <tuple>

#include <pwd.h>
#include <unistd.h>

#include "net/url_parts.h"
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

/// A URL as a message may show it: scheme, host, port and path, never its user, password, query
/// or fragment (a webhook's token lives there).
std::string shownUrl(const std::string& url)
{
    std::string unread;
    const auto parts = net::urlParts(url, unread);
    if (!parts)
        return "the webhook";
    return parts->scheme + "://" + parts->host + (parts->port.empty() ? "" : ":" + parts->port) + parts->path;
}

bool tryOnce(const WatchReport& report,
             const NotifyTarget& target,
             const DeliverySettings& settings,
             const std::string& body,
             const std::string& url,
             std::ostream& out,
             std::string& why,
             bool& again)
{
    switch (target.kind) {
    case NotifyTarget::Kind::Stdout:
        out << messageSubject(report) << "\n\n" << messageText(report) << std::flush;
        if (!out)
            why = "standard output cannot be written";
        return static_cast<bool>(out);
    case NotifyTarget::Kind::Desktop: return showDesktopNotice(desktopNotice(report), settings.timeout, why);
    case NotifyTarget::Kind::Mail: {
        bool bodySent = false;
        const bool sent = settings.attachment ? sendMailWithAttachment(settings.mail,
                                                                       target.address,
                                                                       report,
                                                                       *settings.attachment,
                                                                       std::int64_t{std::time(nullptr)},
                                                                       why,
                                                                       &bodySent)
                                              : sendMail(settings.mail, target.address, body, why, &bodySent);
        if (sent)
            return true;
        // The server may deliver a message whose body it took: sending it again could double it.
        again = !bodySent;
        if (bodySent)
            why += "; not sent again, as the server had taken the message and may still deliver it";
        return false;
    }
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
    if (target.kind == NotifyTarget::Kind::Mail && !settings.attachment)
        body = mailMessage(report, settings.mail.from, target.address, std::int64_t{std::time(nullptr)});
    if (target.kind == NotifyTarget::Kind::Webhook) {
        std::string topic;
        if (settings.webhookFormat == WebhookFormat::Ntfy)
            std::tie(url, topic) = ntfyRootAndTopic(target.address);
        body = webhookBody(report, settings.webhookFormat, topic);
    }
    // Standard output is written once: a second copy would not mend a closed pipe.
    const int tries = target.kind == NotifyTarget::Kind::Stdout ? 1 : 2;
    bool again = true;
    for (int attempt = 0; attempt < tries && again; ++attempt) {
        if (attempt > 0)
            std::this_thread::sleep_for(settings.retryPause);
        why.clear();
        if (tryOnce(report, target, settings, body, url, out, why, again))
            return true;
    }
    return false;
}

std::string targetText(const NotifyTarget& target)
{
    switch (target.kind) {
    case NotifyTarget::Kind::Desktop: return "the desktop";
    case NotifyTarget::Kind::Mail: return target.address;
    case NotifyTarget::Kind::Webhook: return shownUrl(target.address);
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
    const std::size_t pathStart = url.find('/', scheme == std::string::npos ? 0 : scheme + 3);
    if (pathStart == std::string::npos)
        return {url + "/", {}};
    std::string path = url.substr(pathStart);
    path = path.substr(0, path.find_first_of("?#"));
    while (path.size() > 1 && path.ends_with('/'))
        path.pop_back();
    // The topic is the last segment; the server publishes at the folder above it (ntfy under a
    // sub-path has its root there, not at the host's).
    const std::size_t last = path.rfind('/');
    return {url.substr(0, pathStart) + path.substr(0, last + 1), path.substr(last + 1)};
}

} // namespace zonedesk::watch
