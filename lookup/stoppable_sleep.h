// SPDX-License-Identifier: MIT
// Waiting that a stop request cuts short.
#pragma once

#include <algorithm>
#include <chrono>
#include <stop_token>
#include <thread>

namespace zonedesk::lookup {

/// Sleeps until `until` in slices of at most 50 ms; false (at once) when a stop is requested.
inline bool sleepUntilUnlessStopped(std::chrono::steady_clock::time_point until, const std::stop_token& stop)
{
    constexpr std::chrono::nanoseconds Slice = std::chrono::milliseconds(50);
    for (auto now = std::chrono::steady_clock::now(); now < until; now = std::chrono::steady_clock::now()) {
        if (stop.stop_requested())
            return false;
        std::this_thread::sleep_for(std::min<std::chrono::nanoseconds>(Slice, until - now));
    }
    return !stop.stop_requested();
}

} // namespace zonedesk::lookup
