// SPDX-License-Identifier: MIT
#include "watch/mail_sender.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <ctime>
#include <functional>
#include <random>
#include <vector>

#include <glib.h>

#include "net/curl_handles.h"
#include "net/curl_options.h"
#include "net/url_parts.h"
#include "watch/notify_target.h"
#include "watch/watch_message.h"

namespace zonedesk::watch {

namespace {

constexpr std::size_t Base64LineLength = 76;

// Printable ASCII only: a header value can never end its line or start another.
std::string headerSafe(std::string_view value)
{
    std::string out;
    for (const char c : value) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F)
            out += c;
    }
    return out;
}

std::string twoDigits(int n)
{
    return std::string(1, static_cast<char>('0' + n / 10 % 10)) + static_cast<char>('0' + n % 10);
}

// RFC 5322's date-time in UTC, with English names whatever the locale.
std::string rfc5322Date(std::int64_t now)
{
    constexpr std::array<const char*, 7> Days = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    constexpr std::array<const char*, 12> Months = {
        "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const std::time_t seconds = now;
    std::tm utc{};
    if (gmtime_r(&seconds, &utc) == nullptr)
        return "Thu, 01 Jan 1970 00:00:00 +0000";
    return std::string(Days.at(static_cast<std::size_t>(utc.tm_wday) % 7)) + ", " + twoDigits(utc.tm_mday) +
           " " + Months.at(static_cast<std::size_t>(utc.tm_mon) % 12) + " " +
           std::to_string(utc.tm_year + 1900) + " " + twoDigits(utc.tm_hour) + ":" + twoDigits(utc.tm_min) +
           ":" + twoDigits(utc.tm_sec) + " +0000";
}

std::string randomHex(std::size_t bytes)
{
    static constexpr std::string_view Digits = "0123456789abcdef";
    std::random_device source;
    std::string out;
    for (std::size_t i = 0; i < bytes; ++i) {
        const unsigned byte = source() & 0xFFU;
        out += Digits[byte >> 4U];
        out += Digits[byte & 0x0FU];
    }
    return out;
}

// Text parts travel with CR LF line ends, as MIME's canonical form of text asks.
std::string withCrLf(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 32);
    for (const char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

std::string base64Lines(std::string_view data)
{
    gchar* encoded = g_base64_encode(reinterpret_cast<const guchar*>(data.data()), data.size());
    const std::string_view all(encoded);
    std::string out;
    for (std::size_t at = 0; at < all.size(); at += Base64LineLength)
        out.append(all.substr(at, Base64LineLength)).append("\r\n");
    g_free(encoded);
    return out;
}

std::string domainOf(std::string_view address)
{
    const std::size_t at = address.rfind('@');
    const std::string domain = headerSafe(at == std::string_view::npos ? "" : address.substr(at + 1));
    // Message-ID's right side must be a dot-atom; anything else gets a name of our own.
    const bool plain = !domain.empty() && std::all_of(domain.begin(), domain.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '.' || c == '-';
    });
    return plain ? domain : "zonedesk.invalid";
}

long responseCode(CURL* handle)
{
    long code = 0;
    if (curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &code) != CURLE_OK)
        return 0;
    return code;
}

bool isPlainLoopback(const std::string& url)
{
    std::string unread;
    const auto parts = net::urlParts(url, unread);
    return parts && parts->scheme == "smtp" && !parts->host.empty() && isLoopbackHost(parts->host);
}

struct Upload
{
    std::string_view whole;
    std::string_view rest;
    bool started = false; // libcurl asked for the body: the server answered DATA
};

std::size_t readUpload(char* buffer, std::size_t size, std::size_t count, void* data)
{
    auto* upload = static_cast<Upload*>(data);
    upload->started = true;
    const std::size_t n = std::min(size * count, upload->rest.size());
    std::copy_n(upload->rest.data(), n, buffer);
    upload->rest.remove_prefix(n);
    return n;
}

int seekUpload(void* data, curl_off_t offset, int origin)
{
    auto* upload = static_cast<Upload*>(data);
    if (origin != SEEK_SET || offset < 0 || static_cast<std::size_t>(offset) > upload->whole.size())
        return CURL_SEEKFUNC_CANTSEEK;
    upload->rest = upload->whole.substr(static_cast<std::size_t>(offset));
    return CURL_SEEKFUNC_OK;
}

/// The headers every form of the mail begins with, without their line ends.
std::vector<std::string>
headerLines(const WatchReport& report, const std::string& from, const std::string& to, std::int64_t now)
{
    return {
        "Date: " + rfc5322Date(now),
        "From: " + headerSafe(from),
        "To: " + headerSafe(to),
        "Subject: " + headerSafe(messageSubject(report)),
        "Message-ID: <" + randomHex(16) + "." + std::to_string(now) + "@" + domainOf(from) + ">",
    };
}

