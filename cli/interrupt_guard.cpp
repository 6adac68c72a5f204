// SPDX-License-Identifier: MIT
#include "cli/interrupt_guard.h"

#include <csignal>

#include <sys/ioctl.h>
#include <unistd.h>

namespace zonedesk::cli {

namespace {

volatile std::sig_atomic_t interruptedFlag = 0;
volatile std::sig_atomic_t resizedFlag = 1; // measure the terminal at the first line

extern "C" void onInterrupt(int)
{
    interruptedFlag = 1;
}

extern "C" void onResize(int)
{
    resizedFlag = 1;
}

struct sigaction handlerAction(void (*handler)(int))
{
    struct sigaction action
    {};

    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    return action;
}

/// Listens to `signal` with `action` unless the program was started with it ignored (nohup, a
/// script's background job): an ignored signal stays ignored, as the one who started us asked.
void listen(int signal, const struct sigaction& action, struct sigaction& old)
{
    ::sigaction(signal, nullptr, &old);
    if (old.sa_handler != SIG_IGN)
        ::sigaction(signal, &action, nullptr);
}

struct sigaction oldInterrupt
{};

struct sigaction oldTerminate
{};

struct sigaction oldHangUp
{};

struct sigaction oldResize
{};

} // namespace

InterruptGuard::InterruptGuard()
{
    interruptedFlag = 0;
    const struct sigaction action = handlerAction(onInterrupt);
    listen(SIGINT, action, oldInterrupt);
    listen(SIGTERM, action, oldTerminate);
    // A closed terminal or ssh session ends the run as SIGTERM does: what finished is written.
    listen(SIGHUP, action, oldHangUp);
}

InterruptGuard::~InterruptGuard()
{
    ::sigaction(SIGINT, &oldInterrupt, nullptr);
    ::sigaction(SIGTERM, &oldTerminate, nullptr);
    ::sigaction(SIGHUP, &oldHangUp, nullptr);
}

bool InterruptGuard::interrupted()
{
    return interruptedFlag != 0;
}

ResizeWatch::ResizeWatch()
{
    const struct sigaction action = handlerAction(onResize);
    ::sigaction(SIGWINCH, &action, &oldResize);
}

ResizeWatch::~ResizeWatch()
{
    ::sigaction(SIGWINCH, &oldResize, nullptr);
}

int ResizeWatch::columns()
{
    static int columns = 80;
    if (resizedFlag != 0) {
        resizedFlag = 0;
        winsize size{};
        if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
            columns = size.ws_col;
    }
    return columns;
}

} // namespace zonedesk::cli
