// SPDX-License-Identifier: MIT
// The one thing a lookup worker tells the thread that drives its run: that it has ended. Always
// posted into the receiver's queue, never waited for; the windows of the UI thread talk to one
// another with Qt signals.
#pragma once

namespace zonedesk::core {

struct WorkerEnded
{
    bool queried = true; // false: its exchange options could not be used, and nothing was asked
};

/// Where a run's workers post their end: a window's event queue, or a queue that a program
/// without windows waits on.
class WorkerEndTarget
{
public:
    virtual ~WorkerEndTarget() = default;

    /// Queues `ended` for the receiver's thread and returns at once. Any thread.
    virtual void post(WorkerEnded ended) = 0;
};

} // namespace zonedesk::core
