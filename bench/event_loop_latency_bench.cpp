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

#include "bench/loopback_list.h"
#include "tests/support/temp_dir.h"
#include "ui/app_state.h"
#include "view/domain_list_view.h"
#include "view/run_controller.h"

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qtApp(argc, argv);
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
    const auto servers = zonedesk::bench::fillLoopbackList(
        state, zonedesk::test::Behaviour::answer("Registrar: R\nNOT FOUND\n"));

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
