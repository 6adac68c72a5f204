// SPDX-License-Identifier: MIT
// A DNS server that never answers, for a test's private network namespace: it takes the queries on
// 127.0.0.1:53 (UDP and TCP) and says nothing. Its argument is a file to which it adds the name
// each UDP query asks for, a line each, so that a test can tell a look-up is under way and count
// them. Runs until it is killed.
#include <array>
#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int listenOn(int type)
{
    const int fd = ::socket(AF_INET, type | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(53);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd < 0 || ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0)
        return -1;
    if (type == SOCK_STREAM && ::listen(fd, 16) != 0)
        return -1;
    return fd;
}

/// The question's name of a DNS message ("whois.example.test"); what can be read of it.
std::string questionName(const unsigned char* message, std::size_t size)
{
    std::string name;
    std::size_t at = 12; // after the header
    while (at < size && message[at] != 0 && message[at] < 64) {
        const std::size_t length = message[at++];
        if (!name.empty())
            name += '.';
        for (std::size_t i = 0; i < length && at < size; ++i)
            name += static_cast<char>(message[at++]);
    }
    return name;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    const int udp = listenOn(SOCK_DGRAM);
    const int tcp = listenOn(SOCK_STREAM);
    if (udp < 0 || tcp < 0) {
        std::perror("silent_dns_server");
        return 1;
    }
    std::vector<int> held; // TCP connections are kept open, unanswered
    for (;;) {
        std::array<pollfd, 2> ready{{{udp, POLLIN, 0}, {tcp, POLLIN, 0}}};
        if (::poll(ready.data(), ready.size(), -1) < 0)
            continue;
        if ((ready[0].revents & POLLIN) != 0) {
            std::array<unsigned char, 4096> query{};
            const ssize_t size = ::recv(udp, query.data(), query.size(), 0);
            if (size < 0)
                continue;
            if (std::FILE* log = std::fopen(argv[1], "a")) {
                std::fprintf(log, "%s\n", questionName(query.data(), static_cast<std::size_t>(size)).c_str());
                std::fclose(log);
            }
        }
        if ((ready[1].revents & POLLIN) != 0) {
            const int connection = ::accept4(tcp, nullptr, nullptr, SOCK_CLOEXEC);
            if (connection >= 0)
                held.push_back(connection);
        }
    }
}
