// SPDX-License-Identifier: MIT
// One WHOIS exchange (RFC 3912) over TCP: connect, send the query and CR LF, read until the server
// closes, within the session's time limits.
#pragma once

#include <stop_token>
#include <string>
#include <string_view>

#include "core/error_reason.h"
#include "lookup/endpoints.h"
#include "lookup/internet_session.h"

namespace zonedesk::lookup {

enum class ExchangeOutcome
{
    Received, // connected and sent; `reply` holds what arrived, whole only when `reason` is None
    Failed,   // no connection or the query could not be sent; nothing was received
    Stopped,  // a stop was requested; the reply is to be thrown away
};

struct ExchangeResult
{
    ExchangeOutcome outcome = ExchangeOutcome::Failed;
    /// None: the server closed the connection after its reply (or the reply reached the size cap),
    /// so `reply` is complete. Otherwise why the exchange failed or the reply is incomplete: a
    /// time limit passed (TimedOut) or the connection broke (Reset); an incomplete reply is never
    /// to be read as a result.
    core::ErrorReason reason = core::ErrorReason::None;
    std::string reply; // NUL bytes dropped, at most the session's size cap
};

/// Connects to `endpoint` (a dotted IPv4 address without a look-up, otherwise every address the
/// resolver gives, IPv4 and IPv6, in turn; one retry of the whole round after the back-off), sends
/// `query` and "\r\n" as two writes, and reads in chunks of at most 1024 bytes until the server
/// closes, the read time-out or the exchange limit passes, the connection breaks, or the size cap
/// is reached. Notices a
/// stop request within 100 ms, also inside a connect or a read (name resolution excepted). No
/// descriptor outlives the call. Worker threads; any number at once.
ExchangeResult exchangeWhois(const Endpoint& endpoint,
                             std::string_view query,
                             const InternetSession& session,
                             const std::stop_token& stop);

} // namespace zonedesk::lookup
