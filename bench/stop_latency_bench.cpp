// SPDX-License-Identifier: MIT
// The user's side of a 10,000-domain run against loopback servers: how long a click on the list
// waits for the UI thread (a mouse press posted every 100 ms, timed until the list selects the
// row), and how long Stop takes, from the request to the run's end. With --silent the servers
// never answer, so that every worker is waiting in a read when Stop comes (the slowest case).
// Run with QT_QPA_PLATFORM=offscreen; the history is recorded, as the program does.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
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
    const bool silent = argc > 1 && std::string_view(argv[1]) == "--silent";
    auto table = zonedesk::core::DomainTable::allocate();
    zonedesk::AppState state{*table, {}, {}, {}, {}, {}};
    const zonedesk::test::TempDir folder;
    state.settings.historyDb = (folder.path() / "history.sqlite3").string();
    const auto servers = zonedesk::bench::fillLoopbackList(
        state,
        silent
            ? zonedesk::test::Behaviour::silent()
            : zonedesk::test::Behaviour::answer("Registrar: R\nNOT FOUND\n", std::chrono::milliseconds(5)));

    zonedesk::DomainListView view(state);
    zonedesk::RunController run(state, view.listModel());
    view.resize(1200, 800);
    view.show();
    view.fillRows();

    // Clicks: each press is posted behind whatever the loop holds, and timed until it selected.
    QElapsedTimer clickClock;
    std::vector<qint64> clicks;
    int row = 0;
    QObject::connect(view.selectionModel(), &QItemSelectionModel::currentChanged, [&] {
        if (clickClock.isValid())
            clicks.push_back(clickClock.nsecsElapsed() / 1000);
        clickClock.invalidate();
    });
    QTimer clicker;
    QObject::connect(&clicker, &QTimer::timeout, [&] {
        if (clickClock.isValid())
            return; // the last one is still waiting
        row = (row + 1) % 20;
        const QPoint at = view.visualRect(view.model()->index(row, 1)).center();
        clickClock.start();
        QApplication::postEvent(view.viewport(),
                                new QMouseEvent(QEvent::MouseButtonPress,
                                                at,
                                                view.viewport()->mapToGlobal(at),
                                                Qt::LeftButton,
                                                Qt::LeftButton,
                                                Qt::NoModifier));
        QApplication::postEvent(view.viewport(),
                                new QMouseEvent(QEvent::MouseButtonRelease,
                                                at,
                                                view.viewport()->mapToGlobal(at),
                                                Qt::LeftButton,
                                                Qt::NoButton,
                                                Qt::NoModifier));
    });

    qint64 startMs = 0;
    QElapsedTimer stopClock;
    qint64 stopMs = -1;
    int doneAtStop = 0;
    QObject::connect(&run, &zonedesk::RunController::finished, [&] {
        if (stopClock.isValid())
            stopMs = stopClock.elapsed();
        qtApp.quit();
    });
    QTimer::singleShot(500, [&] {
        clicker.start(100);
        QElapsedTimer startClock;
        startClock.start();
        run.start(); // the history keeps the run's whole list before the workers start
        startMs = startClock.elapsed();
        // Stop a few seconds in, with every worker busy.
        QTimer::singleShot(4000, [&] {
            doneAtStop = static_cast<int>(
                std::count_if(table->inUse().begin(), table->inUse().end(), [](const auto& record) {
                    return zonedesk::core::isDone(record);
                }));
            stopClock.start();
            run.requestStop();
        });
    });
    QApplication::exec();

    std::sort(clicks.begin(), clicks.end());
    const auto at = [&](double share) {
        return clicks.empty() ? 0.0
                              : static_cast<double>(clicks[std::min(
                                    clicks.size() - 1,
                                    static_cast<std::size_t>(share * static_cast<double>(clicks.size())))]) /
                                    1000.0;
    };
    std::printf("servers                %s\n",
                silent ? "silent (every worker in a read)" : "answering in 5 ms");
    std::printf("done when stopped      %d of %d\n", doneAtStop, zonedesk::core::TableCapacity);
    std::printf(
        "clicks                 %zu: median %.1f ms, 95th %.1f ms, worst %.1f ms (target: under 100 ms)\n",
        clicks.size(),
        at(0.5),
        at(0.95),
        clicks.empty() ? 0.0 : static_cast<double>(clicks.back()) / 1000.0);
    std::printf("start (UI thread)      %lld ms, the list of %d names stored\n",
                startMs,
                zonedesk::core::TableCapacity);
    std::printf("time to stop           %lld ms (target: under 1000 ms)\n", stopMs);
    return stopMs >= 0 && stopMs < 1000 && at(1.0) < 100 ? 0 : 1;
}
