// SPDX-License-Identifier: MIT
#include "cli/sample_replies.h"

#include <algorithm>
#include <functional>
#include <utility>

#include "core/calendar_date.h"
#include "core/text.h"
#include "core/whois_servers.h"

namespace zonedesk::cli {

namespace {

/// The sample files' name for each registry, indexed by WhoisServer.
constexpr std::string_view SampleKeys[core::WhoisServerCount] = {
    "cnnic", "verisign", "pir", "biz", "educause", "hkirc", "jprs", "verisigntv", "afilias", "niccc"};

/// The sample files' name for the suffixes beyond the ten answered over port 43.
constexpr std::pair<std::string_view, std::string_view> OtherSampleKeys[] = {
    {"de", "denic"},
    {"uk", "nominet"},
    {"au", "auda"},
    {"sg", "sgnic"},
};

/// The sample files' name for the registry of `domain`; empty for none.
std::string_view sampleKeyFor(const std::string& domain)
{
    if (const auto server = core::serverRuleFor(domain).server)
        return SampleKeys[static_cast<std::size_t>(*server)];
    const std::string_view tld = std::string_view(domain).substr(domain.rfind('.') + 1);
    for (const auto& [suffix, key] : OtherSampleKeys)
        if (suffix == tld)
            return key;
    return {};
}

void replaceAll(std::string& text, std::string_view placeholder, std::string_view value)
{
    for (std::size_t at = text.find(placeholder); at != std::string::npos;
         at = text.find(placeholder, at + value.size()))
        text.replace(at, placeholder.size(), value);
}

} // namespace

const OtherSampleSuffix OtherSampleSuffixes[7] = {
    {"de", true},
    {"uk", true},
    {"au", true},
    {"sg", true},
    {"io", false},
    {"xyz", false},
    {"app", false},
};

std::string sampleReply(std::string_view query)
{
    const std::string domain = core::asciiLower(query);
    const std::string_view key = sampleKeyFor(domain);
    if (key.empty())
        return {};
    const std::string wanted =
        std::string(key) + (domain.starts_with("free-") ? "-available.txt" : "-registered.txt");
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
        // "soon-" names expire ten days after the day the demo runs, so the list has a red row.
        if (domain.starts_with("soon-")) {
            const core::CalendarDate soon = core::CalendarDate::fromDayNumber(core::today().dayNumber() + 10);
            replaceAll(reply, "2027-05-14", soon.iso());
        }
        return reply;
    }
    return {};
}

std::string sampleRdapResponse(std::string_view requestLine)
{
    constexpr std::string_view Prefix = "GET /domain/";
    std::string name;
    if (requestLine.starts_with(Prefix)) {
        const std::string_view rest = requestLine.substr(Prefix.size());
        name = rest.substr(0, rest.find(' '));
    }
    // Names are LDH text here (A-labels): nothing in them needs JSON escaping.
    const bool wellFormed = !name.empty() && name.find_first_of("\"\\") == std::string::npos;
    std::string status = "200 OK";
    std::string body;
    if (!wellFormed) {
        status = "400 Bad Request";
    } else if (name.starts_with("free-")) {
        status = "404 Not Found";
        body = R"({"rdapConformance":["rdap_level_0"],"errorCode":404,"title":"Not Found"})";
    } else {
        const bool withheld = name.starts_with("private-");
        const std::string registrant =
            withheld
                ? R"({"objectClassName":"entity","roles":["registrant"],)"
                  R"("remarks":[{"title":"REDACTED FOR PRIVACY"}],"vcardArray":["vcard",[["version",{},"text","4.0"]]]})"
                : R"({"objectClassName":"entity","roles":["registrant"],"vcardArray":["vcard",[)"
                  R"(["version",{},"text","4.0"],["org",{},"text","Example Holdings Ltd."],)"
                  R"(["email",{},"text","hostmaster@example.net"]]]})";
        body = R"({"objectClassName":"domain","ldhName":")" + name +
               R"(","events":[{"eventAction":"registration","eventDate":"2011-08-30T16:41:12Z"},)"
               R"({"eventAction":"expiration","eventDate":"2027-08-30T16:41:12Z"},)"
               R"({"eventAction":"last changed","eventDate":"2026-01-19T10:22:05Z"}],"entities":[)"
               R"({"objectClassName":"entity","roles":["registrar"],"vcardArray":["vcard",[)"
               R"(["version",{},"text","4.0"],["fn",{},"text","Example Registrar, Inc."]]]},)" +
               registrant +
               R"(],"status":["client transfer prohibited","active"],)"
               R"("nameservers":[{"objectClassName":"nameserver","ldhName":"ns1.example-dns.net"},)"
               R"({"objectClassName":"nameserver","ldhName":"ns2.example-dns.net"}],)"
               R"("secureDNS":{"delegationSigned":false}})";
    }
    return "HTTP/1.1 " + status +
           "\r\nContent-Type: application/rdap+json\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
}

} // namespace zonedesk::cli
