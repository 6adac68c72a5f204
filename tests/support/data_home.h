// SPDX-License-Identifier: MIT
// Keeps what the programs store in the user's data folder (the history database) out of the real
// one: XDG_DATA_HOME points at a folder of the test process, removed at its end.
#pragma once

namespace zonedesk::test {

/// Sets XDG_DATA_HOME for this process and the programs it starts. Call once, before any.
void isolateDataHome();

} // namespace zonedesk::test
