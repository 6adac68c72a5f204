// SPDX-License-Identifier: MIT
// The options every command that looks names up shares (lookup, watch): how the list is read,
// which services are asked and how, and where the history goes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/user_settings.h"
#include "listfile/list_reader.h"
#include "lookup/endpoints.h"
#include "lookup/exchange_options.h"

#include <CLI/CLI.hpp>

namespace zonedesk::cli {

struct LookupOptions
{
    listfile::ListEncoding encoding = listfile::ListEncoding::Auto;
    lookup::ExchangeOptions session;
    std::vector<std::string> endpointArgs;
    std::vector<std::string> rdapEndpointArgs;
    std::optional<double> connectSeconds;
    std::optional<double> exchangeSeconds;
    std::string dbPath;
    bool tenRegistries = false;
    std::int32_t jobs = core::UserSettings::DefaultJobs;

    /// --encoding, --prefer-rdap, --ten-registries, --jobs, --endpoint, --rdap-endpoint,
    /// --connect-timeout, --timeout and --db.
    void declare(CLI::App& app);

    /// The routes of the environment and the options, and the time limits put into `session`;
    /// none, with `why` for a usage error, when one is malformed.
    std::optional<lookup::EndpointOverrides> resolve(std::string& why);
};

} // namespace zonedesk::cli
