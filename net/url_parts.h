// SPDX-License-Identifier: MIT
// A URL's parts as libcurl's URL parser reads them, for the checks and messages that need one part.
#pragma once

#include <optional>
#include <string>

namespace zonedesk::net {

struct UrlParts
{
    std::string scheme; // lower case
    std::string host;   // empty when the URL names none
    std::string port;   // empty when the URL gives none
    std::string path;   // "/" at least
};

/// `url` read by libcurl; none, with the reason in `why`, when libcurl can't read it.
std::optional<UrlParts> urlParts(const std::string& url, std::string& why);

} // namespace zonedesk::net
