// SPDX-License-Identifier: MIT
// A core::WorkerEndTarget for programs without a window system (the CLI, tests): the workers' ends
// wait in a queue until the owning thread takes them.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>

#include "core/worker_ended.h"

namespace zonedesk::lookup {

class WorkerEndQueue final : public core::WorkerEndTarget
{
public:
    void post(core::WorkerEnded ended) override
    {
        {
            const std::lock_guard lock(m_mutex);
            m_ends.push_back(ended);
        }
        m_ready.notify_one();
    }

    /// The oldest end, waiting at most `timeout` for one; nullopt when none came.
    std::optional<core::WorkerEnded> take(std::chrono::milliseconds timeout)
    {
        std::unique_lock lock(m_mutex);
        if (!m_ready.wait_for(lock, timeout, [this] { return !m_ends.empty(); }))
            return std::nullopt;
        const core::WorkerEnded ended = m_ends.front();
        m_ends.pop_front();
        return ended;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_ready;
    std::deque<core::WorkerEnded> m_ends;
};

} // namespace zonedesk::lookup
