// SPDX-License-Identifier: MIT
#include "net/curl_options.h"

namespace zonedesk::net {

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

bool refusedOption(const char* name, CURLcode code, std::string& error)
{
    error = std::string(name) + " refused: " + curl_easy_strerror(code);
    return false;
}

bool setCurlOptions(CURL* handle, std::span<const CurlOption> options, std::string& error)
{
    for (const CurlOption& each : options) {
        const bool set = each.text != nullptr
                             ? setCurlOption(handle, each.option, each.text, each.name, error)
                             : setCurlOption(handle, each.option, each.number, each.name, error);
        if (!set)
            return false;
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

} // namespace zonedesk::net
