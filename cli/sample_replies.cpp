// SPDX-License-Identifier: MIT
#include "cli/sample_replies.h"

#include <algorithm>
#include <functional>

#include "core/text.h"
#include "core/whois_servers.h"

namespace zonedesk::cli {

namespace {

/// The sample files' name for each registry, indexed by WhoisServer.
constexpr std::string_view SampleKeys[core::WhoisServerCount] = {
    "cnnic", "verisign", "pir", "biz", "educause", "hkirc", "jprs", "verisigntv", "afilias", "niccc"};

void replaceAll(std::string& text, std::string_view placeholder, std::string_view value)
{
    for (std::size_t at = text.find(placeholder); at != std::string::npos;
         at = text.find(placeholder, at + value.size()))
        text.replace(at, placeholder.size(), value);
}

} // namespace

std::string sampleReply(std::string_view query)
{
    const std::string domain = core::asciiLower(query);
    const auto server = core::serverRuleFor(domain).server;
    if (!server)
        return {};
    const std::string wanted = std::string(SampleKeys[static_cast<std::size_t>(*server)]) +
                               (domain.starts_with("free-") ? "-available.txt" : "-registered.txt");
    for (std::size_t i = 0; i < SampleFileCount; ++i) {
        if (SampleFiles[i].name != wanted)
            continue;
        std::string reply(SampleFiles[i].text);
        std::string upper = domain;
        std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) {
            return static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
        });
        replaceAll(reply, "{DOMAIN}", upper);
        replaceAll(reply, "{domain}", domain);
        replaceAll(reply, "{ID}", std::to_string(std::hash<std::string>{}(domain) % 100000000));
        return reply;
    }
    return {};
}

} // namespace zonedesk::cli
