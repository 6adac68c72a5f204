// SPDX-License-Identifier: MIT
// The custom window messages by which the panel, the main frame, the list view and the workers
// drive one another (values counted from WM_USER, 1024). Always posted, never sent; wParam is 0.
#pragma once

namespace zonedesk::core {

inline constexpr int WM_USER_BASE = 1024;

inline constexpr int WM_LOOKUP_REQUEST = WM_USER_BASE + 11;  // panel -> frame: start a run
inline constexpr int WM_LOOKUP_FINISHED = WM_USER_BASE + 12; // view -> frame: the run has ended
inline constexpr int WM_TABLE_LOADED = WM_USER_BASE + 13;    // import -> frame: new table
inline constexpr int WM_LOOKUP_PROGRESS = WM_USER_BASE + 14; // view -> frame: lParam = records done
inline constexpr int WM_FILL_ROWS = WM_USER_BASE + 21;       // frame -> view: rebuild the rows
inline constexpr int WM_START_LOOKUPS = WM_USER_BASE + 22;   // frame -> view: start the workers
inline constexpr int WM_ENABLE_START = WM_USER_BASE + 31;    // frame -> panel: enable Start
inline constexpr int WM_WORKER_DONE = WM_USER_BASE + 101;    // worker -> view: lParam 0, or -1

static_assert(WM_LOOKUP_REQUEST == 1035 && WM_LOOKUP_FINISHED == 1036 && WM_TABLE_LOADED == 1037);
static_assert(WM_LOOKUP_PROGRESS == 1038 && WM_FILL_ROWS == 1045 && WM_START_LOOKUPS == 1046);
static_assert(WM_ENABLE_START == 1055 && WM_WORKER_DONE == 1125);

} // namespace zonedesk::core
