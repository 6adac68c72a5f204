// SPDX-License-Identifier: MIT
// Where a watch message goes: "desktop", "mailto:ADDR", "https://…" (a webhook) or "-".
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zonedesk::watch {

struct NotifyTarget
{
    enum class Kind
    {
        Desktop,
        Mail,
        Webhook,
        Stdout,
    };

    Kind kind = Kind::Stdout;
    std::string address; // Mail: the address; Webhook: the URL

    bool operator==(const NotifyTarget&) const = default;
};

/// The target `text` names; none, with `why` in a sentence, for anything else: a mail address
/// with a blank, a control byte or no "@", a URL that is not https (http only to a loopback
/// address), text that names no kind.
std::optional<NotifyTarget> parseNotifyTarget(std::string_view text, std::string& why);

/// True for a URL's host (as curl_url gives it) that is this machine: "localhost", 127.0.0.0/8
/// in dotted form, "[::1]". Plain http and SMTP without TLS are allowed only to these.
bool isLoopbackHost(std::string_view host);

} // namespace zonedesk::watch
