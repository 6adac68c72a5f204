// SPDX-License-Identifier: MIT
// The ten WHOIS servers, their host names and the choice of server by a domain's suffix.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace zonedesk::core {

class DomainTable;

enum class WhoisServer : std::uint8_t
{
    Cnnic,
    Verisign,
    Pir,
    BizRegistry,
    Educause,
    Hkirc,
    Jprs,
    VerisignTv,
    Afilias,
    NicCc,
};

inline constexpr std::size_t WhoisServerCount = 10;

/// How a server's registry is asked.
enum class Transport : std::uint8_t
{
    Whois,         // port 43 only: the registry has no RDAP service
    WhoisThenRdap, // port 43 first; RDAP when port 43 gives no usable answer
    Rdap,          // RDAP only: the registry no longer answers on port 43
};

Transport transportOf(WhoisServer server);

/// The RDAP base URL (ending in "/") of a domain's suffix, by its last label; empty when the
/// registry has no RDAP service.
std::string_view rdapBaseFor(std::string_view domain);

/// The configured host name of a server (at most 50 bytes), as stored in a record's `server` field.
std::string_view hostName(WhoisServer server);

/// The server whose host name is exactly `host`; nullopt for any other text.
std::optional<WhoisServer> serverForHost(std::string_view host);

/// What the ordered suffix rules decide for a domain.
struct SuffixDecision
{
    bool ruleMatched = false;          // false: no rule applies, the record's server is left as it is
    std::optional<WhoisServer> server; // with a matching rule, nullopt means "no server for this suffix"
};

/// The first suffix rule that decides for `domain` (lower-case, as the import stores it).
SuffixDecision serverRuleFor(std::string_view domain);

/// Sets `server` of records 0..count-1 from their domains. UI thread, never during a run.
void assignWhoisServers(DomainTable& table);

} // namespace zonedesk::core
