// SPDX-License-Identifier: MIT
#include "tests/support/shell_run.h"

#include <array>
#include <cstdio>

#include <sys/wait.h>

namespace zonedesk::test {

ShellRun runShell(const std::string& command)
{
    ShellRun run;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return run;
    std::array<char, 4096> buffer{};
    std::size_t n = 0;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        run.out.append(buffer.data(), n);
    const int status = ::pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

} // namespace zonedesk::test