/// Sets how the message's body is read on a handle the transfer set up; false with `why`.
using BodyOptions = std::function<bool(CURL* handle, std::string& why)>;

/// One SMTP transfer to `to` (sendMail's rules), its body as `setBody` says; `upload` is what
/// libcurl reads first of it, once the server answers DATA.
bool transfer(const SmtpSettings& smtp,
              const std::string& to,
              const Upload& upload,
              const BodyOptions& setBody,
              std::string& why,
              bool* bodySent)
{
    const net::CurlEasy easy = net::newCurlEasy();
    net::CurlList recipients;
    if (!easy || !net::appendCurlList(recipients, ("<" + headerSafe(to) + ">").c_str())) {
        why = "no memory to start the mail transfer";
        return false;
    }
    CURL* const handle = easy.get();
    const std::string sender = "<" + headerSafe(smtp.from) + ">";
    std::array<char, CURL_ERROR_SIZE> detail{};
    // STARTTLS is required except on this machine, where a test or a local relay may not offer it.
    const long tls = isPlainLoopback(smtp.url) ? CURLUSESSL_TRY : CURLUSESSL_ALL;
    const long limitMs = smtp.timeout.count();
    // libcurl waits for each SMTP answer up to its own two minutes, the one after the message's
    // end included, whatever the transfer's limit: hold that wait to the limit too.
    const long answerSeconds = std::max<long>(1, (limitMs + 999) / 1000);
    bool ok =
        net::setCurlOption(handle, CURLOPT_ERRORBUFFER, detail.data(), "CURLOPT_ERRORBUFFER", why) &&
        net::setCurlOption(handle, CURLOPT_URL, smtp.url.c_str(), "CURLOPT_URL", why) &&
        net::setCurlOption(handle, CURLOPT_PROTOCOLS_STR, "smtp,smtps", "CURLOPT_PROTOCOLS_STR", why) &&
        net::setCurlOption(handle, CURLOPT_USE_SSL, tls, "CURLOPT_USE_SSL", why) &&
        net::setCurlOption(handle, CURLOPT_MAIL_FROM, sender.c_str(), "CURLOPT_MAIL_FROM", why) &&
        net::setCurlOption(handle, CURLOPT_MAIL_RCPT, recipients.get(), "CURLOPT_MAIL_RCPT", why) &&
        net::setCurlOption(handle, CURLOPT_TIMEOUT_MS, limitMs, "CURLOPT_TIMEOUT_MS", why) &&
        net::setCurlOption(
            handle, CURLOPT_SERVER_RESPONSE_TIMEOUT, answerSeconds, "CURLOPT_SERVER_RESPONSE_TIMEOUT", why) &&
        net::setCurlOption(handle, CURLOPT_NOSIGNAL, 1L, "CURLOPT_NOSIGNAL", why) &&
        net::setCurlOption(handle, CURLOPT_QUICK_EXIT, 1L, "CURLOPT_QUICK_EXIT", why) &&
        net::setCurlOption(handle, CURLOPT_NOPROXY, "*", "CURLOPT_NOPROXY", why) && setBody(handle, why);
    if (ok && !smtp.user.empty())
        ok = net::setCurlOption(handle, CURLOPT_USERNAME, smtp.user.c_str(), "CURLOPT_USERNAME", why) &&
             net::setCurlOption(handle, CURLOPT_PASSWORD, smtp.password.c_str(), "CURLOPT_PASSWORD", why);
    if (!ok)
        return false;

    const CURLcode code = curl_easy_perform(handle);
    if (bodySent != nullptr)
        *bodySent = upload.started;
    if (code == CURLE_OK)
        return true;
    const std::string words = detail[0] != '\0' ? std::string(detail.data()) : curl_easy_strerror(code);
    if (code == CURLE_OPERATION_TIMEDOUT) {
        why = "the mail server did not finish within " + std::to_string(smtp.timeout.count()) + " ms (" +
              words + ")";
        return false;
    }
    if (code == CURLE_LOGIN_DENIED) {
        why = "the mail server refused the login of " + smtp.user + " with SMTP " +
              std::to_string(responseCode(handle)) + " (" + words + ")";
        return false;
    }
    if (code == CURLE_COULDNT_CONNECT) {
        why = "the mail server refused the connection (" + words + ")";
        return false;
    }
    if (const long reply = responseCode(handle); reply >= 400) {
        why = "the mail server refused the mail with SMTP " + std::to_string(reply) + " (" + words + ")";
        return false;
    }
    why = "the mail could not be sent: " + words;
    return false;
}

