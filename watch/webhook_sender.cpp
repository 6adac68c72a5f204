// SPDX-License-Identifier: MIT
#include "watch/webhook_sender.h"

#include <array>

#include "net/curl_handles.h"
#include "net/curl_options.h"

namespace zonedesk::watch {

namespace {

// A webhook's answer is only read so that the connection ends cleanly; past this it is cut off.
constexpr std::size_t ReplyCap = std::size_t{64} * 1024;

struct Reply
{
    std::size_t received = 0;
    bool overCap = false;
};

std::size_t discardReply(char* /*data*/, std::size_t size, std::size_t count, void* state)
{
    auto* reply = static_cast<Reply*>(state);
    reply->received += size * count;
    if (reply->received > ReplyCap) {
        reply->overCap = true;
        return 0; // ends the transfer
    }
    return size * count;
}

} // namespace

bool postWebhook(const std::string& url,
                 const std::string& body,
                 std::chrono::milliseconds timeout,
                 std::string& why)
{
    const net::CurlEasy easy = net::newCurlEasy();
    net::CurlList headers;
    // "Expect:" keeps libcurl from waiting for a 100 Continue before a larger body.
    if (!easy || !net::appendCurlList(headers, "Content-Type: application/json") ||
        !net::appendCurlList(headers, "Expect:")) {
        why = "no memory to start the webhook transfer";
        return false;
    }
    CURL* const handle = easy.get();
    Reply reply;
    std::array<char, CURL_ERROR_SIZE> detail{};
    const long limitMs = timeout.count();
    const bool ok =
        net::setCurlOption(handle, CURLOPT_ERRORBUFFER, detail.data(), "CURLOPT_ERRORBUFFER", why) &&
        net::setCurlOption(handle, CURLOPT_URL, url.c_str(), "CURLOPT_URL", why) &&
        net::setCurlOption(handle, CURLOPT_PROTOCOLS_STR, "http,https", "CURLOPT_PROTOCOLS_STR", why) &&
        net::setCurlOption(handle, CURLOPT_FOLLOWLOCATION, 0L, "CURLOPT_FOLLOWLOCATION", why) &&
        net::setCurlOption(handle, CURLOPT_POST, 1L, "CURLOPT_POST", why) &&
        net::setCurlOption(handle, CURLOPT_POSTFIELDS, body.data(), "CURLOPT_POSTFIELDS", why) &&
        net::setCurlOption(handle,
                           CURLOPT_POSTFIELDSIZE_LARGE,
                           static_cast<curl_off_t>(body.size()),
                           "CURLOPT_POSTFIELDSIZE_LARGE",
                           why) &&
        net::setCurlOption(handle, CURLOPT_HTTPHEADER, headers.get(), "CURLOPT_HTTPHEADER", why) &&
        net::setCurlOption(handle, CURLOPT_USERAGENT, "zonedesk", "CURLOPT_USERAGENT", why) &&
        net::setCurlOption(handle, CURLOPT_WRITEFUNCTION, discardReply, "CURLOPT_WRITEFUNCTION", why) &&
        net::setCurlOption(handle, CURLOPT_WRITEDATA, &reply, "CURLOPT_WRITEDATA", why) &&
        net::setCurlOption(handle, CURLOPT_TIMEOUT_MS, limitMs, "CURLOPT_TIMEOUT_MS", why) &&
        net::setCurlOption(handle, CURLOPT_NOSIGNAL, 1L, "CURLOPT_NOSIGNAL", why) &&
        net::setCurlOption(handle, CURLOPT_QUICK_EXIT, 1L, "CURLOPT_QUICK_EXIT", why) &&
        net::setCurlOption(handle, CURLOPT_NOPROXY, "*", "CURLOPT_NOPROXY", why);
    if (!ok)
        return false;

    const CURLcode code = curl_easy_perform(handle);
    long status = 0;
    if (curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status) != CURLE_OK)
        status = 0;
    // An answer cut off at the cap still had its status line.
    if (code == CURLE_OK || (code == CURLE_WRITE_ERROR && reply.overCap)) {
        if (status >= 200 && status < 300)
            return true;
        why = "the webhook answered HTTP " + std::to_string(status);
        if (status >= 300 && status < 400)
            why += " (a redirect, which is not followed)";
        return false;
    }
    const std::string words = detail[0] != '\0' ? std::string(detail.data()) : curl_easy_strerror(code);
    switch (code) {
    case CURLE_OPERATION_TIMEDOUT:
        why = "the webhook did not answer within " + std::to_string(timeout.count()) + " ms (" + words + ")";
        break;
    case CURLE_COULDNT_CONNECT: why = "the webhook refused the connection (" + words + ")"; break;
    case CURLE_COULDNT_RESOLVE_HOST: why = "the webhook's host name did not resolve (" + words + ")"; break;
    default: why = "the webhook could not be reached: " + words;
    }
    return false;
}

} // namespace zonedesk::watch
