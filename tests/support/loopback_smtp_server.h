// SPDX-License-Identifier: MIT
// A small SMTP server on 127.0.0.1 (ephemeral port, one thread, one connection at a time) for the
// mail tests: EHLO advertising AUTH PLAIN LOGIN, both logins, MAIL, RCPT, DATA (dot-unstuffed),
// RSET, NOOP, QUIT. It can refuse a step with a given code, or hang, and keeps what it received.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zonedesk::test {

struct ReceivedMail
{
    std::string sender;                  // MAIL FROM's path, e.g. "<me@example.com>"
    std::vector<std::string> recipients; // RCPT TO's paths
    std::string mechanism;               // "PLAIN" or "LOGIN"; empty: no login
    std::string user;
    std::string password;
    std::string data; // the message as sent, dot-unstuffed, CR LF line ends
};

class LoopbackSmtpServer
{
public:
    enum class Step
    {
        None,
        Auth,    // the answer to AUTH
        Mail,    // the answer to MAIL FROM
        Rcpt,    // the answer to RCPT TO
        Data,    // the answer to DATA
        Message, // the answer after the message's final dot
    };

    LoopbackSmtpServer();
    ~LoopbackSmtpServer();
    LoopbackSmtpServer(const LoopbackSmtpServer&) = delete;
    LoopbackSmtpServer& operator=(const LoopbackSmtpServer&) = delete;

    /// "smtp://127.0.0.1:PORT".
    std::string url() const;

    /// Answers `step` with `code` (a 4xx or 5xx) from now on.
    void refuse(Step step, int code);

    /// The mechanisms EHLO offers after AUTH ("PLAIN LOGIN" unless told otherwise).
    void offerLogins(std::string mechanisms);

    /// Accepts connections but never greets them.
    void hang();

    /// From now on, gives no answer at `step` (for Message: after taking the whole message) and
    /// waits until the client leaves.
    void stallAt(Step step);

    /// Messages whose final dot arrived, answered or not.
    int bodiesTaken() const;

    /// Mails accepted (their final dot answered 250), in order.
    std::vector<ReceivedMail> mails() const;

private:
    void serveLoop();
    void serve(int fd);

    int m_listenFd = -1;
    std::uint16_t m_port = 0;
    std::atomic<bool> m_stopping{false};
    std::atomic<bool> m_hang{false};
    std::thread m_thread;

    mutable std::mutex m_mutex; // guards everything below
    std::string m_mechanisms = "PLAIN LOGIN";
    Step m_refused = Step::None;
    Step m_stalled = Step::None;
    int m_bodies = 0;
    int m_refusalCode = 0;
    std::vector<ReceivedMail> m_mails;
};

} // namespace zonedesk::test
