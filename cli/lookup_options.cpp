// SPDX-License-Identifier: MIT
#include "cli/lookup_options.h"

#include <chrono>
#include <cmath>

#include "cli/command.h"

namespace zonedesk::cli {

void LookupOptions::declare(CLI::App& app)
{
    addEncodingOption(app, encoding);
    app.add_flag("--prefer-rdap", session.preferRdap, "Ask over RDAP first wherever a registry has it");
    app.add_flag("--ten-registries",
                 tenRegistries,
                 "Look names up only where one of the ten registries with rules of their own serves them");
    app.add_option("--jobs", jobs, "Ask at most N servers at once (default 32)")
        ->type_name("N")
        ->check(CLI::Range(1, core::UserSettings::MaxJobs));
    app.add_option("--endpoint", endpointArgs, "Send a registry host's WHOIS queries to another address")
        ->type_name("HOST=ADDR[:PORT]")
        ->allow_extra_args(false);
    app.add_option("--rdap-endpoint", rdapEndpointArgs, "Send a suffix's RDAP queries to another base URL")
        ->type_name("SUFFIX=URL")
        ->allow_extra_args(false);
    app.add_option("--connect-timeout", connectSeconds, "Give up a connection after SECONDS (default 3)")
        ->type_name("SECONDS")
        ->check(CLI::Range(0.1, 600.0));
    app.add_option("--timeout", exchangeSeconds, "Give up a whole exchange after SECONDS (default 60)")
        ->type_name("SECONDS")
        ->check(CLI::Range(1.0, 3600.0));
    addDbOption(app, dbPath);
}

std::optional<lookup::EndpointOverrides> LookupOptions::resolve(std::string& why)
{
    lookup::EndpointOverrides endpoints;
    if (!endpoints.addFromEnvironment()) {
        why =
            std::string(lookup::EndpointsVariable) + " or " + lookup::RdapEndpointsVariable + " is malformed";
        return std::nullopt;
    }
    for (const std::string& value : endpointArgs) {
        if (!endpoints.add(value)) {
            why = "malformed --endpoint " + value + " (HOST=ADDR[:PORT])";
            return std::nullopt;
        }
    }
    for (const std::string& value : rdapEndpointArgs) {
        if (!endpoints.addRdap(value)) {
            why = "malformed --rdap-endpoint " + value + " (SUFFIX=URL, http or https)";
            return std::nullopt;
        }
    }
    if (connectSeconds)
        session.connectTimeout = std::chrono::milliseconds(std::lround(*connectSeconds * 1000));
    if (exchangeSeconds)
        session.exchangeLimit = std::chrono::milliseconds(std::lround(*exchangeSeconds * 1000));
    return endpoints;
}

} // namespace zonedesk::cli
