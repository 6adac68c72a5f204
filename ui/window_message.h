// SPDX-License-Identifier: MIT
// A worker thread's message as a Qt event: posted into the receiver's queue from the worker and
// handled in its event(), which Qt also reaches inside modal loops (message boxes, file dialogs).
#pragma once

#include <cstdint>

#include <QCoreApplication>
#include <QEvent>

#include "core/post_target.h"

namespace zonedesk {

class WindowMessage final : public QEvent
{
public:
    WindowMessage(int message, std::intptr_t lParam)
        : QEvent(type())
        , m_message(message)
        , m_lParam(lParam)
    {}

    /// The event type every window message travels as.
    static QEvent::Type type()
    {
        static const auto registered = static_cast<QEvent::Type>(QEvent::registerEventType());
        return registered;
    }

    int message() const { return m_message; }

    std::intptr_t lParam() const { return m_lParam; }

private:
    int m_message;
    std::intptr_t m_lParam;
};

/// Posts `message` to `receiver` (ignored when the receiver is gone). Any thread, as long as the
/// receiver outlives the call.
inline void postMessage(QObject* receiver, int message, std::intptr_t lParam = 0)
{
    if (receiver != nullptr)
        QCoreApplication::postEvent(receiver, new WindowMessage(message, lParam));
}

/// A PostTarget that reaches one Qt object, for the lookup workers.
class QtPostTarget final : public core::PostTarget
{
public:
    explicit QtPostTarget(QObject* receiver)
        : m_receiver(receiver)
    {}

    void post(int message, std::intptr_t lParam) override { postMessage(m_receiver, message, lParam); }

private:
    QObject* m_receiver;
};

} // namespace zonedesk
