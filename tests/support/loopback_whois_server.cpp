// SPDX-License-Identifier: MIT
#include "tests/support/loopback_whois_server.h"

#include <cerrno>
#include <stdexcept>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace zonedesk::test {

namespace {

using namespace std::chrono_literals;

constexpr auto PollSlice = 20ms;

/// Sleeps unless the server stops first.
void sleepUnless(const std::atomic<bool>& stopping, std::chrono::milliseconds pause)
{
    const auto until = std::chrono::steady_clock::now() + pause;
    while (!stopping && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(
            std::min<std::chrono::nanoseconds>(PollSlice, until - std::chrono::steady_clock::now()));
}

bool sendAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

int listenOnLoopback(std::uint16_t& port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        throw std::runtime_error("socket failed");
    const int yes = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(address);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0 || ::listen(fd, 128) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(fd);
        throw std::runtime_error("cannot listen on 127.0.0.1");
    }
    port = ntohs(address.sin_port);
    return fd;
}

} // namespace

LoopbackWhoisServer::LoopbackWhoisServer()
{
    m_listenFd = listenOnLoopback(m_port);
    // Started only here, once every member the loop touches exists.
    m_acceptThread = std::thread([this] { acceptLoop(); });
}

LoopbackWhoisServer::~LoopbackWhoisServer()
{
    m_stopping = true;
    m_acceptThread.join();
    for (Connection& connection : m_connections)
        connection.thread.join();
    ::close(m_listenFd);
}

std::string LoopbackWhoisServer::address() const
{
    return "127.0.0.1:" + std::to_string(m_port);
}

void LoopbackWhoisServer::on(const std::string& domain, Behaviour behaviour)
{
    const std::lock_guard lock(m_mutex);
    m_behaviours[domain] = std::move(behaviour);
}

void LoopbackWhoisServer::setDefault(Behaviour behaviour)
{
    const std::lock_guard lock(m_mutex);
    m_default = std::move(behaviour);
}

std::vector<std::string> LoopbackWhoisServer::requests() const
{
    const std::lock_guard lock(m_mutex);
    return m_requests;
}

int LoopbackWhoisServer::connectionCount() const
{
    const std::lock_guard lock(m_mutex);
    return m_total;
}

int LoopbackWhoisServer::maxConcurrentConnections() const
{
    const std::lock_guard lock(m_mutex);
    return m_maxOpen;
}

std::string LoopbackWhoisServer::httpBase() const
{
    return "http://" + address() + "/";
}

std::string rdapRequest(std::string_view name)
{
    return "GET /domain/" + std::string(name) + " HTTP/1.1";
}

std::string httpResponse(int status, std::string_view body, std::string_view headers)
{
    return "HTTP/1.1 " + std::to_string(status) + " X\r\n" + std::string(headers) +
           "Content-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" +
           std::string(body);
}

std::string rdapNowhere()
{
    const std::string base = "http://127.0.0.1:" + std::to_string(LoopbackWhoisServer::refusedPort()) + "/";
    std::string list;
    for (const char* suffix : {"com", "net", "org", "info", "biz", "tv", "cc"})
        list += std::string(suffix) + "=" + base + ";";
    return list;
}

std::uint16_t LoopbackWhoisServer::refusedPort()
{
    // Bound but never listening: the kernel refuses connections, and no other test can take it
    // while this socket lives (it is leaked on purpose for the life of the test process).
    static const std::uint16_t port = [] {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof(address);
        ::bind(fd, reinterpret_cast<sockaddr*>(&address), length);
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
        return ntohs(address.sin_port);
    }();
    return port;
}

void LoopbackWhoisServer::onSequence(const std::string& domain, std::vector<Behaviour> behaviours)
{
    const std::lock_guard lock(m_mutex);
    m_sequences[domain] = {std::move(behaviours), 0};
}

