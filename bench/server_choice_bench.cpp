// SPDX-License-Identifier: MIT
// Server choice over a full table: it runs on the UI thread right after every import.
#include <string>

#include <benchmark/benchmark.h>

#include "core/domain_table.h"
#include "core/field_copy.h"
#include "core/whois_servers.h"
#include "listfile/domain_import.h"

namespace {

void BM_AssignWhoisServersFullTable(benchmark::State& state)
{
    const auto table = zonedesk::core::DomainTable::allocate();
    const char* suffixes[] = {
        ".com", ".cn", ".com.cn", ".jp", ".net.jp", ".org", ".sg", ".cc", ".info", ".xyz"};
    for (int i = 0; i < zonedesk::core::TableCapacity; ++i)
        zonedesk::core::copyField((*table)[static_cast<std::size_t>(i)].domain,
                                  "name" + std::to_string(i) + suffixes[i % 10]);
    table->setCount(zonedesk::core::TableCapacity);
    for (auto _ : state)
        zonedesk::core::assignWhoisServers(*table);
    state.SetItemsProcessed(state.iterations() * zonedesk::core::TableCapacity);
}

BENCHMARK(BM_AssignWhoisServersFullTable)->Unit(benchmark::kMillisecond);

void BM_NormaliseDomainLine(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(
            zonedesk::listfile::normaliseDomainLine("  HTTPS://WWW.Example-Name.COM/path/x  \r\n"));
}

BENCHMARK(BM_NormaliseDomainLine);

} // namespace
