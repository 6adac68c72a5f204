// SPDX-License-Identifier: MIT
// zonedesk-cli servers NAME...: which service each name would be asked at, and why, without a query.
#include <iostream>

#include "cli/command.h"
#include "cli/text_output.h"
#include "core/encodings.h"
#include "core/service_choice.h"
#include "core/text.h"
#include "core/whois_query_name.h"
#include "core/whois_servers.h"

namespace zonedesk::cli {

namespace {

/// One name's services: what is asked, where first and where after, and why.
struct Route
{
    std::string name;
    std::string asked; // empty when the name can't be asked
    std::string tld;
    std::string first;    // "whois HOST" or "rdap URL"; empty for none
    std::string fallback; // likewise
    std::string why;
};

Route routeOf(const std::string& name, const core::ServiceData& data, bool tenOnly)
{
    Route route{name, {}, {}, {}, {}, {}};
    const auto asked = core::whoisQueryName(core::utf8ToGbk(name));
    if (!asked) {
        route.why = "not a domain";
        return route;
    }
    const std::size_t dot = asked->rfind('.');
    route.tld = dot == std::string::npos ? *asked : asked->substr(dot + 1);
    if (const auto ten = core::serverRuleFor(core::utf8ToGbk(name)).server) {
        route.asked = *asked;
        const core::Transport transport = core::transportOf(*ten);
        const std::string whois = "whois " + std::string(core::hostName(*ten));
        const std::string base(core::rdapBaseFor(*asked));
        const std::string rdap = base.empty() ? std::string() : "rdap " + base;
        route.first = transport == core::Transport::Rdap ? rdap : whois;
        route.fallback = transport == core::Transport::WhoisThenRdap ? rdap : std::string();
        route.why = "ten registries";
        return route;
    }
    if (tenOnly) {
        route.why = "not one of the ten registries";
        return route;
    }
    const core::ServiceChoice choice = core::chooseService(*asked, data);
    route.asked = choice.registrable;
    route.why = std::string(core::reasonText(choice.why));
    const auto service = [&](core::Service which) {
        switch (which) {
        case core::Service::Rdap: return "rdap " + choice.rdapBase;
        case core::Service::Whois: return "whois " + choice.whoisHost;
        case core::Service::None: break;
        }
        return std::string();
    };
    route.first = choice.why == core::ChoiceReason::Referral
                      ? "whois " + std::string(core::IanaWhoisHost) + " (referral)"
                      : service(choice.first);
    route.fallback = service(choice.fallback);
    return route;
}

class ServersCommand final : public Command
{
public:
    std::string_view name() const override { return "servers"; }

    std::string_view summary() const override
    {
        return "Say which service each name would be asked at, and why, without asking";
    }

    void declare(CLI::App& app) override
    {
        app.add_option("NAME", m_names, "Domain names (IDN in UTF-8 too)")->required();
        app.add_flag("--ten-registries", m_tenOnly, "As lookup --ten-registries: only the ten registries");
        app.add_flag("-j,--jsonl", m_jsonl, "One JSON object per name");
        app.footer(
            "Prints name, the name asked (its registrable domain beyond the ten registries), TLD, the\n"
            "first service, the fallback and why (ten registries, bootstrap, table, referral,\n"
            "public suffix, not a domain), tab-separated. Asks no registry.");
    }

    int run() override
    {
        const core::ServiceData& data = core::defaultServiceData();
        for (const std::string& problem : data.problems)
            std::cerr << "zonedesk-cli: " << core::safeToShow(problem) << "\n";
        for (const std::string& name : m_names) {
            const Route route = routeOf(name, data, m_tenOnly);
            if (m_jsonl)
                std::cout << jsonLine({
                    {"name", route.name},
                    {"queried", route.asked},
                    {"tld", route.tld},
                    {"first", route.first},
                    {"fallback", route.fallback},
                    {"why", route.why},
                });
            else
                std::cout << escapedLine(route.name) << '\t' << escapedLine(route.asked) << '\t'
                          << escapedLine(route.tld) << '\t' << escapedLine(route.first) << '\t'
                          << escapedLine(route.fallback) << '\t' << escapedLine(route.why) << '\n';
        }
        return ExitOk;
    }

private:
    std::vector<std::string> m_names;
    bool m_tenOnly = false;
    bool m_jsonl = false;
};

} // namespace

std::unique_ptr<Command> makeServersCommand()
{
    return std::make_unique<ServersCommand>();
}

} // namespace zonedesk::cli