/// A new base64 part of `mime` of `type`, holding a copy of `data` (or, given `upload`, reading
/// it from there); null when libcurl has no memory.
curl_mimepart* addPart(curl_mime* mime, const char* type, std::string_view data, Upload* upload = nullptr)
{
    curl_mimepart* part = curl_mime_addpart(mime);
    if (part == nullptr)
        return nullptr;
    const CURLcode held =
        upload != nullptr
            ? curl_mime_data_cb(
                  part, static_cast<curl_off_t>(data.size()), readUpload, seekUpload, nullptr, upload)
            : curl_mime_data(part, data.data(), data.size());
    const bool ok = held == CURLE_OK && curl_mime_type(part, type) == CURLE_OK &&
                    curl_mime_encoder(part, "base64") == CURLE_OK;
    return ok ? part : nullptr;
}

} // namespace

std::string
mailMessage(const WatchReport& report, const std::string& from, const std::string& to, std::int64_t now)
{
    // "=_" never occurs in base64 text, so the boundary cannot turn up inside a part.
    const std::string boundary = "=_zonedesk_" + randomHex(16);
    std::string message;
    for (const std::string& line : headerLines(report, from, to, now))
        message += line + "\r\n";
    message += "MIME-Version: 1.0\r\n";
    message += "Content-Type: multipart/alternative; boundary=\"" + boundary + "\"\r\n";
    message += "\r\n";
    message += "--" + boundary + "\r\n";
    message += "Content-Type: text/plain; charset=UTF-8\r\n";
    message += "Content-Transfer-Encoding: base64\r\n\r\n";
    message += base64Lines(withCrLf(messageText(report)));
    message += "--" + boundary + "\r\n";
    message += "Content-Type: text/html; charset=UTF-8\r\n";
    message += "Content-Transfer-Encoding: base64\r\n\r\n";
    message += base64Lines(withCrLf(messageHtml(report)));
    message += "--" + boundary + "--\r\n";
    return message;
}

bool sendMail(const SmtpSettings& smtp,
              const std::string& to,
              const std::string& message,
              std::string& why,
              bool* bodySent)
{
    Upload upload{message, message};
    const auto setBody = [&upload](CURL* handle, std::string& refusal) {
        return net::setCurlOption(handle, CURLOPT_UPLOAD, 1L, "CURLOPT_UPLOAD", refusal) &&
               net::setCurlOption(
                   handle, CURLOPT_READFUNCTION, readUpload, "CURLOPT_READFUNCTION", refusal) &&
               net::setCurlOption(handle, CURLOPT_READDATA, &upload, "CURLOPT_READDATA", refusal) &&
               net::setCurlOption(handle,
                                  CURLOPT_INFILESIZE_LARGE,
                                  static_cast<curl_off_t>(upload.whole.size()),
                                  "CURLOPT_INFILESIZE_LARGE",
                                  refusal);
    };
    return transfer(smtp, to, upload, setBody, why, bodySent);
}

bool sendMailWithAttachment(const SmtpSettings& smtp,
                            const std::string& to,
                            const WatchReport& report,
                            const MailAttachment& attachment,
                            std::int64_t now,
                            std::string& why,
                            bool* bodySent)
{
    const std::string text = withCrLf(messageText(report));
    const std::string html = withCrLf(messageHtml(report));
    Upload upload{text, text}; // the first part: read once the server answers DATA
    net::CurlList headers;
    for (const std::string& line : headerLines(report, smtp.from, to, now)) {
        if (!net::appendCurlList(headers, line.c_str())) {
            why = "no memory to start the mail transfer";
            return false;
        }
    }
    net::CurlMime mime;
    const auto setBody = [&](CURL* handle, std::string& refusal) {
        mime.reset(curl_mime_init(handle));
        net::CurlMime alternative(curl_mime_init(handle));
        curl_mimepart* const both = mime ? curl_mime_addpart(mime.get()) : nullptr;
        bool built = alternative && both != nullptr &&
                     addPart(alternative.get(), "text/plain; charset=UTF-8", text, &upload) != nullptr &&
                     addPart(alternative.get(), "text/html; charset=UTF-8", html) != nullptr &&
                     curl_mime_subparts(both, alternative.get()) == CURLE_OK;
        if (built)
            static_cast<void>(alternative.release()); // the part owns it now
        curl_mimepart* const file = built && curl_mime_type(both, "multipart/alternative") == CURLE_OK
                                        ? addPart(mime.get(), attachment.contentType.c_str(), attachment.data)
                                        : nullptr;
        built = file != nullptr && curl_mime_filename(file, attachment.fileName.c_str()) == CURLE_OK;
        if (!built) {
            refusal = "no memory to put the mail together";
            return false;
        }
        return net::setCurlOption(handle, CURLOPT_HTTPHEADER, headers.get(), "CURLOPT_HTTPHEADER", refusal) &&
               net::setCurlOption(handle, CURLOPT_MIMEPOST, mime.get(), "CURLOPT_MIMEPOST", refusal);
    };
    return transfer(smtp, to, upload, setBody, why, bodySent);
}

} // namespace zonedesk::watch
