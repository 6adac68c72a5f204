// SPDX-License-Identifier: MIT
// What one exchange with a server brought, whichever way it was asked (port 43 or RDAP).
#pragma once

#include <chrono>
#include <string>

#include "core/error_reason.h"

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
    /// None: the reply arrived whole (over port 43, the server closed the connection after it or it
    /// reached the size cap), so `reply` may be read. Otherwise why the exchange failed or the reply
    /// is incomplete; an incomplete reply is never to be read as a result.
    core::ErrorReason reason = core::ErrorReason::None;
    std::string reply;                  // the reply text (port 43) or the HTTP body, at most the cap
    long httpStatus = 0;                // RDAP only: the HTTP status of a whole answer
    std::string mediaType;              // RDAP only: the answer's Content-Type, as sent
    std::chrono::seconds retryAfter{0}; // RDAP only: from a Retry-After header; 0 when none
};

} // namespace zonedesk::lookup
