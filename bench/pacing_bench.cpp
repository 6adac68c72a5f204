// SPDX-License-Identifier: MIT
// A run against a server that rations queries with a token bucket (R queries a second, a burst of
// B): how long the worker takes to settle N names, and how many of its queries were refused.
// Usage: pacing_bench [R [B [N]]] (defaults 0.5 3 30). Target: every name settled within
// 1.3 x (N - B) / R, with at most 20 % of the queries refused.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "core/domain_table.h"
#include "core/field_copy.h"
#include "core/lookup_status.h"
#include "core/whois_servers.h"
#include "lookup/run_with_history.h"
#include "lookup/worker_end_queue.h"
#include "tests/support/loopback_whois_server.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

/// A WHOIS server on 127.0.0.1 that answers with a record while its bucket holds a token and
/// with PIR's refusal otherwise; one connection at a time, which is all a worker opens.
class RationingServer
{
public:
    RationingServer(double rate, double burst)
        : m_rate(rate)
        , m_burst(burst)
        , m_tokens(burst)
        , m_last(Clock::now())
    {
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof(address);
        ::bind(m_fd, reinterpret_cast<sockaddr*>(&address), length);
        ::listen(m_fd, 16);
        ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { serve(); });
    }

    ~RationingServer()
    {
        m_stopping = true;
        m_thread.join();
        ::close(m_fd);
    }

    RationingServer(const RationingServer&) = delete;
    RationingServer& operator=(const RationingServer&) = delete;

    std::uint16_t port() const { return m_port; }

    int queries() const { return m_queries; }

    int refused() const { return m_refused; }

private:
    void serve()
    {
        while (!m_stopping) {
            pollfd entry{m_fd, POLLIN, 0};
            if (::poll(&entry, 1, 100) <= 0)
                continue;
            const int client = ::accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC);
            if (client < 0)
                continue;
            std::string request;
            char buffer[256];
            while (request.find("\r\n") == std::string::npos) {
                const ssize_t n = ::recv(client, buffer, sizeof(buffer), 0);
                if (n <= 0)
                    break;
                request.append(buffer, static_cast<std::size_t>(n));
            }
            const auto now = Clock::now();
            m_tokens =
                std::min(m_burst, m_tokens + std::chrono::duration<double>(now - m_last).count() * m_rate);
            m_last = now;
            ++m_queries;
            std::string reply;
            if (m_tokens >= 1.0) {
                m_tokens -= 1.0;
                reply = "Domain Name: " + request.substr(0, request.find("\r\n")) +
                        "\r\nCreation Date: 2001-01-01T00:00:00Z\r\nRegistry Expiry Date: "
                        "2030-01-01T00:00:00Z\r\n"
                        "Registrar: R\r\n";
            } else {
                ++m_refused;
                reply = "WHOIS LIMIT EXCEEDED - SEE WWW.PIR.ORG/WHOIS FOR DETAILS\r\n";
            }
            ::send(client, reply.data(), reply.size(), MSG_NOSIGNAL);
            ::close(client);
        }
    }

    double m_rate;
    double m_burst;
    double m_tokens;
    Clock::time_point m_last;
    int m_fd = -1;
    std::uint16_t m_port = 0;
    std::atomic<bool> m_stopping{false};
    std::atomic<int> m_queries{0};
    std::atomic<int> m_refused{0};
    std::thread m_thread;
};

} // namespace

int main(int argc, char** argv)
{
    const double rate = argc > 1 ? std::atof(argv[1]) : 0.5;
    const double burst = argc > 2 ? std::atof(argv[2]) : 3;
    const int names = argc > 3 ? std::atoi(argv[3]) : 30;
    if (rate <= 0 || burst < 1 || names <= burst || names > zonedesk::core::TableCapacity) {
        std::fprintf(stderr, "usage: pacing_bench [RATE>0 [BURST>=1 [NAMES>BURST]]]\n");
        return 1;
    }
    RationingServer server(rate, burst);
    zonedesk::lookup::EndpointOverrides endpoints;
    endpoints.add(std::string(zonedesk::core::hostName(zonedesk::core::WhoisServer::Pir)) +
                  "=127.0.0.1:" + std::to_string(server.port()));
    endpoints.addRdapList(zonedesk::test::rdapNowhere()); // the fallback never leaves the machine

    auto table = zonedesk::core::DomainTable::allocate();
    for (int i = 0; i < names; ++i)
        zonedesk::core::copyField((*table)[static_cast<std::size_t>(i)].domain,
                                  "n" + std::to_string(i) + ".org");
    table->setCount(names);
    zonedesk::core::assignWhoisServers(*table);

    zonedesk::lookup::WorkerEndQueue queue;
    zonedesk::lookup::RunWithHistory run(*table, queue);
    run.setEndpoints(endpoints);
    const auto start = Clock::now();
    run.start();
    run.waitForEnd(queue, 500ms, {});
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();

    int settled = 0;
    int errors = 0;
    for (const auto& record : table->inUse()) {
        settled += zonedesk::core::isDone(record) ? 1 : 0;
        errors += record.status == static_cast<std::int32_t>(zonedesk::core::LookupStatus::Error) ? 1 : 0;
    }
    const double bound = 1.3 * (names - burst) / rate;
    const double refusedShare = server.queries() > 0 ? 100.0 * server.refused() / server.queries() : 0.0;
    std::printf("rate %.4g/s burst %.0f names %d: settled %d (errors %d), %d queries, %d refused (%.1f %%), "
                "wall %.1f s; target <= %.1f s and <= 20 %% refused: %s\n",
                rate,
                burst,
                names,
                settled,
                errors,
                server.queries(),
                server.refused(),
                refusedShare,
                seconds,
                bound,
                settled == names && errors == 0 && seconds <= bound && refusedShare <= 20.0 ? "met"
                                                                                            : "MISSED");
    return 0;
}
