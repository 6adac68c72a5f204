// SPDX-License-Identifier: MIT
// The desktop benches' list: 10,000 names over five of the ten registries, each registry routed
// to a loopback server of its own that answers every name as `behaviour` says.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/domain_table.h"
#include "core/field_copy.h"
#include "core/whois_servers.h"
#include "tests/support/loopback_whois_server.h"
#include "ui/app_state.h"

namespace zonedesk::bench {

/// Fills `state`'s table and routes its servers; the servers returned must outlive the run.
inline std::vector<std::unique_ptr<test::LoopbackWhoisServer>>
fillLoopbackList(AppState& state, const test::Behaviour& behaviour)
{
    constexpr const char* Suffixes[] = {".com", ".org", ".cn", ".jp", ".tv"};
    std::vector<std::unique_ptr<test::LoopbackWhoisServer>> servers;
    for (const char* suffix : Suffixes) {
        auto& server = servers.emplace_back(std::make_unique<test::LoopbackWhoisServer>());
        server->setDefault(behaviour);
        const auto host = core::serverRuleFor(std::string("x") + suffix).server;
        state.endpoints.add(std::string(core::hostName(*host)) + "=" + server->address());
    }
    state.endpoints.addRdapList(test::rdapNowhere()); // never a registry's own service
    core::DomainTable& table = state.table;
    for (int i = 0; i < core::TableCapacity; ++i)
        core::copyField(table[static_cast<std::size_t>(i)].domain, "n" + std::to_string(i) + Suffixes[i % 5]);
    table.setCount(core::TableCapacity);
    core::assignWhoisServers(table);
    return servers;
}

} // namespace zonedesk::bench
