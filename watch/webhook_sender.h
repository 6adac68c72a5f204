// SPDX-License-Identifier: MIT
// POSTs a watch message's JSON body to a webhook with libcurl.
#pragma once

#include <chrono>
#include <string>

namespace zonedesk::watch {

/// POSTs `body` (application/json, User-Agent "zonedesk") to `url`: one attempt, no redirect
/// followed, no proxy, the answer's body read up to 64 KiB and ignored. False with `why` (a
/// sentence: the HTTP status, a refused connection, the time limit) unless the answer is 2xx.
/// Any thread.
bool postWebhook(const std::string& url,
                 const std::string& body,
                 std::chrono::milliseconds timeout,
                 std::string& why);

} // namespace zonedesk::watch
