// SPDX-License-Identifier: MIT
// Shared parts of the subcommands.
#include "cli/command.h"

#include <iostream>

namespace zonedesk::cli {

int Command::usageError(std::string_view message) const
{
    std::cerr << "zonedesk-cli " << name() << ": " << message << "\n" << usage();
    return ExitUsage;
}

int Command::help() const
{
    std::cout << usage();
    return ExitOk;
}

std::vector<std::unique_ptr<Command>> allCommands()
{
    std::vector<std::unique_ptr<Command>> commands;
    commands.push_back(makeImportCommand());
    commands.push_back(makeParseCommand());
    commands.push_back(makeLookupCommand());
    commands.push_back(makeExportCommand());
    commands.push_back(makeReportCommand());
    commands.push_back(makeServeSamplesCommand());
    return commands;
}

} // namespace zonedesk::cli
