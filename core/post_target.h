// SPDX-License-Identifier: MIT
// The one way a worker reaches a window: posting a message into the receiver's queue.
#pragma once

#include <cstdint>

namespace zonedesk::core {

class PostTarget
{
public:
    virtual ~PostTarget() = default;

    /// Queues `message` for the receiver's thread and returns at once. Any thread.
    virtual void post(int message, std::intptr_t lParam) = 0;
};

} // namespace zonedesk::core
