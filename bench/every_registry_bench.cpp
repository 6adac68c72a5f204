// SPDX-License-Identifier: MIT
// 10,000 names (or argv[1]) under 300 made-up TLDs beyond the ten registries, half of them served
// by RDAP and half by port-43 WHOIS, on 60 hosts that each serve several TLDs, skewed as real
// registry back-ends are (a few hosts carry many TLDs). Every host is a loopback server in a child
// process answering after 5 ms, so the CPU and memory measured here are the lookup side's alone.
// argv[2] caps the hosts asked at once (default: the run's own default). Prints wall time, the
// per-host bound (the busiest host's names x 5 ms), their ratio, the peak thread count against the
// cap, CPU per lookup and the growth of the resident set.
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "bench/process_usage.h"
#include "core/domain_table.h"
#include "core/field_copy.h"
#include "core/lookup_status.h"
#include "core/service_choice.h"
#include "core/whois_servers.h"
#include "lookup/run_with_history.h"
#include "lookup/worker_end_queue.h"
#include "tests/support/loopback_whois_server.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace std::chrono_literals;
using zonedesk::core::LookupStatus;
using zonedesk::test::Behaviour;

constexpr auto ReplyDelay = 5ms;
constexpr int TldCount = 300;
constexpr int HostCount = 60;  // the first half RDAP bases, the second half WHOIS hosts
constexpr int DefaultCap = 32; // what LookupRun runs at most at once unless told otherwise
constexpr int DefaultNames = 10'000;

using zonedesk::bench::cpuSeconds;
using zonedesk::bench::maxRssKiB;

int threadCount()
{
    int count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/task"))
        ++count;
    return count;
}

std::string tldName(int tld)
{
    char text[8];
    std::snprintf(text, sizeof(text), "t%03d", tld);
    return text;
}

bool isRdapTld(int tld)
{
    return tld < TldCount / 2;
}

/// The host serving `tld`: within each half, host k serves about 1/(k+1) as many TLDs as host 0
/// (Zipf), as a few back-end operators run most generic TLDs and many run one or two.
int hostOf(int tld)
{
    constexpr int Half = HostCount / 2;
    static const std::vector<int> owner = [] {
        double sum = 0;
        for (int k = 0; k < Half; ++k)
            sum += 1.0 / (k + 1);
        const int perHalf = TldCount / 2;
        // Every host gets at least one TLD; the rest by weight, what rounding leaves to host 0.
        std::vector<int> share(Half);
        int given = 0;
        for (int k = 0; k < Half; ++k)
            given += share[static_cast<std::size_t>(k)] =
                std::max(1, static_cast<int>(perHalf / sum / (k + 1)));
        share[0] += perHalf - given;
        std::vector<int> byTld;
        byTld.reserve(static_cast<std::size_t>(perHalf));
        for (int k = 0; k < Half; ++k)
            byTld.insert(byTld.end(), static_cast<std::size_t>(share[static_cast<std::size_t>(k)]), k);
        return byTld;
    }();
    const int half = isRdapTld(tld) ? 0 : 1;
    return owner[static_cast<std::size_t>(tld % (TldCount / 2))] + half * Half;
}

std::string hostName(int host)
{
    return host < HostCount / 2 ? "rdap.h" + std::to_string(host) + ".example"
                                : "whois.h" + std::to_string(host) + ".example";
}

std::string domainName(int i)
{
    return "n" + std::to_string(i) + "." + tldName(i % TldCount);
}

/// Every other name is registered; the rest are free.
bool registered(int i)
{
    return i % 2 == 0;
}

std::string rdapDomain(const std::string& name)
{
    return R"({"objectClassName":"domain","ldhName":")" + name +
           R"(","events":[{"eventAction":"registration","eventDate":"2001-01-01T00:00:00Z"},)"
           R"({"eventAction":"expiration","eventDate":"2030-01-01T00:00:00Z"}]})";
}

std::string whoisRecord(const std::string& name)
{
    return "Domain Name: " + name +
           "\r\nRegistrar: R\r\nCreation Date: 2001-01-01T00:00:00Z\r\n"
           "Registry Expiry Date: 2030-01-01T00:00:00Z\r\n";
}

/// Child: one loopback server per host, each answering its own names; writes their ports to `out`,
/// then serves until killed.
[[noreturn]] void serve(int out, int names)
{
    // The servers' 5 ms pauses should be 5 ms, not 5 ms plus the default 50 us timer slack.
    ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    std::vector<std::unique_ptr<zonedesk::test::LoopbackWhoisServer>> servers;
    for (int host = 0; host < HostCount; ++host) {
        auto& server = servers.emplace_back(std::make_unique<zonedesk::test::LoopbackWhoisServer>());
        if (host < HostCount / 2) {
            server->speakHttp();
            server->setDefault(Behaviour::answer(zonedesk::test::httpResponse(404, ""), ReplyDelay));
        } else {
            server->setDefault(Behaviour::answer("No match for \"X\".\r\n", ReplyDelay));
        }
    }
    for (int i = 0; i < names; ++i) {
        if (!registered(i))
            continue;
        const int tld = i % TldCount;
        const std::string name = domainName(i);
        auto& server = *servers[static_cast<std::size_t>(hostOf(tld))];
        if (isRdapTld(tld))
            server.on(zonedesk::test::rdapRequest(name),
                      Behaviour::answer(zonedesk::test::httpResponse(200, rdapDomain(name)), ReplyDelay));
        else
            server.on(name, Behaviour::answer(whoisRecord(name), ReplyDelay));
    }
    for (const auto& server : servers) {
        const std::uint16_t port = server->port();
        if (::write(out, &port, sizeof(port)) != sizeof(port))
            std::_Exit(1);
    }
    ::close(out);
    for (;;)
        ::pause();
}

} // namespace

