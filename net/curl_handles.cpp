// SPDX-License-Identifier: MIT
#include "net/curl_handles.h"

#include <mutex>

namespace zonedesk::net {

void initialiseCurl()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

CurlEasy newCurlEasy()
{
    initialiseCurl();
    return CurlEasy(curl_easy_init());
}

CurlMulti newCurlMulti()
{
    initialiseCurl();
    return CurlMulti(curl_multi_init());
}

bool appendCurlList(CurlList& list, const char* text)
{
    curl_slist* longer = curl_slist_append(list.get(), text);
    if (longer == nullptr)
        return false;
    static_cast<void>(list.release()); // `longer` starts with it
    list.reset(longer);
    return true;
}

} // namespace zonedesk::net
