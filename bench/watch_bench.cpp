// SPDX-License-Identifier: MIT
// A watch over 10,000 names (or argv[1]) spread over five registries, as `zonedesk-cli watch`
// runs it twice with changes in between. Loopback servers in a child process (so the CPU time
// measured here is the watch side's) answer every name's first and second query: the first run
// finds every name registered but the 2% that fail in both runs; before the second, 5% have been
// dropped, 5% have their expiry moved back and 5% another registrar, and 1% expire within the
// warning window in both. Both runs record into a fresh history file. Prints each run's wall
// time and lookups per second; then, for the second, the report's build time and the store
// reads it implied (and the build without the store, for their cost), its notices against those
// planted (exit code 1 on a mismatch), the time and size of each rendering, and the growth of the
// resident set.
#include <algorithm>
#include <cctype>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include "bench/process_usage.h"
#include "core/calendar_date.h"
#include "core/domain_table.h"
#include "core/field_copy.h"
#include "core/lookup_status.h"
#include "core/whois_servers.h"
#include "history/history_store.h"
#include "history/history_writer.h"
#include "lookup/run_with_history.h"
#include "lookup/worker_end_queue.h"
#include "tests/support/loopback_whois_server.h"
#include "tests/support/temp_dir.h"
#include "watch/desktop_notification.h"
#include "watch/mail_sender.h"
#include "watch/watch_message.h"
#include "watch/watch_report.h"

namespace {

using namespace std::chrono_literals;
using namespace zonedesk;
using Clock = std::chrono::steady_clock;
using test::Behaviour;

constexpr int DefaultNames = 10'000;
constexpr std::int32_t WarnDays = 30;

/// Registries whose parsers read record() below as a registered name; each with its reply for a
/// name it does not hold.
struct Registry
{
    const char* suffix;
    core::WhoisServer server;
    const char* notFound; // "%s": the name in capitals
};

constexpr Registry Registries[] = {
    {".org", core::WhoisServer::Pir, "Domain not found.\r\n"},
    {".com", core::WhoisServer::Verisign, "No match for \"%s\".\r\n"},
    {".biz", core::WhoisServer::BizRegistry, "Domain not found.\r\n"},
    {".tv", core::WhoisServer::VerisignTv, "No match for \"%s\".\r\n"},
    {".cc", core::WhoisServer::NicCc, "No match for \"%s\".\r\n"},
};
constexpr int RegistryCount = static_cast<int>(std::size(Registries));

/// What happens to a name between the two runs.
enum class Fate
{
    Steady,
    Dropped,
    ExpiryMovedBack,
    RegistrarChanged,
    NearExpiry, // within the window in both runs: told, but not as a change
    Failing,    // no record in either run
};

/// Per hundred names of each registry: 5 dropped, 5 moved back, 5 changed, 1 near, 2 failing.
Fate fateOf(int index)
{
    const int slot = (index / RegistryCount) % 100;
    if (slot < 5)
        return Fate::Dropped;
    if (slot < 10)
        return Fate::ExpiryMovedBack;
    if (slot < 15)
        return Fate::RegistrarChanged;
    if (slot < 16)
        return Fate::NearExpiry;
    if (slot < 18)
        return Fate::Failing;
    return Fate::Steady;
}

std::string nameOf(int index)
{
    return "name" + std::to_string(index) + Registries[index % RegistryCount].suffix;
}

std::string upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) {
        return static_cast<char>(std::toupper(c));
    });
    return text;
}

/// "YYYY-MM-DD" `days` from today, so the replies never go stale.
std::string isoInDays(int days)
{
    return core::CalendarDate::fromDayNumber(core::today().dayNumber() + days).iso();
}

std::string record(const std::string& name, int expiresInDays, const std::string& registrar)
{
    return "Domain Name: " + upper(name) +
           "\r\nCreation Date: 2001-01-01T00:00:00Z\r\nRegistry Expiry Date: " + isoInDays(expiresInDays) +
           "T04:00:00Z\r\nRegistrar: " + registrar + "\r\n";
}

