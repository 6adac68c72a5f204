// SPDX-License-Identifier: MIT
#include "watch/notify_target.h"

#include <algorithm>
#include <cctype>

#include <arpa/inet.h>

#include "net/url_parts.h"

namespace zonedesk::watch {

namespace {

constexpr std::string_view MailPrefix = "mailto:";

bool startsWithFolded(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

bool isControlOrBlank(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte <= 0x20 || byte == 0x7f;
}

// A dot-atom: no empty label, so no leading, trailing or doubled dot.
bool isDotAtom(std::string_view part)
{
    return !part.empty() && part.front() != '.' && part.back() != '.' &&
           part.find("..") == std::string_view::npos;
}

// Only the plain form user@host.example: anything a header or an SMTP command could read
// otherwise (quotes, comments, routes, several addresses, ?headers) is refused, not interpreted.
bool checkMailAddress(std::string_view address, std::string& why)
{
    if (address.empty()) {
        why = "mailto: needs an address after it";
        return false;
    }
    if (std::any_of(address.begin(), address.end(), isControlOrBlank)) {
        why = "a mail address may not hold a blank or a control character";
        return false;
    }
    if (std::any_of(
            address.begin(), address.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; })) {
        why = "a mail address must be ASCII (a domain as its xn-- form)";
        return false;
    }
    if (address.find_first_of("<>(),;:\"\\[]") != std::string_view::npos) {
        why = "a mail address may not hold any of < > ( ) , ; : \" \\ [ ]";
        return false;
    }
    if (address.find('?') != std::string_view::npos) {
        why = "mailto: takes a bare address, without ?headers";
        return false;
    }
    const std::size_t at = address.find('@');
    if (at == std::string_view::npos || address.find('@', at + 1) != std::string_view::npos) {
        why = "a mail address needs exactly one @";
        return false;
    }
    if (!isDotAtom(address.substr(0, at)) || !isDotAtom(address.substr(at + 1))) {
        why = "a mail address needs a name before the @ and a domain after it, without an empty "
              "part between dots";
        return false;
    }
    return true;
}

bool checkWebhookUrl(std::string_view text, std::string& why)
{
    if (std::any_of(text.begin(), text.end(), isControlOrBlank)) {
        why = "a webhook URL may not hold a blank or a control character";
        return false;
    }
    std::string unread;
    const auto parts = net::urlParts(std::string(text), unread);
    if (!parts) {
        why = "the webhook URL cannot be read: " + unread;
        return false;
    }
    if (parts->scheme.empty() || parts->host.empty()) {
        why = "the webhook URL names no host";
        return false;
    }
    if (parts->scheme == "https")
        return true;
    if (parts->scheme == "http" && isLoopbackHost(parts->host))
        return true;
    why = "a webhook must use https (http only to this machine: 127.0.0.1, ::1 or localhost)";
    return false;
}

} // namespace

bool isLoopbackHost(std::string_view host)
{
    std::string folded(host);
    std::transform(folded.begin(), folded.end(), folded.begin(), [](char c) {
        return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    });
    if (folded == "localhost" || folded == "[::1]")
        return true;
    in_addr address{};
    return inet_pton(AF_INET, folded.c_str(), &address) == 1 && (ntohl(address.s_addr) >> 24U) == 127U;
}

std::optional<NotifyTarget> parseNotifyTarget(std::string_view text, std::string& why)
{
    if (text == "desktop")
        return NotifyTarget{NotifyTarget::Kind::Desktop, {}};
    if (text == "-")
        return NotifyTarget{NotifyTarget::Kind::Stdout, {}};
    if (startsWithFolded(text, MailPrefix)) {
        const std::string_view address = text.substr(MailPrefix.size());
        if (!checkMailAddress(address, why))
            return std::nullopt;
        return NotifyTarget{NotifyTarget::Kind::Mail, std::string(address)};
    }
    if (startsWithFolded(text, "https://") || startsWithFolded(text, "http://")) {
        if (!checkWebhookUrl(text, why))
            return std::nullopt;
        return NotifyTarget{NotifyTarget::Kind::Webhook, std::string(text)};
    }
    why = "a notify target is desktop, -, mailto:ADDRESS or an https:// webhook URL";
    return std::nullopt;
}

} // namespace zonedesk::watch
