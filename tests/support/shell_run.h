// SPDX-License-Identifier: MIT
// Runs a shell command line as a user would type it and keeps what it printed.
#pragma once

#include <string>

namespace zonedesk::test {

struct ShellRun
{
    int exitCode = -1; // -1 when it did not exit normally
    std::string out;   // its standard output
};

ShellRun runShell(const std::string& command);

} // namespace zonedesk::test
