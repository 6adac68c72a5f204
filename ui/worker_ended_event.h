// SPDX-License-Identifier: MIT
// A lookup worker's end as a Qt event: posted into the receiver's queue from the worker and
// handled in its event(), which Qt also reaches inside modal loops (message boxes, file dialogs).
#pragma once

#include <QCoreApplication>
#include <QEvent>

#include "core/worker_ended.h"

namespace zonedesk {

class WorkerEndedEvent final : public QEvent
{
public:
    explicit WorkerEndedEvent(core::WorkerEnded ended)
        : QEvent(type())
        , m_ended(ended)
    {}

    /// The event type every worker's end travels as.
    static QEvent::Type type()
    {
        static const auto registered = static_cast<QEvent::Type>(QEvent::registerEventType());
        return registered;
    }

    core::WorkerEnded ended() const { return m_ended; }

private:
    core::WorkerEnded m_ended;
};

/// A WorkerEndTarget that reaches one Qt object (ignored when it is null). Any thread, as long as
/// the receiver outlives the call.
class QtWorkerEndTarget final : public core::WorkerEndTarget
{
public:
    explicit QtWorkerEndTarget(QObject* receiver)
        : m_receiver(receiver)
    {}

    void post(core::WorkerEnded ended) override
    {
        if (m_receiver != nullptr)
            QCoreApplication::postEvent(m_receiver, new WorkerEndedEvent(ended));
    }

private:
    QObject* m_receiver;
};

} // namespace zonedesk