std::string notFound(int index)
{
    std::string text = Registries[index % RegistryCount].notFound;
    if (const auto at = text.find("%s"); at != std::string::npos)
        text.replace(at, 2, upper(nameOf(index)));
    return text;
}

/// The name's first and second reply.
std::vector<Behaviour> repliesOf(int index)
{
    const std::string name = nameOf(index);
    const std::string steady = record(name, 400, "Example Registrar");
    switch (fateOf(index)) {
    case Fate::Steady: return {Behaviour::answer(steady)};
    case Fate::Dropped: return {Behaviour::answer(steady), Behaviour::answer(notFound(index))};
    case Fate::ExpiryMovedBack:
        return {Behaviour::answer(steady), Behaviour::answer(record(name, 200, "Example Registrar"))};
    case Fate::RegistrarChanged:
        return {Behaviour::answer(steady), Behaviour::answer(record(name, 400, "Other Registrar"))};
    case Fate::NearExpiry: return {Behaviour::answer(record(name, 10, "Example Registrar"))};
    case Fate::Failing: return {Behaviour::answer("hello world\r\n")};
    }
    return {};
}

/// Child: a loopback server per registry answering every name; writes their ports to `out`,
/// then serves until killed.
[[noreturn]] void serve(int names, int out)
{
    std::vector<std::unique_ptr<test::LoopbackWhoisServer>> servers;
    servers.reserve(RegistryCount);
    for (int r = 0; r < RegistryCount; ++r)
        servers.push_back(std::make_unique<test::LoopbackWhoisServer>());
    for (int i = 0; i < names; ++i)
        servers[static_cast<std::size_t>(i % RegistryCount)]->onSequence(nameOf(i), repliesOf(i));
    for (const auto& server : servers) {
        const std::uint16_t port = server->port();
        if (::write(out, &port, sizeof(port)) != sizeof(port))
            std::_Exit(1);
    }
    ::close(out);
    for (;;)
        ::pause();
}

void say(const std::string& why)
{
    std::cerr << "watch_bench: " << why << "\n";
}

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

struct StatusCounts
{
    int registered = 0;
    int available = 0;
    int errors = 0;
    int other = 0;
};

StatusCounts statusCounts(const core::DomainTable& table)
{
    StatusCounts counts;
    for (const core::DomainRecord& record : table.inUse()) {
        const auto status = core::settledStatus(record);
        if (status == static_cast<std::int32_t>(core::LookupStatus::Success))
            ++counts.registered;
        else if (status == static_cast<std::int32_t>(core::LookupStatus::NotRegistered))
            ++counts.available;
        else if (status == static_cast<std::int32_t>(core::LookupStatus::Error))
            ++counts.errors;
        else
            ++counts.other;
    }
    return counts;
}

/// One run over `table` (its records as `imported` first) recorded into `history`, as the CLI
/// drives it; `afterwards` is called with the run's history writer while the run still holds it.
bool watchRun(int number,
              core::DomainTable& table,
              const std::vector<core::DomainRecord>& imported,
              const lookup::EndpointOverrides& endpoints,
              const std::string& history,
              const std::function<void(const history::HistoryWriter&)>& afterwards)
{
    std::copy(imported.begin(), imported.end(), table.inUse().begin());
    const double cpuBefore = bench::cpuSeconds();
    const auto start = Clock::now();
    lookup::WorkerEndQueue queue;
    lookup::RunWithHistory run(table, queue);
    run.setEndpoints(endpoints);
    std::string why;
    auto runHistory = history::HistoryWriter::open(history, table, "bench", why);
    if (!runHistory) {
        say(why);
        return false;
    }
    const history::HistoryWriter* recorded = runHistory.get();
    if (run.start(std::move(runHistory)) != lookup::LookupRun::StartResult::Running)
        return false;
    run.waitForEnd(queue, 250ms, [] { return false; });
    run.waitForHistory();
    const double wall = secondsSince(start);
    const double cpu = bench::cpuSeconds() - cpuBefore;
    const auto names = static_cast<double>(table.count());
    const StatusCounts counts = statusCounts(table);
    std::printf("run %d: %d names in %.3f s wall, %.0f lookups/s, %.1f us CPU per lookup; "
                "%d registered, %d available, %d failed, %d other; %zu stored\n",
                number,
                table.count(),
                wall,
                names / wall,
                cpu / names * 1e6,
                counts.registered,
                counts.available,
                counts.errors,
                counts.other,
                recorded->storedCount());
    if (!recorded->active() || recorded->storedCount() != static_cast<std::size_t>(table.count())) {
        say("run " + std::to_string(number) + " did not store every lookup");
        return false;
    }
    afterwards(*recorded);
    return true;
}