Behaviour LoopbackWhoisServer::behaviourFor(const std::string& domain)
{
    const std::lock_guard lock(m_mutex);
    if (const auto sequence = m_sequences.find(domain);
        sequence != m_sequences.end() && !sequence->second.first.empty()) {
        auto& [behaviours, next] = sequence->second;
        const Behaviour behaviour = behaviours[std::min(next, behaviours.size() - 1)];
        ++next;
        return behaviour;
    }
    const auto it = m_behaviours.find(domain);
    return it != m_behaviours.end() ? it->second : m_default;
}

void LoopbackWhoisServer::acceptLoop()
{
    while (!m_stopping) {
        // Reap connections that have ended, so a long benchmark does not pile up threads.
        m_connections.remove_if([](Connection& connection) {
            if (!connection.finished)
                return false;
            connection.thread.join();
            return true;
        });
        pollfd entry{m_listenFd, POLLIN, 0};
        if (::poll(&entry, 1, static_cast<int>(PollSlice.count())) <= 0)
            continue;
        const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        std::size_t slot = 0;
        {
            const std::lock_guard lock(m_mutex);
            slot = m_requests.size();
            m_requests.emplace_back();
            ++m_total;
            m_maxOpen = std::max(m_maxOpen, ++m_open);
        }
        Connection& connection = m_connections.emplace_back();
        connection.thread = std::thread([this, fd, slot, &connection] {
            serve(fd, slot);
            {
                // Counted as closed before the close: a client sees the end of the reply only
                // after it, so its next connection can never overlap this one in the count.
                const std::lock_guard lock(m_mutex);
                --m_open;
            }
            ::close(fd);
            connection.finished = true;
        });
    }
}

void LoopbackWhoisServer::serve(int fd, std::size_t slot)
{
    std::string request;
    const auto giveUp = std::chrono::steady_clock::now() + 5s;
    while (request.find(m_requestEnd) == std::string::npos && !m_stopping &&
           std::chrono::steady_clock::now() < giveUp) {
        pollfd entry{fd, POLLIN, 0};
        if (::poll(&entry, 1, static_cast<int>(PollSlice.count())) <= 0)
            continue;
        char buffer[512];
        const ssize_t n = ::recv(fd, buffer, sizeof(buffer), 0);
        if (n <= 0)
            break;
        request.append(buffer, static_cast<std::size_t>(n));
        const std::lock_guard lock(m_mutex);
        m_requests[slot] = request;
    }
    const std::string domain = request.substr(0, request.find("\r\n"));
    const Behaviour behaviour = behaviourFor(domain);

    // Until the client gives up (its read returns 0 here) or the server stops.
    const auto holdOpen = [&] {
        while (!m_stopping) {
            pollfd entry{fd, POLLIN, 0};
            if (::poll(&entry, 1, static_cast<int>(PollSlice.count())) > 0) {
                char byte = 0;
                if (::recv(fd, &byte, 1, 0) <= 0)
                    return;
            }
        }
    };
    switch (behaviour.kind) {
    case Behaviour::Kind::CloseAtOnce: return;
    case Behaviour::Kind::Silent: holdOpen(); return;
    case Behaviour::Kind::Reset:
    case Behaviour::Kind::Stall:
        if (sendAll(fd, behaviour.reply.data(), behaviour.reply.size()) &&
            behaviour.kind == Behaviour::Kind::Stall)
            holdOpen();
        if (behaviour.kind == Behaviour::Kind::Reset) {
            const linger abort{1, 0}; // the close that follows sends RST
            ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &abort, sizeof(abort));
        }
        return;
    case Behaviour::Kind::Reply: break;
    }
    sleepUnless(m_stopping, behaviour.delay);
    const std::size_t chunk = behaviour.chunkSize == 0 ? behaviour.reply.size() : behaviour.chunkSize;
    for (std::size_t offset = 0; offset < behaviour.reply.size() && !m_stopping; offset += chunk) {
        if (offset > 0)
            sleepUnless(m_stopping, behaviour.interval);
        if (!sendAll(fd, behaviour.reply.data() + offset, std::min(chunk, behaviour.reply.size() - offset)))
            return;
    }
}

} // namespace zonedesk::test
