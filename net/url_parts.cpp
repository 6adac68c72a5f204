// SPDX-License-Identifier: MIT
#include "net/url_parts.h"

#include "net/curl_handles.h"

namespace zonedesk::net {

std::optional<UrlParts> urlParts(const std::string& url, std::string& why)
{
    initialiseCurl();
    const CurlUrl parsed(curl_url());
    if (!parsed) {
        why = "no memory to read the URL";
        return std::nullopt;
    }
    if (const CURLUcode code = curl_url_set(parsed.get(), CURLUPART_URL, url.c_str(), 0); code != CURLUE_OK) {
        why = curl_url_strerror(code);
        return std::nullopt;
    }
    const auto part = [&parsed](CURLUPart which) {
        char* raw = nullptr;
        const bool got = curl_url_get(parsed.get(), which, &raw, 0) == CURLUE_OK;
        const CurlText text(raw);
        return got && text ? std::string(text.get()) : std::string();
    };
    return UrlParts{part(CURLUPART_SCHEME), part(CURLUPART_HOST), part(CURLUPART_PORT), part(CURLUPART_PATH)};
}

} // namespace zonedesk::net
