// SPDX-License-Identifier: MIT
// zonedesk-cli serve-samples [--port N]: a loopback WHOIS responder for demos and manual tests.
#include <cerrno>
#include <charconv>
#include <csignal>
#include <iostream>
#include <string>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "cli/command.h"
#include "cli/sample_replies.h"
#include "core/unique_fd.h"
#include "core/whois_servers.h"

namespace zonedesk::cli {

namespace {

volatile std::sig_atomic_t stopServing = 0;

extern "C" void onStopSignal(int)
{
    stopServing = 1;
}

/// Reads one request within two seconds: a WHOIS query to its CR LF, an HTTP request to its blank
/// line (so that closing the connection doesn't reset it). Gives the first line; empty when none came.
std::string readRequest(int fd)
{
    std::string request;
    const auto complete = [&request] {
        const std::string_view end = request.starts_with("GET ") ? "\r\n\r\n" : "\r\n";
        return request.find(end) != std::string::npos;
    };
    for (int slices = 0; slices < 20 && !complete() && request.size() < 4096; ++slices) {
        pollfd entry{fd, POLLIN, 0};
        if (::poll(&entry, 1, 100) <= 0)
            continue;
        char buffer[256];
        const ssize_t n = ::recv(fd, buffer, sizeof(buffer), 0);
        if (n <= 0)
            break;
        request.append(buffer, static_cast<std::size_t>(n));
    }
    return request.substr(0, request.find_first_of("\r\n"));
}

void answer(int fd, const std::string& reply)
{
    std::size_t sent = 0;
    while (sent < reply.size()) {
        const ssize_t n = ::send(fd, reply.data() + sent, reply.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        sent += static_cast<std::size_t>(n);
    }
}

class ServeSamplesCommand final : public Command
{
public:
    std::string_view name() const override { return "serve-samples"; }

    std::string usage() const override
    {
        return "usage: zonedesk-cli serve-samples [--port N]\n"
               "  Answers WHOIS queries on 127.0.0.1 (port N, or a free one) with sample replies\n"
               "  in each registry's current layout; a name starting with \"free-\" gets the\n"
               "  registry's not-found reply. It answers RDAP over HTTP on the same port too\n"
               "  (\"private-\" names have their registrant withheld). Prints the\n"
               "  ZONEDESK_WHOIS_ENDPOINTS and ZONEDESK_RDAP_ENDPOINTS values that route all ten\n"
               "  registries to it, then serves until interrupted.\n";
    }

    int run(std::span<const std::string_view> args) override
    {
        unsigned port = 0;
        for (std::size_t i = 0; i < args.size(); ++i) {
            if (args[i] == "--help" || args[i] == "-h")
                return help();
            if (args[i] != "--port" || i + 1 >= args.size())
                return usageError("unknown option " + std::string(args[i]));
            const std::string_view value = args[++i];
            const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), port);
            if (error != std::errc() || end != value.data() + value.size() || port > 65535)
                return usageError("--port needs a number from 0 to 65535");
        }

        const core::UniqueFd listener(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
        const int yes = 1;
        ::setsockopt(listener.get(), SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes));
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        socklen_t length = sizeof(address);
        if (!listener || ::bind(listener.get(), reinterpret_cast<sockaddr*>(&address), length) != 0 ||
            ::listen(listener.get(), 64) != 0 ||
            ::getsockname(listener.get(), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            std::cerr << "zonedesk-cli: cannot listen on 127.0.0.1:" << port << "\n";
            return ExitFile;
        }
        const std::string where = "127.0.0.1:" + std::to_string(ntohs(address.sin_port));
        std::string endpoints;
        for (std::size_t i = 0; i < core::WhoisServerCount; ++i)
            endpoints += std::string(core::hostName(static_cast<core::WhoisServer>(i))) + "=" + where + ";";
        std::string rdapEndpoints;
        for (const char* suffix : {"com", "net", "org", "info", "biz", "tv", "cc"})
            rdapEndpoints += std::string(suffix) + "=http://" + where + "/;";
        std::cout << "ZONEDESK_WHOIS_ENDPOINTS=" << endpoints << "\n"
                  << "ZONEDESK_RDAP_ENDPOINTS=" << rdapEndpoints << std::endl;

        stopServing = 0;
        std::signal(SIGINT, onStopSignal);
        std::signal(SIGTERM, onStopSignal);
        while (stopServing == 0) {
            pollfd entry{listener.get(), POLLIN, 0};
            if (::poll(&entry, 1, 200) <= 0)
                continue;
            const core::UniqueFd client(::accept4(listener.get(), nullptr, nullptr, SOCK_CLOEXEC));
            if (!client)
                continue;
            const std::string request = readRequest(client.get());
            answer(client.get(),
                   request.starts_with("GET ") ? sampleRdapResponse(request) : sampleReply(request));
        }
        return ExitOk;
    }
};

} // namespace

std::unique_ptr<Command> makeServeSamplesCommand()
{
    return std::make_unique<ServeSamplesCommand>();
}

} // namespace zonedesk::cli
