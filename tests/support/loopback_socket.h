// SPDX-License-Identifier: MIT
// What the loopback mail and web servers share: a listening socket on 127.0.0.1 and a reader of
// lines and bytes that gives up when its server stops.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zonedesk::test {

/// A listening socket on 127.0.0.1 at an ephemeral port; throws when there is none.
int listenOnLoopback(std::uint16_t& port);

/// The next accepted connection, or -1 when `stopping` is set first (checked every 20 ms).
int acceptUnless(int listenFd, const std::atomic<bool>& stopping);

bool sendAll(int fd, std::string_view data);

/// Reads one connection; every wait ends when `stopping` is set or the peer closes.
class SocketReader
{
public:
    SocketReader(int fd, const std::atomic<bool>& stopping)
        : m_fd(fd)
        , m_stopping(stopping)
    {}

    /// The next line without its CR LF (or LF); none at the end of the connection.
    std::optional<std::string> line();

    /// The next `count` bytes; none when the connection ends first.
    std::optional<std::string> bytes(std::size_t count);

    /// Waits until the peer closes or the server stops, reading and dropping what comes.
    void drain();

private:
    bool fill();

    int m_fd;
    const std::atomic<bool>& m_stopping;
    std::string m_buffer;
};

} // namespace zonedesk::test
