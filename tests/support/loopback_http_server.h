// SPDX-License-Identifier: MIT
// A small HTTP/1.1 server on 127.0.0.1 (ephemeral port, one thread, one connection at a time) for
// the webhook tests: it records each request and answers from a script, then closes.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zonedesk::test {

struct HttpRequest
{
    std::string method;
    std::string path;
    std::map<std::string, std::string> headers; // names in lower case
    std::string body;                           // Content-Length bytes
};

struct HttpAnswer
{
    int status = 200;
    std::string body;
    bool hang = false; // read the request, then never answer

    static HttpAnswer with(int status, std::string body = {}) { return {status, std::move(body), false}; }

    static HttpAnswer hangs() { return {0, {}, true}; }
};

class LoopbackHttpServer
{
public:
    /// The n-th request gets the n-th answer; the last one repeats.
    explicit LoopbackHttpServer(std::vector<HttpAnswer> script = {HttpAnswer::with(200)});
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    /// "http://127.0.0.1:PORT" followed by `path`.
    std::string url(const std::string& path = "/") const;

    std::vector<HttpRequest> requests() const;

private:
    void serveLoop();
    void serve(int fd);

    int m_listenFd = -1;
    std::uint16_t m_port = 0;
    std::atomic<bool> m_stopping{false};
    const std::vector<HttpAnswer> m_script;
    std::thread m_thread;

    mutable std::mutex m_mutex; // guards m_requests
    std::vector<HttpRequest> m_requests;
};

} // namespace zonedesk::test
