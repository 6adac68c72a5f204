// SPDX-License-Identifier: MIT
// The list over a full table: rebuilding the rows after an import, and a refresh tick that finds
// nothing new (every 500 ms of a run). Run with QT_QPA_PLATFORM=offscreen.
#include <string>

#include <benchmark/benchmark.h>

#include <QApplication>

#include "core/domain_table.h"
#include "core/field_copy.h"
#include "ui/app_state.h"
#include "view/domain_list_view.h"

namespace {

std::unique_ptr<zonedesk::core::DomainTable> fullTable()
{
    auto table = zonedesk::core::DomainTable::allocate();
    for (int i = 0; i < zonedesk::core::TableCapacity; ++i) {
        auto& record = (*table)[static_cast<std::size_t>(i)];
        zonedesk::core::copyField(record.server, "whois.verisign-grs.com");
        zonedesk::core::copyField(record.domain, "name" + std::to_string(i) + ".com");
    }
    table->setCount(zonedesk::core::TableCapacity);
    return table;
}

void BM_FillRows(benchmark::State& state)
{
    auto table = fullTable();
    zonedesk::AppState app{*table, {}, {}, {}, {}, {}};
    zonedesk::DomainListView view(app);
    view.resize(1200, 800);
    view.show();
    for (auto _ : state) {
        view.fillRows();
        QApplication::processEvents(); // layout and paint of the visible rows
    }
}

void BM_RefreshTickNothingNew(benchmark::State& state)
{
    auto table = fullTable();
    for (int i = 0; i < zonedesk::core::TableCapacity; i += 2) // half of the rows finished and shown
        zonedesk::core::publishDone((*table)[static_cast<std::size_t>(i)]);
    zonedesk::AppState app{*table, {}, {}, {}, {}, {}};
    zonedesk::DomainListView view(app);
    view.fillRows();
    view.listModel().refreshFinishedRows();
    for (auto _ : state)
        view.listModel().refreshFinishedRows();
}

BENCHMARK(BM_FillRows)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RefreshTickNothingNew)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
