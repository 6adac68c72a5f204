// SPDX-License-Identifier: MIT
// How every libcurl transfer of the programs is set up (RDAP, the data download, mail, webhooks):
// each option's answer checked, so that a limit libcurl refuses means no transfer at all, and the
// limits every HTTP transfer is held to.
#pragma once

#include <span>
#include <string>

#include <curl/curl.h>

namespace zonedesk::net {

/// One option of a handle: a number, or a text when `text` is set.
struct CurlOption
{
    CURLoption option{};
    const char* name = nullptr; // as libcurl's documentation calls it, for the error
    long number = 0;
    const char* text = nullptr;
};

/// Says in `error` that libcurl refused the option `name`; false, for a caller to return.
bool refusedOption(const char* name, CURLcode code, std::string& error);

/// Sets `option` (a number, text, pointer or callback) on `handle`; false, with `error` naming
/// the option (`name`) and libcurl's words, when libcurl refuses it.
template <typename Value>
bool setCurlOption(CURL* handle, CURLoption option, Value value, const char* name, std::string& error)
{
    const CURLcode code = curl_easy_setopt(handle, option, value);
    return code == CURLE_OK || refusedOption(name, code, error);
}

/// Sets `options` in order; false at the first one libcurl refuses (the options after it are not
/// set).
bool setCurlOptions(CURL* handle, std::span<const CurlOption> options, std::string& error);

/// http and https only; at most three redirects, each to https only; no signals; the resolver's
/// thread let go of rather than waited for when a transfer ends (a time limit, a stop) before the
/// name resolves. False when libcurl refuses any of it: the handle is then not to be used.
bool limitTransfer(CURL* handle, std::string& error);

/// Whether a transfer ended on a redirect limitTransfer refuses: to another scheme than https, or
/// one more than three.
bool isRefusedRedirect(CURLcode code);

} // namespace zonedesk::net
