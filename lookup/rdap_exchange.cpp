// SPDX-License-Identifier: MIT
// The RDAP exchange on libcurl's multi interface, so that the worker waits in slices of at most
// 100 ms and can look at its stop request, as the WHOIS exchange does.
#include "lookup/rdap_exchange.h"

#include <algorithm>
#include <memory>
#include <string>

#include <curl/curl.h>

#include "net/curl_dns_share.h"
#include "net/curl_handles.h"
#include "net/curl_options.h"

namespace zonedesk::lookup {

namespace {

constexpr int StopSliceMs = 100;

/// The body as it arrives, up to the cap; a body over the cap ends the transfer.
struct Body
{
    std::string text;
    std::size_t cap = 0;
    bool overCap = false;
};

extern "C" std::size_t appendBody(char* data, std::size_t size, std::size_t count, void* target)
{
    auto* body = static_cast<Body*>(target);
    const std::size_t bytes = size * count;
    if (body->text.size() + bytes > body->cap) {
        body->overCap = true;
        return 0; // makes libcurl end the transfer with CURLE_WRITE_ERROR
    }
    body->text.append(data, bytes);
    return bytes;
}

core::ErrorReason reasonFor(CURLcode code, bool overCap)
{
    if (overCap)
        return core::ErrorReason::TooLarge;
    switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY: return core::ErrorReason::HostNotFound;
    case CURLE_COULDNT_CONNECT:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION: return core::ErrorReason::ConnectFailed;
    case CURLE_OPERATION_TIMEDOUT: return core::ErrorReason::TimedOut;
    case CURLE_SEND_ERROR: return core::ErrorReason::SendFailed;
    default:
        return net::isRefusedRedirect(code) ? core::ErrorReason::RedirectRefused : core::ErrorReason::Reset;
    }
}

/// The run's DNS cache, its entries kept for the whole run; true without one.
bool shareDns(CURL* handle, const ExchangeOptions& session, std::string& error)
{
    if (!session.rdapHosts || session.rdapHosts->handle() == nullptr)
        return true;
    return net::setCurlOption(handle, CURLOPT_SHARE, session.rdapHosts->handle(), "CURLOPT_SHARE", error) &&
           net::setCurlOption(handle, CURLOPT_DNS_CACHE_TIMEOUT, -1L, "CURLOPT_DNS_CACHE_TIMEOUT", error);
}

/// The URL, the time limits and where the body goes; false when libcurl refuses any.
bool setTransfer(CURL* handle,
                 const std::string& url,
                 const curl_slist* headers,
                 const ExchangeOptions& session,
                 Body& body,
                 std::string& error)
{
    // The connect time-out covers the look-up of the host too (libcurl resolves on a thread).
    // Idle limit: less than a byte a second for the read time-out ends the transfer.
    const net::CurlOption limits[] = {
        {.option = CURLOPT_URL, .name = "CURLOPT_URL", .text = url.c_str()},
        {.option = CURLOPT_CONNECTTIMEOUT_MS,
         .name = "CURLOPT_CONNECTTIMEOUT_MS",
         .number = session.connectTimeout.count()},
        {.option = CURLOPT_TIMEOUT_MS, .name = "CURLOPT_TIMEOUT_MS", .number = session.exchangeLimit.count()},
        {.option = CURLOPT_LOW_SPEED_LIMIT, .name = "CURLOPT_LOW_SPEED_LIMIT", .number = 1},
        {.option = CURLOPT_LOW_SPEED_TIME,
         .name = "CURLOPT_LOW_SPEED_TIME",
         .number = std::max(1L, long{session.readTimeout.count()} / 1000)},
    };
    return net::limitTransfer(handle, error) && shareDns(handle, session, error) &&
           net::setCurlOptions(handle, limits, error) &&
           net::setCurlOption(handle, CURLOPT_HTTPHEADER, headers, "CURLOPT_HTTPHEADER", error) &&
           net::setCurlOption(handle, CURLOPT_WRITEFUNCTION, appendBody, "CURLOPT_WRITEFUNCTION", error) &&
           net::setCurlOption(handle, CURLOPT_WRITEDATA, &body, "CURLOPT_WRITEDATA", error);
}

} // namespace

ExchangeResult
exchangeRdap(const std::string& url, const ExchangeOptions& session, const std::stop_token& stop)
{
    ExchangeResult result;
    const net::CurlEasy easy = net::newCurlEasy();
    const net::CurlMulti multi = net::newCurlMulti();
    net::CurlList headers;
    Body body{{}, session.replySizeCap, false};
    std::string refused;
    // A limit libcurl does not take is a transfer without it: nothing is asked.
    if (!easy || !multi || !net::appendCurlList(headers, "Accept: application/rdap+json") ||
        !setTransfer(easy.get(), url, headers.get(), session, body, refused) ||
        curl_multi_add_handle(multi.get(), easy.get()) != CURLM_OK) {
        result.reason = core::ErrorReason::ConnectFailed;
        return result;
    }
    CURL* handle = easy.get();

    int running = 1;
    CURLcode code = CURLE_OK;
    while (running != 0) {
        if (stop.stop_requested()) {
            curl_multi_remove_handle(multi.get(), handle);
            result.outcome = ExchangeOutcome::Stopped;
            return result;
        }
        if (curl_multi_perform(multi.get(), &running) != CURLM_OK)
            break;
        if (running != 0)
            curl_multi_poll(multi.get(), nullptr, 0, StopSliceMs, nullptr);
    }
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(multi.get(), &queued)) {
        if (message->msg == CURLMSG_DONE)
            code = message->data.result;
    }
    curl_multi_remove_handle(multi.get(), handle);

    if (code != CURLE_OK || body.overCap) {
        const bool connected = code != CURLE_COULDNT_CONNECT && code != CURLE_COULDNT_RESOLVE_HOST &&
                               code != CURLE_COULDNT_RESOLVE_PROXY;
        result.outcome = connected ? ExchangeOutcome::Received : ExchangeOutcome::Failed;
        result.reason = reasonFor(code, body.overCap);
        return result;
    }
    result.outcome = ExchangeOutcome::Received;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &result.httpStatus);
    const char* mediaType = nullptr;
    if (curl_easy_getinfo(handle, CURLINFO_CONTENT_TYPE, &mediaType) == CURLE_OK && mediaType != nullptr)
        result.mediaType = mediaType;
    curl_off_t retryAfter = 0;
    if (curl_easy_getinfo(handle, CURLINFO_RETRY_AFTER, &retryAfter) == CURLE_OK && retryAfter > 0)
        result.retryAfter = std::chrono::seconds(retryAfter);
    result.reply = std::move(body.text);
    return result;
}

} // namespace zonedesk::lookup
