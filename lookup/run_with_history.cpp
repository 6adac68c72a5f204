// SPDX-License-Identifier: MIT
#include "lookup/run_with_history.h"

namespace zonedesk::lookup {

RunWithHistory::RunWithHistory(core::DomainTable& table, core::WorkerEndTarget& target)
    : m_run(table, target)
{}

RunWithHistory::~RunWithHistory()
{
    stop();
    letHistoryGo();
}

LookupRun::StartResult RunWithHistory::start(std::unique_ptr<core::RunHistory> runHistory)
{
    letHistoryGo();
    m_runHistory = std::move(runHistory);
    m_run.keepRawReplies(m_runHistory ? &m_replies : nullptr);
    const auto started = m_run.startLookups();
    if (started != LookupRun::StartResult::Running)
        finishRecording();
    return started;
}

bool RunWithHistory::workerDone()
{
    if (!m_run.workerDone())
        return false;
    m_run.join();
    finishRecording();
    return true;
}

void RunWithHistory::tick()
{
    if (m_runHistory)
        m_runHistory->tick(m_replies);
}

void RunWithHistory::stop()
{
    m_run.requestStop();
    m_run.join();
    finishRecording();
}

void RunWithHistory::finishRecording()
{
    if (m_runHistory)
        m_runHistory->finish(m_replies);
}

void RunWithHistory::waitForHistory()
{
    if (!m_runHistory || inProgress())
        return;
    m_runHistory->finish(m_replies);
    m_runHistory->wait();
}

void RunWithHistory::letHistoryGo()
{
    if (inProgress())
        return;
    waitForHistory();
    m_runHistory.reset();
    m_replies.clear();
}

bool RunWithHistory::waitForEnd(WorkerEndQueue& queue,
                                std::chrono::milliseconds tickInterval,
                                const std::function<bool()>& interrupted,
                                const std::function<void()>& tick)
{
    const bool ended = m_run.waitForEnd(queue, tickInterval, interrupted, [&] {
        this->tick();
        if (tick)
            tick();
    });
    m_run.join();
    finishRecording();
    return ended;
}

} // namespace zonedesk::lookup
