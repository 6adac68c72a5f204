// SPDX-License-Identifier: MIT
// The signals a lookup run listens to: Ctrl+C, SIGTERM and SIGHUP (a closed terminal or ssh
// session) stop it, and what finished is written; SIGWINCH makes the progress line measure the
// terminal again.
#pragma once

namespace zonedesk::cli {

/// Installs the Ctrl+C, SIGTERM and SIGHUP handlers for its life and puts the old ones back
/// afterwards. A signal ignored when the program started (`nohup`) stays ignored.
class InterruptGuard
{
public:
    InterruptGuard();
    ~InterruptGuard();
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

    /// True once Ctrl+C, SIGTERM or SIGHUP came since the guard was made.
    static bool interrupted();
};

/// Watches the terminal's size for its life (SIGWINCH), the old handler put back afterwards.
class ResizeWatch
{
public:
    ResizeWatch();
    ~ResizeWatch();
    ResizeWatch(const ResizeWatch&) = delete;
    ResizeWatch& operator=(const ResizeWatch&) = delete;

    /// The width of the terminal on standard error, measured again after each resize.
    static int columns();
};

} // namespace zonedesk::cli
