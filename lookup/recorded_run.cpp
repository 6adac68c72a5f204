// SPDX-License-Identifier: MIT
#include "lookup/recorded_run.h"

namespace zonedesk::lookup {

RecordedRun::RecordedRun(core::DomainTable& table, core::PostTarget& target)
    : m_run(table, target)
{}

RecordedRun::~RecordedRun()
{
    stop();
    letRecorderGo();
}

LookupRun::StartResult RecordedRun::start(std::unique_ptr<core::RunRecorder> recorder)
{
    letRecorderGo();
    m_recorder = std::move(recorder);
    m_run.keepRawReplies(m_recorder ? &m_replies : nullptr);
    const auto started = m_run.startLookups();
    if (started != LookupRun::StartResult::Running)
        finishRecording();
    return started;
}

bool RecordedRun::workerDone()
{
    if (!m_run.workerDone())
        return false;
    m_run.join();
    finishRecording();
    return true;
}

void RecordedRun::tick()
{
    if (m_recorder)
        m_recorder->tick(m_replies);
}

void RecordedRun::stop()
{
    m_run.requestStop();
    m_run.join();
    finishRecording();
}

void RecordedRun::finishRecording()
{
    if (m_recorder)
        m_recorder->finish(m_replies);
}

void RecordedRun::waitForRecorder()
{
    if (!m_recorder || inProgress())
        return;
    m_recorder->finish(m_replies);
    m_recorder->wait();
}

void RecordedRun::letRecorderGo()
{
    if (inProgress())
        return;
    waitForRecorder();
    m_recorder.reset();
    m_replies.clear();
}

bool RecordedRun::waitForEnd(MessageQueue& queue,
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
