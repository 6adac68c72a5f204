// SPDX-License-Identifier: MIT
// One DNS cache for the RDAP transfers of a run: each transfer has its own handles, so without a
// share every query would look its host up again.
#pragma once

#include <array>
#include <mutex>

#include <curl/curl.h>

namespace zonedesk::net {

class CurlDnsShare
{
public:
    CurlDnsShare();
    ~CurlDnsShare();
    CurlDnsShare(const CurlDnsShare&) = delete;
    CurlDnsShare& operator=(const CurlDnsShare&) = delete;

    /// For CURLOPT_SHARE, by transfers on any thread at once; null when libcurl could not make
    /// the share (each transfer then looks its host up for itself). The share must outlive them.
    CURLSH* handle() const { return m_share; }

    using Locks = std::array<std::mutex, CURL_LOCK_DATA_LAST>;

private:
    Locks m_locks; // one per kind of data libcurl shares
    CURLSH* m_share = nullptr;
};

} // namespace zonedesk::net
