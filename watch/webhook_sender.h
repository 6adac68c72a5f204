// SPDX-License-Identifier: MIT
// POSTs a watch message's JSON body to a webhook with libcurl.
#pragma once

#include <chrono>
#include <string>

namespace zonedesk::watch {

/// POSTs `body` (application/json) to `url`, following no redirect; false with `why` (a
/// sentence: the HTTP status, a refused connection, the time limit) unless the answer is 2xx.
bool postWebhook(const std::string& url,
                 const std::string& body,
                 std::chrono::milliseconds timeout,
                 std::string& why);

} // namespace zonedesk::watch
