// SPDX-License-Identifier: MIT
// zonedesk-cli: dispatches to one subcommand.
#include <iostream>
#include <span>
#include <string_view>
#include <vector>

#include "cli/command.h"

namespace {

void printUsage(std::ostream& out, const std::vector<std::unique_ptr<zonedesk::cli::Command>>& commands)
{
    out << "usage: zonedesk-cli COMMAND [ARGS]\n\ncommands:\n";
    for (const auto& command : commands)
        out << "  " << command->name() << "\n";
    out << "\nzonedesk-cli COMMAND --help describes one command.\n";
}

} // namespace

int main(int argc, char** argv)
{
    using namespace zonedesk::cli;
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    const auto commands = allCommands();
    if (args.empty()) {
        printUsage(std::cerr, commands);
        return ExitUsage;
    }
    if (args.front() == "--help" || args.front() == "-h" || args.front() == "help") {
        printUsage(std::cout, commands);
        return ExitOk;
    }
    for (const auto& command : commands) {
        if (command->name() == args.front())
            return command->run(std::span(args).subspan(1));
    }
    std::cerr << "zonedesk-cli: unknown command " << args.front() << "\n";
    printUsage(std::cerr, commands);
    return ExitUsage;
}
