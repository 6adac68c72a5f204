// SPDX-License-Identifier: MIT
// How the programs set up a libcurl transfer (the RDAP exchange, update-data): libcurl started once,
// and the limits every transfer is held to, each option's answer checked, so that a limit libcurl
// refuses means no transfer at all.
#pragma once

#include <span>
#include <string>

#include <curl/curl.h>

namespace zonedesk::lookup {

/// curl_global_init, once per process; before any other libcurl call. Any thread.
void initialiseCurl();

/// One option of a handle: a number, or a text when `text` is set.
struct CurlOption
{
    CURLoption option{};
    const char* name = nullptr; // as libcurl's documentation calls it, for the error
    long number = 0;
    const char* text = nullptr;
};

/// Sets `options` in order; false at the first one libcurl refuses, whose name and libcurl's words
/// go into `error` (the options after it are not set).
bool setCurlOptions(CURL* handle, std::span<const CurlOption> options, std::string& error);

/// http and https only; at most three redirects, each to https only; no signals; the resolver's
/// thread let go of rather than waited for when a transfer ends (a time limit, a stop) before the
/// name resolves. False when libcurl refuses any of it: the handle is then not to be used.
bool limitTransfer(CURL* handle, std::string& error);

/// Whether a transfer ended on a redirect limitTransfer refuses: to another scheme than https, or
/// one more than three.
bool isRefusedRedirect(CURLcode code);

} // namespace zonedesk::lookup
