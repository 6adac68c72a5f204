// SPDX-License-Identifier: MIT
// The exchange on POSIX sockets: non-blocking connect and reads under poll(), so that every wait has
// a deadline and notices a stop request.
#include "lookup/whois_exchange.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <iterator>
#include <vector>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>

#include "core/unique_fd.h"
#include "lookup/host_resolver.h"
#include "lookup/stoppable_sleep.h"

namespace zonedesk::lookup {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// The longest a worker waits without looking at its stop request.
constexpr milliseconds StopSlice{100};
constexpr std::size_t ChunkSize = 1024;

enum class Wait
{
    Ready,
    TimedOut,
    Stopped,
    Error,
};

/// Waits until `fd` has one of `events` (or an error or hang-up, reported in `revents`).
Wait waitFor(
    int fd, short events, Clock::time_point deadline, const std::stop_token& stop, short* revents = nullptr)
{
    for (;;) {
        if (stop.stop_requested())
            return Wait::Stopped;
        const auto now = Clock::now();
        if (now >= deadline)
            return Wait::TimedOut;
        const auto slice = std::min(std::chrono::ceil<milliseconds>(deadline - now), StopSlice);
        pollfd entry{fd, events, 0};
        const int rc = ::poll(&entry, 1, static_cast<int>(slice.count()));
        if (rc < 0 && errno == EINTR)
            continue;
        if (rc < 0)
            return Wait::Error;
        if (rc > 0) {
            if (revents != nullptr)
                *revents = entry.revents;
            return Wait::Ready;
        }
    }
}

enum class Step
{
    Done,
    Failed,
    Stopped,
};

Step connectTo(const HostAddress& address,
               Clock::time_point deadline,
               const std::stop_token& stop,
               core::UniqueFd& out)
{
    core::UniqueFd fd(::socket(address.family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!fd)
        return Step::Failed;
    const int noDelay = 1;
    if (::setsockopt(fd.get(), IPPROTO_TCP, TCP_NODELAY, &noDelay, sizeof(noDelay)) != 0)
        return Step::Failed;
    if (::connect(fd.get(), reinterpret_cast<const sockaddr*>(&address.storage), address.length) != 0) {
        if (errno != EINPROGRESS && errno != EINTR)
            return Step::Failed;
        short revents = 0;
        switch (waitFor(fd.get(), POLLOUT, deadline, stop, &revents)) {
        case Wait::Ready: break;
        case Wait::Stopped: return Step::Stopped;
        case Wait::TimedOut:
        case Wait::Error: return Step::Failed;
        }
        // Writable without an error flag means connected; SO_ERROR is asked only when a flag is up.
        if ((revents & (POLLERR | POLLHUP)) != 0)
            return Step::Failed;
    }
    out = std::move(fd);
    return Step::Done;
}

/// Every address in turn, then the same again after the back-off, as many times as the retries say.
Step connectAny(const std::vector<HostAddress>& addresses,
                const ExchangeOptions& session,
                Clock::time_point exchangeDeadline,
                const std::stop_token& stop,
                core::UniqueFd& out)
{
    for (int attempt = 0; attempt <= session.connectRetries; ++attempt) {
        if (attempt > 0 && !sleepUntilUnlessStopped(Clock::now() + session.connectBackoff, stop))
            return Step::Stopped;
        for (const HostAddress& address : addresses) {
            const auto deadline = std::min(Clock::now() + session.connectTimeout, exchangeDeadline);
            const Step step = connectTo(address, deadline, stop, out);
            if (step != Step::Failed)
                return step;
        }
        if (Clock::now() >= exchangeDeadline)
            break;
    }
    return Step::Failed;
}

Step sendAll(int fd, std::string_view bytes, Clock::time_point deadline, const std::stop_token& stop)
{
    while (!bytes.empty()) {
        const ssize_t sent = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(sent));
            continue;
        }
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent < 0 && errno == EAGAIN) {
            switch (waitFor(fd, POLLOUT, deadline, stop)) {
            case Wait::Ready: continue;
            case Wait::Stopped: return Step::Stopped;
            case Wait::TimedOut:
            case Wait::Error: return Step::Failed;
            }
        }
        return Step::Failed;
    }
    return Step::Done;
}

