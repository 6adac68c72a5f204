// SPDX-License-Identifier: MIT
// Which service answers for a name that none of the ten registries serves: RDAP from IANA's
// bootstrap, port-43 WHOIS from the host table, or neither (then IANA's own WHOIS is asked for a
// referral, one floor up).
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/rdap_bootstrap.h"
#include "core/registrable_domain.h"
#include "core/whois_hosts.h"

namespace zonedesk::core {

class DomainTable;

enum class Service : std::uint8_t
{
    None,
    Rdap,
    Whois,
};

enum class ChoiceReason : std::uint8_t
{
    TenRegistries, // one of the ten serves the name: their own rules decide, nothing is chosen here
    Bootstrap,     // RDAP first, by the bootstrap
    Table,         // WHOIS first, by the host table
    Referral,      // neither file knows the TLD: ask whois.iana.org for its host
    PublicSuffix,  // the name is a public suffix, which nobody registers
    NotADomain,
};

/// "ten registries", "bootstrap", "table", "referral", "public suffix", "not a domain".
std::string_view reasonText(ChoiceReason why);

/// The data a choice is made from; a file that could not be read is absent and said in `problems`.
struct ServiceData
{
    std::optional<RdapBootstrap> rdap;
    std::optional<WhoisHostTable> whois;
    const PublicSuffixList* suffixes = nullptr; // null: the system list
    std::vector<std::string> problems;
};

/// The shipped files of `dataDir`, the bootstrap of `cacheDir` when its publication is later.
ServiceData loadServiceData(const std::filesystem::path& dataDir, const std::filesystem::path& cacheDir);

/// loadServiceData(dataDir(), cacheDir()) at the first call, then the same set; thread-safe.
const ServiceData& defaultServiceData();

struct ServiceChoice
{
    std::string registrable; // the name to ask for (lower-case A-labels)
    std::string tld;
    std::string rdapBase;  // by the bootstrap; empty for none
    std::string whoisHost; // by the table; empty for none
    Service first = Service::None;
    Service fallback = Service::None; // asked when the first gives no usable answer
    ChoiceReason why = ChoiceReason::NotADomain;
    std::string error; // NotADomain: why
};

/// A country-code TLD: two ASCII letters. IDN country codes ("xn--p1ai") can't be told from IDN
/// generic TLDs by their A-label, so they count as generic here.
bool isCountryCodeTld(std::string_view tld);

/// The choice for `name` (as splitDomain takes it). RDAP first for a generic TLD, whose registries
/// ICANN has required to serve RDAP while letting port 43 go; WHOIS first for a country code,
/// whose registries owe ICANN nothing and keep port 43 as their main, fullest service. Either way
/// the other service, when the files name one, is the fallback, and a TLD with only one service
/// gets that one first.
ServiceChoice chooseService(std::string_view name, const ServiceData& data);

struct AskedName
{
    std::string name; // as sent: the A-label form, the registrable domain beyond the ten registries
    std::string tld;
};

/// What a lookup of `domain` (a record's GBK text) asks for, and its TLD; none for a name with no
/// form that can be asked.
std::optional<AskedName> askedName(std::string_view domain, const ServiceData& data);

/// The host a service URL names ("https://rdap.nic.xyz/" → "rdap.nic.xyz"); empty when it names
/// none.
std::string_view urlHost(std::string_view url);

/// The host IANA's referral is asked at, kept as the server of a name neither file knows.
inline constexpr std::string_view IanaWhoisHost = "whois.iana.org";

/// Gives every record the ten registries leave without a server the host its first service is
/// asked at: the RDAP base's host (when it fits the record's field; otherwise the WHOIS host), the
/// WHOIS host, or IANA's for a referral. A name no service can answer keeps none. UI thread, never
/// during a run.
void assignOtherServices(DomainTable& table, const ServiceData& data);

} // namespace zonedesk::core
