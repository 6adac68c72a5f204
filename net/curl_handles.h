// SPDX-License-Identifier: MIT
// libcurl's handles, each owned, and libcurl started once per process before the first of them.
#pragma once

#include <memory>

#include <curl/curl.h>

namespace zonedesk::net {

/// curl_global_init, once per process; before any other libcurl call. Any thread.
void initialiseCurl();

struct CurlEasyFree
{
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};

struct CurlMultiFree
{
    void operator()(CURLM* handle) const { curl_multi_cleanup(handle); }
};

struct CurlListFree
{
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

struct CurlUrlFree
{
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};

struct CurlMimeFree
{
    void operator()(curl_mime* mime) const { curl_mime_free(mime); }
};

struct CurlTextFree
{
    void operator()(char* text) const { curl_free(text); }
};

using CurlEasy = std::unique_ptr<CURL, CurlEasyFree>;
using CurlMulti = std::unique_ptr<CURLM, CurlMultiFree>;
using CurlList = std::unique_ptr<curl_slist, CurlListFree>;
using CurlUrl = std::unique_ptr<CURLU, CurlUrlFree>;
using CurlMime = std::unique_ptr<curl_mime, CurlMimeFree>;
using CurlText = std::unique_ptr<char, CurlTextFree>;

/// A new easy handle, empty when libcurl has no memory. libcurl is started first, since
/// curl_easy_init would otherwise start it from whichever thread comes first. Any thread.
CurlEasy newCurlEasy();

/// A new multi handle, empty when libcurl has no memory. Any thread.
CurlMulti newCurlMulti();

/// Appends `text` to `list`; false when libcurl has no memory (`list` then unchanged).
bool appendCurlList(CurlList& list, const char* text);

} // namespace zonedesk::net
