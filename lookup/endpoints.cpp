// SPDX-License-Identifier: MIT
// Parsing of endpoint overrides.
#include "lookup/endpoints.h"

#include <charconv>
#include <cstdlib>

#include "core/text.h"
#include "core/whois_servers.h"

namespace zonedesk::lookup {

namespace {

constexpr std::string_view Blanks = " \t";

std::optional<std::uint16_t> parsePort(std::string_view text)
{
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value == 0 || value > 65535)
        return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

std::optional<Endpoint> parseEndpoint(std::string_view text)
{
    Endpoint endpoint;
    std::string_view portText;
    if (text.starts_with('[')) { // [v6]:port
        const auto close = text.find(']');
        if (close == std::string_view::npos)
            return std::nullopt;
        endpoint.address = std::string(text.substr(1, close - 1));
        const std::string_view rest = text.substr(close + 1);
        if (!rest.empty()) {
            if (!rest.starts_with(':'))
                return std::nullopt;
            portText = rest.substr(1);
        }
    } else if (text.find(':') != text.rfind(':')) { // a bare IPv6 address, no port
        endpoint.address = std::string(text);
    } else {
        const auto colon = text.find(':');
        endpoint.address = std::string(text.substr(0, colon));
        if (colon != std::string_view::npos)
            portText = text.substr(colon + 1);
    }
    if (endpoint.address.empty())
        return std::nullopt;
    if (!portText.empty() || text.ends_with(':')) {
        const auto port = parsePort(portText);
        if (!port)
            return std::nullopt;
        endpoint.port = *port;
    }
    return endpoint;
}

/// Adds every ";"-separated entry of `list` with `add`; false when any is malformed.
template <typename Add> bool addEach(std::string_view list, Add add)
{
    bool ok = true;
    while (!list.empty()) {
        const auto semicolon = list.find(';');
        const std::string_view entry = core::trim(list.substr(0, semicolon), Blanks);
        if (!entry.empty())
            ok = add(entry) && ok;
        if (semicolon == std::string_view::npos)
            break;
        list.remove_prefix(semicolon + 1);
    }
    return ok;
}

} // namespace

bool EndpointOverrides::add(std::string_view entry)
{
    const auto equals = entry.find('=');
    if (equals == std::string_view::npos)
        return false;
    const std::string_view host = core::trim(entry.substr(0, equals), Blanks);
    const auto endpoint = parseEndpoint(core::trim(entry.substr(equals + 1), Blanks));
    if (host.empty() || !endpoint)
        return false;
    m_overrides.insert_or_assign(std::string(host), *endpoint);
    return true;
}

bool EndpointOverrides::addList(std::string_view list)
{
    return addEach(list, [this](std::string_view entry) { return add(entry); });
}

bool EndpointOverrides::addFromEnvironment()
{
    // Read once at start-up, before any worker exists.
    const char* value = std::getenv(EndpointsVariable);    // NOLINT(concurrency-mt-unsafe)
    const char* rdap = std::getenv(RdapEndpointsVariable); // NOLINT(concurrency-mt-unsafe)
    const bool whoisOk = value == nullptr || addList(value);
    return (rdap == nullptr || addRdapList(rdap)) && whoisOk;
}

bool EndpointOverrides::addRdap(std::string_view entry)
{
    const auto equals = entry.find('=');
    if (equals == std::string_view::npos)
        return false;
    std::string suffix(core::trim(entry.substr(0, equals), Blanks));
    if (suffix.starts_with('.'))
        suffix.erase(0, 1);
    std::string url(core::trim(entry.substr(equals + 1), Blanks));
    if (suffix.empty() || !(url.starts_with("http://") || url.starts_with("https://")))
        return false;
    if (!url.ends_with('/'))
        url.push_back('/');
    m_rdapBases.insert_or_assign(core::asciiLower(suffix), url);
    return true;
}

bool EndpointOverrides::addRdapList(std::string_view list)
{
    return addEach(list, [this](std::string_view entry) { return addRdap(entry); });
}

std::string EndpointOverrides::rdapBaseFor(std::string_view domain) const
{
    const std::string base = rdapOverrideFor(domain);
    return base.empty() ? std::string(core::rdapBaseFor(domain)) : base;
}

std::string EndpointOverrides::rdapOverrideFor(std::string_view domain) const
{
    const std::size_t dot = domain.rfind('.');
    const std::string_view suffix = dot == std::string_view::npos ? domain : domain.substr(dot + 1);
    const auto it = m_rdapBases.find(suffix);
    return it != m_rdapBases.end() ? it->second : std::string();
}

Endpoint EndpointOverrides::endpointFor(std::string_view host) const
{
    if (const auto it = m_overrides.find(host); it != m_overrides.end())
        return it->second;
    return {std::string(host), WhoisPort};
}

} // namespace zonedesk::lookup