/// Reads until the server closes, a limit passes, the connection breaks or the cap is reached.
/// Gives None for a complete reply (closed by the server, or cut at the cap), else why it is not.
/// False when stopped.
bool receive(int fd,
             const ExchangeOptions& session,
             Clock::time_point exchangeDeadline,
             const std::stop_token& stop,
             std::string& reply,
             core::ErrorReason& reason)
{
    char chunk[ChunkSize];
    std::size_t received = 0;
    auto byteDeadline = std::min(Clock::now() + session.readTimeout, exchangeDeadline);
    bool mayHaveData = false; // after a chunk, more (or the close) is often already there
    reason = core::ErrorReason::None;
    while (received < session.replySizeCap) {
        if (!mayHaveData) {
            switch (waitFor(fd, POLLIN, byteDeadline, stop)) {
            case Wait::Ready: break;
            case Wait::Stopped: return false;
            case Wait::TimedOut: reason = core::ErrorReason::TimedOut; return true;
            case Wait::Error: reason = core::ErrorReason::Reset; return true;
            }
        }
        if (stop.stop_requested())
            return false;
        const std::size_t wanted = std::min(ChunkSize, session.replySizeCap - received);
        const ssize_t n = ::recv(fd, chunk, wanted, 0);
        mayHaveData = n > 0;
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n == 0)
            return true; // the server closed: the reply is whole
        if (n < 0) {
            reason = core::ErrorReason::Reset; // reset, or a read error: what arrived is only a part
            return true;
        }
        received += static_cast<std::size_t>(n);
        // A NUL inside a reply is dropped rather than allowed to end the text early.
        std::copy_if(chunk, chunk + n, std::back_inserter(reply), [](char c) { return c != '\0'; });
        byteDeadline = std::min(Clock::now() + session.readTimeout, exchangeDeadline);
    }
    return true;
}

} // namespace

ExchangeResult exchangeWhois(const Endpoint& endpoint,
                             std::string_view query,
                             const ExchangeOptions& session,
                             const std::stop_token& stop)
{
    ExchangeResult result;
    const auto exchangeDeadline = Clock::now() + session.exchangeLimit;
    // Finding the host's address is part of connecting, and within the same limit.
    HostResolver ownResolver;
    HostResolver& resolver = session.whoisHosts ? *session.whoisHosts : ownResolver;
    const Resolution found =
        resolver.resolve(endpoint.address,
                         endpoint.port,
                         std::min(Clock::now() + session.connectTimeout, exchangeDeadline),
                         stop);
    switch (found.outcome) {
    case Resolution::Outcome::Found: break;
    case Resolution::Outcome::Stopped: result.outcome = ExchangeOutcome::Stopped; return result;
    case Resolution::Outcome::TimedOut: result.reason = core::ErrorReason::TimedOut; return result;
    case Resolution::Outcome::NotFound: result.reason = core::ErrorReason::HostNotFound; return result;
    }

    core::UniqueFd fd;
    switch (connectAny(found.addresses, session, exchangeDeadline, stop, fd)) {
    case Step::Done: break;
    case Step::Stopped: result.outcome = ExchangeOutcome::Stopped; return result;
    case Step::Failed: result.reason = core::ErrorReason::ConnectFailed; return result;
    }
    for (const std::string_view part : {query, std::string_view("\r\n")}) {
        switch (sendAll(fd.get(), part, exchangeDeadline, stop)) {
        case Step::Done: break;
        case Step::Stopped: result.outcome = ExchangeOutcome::Stopped; return result;
        case Step::Failed: result.reason = core::ErrorReason::SendFailed; return result;
        }
    }
    result.outcome = receive(fd.get(), session, exchangeDeadline, stop, result.reply, result.reason)
                         ? ExchangeOutcome::Received
                         : ExchangeOutcome::Stopped;
    if (result.outcome == ExchangeOutcome::Stopped)
        result.reply.clear();
    return result;
}

} // namespace zonedesk::lookup
