// SPDX-License-Identifier: MIT
// How late the UI thread's event loop gets during a 10,000-domain run against loopback servers:
// a 10 ms timer measures how far each of its ticks slips. Run with QT_QPA_PLATFORM=offscreen.
// With --history the run is recorded in a fresh history database, as the program does; without,
// the history is off.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <string_view>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include "core/domain_table.h"
#include "core/field_copy.h"
#include "core/whois_servers.h"
#include "tests/support/loopback_whois_server.h"
#include "tests/support/temp_dir.h"
#include "ui/app_state.h"
#include "view/domain_list_view.h"
#include "view/run_controller.h"

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qtApp(argc, argv);
    constexpr const char* Suffixes[] = {".com", ".org", ".cn", ".jp", ".tv"};

    std::vector<std::unique_ptr<zonedesk::test::LoopbackWhoisServer>> servers;
    auto table = zonedesk::core::DomainTable::allocate();
    zonedesk::AppState state{*table, {}, {}, {}, {}, {}};
    const bool history = argc > 1 && std::string_view(argv[1]) == "--history";
    const zonedesk::test::TempDir folder;
    if (history) {
        state.settings.historyDb = (folder.path() / "history.sqlite3").string();
    } else {
        state.history.tried = true; // off, and nothing to say about it
        state.history.errorTold = true;
    }
    for (const char* suffix : Suffixes) {
        auto& server = servers.emplace_back(std::make_unique<zonedesk::test::LoopbackWhoisServer>());
        server->setDefault(zonedesk::test::Behaviour::answer("Registrar: R\nNOT FOUND\n"));
        const auto host = zonedesk::core::serverRuleFor(std::string("x") + suffix).server;
        state.endpoints.add(std::string(zonedesk::core::hostName(*host)) + "=" + server->address());
    }
    state.endpoints.addRdapList(zonedesk::test::rdapNowhere()); // never a registry's own service
    for (int i = 0; i < zonedesk::core::TableCapacity; ++i)
        zonedesk::core::copyField((*table)[static_cast<std::size_t>(i)].domain,
                                  "n" + std::to_string(i) + Suffixes[i % 5]);
    table->setCount(zonedesk::core::TableCapacity);
    zonedesk::core::assignWhoisServers(*table);

    zonedesk::DomainListView view(state);
    zonedesk::RunController run(state, view.listModel());
    view.resize(1200, 800);
    view.show();
    view.fillRows();

    QElapsedTimer clock;
    qint64 last = 0;
    qint64 worst = 0;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        worst = std::max(worst, now - last - 10);
        last = now;
    });
    QTimer finished;
    QObject::connect(&finished, &QTimer::timeout, [&] {
        if (!run.inProgress())
            qtApp.quit();
    });
    // The first paint (fonts, layout) happens before the run; the run starts once it is over.
    QTimer::singleShot(500, [&] {
        clock.start();
        probe.start(10);
        finished.start(100);
        run.start();
    });
    QApplication::exec();
    std::printf("lookups                %d in %.2f s\n",
                zonedesk::core::TableCapacity,
                static_cast<double>(clock.elapsed()) / 1000.0);
    std::printf("worst timer slip       %lld ms (target: never above 50 ms)%s\n",
                worst,
                history ? ", history recorded" : ", history off");
    std::string why;
    if (history && state.history.store)
        std::printf(
            "runs stored            %zu\n",
            state.history.store->runs(why).value_or(std::vector<zonedesk::history::RunEntry>{}).size());
    return worst <= 50 ? 0 : 1;
}
