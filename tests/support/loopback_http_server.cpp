// SPDX-License-Identifier: MIT
#include "tests/support/loopback_http_server.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include <unistd.h>

#include "tests/support/loopback_socket.h"

namespace zonedesk::test {

namespace {

constexpr std::size_t BodyCap = std::size_t{16} * 1024 * 1024;

std::string lowered(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](char c) {
        return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    });
    return text;
}

std::string trimmed(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    const std::size_t last = text.find_last_not_of(" \t");
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

} // namespace

LoopbackHttpServer::LoopbackHttpServer(std::vector<HttpAnswer> script)
    : m_script(std::move(script))
{
    m_listenFd = listenOnLoopback(m_port);
    m_thread = std::thread([this] { serveLoop(); });
}

LoopbackHttpServer::~LoopbackHttpServer()
{
    m_stopping = true;
    m_thread.join();
    ::close(m_listenFd);
}

std::string LoopbackHttpServer::url(const std::string& path) const
{
    return "http://127.0.0.1:" + std::to_string(m_port) + path;
}

std::vector<HttpRequest> LoopbackHttpServer::requests() const
{
    const std::lock_guard lock(m_mutex);
    return m_requests;
}

void LoopbackHttpServer::serveLoop()
{
    while (!m_stopping) {
        const int fd = acceptUnless(m_listenFd, m_stopping);
        if (fd < 0)
            continue;
        serve(fd);
        ::close(fd);
    }
}

void LoopbackHttpServer::serve(int fd)
{
    SocketReader reader(fd, m_stopping);
    const std::optional<std::string> requestLine = reader.line();
    if (!requestLine)
        return;
    HttpRequest request;
    const std::size_t space = requestLine->find(' ');
    const std::size_t second = requestLine->find(' ', space + 1);
    request.method = requestLine->substr(0, space);
    request.path =
        space == std::string::npos ? std::string() : requestLine->substr(space + 1, second - space - 1);
    while (const std::optional<std::string> line = reader.line()) {
        if (line->empty())
            break;
        if (const std::size_t colon = line->find(':'); colon != std::string::npos)
            request.headers[lowered(line->substr(0, colon))] = trimmed(line->substr(colon + 1));
    }
    if (const auto length = request.headers.find("content-length"); length != request.headers.end()) {
        const std::size_t size = std::min<std::size_t>(std::stoul(length->second), BodyCap);
        request.body = reader.bytes(size).value_or("");
    }
    HttpAnswer answer = HttpAnswer::with(200);
    {
        const std::lock_guard lock(m_mutex);
        answer = m_script.empty() ? HttpAnswer::with(200)
                                  : m_script[std::min(m_requests.size(), m_script.size() - 1)];
        m_requests.push_back(std::move(request));
    }
    if (answer.hang) {
        reader.drain();
        return;
    }
    sendAll(fd,
            "HTTP/1.1 " + std::to_string(answer.status) + " Scripted\r\nContent-Type: text/plain\r\n" +
                "Content-Length: " + std::to_string(answer.body.size()) + "\r\nConnection: close\r\n\r\n" +
                answer.body);
}

} // namespace zonedesk::test
