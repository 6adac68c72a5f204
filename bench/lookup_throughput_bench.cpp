// SPDX-License-Identifier: MIT
// 2,000 lookups (or argv[1]) over the ten servers against loopback servers that answer each query
// after 5 ms. The servers run in a child process, so the CPU time measured here is the lookup
// side's alone. Prints wall time, the physical bound (largest per-server count x 5 ms), their
// ratio, CPU per lookup and the growth of the resident set; then the same run again with the
// history database recording it (a batch per 250 ms tick, into a fresh file) and the difference.
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "bench/process_usage.h"
#include "core/domain_table.h"
#include "core/field_copy.h"
#include "core/whois_servers.h"
#include "history/history_store.h"
#include "history/history_writer.h"
#include "lookup/run_with_history.h"
#include "lookup/worker_end_queue.h"
#include "tests/support/loopback_whois_server.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace std::chrono_literals;
using zonedesk::core::WhoisServer;

constexpr auto ReplyDelay = 5ms;
constexpr const char* Suffixes[] = {
    ".cn", ".com", ".org", ".biz", ".edu", ".hk", ".jp", ".tv", ".info", ".cc"};

using zonedesk::bench::cpuSeconds;
using zonedesk::bench::maxRssKiB;

/// Child: one loopback server per registry; writes their ports to `out`, then serves until killed.
[[noreturn]] void serve(int out)
{
    // The servers' 5 ms pauses should be 5 ms, not 5 ms plus the default 50 us timer slack.
    ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    std::vector<std::unique_ptr<zonedesk::test::LoopbackWhoisServer>> servers;
    for (std::size_t i = 0; i < zonedesk::core::WhoisServerCount; ++i) {
        auto& server = servers.emplace_back(std::make_unique<zonedesk::test::LoopbackWhoisServer>());
        server->setDefault(zonedesk::test::Behaviour::answer(
            "for detailed information.\n   Registrar: R\n   Whois Server: w\n   Creation Date: 1\n"
            "   Expiration Date: 2\n>>> Last update of whois database: 3 <<<\nNOTICE: n",
            ReplyDelay));
        const std::uint16_t port = server->port();
        if (::write(out, &port, sizeof(port)) != sizeof(port))
            std::_Exit(1);
    }
    ::close(out);
    for (;;)
        ::pause();
}

} // namespace

struct Measured
{
    double wall = 0;
    double cpu = 0;
    int errors = 0;
    std::size_t stored = 0;
};

/// One run over `table`, its records as `imported` first; with `store`, recorded as the CLI
/// records it.
Measured measure(zonedesk::core::DomainTable& table,
                 const std::vector<zonedesk::core::DomainRecord>& imported,
                 const zonedesk::lookup::EndpointOverrides& endpoints,
                 const std::string* history)
{
    std::copy(imported.begin(), imported.end(), table.inUse().begin());
    Measured measured;
    measured.errors = -1; // until the run ends
    const double cpuBefore = cpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    zonedesk::lookup::WorkerEndQueue queue;
    {
        zonedesk::lookup::RunWithHistory run(table, queue);
        run.setEndpoints(endpoints);
        std::unique_ptr<zonedesk::history::HistoryWriter> runHistory;
        std::string why;
        if (history != nullptr)
            runHistory = zonedesk::history::HistoryWriter::open(*history, table, "bench", why);
        zonedesk::history::HistoryWriter* recorded = runHistory.get();
        if (run.start(std::move(runHistory)) != zonedesk::lookup::LookupRun::StartResult::Running)
            return measured;
        run.waitForEnd(queue, 250ms, [] { return false; });
        if (recorded != nullptr) {
            run.waitForHistory();
            measured.stored = recorded->storedCount();
        }
    }
    measured.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    measured.cpu = cpuSeconds() - cpuBefore;
    measured.errors = 0;
    for (const auto& record : table.inUse())
        measured.errors += record.status != 1;
    return measured;
}

int main(int argc, char** argv)
{
    const int Domains = argc > 1 ? std::clamp(std::atoi(argv[1]), 10, zonedesk::core::TableCapacity) : 2000;
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return 1;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeFds[0]);
        serve(pipeFds[1]);
    }
    ::close(pipeFds[1]);
    zonedesk::lookup::EndpointOverrides endpoints;
    for (std::size_t i = 0; i < zonedesk::core::WhoisServerCount; ++i) {
        std::uint16_t port = 0;
        if (::read(pipeFds[0], &port, sizeof(port)) != sizeof(port))
            return 1;
        const auto host = zonedesk::core::hostName(static_cast<WhoisServer>(i));
        endpoints.add(std::string(host) + "=127.0.0.1:" + std::to_string(port));
    }
    // .info is asked over RDAP only: it goes to a port where nothing listens, never to the registry.
    endpoints.addRdapList(zonedesk::test::rdapNowhere());

    auto table = zonedesk::core::DomainTable::allocate();
    for (int i = 0; i < Domains; ++i)
        zonedesk::core::copyField((*table)[static_cast<std::size_t>(i)].domain,
                                  "name" + std::to_string(i) + Suffixes[i % 10]);
    table->setCount(Domains);
    zonedesk::core::assignWhoisServers(*table);
    int largest = 0;
    for (std::size_t s = 0; s < zonedesk::core::WhoisServerCount; ++s) {
        int count = 0;
        for (const auto& record : table->inUse())
            count += zonedesk::core::fieldText(record.server) ==
                     zonedesk::core::hostName(static_cast<WhoisServer>(s));
        largest = std::max(largest, count);
    }

    const std::vector<zonedesk::core::DomainRecord> imported(table->inUse().begin(), table->inUse().end());
    const long rssBefore = maxRssKiB();
    const Measured plain = measure(*table, imported, endpoints, nullptr);
    const long rssGrowth = maxRssKiB() - rssBefore;
    const zonedesk::test::TempDir folder;
    const std::string history = (folder.path() / "history.sqlite3").string();
    const Measured recorded = measure(*table, imported, endpoints, &history);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);

    const double bound = largest * std::chrono::duration<double>(ReplyDelay).count();
    std::printf("lookups            %d (%d not Success)\n", Domains, plain.errors);
    std::printf("wall time          %.3f s\n", plain.wall);
    std::printf("physical bound     %.3f s (%d lookups x %lld ms on the busiest server)\n",
                bound,
                largest,
                static_cast<long long>(ReplyDelay.count()));
    std::printf("wall / bound       %.3f\n", plain.wall / bound);
    std::printf("CPU per lookup     %.1f us\n", plain.cpu / Domains * 1e6);
    std::printf("max RSS growth     %ld KiB\n", rssGrowth);
    std::printf("with history       %.3f s wall (%+.1f %%), %.1f us CPU per lookup, %zu lookups stored\n",
                recorded.wall,
                (recorded.wall / plain.wall - 1) * 100,
                recorded.cpu / Domains * 1e6,
                recorded.stored);
    // The not-Success count is the same in both runs (the servers' one reply does not read as a
    // record under every registry's rules, and .info goes to RDAP nowhere); every lookup is stored.
    return plain.errors == recorded.errors && recorded.stored == static_cast<std::size_t>(Domains) ? 0 : 1;
}
