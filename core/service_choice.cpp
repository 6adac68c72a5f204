// SPDX-License-Identifier: MIT
// The choice itself is a pure function of the name and the data passed in; only the default data
// set is loaded once, from the files.
#include "core/service_choice.h"

#include "core/data_files.h"
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

} // namespace zonedesk::core
