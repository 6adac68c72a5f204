// SPDX-License-Identifier: MIT
#include "tests/support/loopback_socket.h"

#include <array>
#include <cerrno>
#include <stdexcept>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace zonedesk::test {

namespace {

constexpr int PollSliceMs = 20;

} // namespace

int listenOnLoopback(std::uint16_t& port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        throw std::runtime_error("socket failed");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(address);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0 || ::listen(fd, 16) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(fd);
        throw std::runtime_error("cannot listen on 127.0.0.1");
    }
    port = ntohs(address.sin_port);
    return fd;
}

int acceptUnless(int listenFd, const std::atomic<bool>& stopping)
{
    while (!stopping) {
        pollfd entry{listenFd, POLLIN, 0};
        if (::poll(&entry, 1, PollSliceMs) <= 0)
            continue;
        const int fd = ::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd >= 0)
            return fd;
    }
    return -1;
}

bool sendAll(int fd, std::string_view data)
{
    while (!data.empty()) {
        const ssize_t n = ::send(fd, data.data(), data.size(), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

bool SocketReader::fill()
{
    while (!m_stopping) {
        pollfd entry{m_fd, POLLIN, 0};
        const int ready = ::poll(&entry, 1, PollSliceMs);
        if (ready < 0 && errno != EINTR)
            return false;
        if (ready <= 0)
            continue;
        std::array<char, 4096> chunk{};
        const ssize_t n = ::recv(m_fd, chunk.data(), chunk.size(), 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        m_buffer.append(chunk.data(), static_cast<std::size_t>(n));
        return true;
    }
    return false;
}

std::optional<std::string> SocketReader::line()
{
    for (;;) {
        if (const std::size_t end = m_buffer.find('\n'); end != std::string::npos) {
            std::string text = m_buffer.substr(0, end);
            m_buffer.erase(0, end + 1);
            if (!text.empty() && text.back() == '\r')
                text.pop_back();
            return text;
        }
        if (!fill())
            return std::nullopt;
    }
}

std::optional<std::string> SocketReader::bytes(std::size_t count)
{
    while (m_buffer.size() < count)
        if (!fill())
            return std::nullopt;
    std::string taken = m_buffer.substr(0, count);
    m_buffer.erase(0, count);
    return taken;
}

void SocketReader::drain()
{
    while (fill())
        m_buffer.clear();
}

} // namespace zonedesk::test
