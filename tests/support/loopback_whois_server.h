// SPDX-License-Identifier: MIT
// A scriptable WHOIS server on 127.0.0.1 (ephemeral port, its own threads) for exchange and worker
// tests: it answers each domain with a scripted behaviour and records what it saw.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <list>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace zonedesk::test {

struct Behaviour
{
    enum class Kind
    {
        Reply,       // `reply` after `delay`, in chunks of `chunkSize` (0: one write) `interval` apart
        Silent,      // keep the connection open and send nothing
        CloseAtOnce, // close right after the request
        Reset,       // `reply`, then a reset (RST) instead of a normal close
        Stall,       // `reply`, then keep the connection open and send nothing more
    };

    Kind kind = Kind::Reply;
    std::string reply;
    std::chrono::milliseconds delay{0};
    std::size_t chunkSize = 0;
    std::chrono::milliseconds interval{0};

    static Behaviour answer(std::string text, std::chrono::milliseconds delay = {})
    {
        return {Kind::Reply, std::move(text), delay, 0, {}};
    }

    static Behaviour trickle(std::string text, std::size_t chunkSize, std::chrono::milliseconds interval)
    {
        return {Kind::Reply, std::move(text), {}, chunkSize, interval};
    }

    static Behaviour silent() { return {Kind::Silent, {}, {}, 0, {}}; }

    static Behaviour closeAtOnce() { return {Kind::CloseAtOnce, {}, {}, 0, {}}; }

    static Behaviour resetAfter(std::string text) { return {Kind::Reset, std::move(text), {}, 0, {}}; }

    static Behaviour stallAfter(std::string text) { return {Kind::Stall, std::move(text), {}, 0, {}}; }
};

class LoopbackWhoisServer
{
public:
    LoopbackWhoisServer();
    ~LoopbackWhoisServer();
    LoopbackWhoisServer(const LoopbackWhoisServer&) = delete;
    LoopbackWhoisServer& operator=(const LoopbackWhoisServer&) = delete;

    std::uint16_t port() const { return m_port; }

    /// "127.0.0.1:PORT", the form an endpoint override takes.
    std::string address() const;

    /// How to answer `domain` (the request without its CR LF); others get the default.
    void on(const std::string& domain, Behaviour behaviour);
    void setDefault(Behaviour behaviour);

    /// The n-th connection for `domain` gets the n-th behaviour; the last one repeats.
    void onSequence(const std::string& domain, std::vector<Behaviour> behaviours);

    /// Every request's raw bytes, in the order the connections were accepted.
    std::vector<std::string> requests() const;

    int connectionCount() const;

    /// The most connections this server held open at the same time.
    int maxConcurrentConnections() const;

    /// A port on 127.0.0.1 where nothing listens: connecting there is refused.
    static std::uint16_t refusedPort();

    /// Serves HTTP instead: a request is read to its blank line, and its key (for `on`) is its
    /// request line, e.g. "GET /domain/example.org HTTP/1.1" (see rdapRequest).
    void speakHttp() { m_requestEnd = "\r\n\r\n"; }

    /// "http://127.0.0.1:PORT/", an RDAP base on this server.
    std::string httpBase() const;

private:
    struct Connection
    {
        std::thread thread;
        std::atomic<bool> finished{false};
    };

    void acceptLoop();
    void serve(int fd, std::size_t slot);
    Behaviour behaviourFor(const std::string& domain);

    int m_listenFd = -1;
    std::uint16_t m_port = 0;
    std::atomic<bool> m_stopping{false};
    std::string m_requestEnd = "\r\n"; // set before the first connection
    std::thread m_acceptThread;
    std::list<Connection> m_connections; // accept thread only, until the destructor

    mutable std::mutex m_mutex; // guards everything below
    std::map<std::string, Behaviour> m_behaviours;
    std::map<std::string, std::pair<std::vector<Behaviour>, std::size_t>> m_sequences;
    Behaviour m_default = Behaviour::answer("No match for \"X\".\r\n");
    std::vector<std::string> m_requests;
    int m_open = 0;
    int m_maxOpen = 0;
    int m_total = 0;
};

/// The request line with which an RDAP client asks for `name` at a base from httpBase().
std::string rdapRequest(std::string_view name);

/// An HTTP/1.1 response that closes the connection: status line, headers, then `body`.
std::string httpResponse(int status,
                         std::string_view body,
                         std::string_view headers = "Content-Type: application/rdap+json\r\n");

/// RDAP bases for every suffix that has one, all at a port where nothing listens: tests never
/// reach a registry's RDAP service. "suffix=URL;..." as ZONEDESK_RDAP_ENDPOINTS takes it.
std::string rdapNowhere();

} // namespace zonedesk::test
