// SPDX-License-Identifier: MIT
// The addresses of the WHOIS hosts a run connects to: each host looked up once per run, on a helper
// thread the asking exchange does not wait for past its connect limit or its stop request.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <stop_token>
#include <string>
#include <vector>

#include <sys/socket.h>

namespace zonedesk::lookup {

struct HostAddress
{
    sockaddr_storage storage{};
    socklen_t length = 0;
    int family = AF_INET;
};

struct Resolution
{
    enum class Outcome
    {
        Found,
        NotFound, // the resolver answered without an address
        TimedOut, // no answer by the deadline (the look-up goes on for a later call)
        Stopped,
    };

    Outcome outcome = Outcome::NotFound;
    std::vector<HostAddress> addresses; // when found, with the port asked for
};

/// The system's resolver: the TCP addresses of `host`, IPv4 and IPv6, port 0; 0, or getaddrinfo's
/// error code. Blocks as long as the system's time-outs say.
int lookUpHost(const std::string& host, std::vector<HostAddress>& addresses);

class HostResolver
{
public:
    /// Asked on the helper thread, as lookUpHost is; it must not refer to anything it does not own.
    using Lookup = std::function<int(const std::string& host, std::vector<HostAddress>& addresses)>;

    explicit HostResolver(Lookup lookup = lookUpHost);

    /// The addresses of `host` with `port`. A numeric address is taken as it is. Otherwise the
    /// host's first look-up starts a helper thread, and every call for the host, then or later,
    /// waits for that one answer until `deadline` or a stop, whichever comes first. An answer
    /// that the host does not exist stands for the resolver's life; another failure is asked
    /// again by the next call. Any thread, any number at once.
    Resolution resolve(const std::string& host,
                       std::uint16_t port,
                       std::chrono::steady_clock::time_point deadline,
                       const std::stop_token& stop);

private:
    struct Answer; // shared with its helper thread, which may outlive the resolver

    Lookup m_lookup;
    std::mutex m_mutex; // guards m_answers
    std::map<std::string, std::shared_ptr<Answer>, std::less<>> m_answers;
};

} // namespace zonedesk::lookup
