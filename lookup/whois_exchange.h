// SPDX-License-Identifier: MIT
// One WHOIS exchange (RFC 3912) over TCP: connect, send the query and CR LF, read until the server
// closes, within the exchange options' time limits.
#pragma once

#include <stop_token>
#include <string>
#include <string_view>

#include "lookup/endpoints.h"
#include "lookup/exchange_options.h"
#include "lookup/exchange_result.h"

namespace zonedesk::lookup {

/// Connects to `endpoint` (a numeric address without a look-up, otherwise every address the
/// session's resolver gives, IPv4 and IPv6, in turn, the look-up within the connect time-out; one
/// retry of the whole round after the back-off), sends `query` and "\r\n" as two writes, and reads
/// in chunks of at most 1024 bytes until the server closes, the read time-out or the exchange limit
/// passes, the connection breaks, or the size cap is reached; NUL bytes of the reply are dropped.
/// Notices a stop request within 100 ms, also inside a look-up, a connect or a read. No descriptor
/// outlives the call. Worker threads; any number at once.
ExchangeResult exchangeWhois(const Endpoint& endpoint,
                             std::string_view query,
                             const ExchangeOptions& session,
                             const std::stop_token& stop);

} // namespace zonedesk::lookup
