// SPDX-License-Identifier: MIT
#include "lookup/curl_transfer.h"

#include <mutex>

namespace zonedesk::lookup {

namespace {

// A redirect may leave plain http for https, never the other way, nor for another scheme.
// CURLOPT_QUICK_EXIT: without it, a transfer that ends while its name is being resolved waits
// for the resolver (the system's time-outs, half a minute), whatever the time limits say.
constexpr CurlOption TransferLimits[] = {
    {.option = CURLOPT_PROTOCOLS_STR, .name = "CURLOPT_PROTOCOLS_STR", .text = "http,https"},
    {.option = CURLOPT_REDIR_PROTOCOLS_STR, .name = "CURLOPT_REDIR_PROTOCOLS_STR", .text = "https"},
    {.option = CURLOPT_FOLLOWLOCATION, .name = "CURLOPT_FOLLOWLOCATION", .number = 1},
    {.option = CURLOPT_MAXREDIRS, .name = "CURLOPT_MAXREDIRS", .number = 3},
    {.option = CURLOPT_NOSIGNAL, .name = "CURLOPT_NOSIGNAL", .number = 1},
    {.option = CURLOPT_QUICK_EXIT, .name = "CURLOPT_QUICK_EXIT", .number = 1},
    {.option = CURLOPT_USERAGENT, .name = "CURLOPT_USERAGENT", .text = "zonedesk"},
};

} // namespace

void initialiseCurl()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool setCurlOptions(CURL* handle, std::span<const CurlOption> options, std::string& error)
{
    for (const CurlOption& each : options) {
        const CURLcode code = each.text != nullptr ? curl_easy_setopt(handle, each.option, each.text)
                                                   : curl_easy_setopt(handle, each.option, each.number);
        if (code != CURLE_OK) {
            error = std::string(each.name) + " refused: " + curl_easy_strerror(code);
            return false;
        }
    }
    return true;
}

bool limitTransfer(CURL* handle, std::string& error)
{
    return setCurlOptions(handle, TransferLimits, error);
}

bool isRefusedRedirect(CURLcode code)
{
    // The first URL is always http or https, so a scheme refused later is a redirect's.
    return code == CURLE_UNSUPPORTED_PROTOCOL || code == CURLE_TOO_MANY_REDIRECTS;
}

} // namespace zonedesk::lookup