int main(int argc, char** argv)
{
    const int names =
        argc > 1 ? std::clamp(std::atoi(argv[1]), TldCount, zonedesk::core::TableCapacity) : DefaultNames;
    const int cap = argc > 2 ? std::max(1, std::atoi(argv[2])) : DefaultCap;

    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return 1;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeFds[0]);
        serve(pipeFds[1], names);
    }
    ::close(pipeFds[1]);

    // The data a real run reads from the shipped files, in their formats, naming the made-up hosts.
    std::string bootstrap = R"({"version":"1.0","publication":"2026-07-23T02:00:03Z","services":[)";
    std::string whoisTable;
    for (int tld = 0; tld < TldCount; ++tld) {
        const std::string host = hostName(hostOf(tld));
        if (isRdapTld(tld))
            bootstrap +=
                std::string(tld == 0 ? "" : ",") + "[[\"" + tldName(tld) + "\"],[\"https://" + host + "/\"]]";
        else
            whoisTable += tldName(tld) + "\t" + host + "\n";
    }
    bootstrap += "]}";
    zonedesk::core::ServiceData data;
    std::string error;
    data.rdap = zonedesk::core::RdapBootstrap::parse(bootstrap, error);
    data.whois = zonedesk::core::WhoisHostTable::parse(whoisTable, error);
    if (!data.rdap || !data.whois) {
        std::fprintf(stderr, "service data: %s\n", error.c_str());
        return 1;
    }

    zonedesk::lookup::EndpointOverrides endpoints;
    for (int host = 0; host < HostCount; ++host) {
        std::uint16_t port = 0;
        if (::read(pipeFds[0], &port, sizeof(port)) != sizeof(port))
            return 1;
        const std::string address = "127.0.0.1:" + std::to_string(port);
        if (host >= HostCount / 2)
            endpoints.add(hostName(host) + "=" + address);
        for (int tld = 0; tld < TldCount / 2; ++tld)
            if (hostOf(tld) == host)
                endpoints.addRdap(tldName(tld) + "=http://" + address + "/");
    }
    ::close(pipeFds[0]);

    auto table = zonedesk::core::DomainTable::allocate();
    for (int i = 0; i < names; ++i)
        zonedesk::core::copyField((*table)[static_cast<std::size_t>(i)].domain, domainName(i));
    table->setCount(names);
    zonedesk::core::assignWhoisServers(*table);
    zonedesk::core::assignOtherServices(*table, data);

    std::vector<int> perHost(HostCount, 0);
    for (int i = 0; i < names; ++i)
        ++perHost[static_cast<std::size_t>(hostOf(i % TldCount))];
    const int busiest = *std::max_element(perHost.begin(), perHost.end());
    const double delay = std::chrono::duration<double>(ReplyDelay).count();
    const double hostBound = busiest * delay;
    const double capBound = names * delay / std::min(cap, HostCount);

    const zonedesk::test::TempDir cache;
    const int threadsBefore = threadCount();
    int peakThreads = threadsBefore;
    const long rssBefore = maxRssKiB();
    const double cpuBefore = cpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    {
        zonedesk::lookup::WorkerEndQueue queue;
        zonedesk::lookup::RunWithHistory run(*table, queue);
        run.setEndpoints(endpoints);
        run.setServiceData(&data);
        run.setReferralCache(cache.path() / "iana-referrals.tsv");
        if (argc > 2)
            run.setMaxWorkers(cap);
        if (run.start() != zonedesk::lookup::LookupRun::StartResult::Running)
            return 1;
        run.waitForEnd(
            queue, 20ms, [] { return false; }, [&] { peakThreads = std::max(peakThreads, threadCount()); });
    }
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double cpu = cpuSeconds() - cpuBefore;
    const long rssGrowth = maxRssKiB() - rssBefore;
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);

    int wrong = 0;
    for (int i = 0; i < names; ++i) {
        const auto expected = registered(i) ? LookupStatus::Success : LookupStatus::NotRegistered;
        wrong += (*table)[static_cast<std::size_t>(i)].status != static_cast<std::int32_t>(expected);
    }

    std::printf("lookups            %d over %d TLDs on %d hosts (%d without their true verdict)\n",
                names,
                TldCount,
                HostCount,
                wrong);
    std::printf("wall time          %.3f s\n", wall);
    std::printf("per-host bound     %.3f s (%d lookups x %lld ms on the busiest host)\n",
                hostBound,
                busiest,
                static_cast<long long>(ReplyDelay.count()));
    std::printf("wall / bound       %.3f\n", wall / hostBound);
    std::printf("cap bound          %.3f s (%d lookups x %lld ms / %d hosts at once)\n",
                capBound,
                names,
                static_cast<long long>(ReplyDelay.count()),
                std::min(cap, HostCount));
    std::printf(
        "peak threads       %d (%d before the run; cap %d workers)\n", peakThreads, threadsBefore, cap);
    std::printf("CPU per lookup     %.1f us\n", cpu / names * 1e6);
    std::printf("max RSS            %ld KiB (growth %ld KiB)\n", maxRssKiB(), rssGrowth);
    return wrong == 0 && peakThreads - threadsBefore <= cap ? 0 : 1;
}