/// Calls `render` five times; prints the fastest and the output's size.
void timeRendering(const char* what, const std::function<std::size_t()>& render)
{
    double best = 1e9;
    std::size_t bytes = 0;
    for (int i = 0; i < 5; ++i) {
        const auto start = Clock::now();
        bytes = render();
        best = std::min(best, secondsSince(start));
    }
    std::printf("  %-22s %9.3f ms  %9zu bytes\n", what, best * 1e3, bytes);
}

/// The second run's report and its renderings; false when the notices are not those planted.
bool reportOn(const core::DomainTable& table,
              const history::HistoryWriter& runHistory,
              const std::string& path)
{
    std::string why;
    const auto opening = Clock::now();
    const auto store = history::HistoryStore::open(path, why);
    const double openSeconds = secondsSince(opening);
    if (!store) {
        say(why);
        return false;
    }
    const long peakBefore = bench::maxRssKiB();
    const long residentBefore = bench::residentKiB();
    auto start = Clock::now();
    const watch::WatchReport report =
        watch::buildWatchReport(table, &runHistory, store.get(), WarnDays, core::today(), why);
    const double firstSeconds = secondsSince(start);
    if (!why.empty())
        say("the history could not be read: " + why);
    // Again, with and without the store in turn: what its reads cost is the difference.
    double withSeconds = firstSeconds;
    double withoutSeconds = 1e9;
    for (int i = 0; i < 3; ++i) {
        std::string ignored;
        start = Clock::now();
        watch::buildWatchReport(table, &runHistory, nullptr, WarnDays, core::today(), ignored);
        withoutSeconds = std::min(withoutSeconds, secondsSince(start));
        start = Clock::now();
        watch::buildWatchReport(table, &runHistory, store.get(), WarnDays, core::today(), ignored);
        withSeconds = std::min(withSeconds, secondsSince(start));
    }

    // The report reads the store once per name whose lookup failed and once per dropped name.
    const std::size_t reads =
        static_cast<std::size_t>(statusCounts(table).errors) + report.count(watch::NoticeKind::Dropped);
    std::printf("report: store opened in %.3f ms; built in %.3f ms the first time, with %zu store reads\n",
                openSeconds * 1e3,
                firstSeconds * 1e3,
                reads);
    std::printf("  best of 4 with the store %.3f ms, best of 3 without it %.3f ms (%.1f us per read)\n",
                withSeconds * 1e3,
                withoutSeconds * 1e3,
                reads > 0 ? (withSeconds - withoutSeconds) / static_cast<double>(reads) * 1e6 : 0.0);

    std::size_t planted[static_cast<int>(watch::NoticeKind::FailingAgain) + 1] = {};
    for (int i = 0; i < table.count(); ++i) {
        switch (fateOf(i)) {
        case Fate::Dropped: ++planted[static_cast<int>(watch::NoticeKind::Dropped)]; break;
        case Fate::ExpiryMovedBack: ++planted[static_cast<int>(watch::NoticeKind::ExpiryMovedBack)]; break;
        case Fate::RegistrarChanged: ++planted[static_cast<int>(watch::NoticeKind::RegistrarChanged)]; break;
        case Fate::NearExpiry: ++planted[static_cast<int>(watch::NoticeKind::NearExpiry)]; break;
        case Fate::Failing: ++planted[static_cast<int>(watch::NoticeKind::FailingAgain)]; break;
        case Fate::Steady: break;
        }
    }
    bool matches = why.empty();
    std::printf("notices (planted / found):\n");
    for (const auto kind : {watch::NoticeKind::Dropped,
                            watch::NoticeKind::NearExpiry,
                            watch::NoticeKind::ExpiryMovedBack,
                            watch::NoticeKind::RegistrarChanged,
                            watch::NoticeKind::OwnerChanged,
                            watch::NoticeKind::FailingAgain}) {
        const std::size_t want = planted[static_cast<int>(kind)];
        const std::size_t found = report.count(kind);
        matches = matches && want == found;
        std::printf("  %-22s %6zu / %-6zu%s\n",
                    std::string(watch::noticeKey(kind)).c_str(),
                    want,
                    found,
                    want == found ? "" : "  MISMATCH");
    }
    const std::size_t failing = planted[static_cast<int>(watch::NoticeKind::FailingAgain)];
    matches = matches && report.failed == failing;
    std::printf("  %-22s %6zu / %-6zu%s\n",
                "failed lookups",
                failing,
                report.failed,
                report.failed == failing ? "" : "  MISMATCH");

    std::printf("renderings (best of 5):\n");
    timeRendering("subject", [&] { return watch::messageSubject(report).size(); });
    timeRendering("text", [&] { return watch::messageText(report).size(); });
    timeRendering("HTML", [&] { return watch::messageHtml(report).size(); });
    timeRendering("webhook json",
                  [&] { return watch::webhookBody(report, watch::WebhookFormat::Json).size(); });
    timeRendering("webhook slack",
                  [&] { return watch::webhookBody(report, watch::WebhookFormat::Slack).size(); });
    timeRendering("webhook ntfy",
                  [&] { return watch::webhookBody(report, watch::WebhookFormat::Ntfy, "zonedesk").size(); });
    timeRendering("mail message", [&] {
        return watch::mailMessage(report, "watch@example.org", "me@example.org", 1'800'000'000).size();
    });
    timeRendering("desktop notice", [&] {
        const watch::DesktopNotice notice = watch::desktopNotice(report);
        return notice.summary.size() + notice.body.size();
    });
    std::printf("resident set grew %ld KiB over the report and its renderings (peak: %ld KiB)\n",
                bench::residentKiB() - residentBefore,
                bench::maxRssKiB() - peakBefore);
    return matches;
}

} // namespace

