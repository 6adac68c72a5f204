// SPDX-License-Identifier: MIT
// One zonedesk-cli subcommand.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zonedesk::cli {

/// Exit codes shared by every subcommand.
enum ExitCode : int
{
    ExitOk = 0,
    ExitUsage = 1,
    ExitFile = 2,
    ExitNearExpiry = 3,   // at least one name expires within the days asked for (or has expired)
    ExitLookupFailed = 4, // at least one lookup ended in ERR!, and no name is near expiry
};

/// A --warn-days value: a whole number of days, 0 or more.
std::optional<std::int32_t> parseDays(std::string_view text);

class Command
{
public:
    virtual ~Command() = default;

    virtual std::string_view name() const = 0;

    /// Usage text, ending in a newline.
    virtual std::string usage() const = 0;

    /// Runs with the arguments after the subcommand's name; returns the process exit code.
    virtual int run(std::span<const std::string_view> args) = 0;

protected:
    /// Prints the usage to stderr and returns ExitUsage.
    int usageError(std::string_view message) const;

    /// Prints the usage to stdout and returns ExitOk.
    int help() const;
};

/// Every subcommand, in the order the help lists them.
std::vector<std::unique_ptr<Command>> allCommands();

std::unique_ptr<Command> makeImportCommand();
std::unique_ptr<Command> makeExportCommand();
std::unique_ptr<Command> makeParseCommand();
std::unique_ptr<Command> makeLookupCommand();
std::unique_ptr<Command> makeServeSamplesCommand();
std::unique_ptr<Command> makeReportCommand();

} // namespace zonedesk::cli
