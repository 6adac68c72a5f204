// SPDX-License-Identifier: MIT
#include "net/curl_dns_share.h"

#include <cstddef>

#include "net/curl_handles.h"

namespace zonedesk::net {

namespace {

extern "C" void lockShared(CURL*, curl_lock_data data, curl_lock_access, void* locks)
{
    const auto at = static_cast<std::size_t>(data);
    auto& each = *static_cast<CurlDnsShare::Locks*>(locks);
    if (at < each.size())
        each[at].lock();
}

extern "C" void unlockShared(CURL*, curl_lock_data data, void* locks)
{
    const auto at = static_cast<std::size_t>(data);
    auto& each = *static_cast<CurlDnsShare::Locks*>(locks);
    if (at < each.size())
        each[at].unlock();
}

} // namespace

CurlDnsShare::CurlDnsShare()
{
    initialiseCurl();
    m_share = curl_share_init();
    if (m_share == nullptr)
        return;
    // libcurl calls the lock functions from whichever thread runs a transfer.
    if (curl_share_setopt(m_share, CURLSHOPT_LOCKFUNC, lockShared) != CURLSHE_OK ||
        curl_share_setopt(m_share, CURLSHOPT_UNLOCKFUNC, unlockShared) != CURLSHE_OK ||
        curl_share_setopt(m_share, CURLSHOPT_USERDATA, &m_locks) != CURLSHE_OK ||
        curl_share_setopt(m_share, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS) != CURLSHE_OK) {
        curl_share_cleanup(m_share);
        m_share = nullptr;
    }
}

CurlDnsShare::~CurlDnsShare()
{
    if (m_share != nullptr)
        curl_share_cleanup(m_share);
}

} // namespace zonedesk::net
