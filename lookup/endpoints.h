// SPDX-License-Identifier: MIT
// Routing a WHOIS host to another address and port (a relay, a test server), without changing the
// host that records and the parser know it by.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace zonedesk::lookup {

inline constexpr std::uint16_t WhoisPort = 43;

struct Endpoint
{
    std::string address; // host name, dotted IPv4 or IPv6 (without brackets)
    std::uint16_t port = WhoisPort;
};

/// The variable both programs read: "host=addr[:port];host=[v6addr]:port;...".
inline constexpr const char* EndpointsVariable = "ZONEDESK_WHOIS_ENDPOINTS";

/// The RDAP counterpart: "suffix=URL;..." (the URL is the base, "domain/NAME" follows it).
inline constexpr const char* RdapEndpointsVariable = "ZONEDESK_RDAP_ENDPOINTS";

class EndpointOverrides
{
public:
    /// Adds one "host=addr[:port]" entry (a later entry for the same host wins). False, with the
    /// overrides unchanged, when the entry is malformed.
    bool add(std::string_view entry);

    /// Adds every ";"-separated entry; false when any is malformed (the well-formed ones are kept).
    bool addList(std::string_view list);

    /// Reads ZONEDESK_WHOIS_ENDPOINTS; false when it is set and malformed.
    bool addFromEnvironment();

    /// Where to connect for `host`: its override, or the host itself on port 43.
    Endpoint endpointFor(std::string_view host) const;

    bool empty() const { return m_overrides.empty() && m_rdapBases.empty(); }

    /// Adds one "suffix=URL" entry for RDAP (an http or https URL; a "/" is added when missing).
    bool addRdap(std::string_view entry);

    /// Adds every ";"-separated RDAP entry; false when any is malformed.
    bool addRdapList(std::string_view list);

    /// The RDAP base for a domain: its suffix's override, or the registry's own; empty for none.
    std::string rdapBaseFor(std::string_view domain) const;

    /// The override of a domain's suffix (its last label); empty for none.
    std::string rdapOverrideFor(std::string_view domain) const;

private:
    std::map<std::string, Endpoint, std::less<>> m_overrides;
    std::map<std::string, std::string, std::less<>> m_rdapBases; // by suffix, without its dot
};

} // namespace zonedesk::lookup
