// SPDX-License-Identifier: MIT
// A core::PostTarget for programs without a window system (the CLI, tests): posted messages wait in a
// queue until the owning thread takes them.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>

#include "core/post_target.h"

namespace zonedesk::lookup {

struct PostedMessage
{
    int message = 0;
    std::intptr_t lParam = 0;
};

class MessageQueue final : public core::PostTarget
{
public:
    void post(int message, std::intptr_t lParam) override
    {
        {
            const std::lock_guard lock(m_mutex);
            m_messages.push_back({message, lParam});
        }
        m_ready.notify_one();
    }

    /// The oldest message, waiting at most `timeout` for one; nullopt when none came.
    std::optional<PostedMessage> take(std::chrono::milliseconds timeout)
    {
        std::unique_lock lock(m_mutex);
        if (!m_ready.wait_for(lock, timeout, [this] { return !m_messages.empty(); }))
            return std::nullopt;
        const PostedMessage message = m_messages.front();
        m_messages.pop_front();
        return message;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_ready;
    std::deque<PostedMessage> m_messages;
};

} // namespace zonedesk::lookup
