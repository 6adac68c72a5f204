// SPDX-License-Identifier: MIT
// One RDAP request (RFC 9082) over HTTP(S) with libcurl: GET {base}domain/{name}, within the
// session's time limits and size cap, stoppable like the WHOIS exchange.
#pragma once

#include <chrono>
#include <stop_token>
#include <string>

#include "core/error_reason.h"
#include "lookup/internet_session.h"
#include "lookup/whois_exchange.h"

namespace zonedesk::lookup {

struct RdapResult
{
    ExchangeOutcome outcome = ExchangeOutcome::Failed;
    /// None when an HTTP answer arrived whole; otherwise why there is none (connect failed, timed
    /// out, reset, too large).
    core::ErrorReason reason = core::ErrorReason::None;
    long httpStatus = 0;
    std::string body;
    std::chrono::seconds retryAfter{0}; // from a Retry-After header; 0 when none
};

/// Asks `url` with "Accept: application/rdap+json", following up to three redirects; TLS checks
/// the server against the system's CA certificates, and the usual proxy variables apply. Notices
/// a stop request within 100 ms. Worker threads; any number at once.
RdapResult exchangeRdap(const std::string& url, const InternetSession& session, const std::stop_token& stop);

} // namespace zonedesk::lookup
