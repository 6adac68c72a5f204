// SPDX-License-Identifier: MIT
// Host names and suffix rules, both as data.
#include "core/whois_servers.h"

#include <iterator>
#include <string>

#include "core/domain_table.h"
#include "core/field_copy.h"

namespace zonedesk::core {

namespace {

struct ServerHost
{
    WhoisServer server;
    std::string_view host;
    Transport transport;
};

// The one place where host names are configured: the server choice writes them into records and
// the reply parser recognises a registry by them. Indexed by WhoisServer; at most 50 bytes each.
// .info's registry answers only over RDAP since it retired its port-43 service.
constexpr ServerHost ServerHosts[WhoisServerCount] = {
    {WhoisServer::Cnnic, "whois.cnnic.cn", Transport::Whois},
    {WhoisServer::Verisign, "whois.verisign-grs.com", Transport::WhoisThenRdap},
    {WhoisServer::Pir, "whois.publicinterestregistry.org", Transport::WhoisThenRdap},
    {WhoisServer::BizRegistry, "whois.nic.biz", Transport::WhoisThenRdap},
    {WhoisServer::Educause, "whois.educause.edu", Transport::Whois},
    {WhoisServer::Hkirc, "whois.hkirc.hk", Transport::Whois},
    {WhoisServer::Jprs, "whois.jprs.jp", Transport::Whois},
    {WhoisServer::VerisignTv, "whois.nic.tv", Transport::WhoisThenRdap},
    {WhoisServer::Afilias, "rdap.identitydigital.services", Transport::Rdap},
    {WhoisServer::NicCc, "ccwhois.verisign-grs.com", Transport::WhoisThenRdap},
};

struct RdapBase
{
    std::string_view suffix; // the last label
    std::string_view base;   // ends in "/": "domain/NAME" follows
};

// IANA's RDAP bootstrap (2026) for the suffixes the servers above serve; .cn, .jp, .hk and .edu
// have none.
constexpr RdapBase RdapBases[] = {
    {"com", "https://rdap.verisign.com/com/v1/"},
    {"net", "https://rdap.verisign.com/net/v1/"},
    {"org", "https://rdap.publicinterestregistry.org/rdap/"},
    {"info", "https://rdap.identitydigital.services/rdap/"},
    {"biz", "https://rdap.nic.biz/"},
    {"tv", "https://rdap.nic.tv/"},
    {"cc", "https://tld-rdap.verisign.com/cc/v1/"},
};

constexpr bool hostsAreIndexedAndFit()
{
    for (std::size_t i = 0; i < std::size(ServerHosts); ++i) {
        if (static_cast<std::size_t>(ServerHosts[i].server) != i || ServerHosts[i].host.size() > 50)
            return false;
    }
    return true;
}

static_assert(hostsAreIndexedAndFit());

struct SuffixRule
{
    std::string_view pattern;
    std::optional<WhoisServer> server; // nullopt: "none", no server for this suffix
};

constexpr std::nullopt_t None = std::nullopt;

// Suffix rules. The probe text is the domain followed by "#", so a pattern that ends in "#" can
// only match the domain's ending. Rules are tried in order and the first pattern found anywhere in
// the probe (plain, case-sensitive substring) decides; later rules are not tried. That order is
// what settles overlaps: the second-level rules (.com.cn, .com.jp, the "none" rules for .net.jp,
// .org.jp and .sg) stand before the top-level rules that would also match. A "none" rule clears
// the record's server; no match at all leaves it as it is.
constexpr SuffixRule SuffixRules[] = {
    {".com.sg#", None},
    {".net.sg#", None},
    {".net.jp#", None},
    {".org.sg#", None},
    {".org.jp#", None},
    {".org.cn#", WhoisServer::Cnnic},
    {".net.cn#", WhoisServer::Cnnic},
    {".com.cn#", WhoisServer::Cnnic},
    {".cn#", WhoisServer::Cnnic},
    {".com#", WhoisServer::Verisign},
    {".net#", WhoisServer::Verisign},
    {".org#", WhoisServer::Pir},
    {".biz#", WhoisServer::BizRegistry},
    {".edu#", WhoisServer::Educause},
    {".hk#", WhoisServer::Hkirc},
    {".com.jp#", WhoisServer::Jprs},
    {".jp#", WhoisServer::Jprs},
    {".tv#", WhoisServer::VerisignTv},
    {".info#", WhoisServer::Afilias},
    {".cc#", WhoisServer::NicCc},
};

/// No rule hides a later one: the name "x" + a rule's pattern is decided by that very rule. (Every
/// pattern starts with "." and ends with "#", so an earlier pattern matches that probe exactly
/// when it stands inside the later pattern.)
constexpr bool noRuleHidesALaterOne()
{
    for (std::size_t i = 0; i < std::size(SuffixRules); ++i) {
        const std::string_view pattern = SuffixRules[i].pattern;
        if (!pattern.starts_with('.') || !pattern.ends_with('#'))
            return false;
        for (std::size_t earlier = 0; earlier < i; ++earlier) {
            if (pattern.find(SuffixRules[earlier].pattern) != std::string_view::npos)
                return false;
        }
    }
    return true;
}

static_assert(noRuleHidesALaterOne());

} // namespace

std::string_view hostName(WhoisServer server)
{
    return ServerHosts[static_cast<std::size_t>(server)].host;
}

Transport transportOf(WhoisServer server)
{
    return ServerHosts[static_cast<std::size_t>(server)].transport;
}

std::string_view rdapBaseFor(std::string_view domain)
{
    const std::size_t dot = domain.rfind('.');
    const std::string_view suffix = dot == std::string_view::npos ? domain : domain.substr(dot + 1);
    for (const RdapBase& entry : RdapBases) {
        if (entry.suffix == suffix)
            return entry.base;
    }
    return {};
}

std::optional<WhoisServer> serverForHost(std::string_view host)
{
    for (const auto& entry : ServerHosts) {
        if (entry.host == host)
            return entry.server;
    }
    return std::nullopt;
}

SuffixDecision serverRuleFor(std::string_view domain)
{
    std::string probe(domain);
    probe.push_back('#');
    for (const auto& rule : SuffixRules) {
        if (probe.find(rule.pattern) != std::string::npos)
            return {true, rule.server};
    }
    return {};
}

void assignWhoisServers(DomainTable& table)
{
    for (DomainRecord& record : table.inUse()) {
        const SuffixDecision decision = serverRuleFor(fieldText(record.domain));
        if (decision.ruleMatched)
            copyField(record.server, decision.server ? hostName(*decision.server) : std::string_view());
    }
}

} // namespace zonedesk::core
