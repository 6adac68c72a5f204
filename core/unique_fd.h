// SPDX-License-Identifier: MIT
// A move-only owner of a file descriptor, so that no error path leaks a socket.
#pragma once

#include <utility>

#include <unistd.h>

namespace zonedesk::core {

class UniqueFd
{
public:
    UniqueFd() = default;

    explicit UniqueFd(int fd)
        : m_fd(fd)
    {}

    ~UniqueFd() { reset(); }

    UniqueFd(UniqueFd&& other) noexcept
        : m_fd(std::exchange(other.m_fd, -1))
    {}

    UniqueFd& operator=(UniqueFd&& other) noexcept
    {
        if (this != &other) {
            reset();
            m_fd = std::exchange(other.m_fd, -1);
        }
        return *this;
    }

    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int get() const { return m_fd; }

    explicit operator bool() const { return m_fd >= 0; }

    /// Gives up ownership, for a caller that closes the descriptor itself and checks the result.
    int release() { return std::exchange(m_fd, -1); }

    void reset()
    {
        // close() is not retried on EINTR: on Linux the descriptor is gone either way.
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

private:
    int m_fd = -1;
};

} // namespace zonedesk::core
