// SPDX-License-Identifier: MIT
// zonedesk-cli serve-samples [--port N] [--replies DIR]: a loopback WHOIS responder for demos and manual
// tests.
#include <algorithm>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <system_error>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "cli/command.h"
#include "cli/sample_replies.h"
#include "core/service_choice.h"
#include "core/text.h"
#include "core/unique_fd.h"
#include "core/whois_servers.h"

namespace zonedesk::cli {

namespace {

volatile std::sig_atomic_t stopServing = 0;

constexpr std::size_t MaxOwnReply = 1 << 20;

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

/// The reply kept for `query` in `folder` (a file named as the name, in lower case), read at each
/// query so that a demo can change it while serving; none when the folder has none for it.
std::optional<std::string> ownReply(const std::string& folder, std::string_view query)
{
    const std::string name = core::asciiLower(query);
    const bool plain =
        !name.empty() && name.front() != '.' && std::all_of(name.begin(), name.end(), [](char c) {
            return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.';
        });
    if (folder.empty() || !plain)
        return std::nullopt;
    std::ifstream file(std::filesystem::path(folder) / name, std::ios::binary);
    if (!file)
        return std::nullopt;
    std::string reply(MaxOwnReply, '\0');
    file.read(reply.data(), static_cast<std::streamsize>(reply.size()));
    reply.resize(static_cast<std::size_t>(file.gcount()));
    return reply;
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

    std::string_view summary() const override
    {
        return "Answer WHOIS and RDAP on 127.0.0.1 with sample replies, for demos and tests";
    }

    void declare(CLI::App& app) override
    {
        app.add_option("--port", m_port, "Listen on port N (default: a free one)")
            ->type_name("N")
            ->check(CLI::Range(0, 65535));
        app.add_option("--replies",
                       m_replies,
                       "Answer a WHOIS query for NAME with the file DIR/NAME when there is one")
            ->type_name("DIR")
            ->check(CLI::ExistingDirectory);
        app.footer(
            "A name starting with \"free-\" gets the registry's not-found reply; \"private-\" names\n"
            "have their registrant withheld over RDAP. Besides the ten registries it answers .de,\n"
            ".uk, .au and .sg over WHOIS and .io, .xyz and .app over RDAP. Prints the\n"
            "ZONEDESK_WHOIS_ENDPOINTS and ZONEDESK_RDAP_ENDPOINTS assignments (shell-quoted) that\n"
            "route all of them to it, then serves until interrupted. In a shell:\n"
            "  zonedesk-cli serve-samples > /tmp/samples.env &\n"
            "  sleep 1; set -a; . /tmp/samples.env; set +a\n"
            "  zonedesk-cli lookup example.com free-example.org\n"
            "--replies DIR: a file named as a name (lower case) is its WHOIS reply instead, read at each\n"
            "query, so that a reply can change between two runs.");
    }

    int run() override
    {
        const unsigned port = m_port;
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
            std::cerr << "zonedesk-cli: cannot listen on 127.0.0.1:" << port << ": "
                      << std::error_code(errno, std::generic_category()).message()
                      << (port != 0 ? " (another program may hold the port; --port 0 picks a free one)" : "")
                      << "\n";
            return ExitFile;
        }
        const std::string where = "127.0.0.1:" + std::to_string(ntohs(address.sin_port));
        std::string endpoints;
        for (std::size_t i = 0; i < core::WhoisServerCount; ++i)
            endpoints += std::string(core::hostName(static_cast<core::WhoisServer>(i))) + "=" + where + ";";
        std::string rdapEndpoints;
        for (const char* suffix : {"com", "net", "org", "info", "biz", "tv", "cc"})
            rdapEndpoints += std::string(suffix) + "=http://" + where + "/;";
        // Every service of the other samples' suffixes comes here, so that the demo asks no real
        // registry: port 43 at the host the shipped table names, and RDAP.
        const core::ServiceData& data = core::defaultServiceData();
        for (const OtherSampleSuffix& other : OtherSampleSuffixes) {
            const std::string_view host = data.whois ? data.whois->hostFor(other.tld) : std::string_view();
            if (!host.empty())
                endpoints += std::string(host) + "=" + where + ";";
            rdapEndpoints += std::string(other.tld) + "=http://" + where + "/;";
        }
        // Quoted for a shell: the values hold semicolons. No value holds a quote.
        std::cout << "ZONEDESK_WHOIS_ENDPOINTS='" << endpoints << "'\n"
                  << "ZONEDESK_RDAP_ENDPOINTS='" << rdapEndpoints << "'" << std::endl;

        stopServing = 0;
        static_cast<void>(std::signal(SIGINT, onStopSignal)); // both are catchable: no SIG_ERR
        static_cast<void>(std::signal(SIGTERM, onStopSignal));
        while (stopServing == 0) {
            pollfd entry{listener.get(), POLLIN, 0};
            if (::poll(&entry, 1, 200) <= 0)
                continue;
            const core::UniqueFd client(::accept4(listener.get(), nullptr, nullptr, SOCK_CLOEXEC));
            if (!client)
                continue;
            const std::string request = readRequest(client.get());
            if (request.starts_with("GET "))
                answer(client.get(), sampleRdapResponse(request));
            else
                answer(client.get(), ownReply(m_replies, request).value_or(sampleReply(request)));
        }
        return ExitOk;
    }

private:
    unsigned m_port = 0;
    std::string m_replies;
};

} // namespace

std::unique_ptr<Command> makeServeSamplesCommand()
{
    return std::make_unique<ServeSamplesCommand>();
}

} // namespace zonedesk::cli
