// SPDX-License-Identifier: MIT
// One RDAP request (RFC 9082) over HTTP(S) with libcurl: GET {base}domain/{name}, within the
// session's time limits and size cap, stoppable like the WHOIS exchange.
#pragma once

#include <stop_token>
#include <string>

#include "lookup/exchange_options.h"
#include "lookup/exchange_result.h"

namespace zonedesk::lookup {

/// Asks `url` with "Accept: application/rdap+json", following up to three redirects, each to https
/// (another is RedirectRefused), and gives a whole answer's status, body (as `reply`) and
/// Retry-After; TLS checks the server against the system's CA certificates, and the usual proxy
/// variables apply. The host is looked up within the connect time-out, in the run's shared DNS cache
/// when it has one. Notices a stop request within 100 ms, also while the host is looked up. Worker
/// threads; any number at once.
ExchangeResult
exchangeRdap(const std::string& url, const ExchangeOptions& session, const std::stop_token& stop);

} // namespace zonedesk::lookup
