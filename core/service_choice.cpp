// SPDX-License-Identifier: MIT
// The choice itself is a pure function of the name and the data passed in; only the default data
// set is loaded once, from the files.
#include "core/service_choice.h"

#include "core/data_files.h"
#include "core/domain_table.h"
#include "core/error_reason.h"
#include "core/field_copy.h"
#include "core/whois_query_name.h"
#include "core/whois_servers.h"

namespace zonedesk::core {

std::string_view reasonText(ChoiceReason why)
{
    switch (why) {
    case ChoiceReason::TenRegistries: return "ten registries";
    case ChoiceReason::Bootstrap: return "bootstrap";
    case ChoiceReason::Table: return "table";
    case ChoiceReason::Referral: return "referral";
    case ChoiceReason::PublicSuffix: return "public suffix";
    case ChoiceReason::NotADomain: return "not a domain";
    }
    return "not a domain";
}

ServiceData loadServiceData(const std::filesystem::path& dataDir, const std::filesystem::path& cacheDir)
{
    ServiceData data;
    BootstrapChoice bootstrap =
        loadNewestBootstrap(dataDir / BootstrapFileName, cacheDir / BootstrapFileName);
    data.rdap = std::move(bootstrap.bootstrap);
    if (!data.rdap)
        data.problems.push_back(bootstrap.error);
    if (!bootstrap.cacheNote.empty())
        data.problems.push_back(bootstrap.cacheNote);
    std::string error;
    data.whois = WhoisHostTable::load(dataDir / WhoisTableFileName, error);
    if (!data.whois)
        data.problems.push_back(error);
    return data;
}

const ServiceData& defaultServiceData()
{
    static const ServiceData data = loadServiceData(dataDir(), cacheDir());
    return data;
}

bool isCountryCodeTld(std::string_view tld)
{
    const auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    return tld.size() == 2 && letter(tld[0]) && letter(tld[1]);
}

ServiceChoice chooseService(std::string_view name, const ServiceData& data)
{
    ServiceChoice choice;
    const DomainParts parts =
        splitDomain(name, data.suffixes != nullptr ? *data.suffixes : PublicSuffixList::system());
    choice.tld = parts.tld;
    switch (parts.kind) {
    case DomainParts::Kind::NotADomain: choice.error = parts.error; return choice;
    case DomainParts::Kind::PublicSuffix: choice.why = ChoiceReason::PublicSuffix; return choice;
    case DomainParts::Kind::Registrable: break;
    }
    choice.registrable = parts.registrable;
    if (serverRuleFor(parts.name).server) {
        choice.why = ChoiceReason::TenRegistries;
        return choice;
    }
    if (data.rdap)
        choice.rdapBase = data.rdap->baseFor(parts.registrable);
    if (data.whois)
        choice.whoisHost = data.whois->hostFor(parts.tld);

    const bool rdap = !choice.rdapBase.empty();
    const bool whois = !choice.whoisHost.empty();
    if (!rdap && !whois) {
        choice.why = ChoiceReason::Referral;
        return choice;
    }
    const bool whoisFirst = whois && (isCountryCodeTld(parts.tld) || !rdap);
    choice.first = whoisFirst ? Service::Whois : Service::Rdap;
    choice.why = whoisFirst ? ChoiceReason::Table : ChoiceReason::Bootstrap;
    if (whoisFirst ? rdap : whois)
        choice.fallback = whoisFirst ? Service::Rdap : Service::Whois;
    return choice;
}

std::optional<AskedName> askedName(std::string_view domain, const ServiceData& data)
{
    const auto name = whoisQueryName(domain);
    if (!name)
        return std::nullopt;
    const std::size_t dot = name->rfind('.');
    AskedName asked{*name, dot == std::string::npos ? *name : name->substr(dot + 1)};
    if (serverRuleFor(*name).server)
        return asked;
    const ServiceChoice choice = chooseService(*name, data);
    if (!choice.registrable.empty())
        asked.name = choice.registrable;
    return asked;
}

std::string_view urlHost(std::string_view url)
{
    const std::size_t scheme = url.find("://");
    if (scheme == std::string_view::npos)
        return {};
    url.remove_prefix(scheme + 3);
    url = url.substr(0, url.find_first_of("/?#"));
    if (const std::size_t at = url.rfind('@'); at != std::string_view::npos)
        url.remove_prefix(at + 1);
    if (url.starts_with('['))
        return url.substr(1, url.find(']') == std::string_view::npos ? 0 : url.find(']') - 1);
    return url.substr(0, url.find(':'));
}

void assignOtherServices(DomainTable& table, const ServiceData& data)
{
    constexpr std::size_t HostCapacity = sizeof(DomainRecord::server) - 1;
    for (DomainRecord& record : table.inUse()) {
        if (record.server[0] != '\0')
            continue;
        // Records hold GBK; the choice reads A-labels.
        const auto name = whoisQueryName(fieldText(record.domain));
        const ServiceChoice choice = chooseService(name ? std::string_view(*name) : std::string_view(), data);
        std::string_view host;
        switch (choice.why) {
        case ChoiceReason::Bootstrap:
        case ChoiceReason::Table: {
            // A host too long for the record can't be named there: the other service's, or none.
            const std::string_view rdapHost = urlHost(choice.rdapBase);
            const bool rdapFits = !rdapHost.empty() && rdapHost.size() <= HostCapacity;
            const bool whoisFits = !choice.whoisHost.empty() && choice.whoisHost.size() <= HostCapacity;
            if (choice.first == Service::Rdap)
                host = rdapFits    ? rdapHost
                       : whoisFits ? std::string_view(choice.whoisHost)
                                   : std::string_view();
            else
                host = whoisFits  ? std::string_view(choice.whoisHost)
                       : rdapFits ? rdapHost
                                  : std::string_view();
            break;
        }
        case ChoiceReason::Referral: host = IanaWhoisHost; break;
        case ChoiceReason::PublicSuffix:
            // Left without a server, with why: the reason stays when the run settles the record.
            record.errorReason = static_cast<std::uint8_t>(ErrorReason::PublicSuffix);
            break;
        case ChoiceReason::TenRegistries:
        case ChoiceReason::NotADomain: break;
        }
        copyField(record.server, host);
    }
}

} // namespace zonedesk::core