int main(int argc, char** argv)
{
    const int names =
        argc > 1 ? std::clamp(static_cast<int>(std::strtol(argv[1], nullptr, 10)), 100, core::TableCapacity)
                 : DefaultNames;
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return 1;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeFds[0]);
        serve(names, pipeFds[1]);
    }
    ::close(pipeFds[1]);
    lookup::EndpointOverrides endpoints;
    for (const Registry& registry : Registries) {
        std::uint16_t port = 0;
        if (::read(pipeFds[0], &port, sizeof(port)) != sizeof(port))
            return 1;
        endpoints.add(std::string(core::hostName(registry.server)) + "=127.0.0.1:" + std::to_string(port));
    }
    ::close(pipeFds[0]);
    // A reply that is no record may be asked again over RDAP: at a port where nothing listens.
    endpoints.addRdapList(test::rdapNowhere());

    auto table = core::DomainTable::allocate();
    for (int i = 0; i < names; ++i)
        core::copyField((*table)[static_cast<std::size_t>(i)].domain, nameOf(i));
    table->setCount(names);
    core::assignWhoisServers(*table);
    const std::vector<core::DomainRecord> imported(table->inUse().begin(), table->inUse().end());

    const test::TempDir folder;
    const std::string history = (folder.path() / "history.sqlite3").string();
    const long rssBefore = bench::maxRssKiB();
    bool matches = false;
    const bool ran =
        watchRun(1, *table, imported, endpoints, history, [](const history::HistoryWriter&) {}) &&
        watchRun(2, *table, imported, endpoints, history, [&](const history::HistoryWriter& runHistory) {
            matches = reportOn(*table, runHistory, history);
        });
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    std::printf("peak resident set grew %ld KiB over both runs and the report\n",
                bench::maxRssKiB() - rssBefore);
    return ran && matches ? 0 : 1;
}
