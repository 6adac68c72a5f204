// SPDX-License-Identifier: MIT
// getaddrinfo has no time limit of its own and can't be interrupted: it runs on a detached thread
// that hands its answer over through state it shares with the waiters, so that a waiter can leave.
#include "lookup/host_resolver.h"

#include <condition_variable>
#include <cstring>
#include <system_error>
#include <thread>
#include <utility>

#include <netdb.h>
#include <netinet/in.h>

namespace zonedesk::lookup {

namespace {

struct AddrInfoDeleter
{
    void operator()(addrinfo* info) const { ::freeaddrinfo(info); }
};

int addressesOf(const std::string& host, int flags, std::vector<HostAddress>& addresses)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = flags;
    addrinfo* found = nullptr;
    const int rc = ::getaddrinfo(host.c_str(), nullptr, &hints, &found);
    if (rc != 0)
        return rc;
    const std::unique_ptr<addrinfo, AddrInfoDeleter> list(found);
    for (const addrinfo* info = list.get(); info != nullptr; info = info->ai_next) {
        if (info->ai_addrlen > sizeof(sockaddr_storage))
            continue;
        HostAddress address;
        std::memcpy(&address.storage, info->ai_addr, info->ai_addrlen);
        address.length = info->ai_addrlen;
        address.family = info->ai_family;
        addresses.push_back(address);
    }
    return 0;
}

std::vector<HostAddress> withPort(std::vector<HostAddress> addresses, std::uint16_t port)
{
    for (HostAddress& address : addresses) {
        if (address.family == AF_INET)
            reinterpret_cast<sockaddr_in*>(&address.storage)->sin_port = htons(port);
        else if (address.family == AF_INET6)
            reinterpret_cast<sockaddr_in6*>(&address.storage)->sin6_port = htons(port);
    }
    return addresses;
}

/// An answer that will not change by asking again soon.
bool isFinal(int error)
{
    return error == 0 || error == EAI_NONAME || error == EAI_NODATA;
}

} // namespace

int lookUpHost(const std::string& host, std::vector<HostAddress>& addresses)
{
    return addressesOf(host, 0, addresses);
}

struct HostResolver::Answer
{
    std::mutex mutex; // guards everything below
    std::condition_variable ready;
    bool done = false;
    int error = 0;
    std::vector<HostAddress> addresses;
};

HostResolver::HostResolver(Lookup lookup)
    : m_lookup(std::move(lookup))
{}

Resolution HostResolver::resolve(const std::string& host,
                                 std::uint16_t port,
                                 std::chrono::steady_clock::time_point deadline,
                                 const std::stop_token& stop)
{
    Resolution resolution;
    // A numeric address needs no resolver: AI_NUMERICHOST never leaves the process.
    if (std::vector<HostAddress> numeric; addressesOf(host, AI_NUMERICHOST, numeric) == 0) {
        resolution.outcome = Resolution::Outcome::Found;
        resolution.addresses = withPort(std::move(numeric), port);
        return resolution;
    }

    std::shared_ptr<Answer> answer;
    {
        const std::lock_guard lock(m_mutex);
        std::shared_ptr<Answer>& kept = m_answers[host];
        bool askAgain = !kept;
        if (kept) {
            const std::lock_guard answerLock(kept->mutex);
            askAgain = kept->done && !isFinal(kept->error);
        }
        if (askAgain) {
            auto fresh = std::make_shared<Answer>();
            try {
                std::thread([fresh, lookup = m_lookup, host] {
                    std::vector<HostAddress> addresses;
                    const int error = lookup(host, addresses);
                    const std::lock_guard answerLock(fresh->mutex);
                    fresh->error = error;
                    fresh->addresses = std::move(addresses);
                    fresh->done = true;
                    fresh->ready.notify_all();
                }).detach();
            } catch (const std::system_error&) {
                return resolution; // no thread to ask on: as good as no answer
            }
            kept = std::move(fresh);
        }
        answer = kept;
    }

    // The stop callback wakes the wait at once; it runs on the thread that asks for the stop.
    const std::stop_callback wake(stop, [&answer] {
        const std::lock_guard answerLock(answer->mutex);
        answer->ready.notify_all();
    });
    std::unique_lock answerLock(answer->mutex);
    answer->ready.wait_until(answerLock, deadline, [&] { return answer->done || stop.stop_requested(); });
    if (!answer->done) {
        resolution.outcome =
            stop.stop_requested() ? Resolution::Outcome::Stopped : Resolution::Outcome::TimedOut;
        return resolution;
    }
    if (answer->error == 0 && !answer->addresses.empty()) {
        resolution.outcome = Resolution::Outcome::Found;
        resolution.addresses = withPort(answer->addresses, port);
    }
    return resolution;
}

} // namespace zonedesk::lookup
