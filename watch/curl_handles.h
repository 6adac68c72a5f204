// SPDX-License-Identifier: MIT
// The libcurl handles the senders use, owned, with libcurl started once before the first.
#pragma once

#include <memory>
#include <mutex>
#include <string>

#include <curl/curl.h>

namespace zonedesk::watch {

struct CurlEasyFree
{
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};

struct CurlListFree
{
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

struct CurlUrlFree
{
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};

struct CurlTextFree
{
    void operator()(char* text) const { curl_free(text); }
};

using CurlEasy = std::unique_ptr<CURL, CurlEasyFree>;
using CurlList = std::unique_ptr<curl_slist, CurlListFree>;
using CurlUrl = std::unique_ptr<CURLU, CurlUrlFree>;
using CurlText = std::unique_ptr<char, CurlTextFree>;

/// A new easy handle (empty when libcurl has no memory); libcurl is started on the first call,
/// since curl_easy_init would otherwise start it from whichever thread comes first. Any thread.
inline CurlEasy newCurlEasy()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    return CurlEasy(curl_easy_init());
}

/// Appends `text` to `list`; false when libcurl has no memory (`list` then unchanged).
inline bool appendCurlList(CurlList& list, const char* text)
{
    curl_slist* longer = curl_slist_append(list.get(), text);
    if (longer == nullptr)
        return false;
    static_cast<void>(list.release());
    list.reset(longer);
    return true;
}

/// Sets `option` on `handle`; false, with `why` naming the option (`name`), when libcurl refuses it.
template <typename Value>
bool setCurlOption(CURL* handle, CURLoption option, Value value, const char* name, std::string& why)
{
    if (const CURLcode code = curl_easy_setopt(handle, option, value); code != CURLE_OK) {
        why = std::string("libcurl refused ") + name + ": " + curl_easy_strerror(code);
        return false;
    }
    return true;
}

} // namespace zonedesk::watch
