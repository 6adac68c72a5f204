// SPDX-License-Identifier: MIT
// The window message by which a worker thread tells the thread that drives its run that it has
// ended (counted from WM_USER, 1024). Always posted, never sent; wParam is 0. The windows of the
// UI thread talk to one another with Qt signals.
#pragma once

namespace zonedesk::core {

inline constexpr int WM_USER_BASE = 1024;

inline constexpr int WM_WORKER_DONE = WM_USER_BASE + 101; // worker -> its run's target: lParam 0, or -1

static_assert(WM_WORKER_DONE == 1125);

} // namespace zonedesk::core
