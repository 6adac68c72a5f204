// SPDX-License-Identifier: MIT
#include "tests/support/loopback_smtp_server.h"

#include <optional>

#include <glib.h>
#include <unistd.h>

#include "tests/support/loopback_socket.h"

namespace zonedesk::test {

namespace {

std::string fromBase64(const std::string& text)
{
    gsize length = 0;
    guchar* decoded = g_base64_decode(text.c_str(), &length);
    std::string out(reinterpret_cast<const char*>(decoded), length);
    g_free(decoded);
    return out;
}

bool startsWith(const std::string& text, std::string_view prefix)
{
    return text.size() >= prefix.size() &&
           g_ascii_strncasecmp(text.c_str(), prefix.data(), prefix.size()) == 0;
}

std::string argumentOf(const std::string& command)
{
    const std::size_t colon = command.find(':');
    return colon == std::string::npos ? std::string() : command.substr(colon + 1);
}

} // namespace

LoopbackSmtpServer::LoopbackSmtpServer()
{
    m_listenFd = listenOnLoopback(m_port);
    m_thread = std::thread([this] { serveLoop(); });
}

LoopbackSmtpServer::~LoopbackSmtpServer()
{
    m_stopping = true;
    m_thread.join();
    ::close(m_listenFd);
}

std::string LoopbackSmtpServer::url() const
{
    return "smtp://127.0.0.1:" + std::to_string(m_port);
}

void LoopbackSmtpServer::refuse(Step step, int code)
{
    const std::lock_guard lock(m_mutex);
    m_refused = step;
    m_refusalCode = code;
}

void LoopbackSmtpServer::offerLogins(std::string mechanisms)
{
    const std::lock_guard lock(m_mutex);
    m_mechanisms = std::move(mechanisms);
}

void LoopbackSmtpServer::hang()
{
    m_hang = true;
}

void LoopbackSmtpServer::stallAt(Step step)
{
    const std::lock_guard lock(m_mutex);
    m_stalled = step;
}

int LoopbackSmtpServer::bodiesTaken() const
{
    const std::lock_guard lock(m_mutex);
    return m_bodies;
}

std::vector<ReceivedMail> LoopbackSmtpServer::mails() const
{
    const std::lock_guard lock(m_mutex);
    return m_mails;
}

void LoopbackSmtpServer::serveLoop()
{
    while (!m_stopping) {
        const int fd = acceptUnless(m_listenFd, m_stopping);
        if (fd < 0)
            continue;
        serve(fd);
        ::close(fd);
    }
}

void LoopbackSmtpServer::serve(int fd)
{
    SocketReader reader(fd, m_stopping);
    if (m_hang) {
        reader.drain();
        return;
    }
    // The code to answer `step` with: the scripted refusal, or `fine`.
    const auto answer = [this](Step step, std::string_view fine) {
        const std::lock_guard lock(m_mutex);
        return m_refused == step ? std::to_string(m_refusalCode) + " 5.0.0 refused by script\r\n"
                                 : std::string(fine);
    };
    const auto stalls = [this](Step step) {
        const std::lock_guard lock(m_mutex);
        return m_stalled == step;
    };
    ReceivedMail mail;
    sendAll(fd, "220 loopback ESMTP\r\n");
    while (const std::optional<std::string> command = reader.line()) {
        if (startsWith(*command, "EHLO")) {
            const std::lock_guard lock(m_mutex);
            sendAll(fd, "250-loopback\r\n250-AUTH " + m_mechanisms + "\r\n250 8BITMIME\r\n");
        } else if (startsWith(*command, "AUTH") && !answer(Step::Auth, "").empty()) {
            sendAll(fd, answer(Step::Auth, ""));
        } else if (startsWith(*command, "HELO") || startsWith(*command, "NOOP")) {
            sendAll(fd, "250 ok\r\n");
        } else if (startsWith(*command, "AUTH PLAIN")) {
            std::string encoded = command->size() > 11 ? command->substr(11) : std::string();
            if (encoded.empty()) {
                sendAll(fd, "334 \r\n");
                encoded = reader.line().value_or("");
            }
            // authzid NUL authcid NUL password
            const std::string plain = fromBase64(encoded);
            const std::size_t first = plain.find('\0');
            const std::size_t second = first == std::string::npos ? first : plain.find('\0', first + 1);
            if (second == std::string::npos) {
                sendAll(fd, "501 5.5.2 malformed\r\n");
                continue;
            }
            mail.mechanism = "PLAIN";
            mail.user = plain.substr(first + 1, second - first - 1);
            mail.password = plain.substr(second + 1);
            sendAll(fd, "235 2.7.0 ok\r\n");
        } else if (startsWith(*command, "AUTH LOGIN")) {
            std::string user = command->size() > 11 ? command->substr(11) : std::string();
            if (user.empty()) {
                sendAll(fd, "334 VXNlcm5hbWU6\r\n");
                user = reader.line().value_or("");
            }
            sendAll(fd, "334 UGFzc3dvcmQ6\r\n");
            mail.mechanism = "LOGIN";
            mail.user = fromBase64(user);
            mail.password = fromBase64(reader.line().value_or(""));
            sendAll(fd, "235 2.7.0 ok\r\n");
        } else if (startsWith(*command, "MAIL FROM:") && stalls(Step::Mail)) {
            reader.drain();
            return;
        } else if (startsWith(*command, "MAIL FROM:")) {
            mail.sender = argumentOf(*command);
            sendAll(fd, answer(Step::Mail, "250 2.1.0 ok\r\n"));
        } else if (startsWith(*command, "RCPT TO:")) {
            mail.recipients.push_back(argumentOf(*command));
            sendAll(fd, answer(Step::Rcpt, "250 2.1.5 ok\r\n"));
        } else if (startsWith(*command, "DATA") && stalls(Step::Data)) {
            reader.drain();
            return;
        } else if (startsWith(*command, "DATA")) {
            const std::string reply = answer(Step::Data, "354 end with <CR><LF>.<CR><LF>\r\n");
            sendAll(fd, reply);
            if (reply[0] != '3')
                continue;
            std::string data;
            while (const std::optional<std::string> line = reader.line()) {
                if (*line == ".")
                    break;
                data += (line->starts_with('.') ? line->substr(1) : *line) + "\r\n";
            }
            mail.data = std::move(data);
            {
                const std::lock_guard lock(m_mutex);
                ++m_bodies;
            }
            if (stalls(Step::Message)) {
                reader.drain();
                return;
            }
            const std::string verdict = answer(Step::Message, "250 2.0.0 queued\r\n");
            if (verdict[0] == '2') {
                const std::lock_guard lock(m_mutex);
                m_mails.push_back(mail);
            }
            sendAll(fd, verdict);
        } else if (startsWith(*command, "RSET")) {
            mail.sender.clear();
            mail.recipients.clear();
            sendAll(fd, "250 ok\r\n");
        } else if (startsWith(*command, "QUIT")) {
            sendAll(fd, "221 bye\r\n");
            return;
        } else {
            sendAll(fd, "502 5.5.1 not implemented\r\n");
        }
    }
}

} // namespace zonedesk::test
