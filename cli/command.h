// SPDX-License-Identifier: MIT
// One zonedesk-cli subcommand: its options declared as data on a CLI11 subcommand, then run.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "listfile/list_reader.h"

#include <CLI/CLI.hpp>

namespace zonedesk::cli {

/// Exit codes shared by every subcommand.
enum ExitCode : int
{
    ExitOk = 0,
    ExitUsage = 1,
    ExitFile = 2,
    ExitNearExpiry = 3,   // at least one name expires within the days asked for (or has expired)
    ExitLookupFailed = 4, // at least one lookup ended in ERR!, and no name is near expiry
    ExitNotifyFailed = 5, // watch: a message could not be delivered to one of its targets
    ExitInterrupted = 130,
};

class Command
{
public:
    virtual ~Command() = default;

    virtual std::string_view name() const = 0;

    /// What the command does, in one line (the top-level help lists it).
    virtual std::string_view summary() const = 0;

    /// Declares the options and arguments on the command's own subcommand.
    virtual void declare(CLI::App& app) = 0;

    /// Runs once the command line is parsed and checked; returns the process exit code.
    virtual int run() = 0;
};

/// Every subcommand, in the order the help lists them.
std::vector<std::unique_ptr<Command>> allCommands();

std::unique_ptr<Command> makeImportCommand();
std::unique_ptr<Command> makeExportCommand();
std::unique_ptr<Command> makeCalendarCommand();
std::unique_ptr<Command> makeParseCommand();
std::unique_ptr<Command> makeLookupCommand();
std::unique_ptr<Command> makeServeSamplesCommand();
std::unique_ptr<Command> makeReportCommand();
std::unique_ptr<Command> makeWatchCommand();
std::unique_ptr<Command> makeHistoryCommand();
std::unique_ptr<Command> makeRunsCommand();
std::unique_ptr<Command> makePruneCommand();
std::unique_ptr<Command> makeServersCommand();
std::unique_ptr<Command> makeUpdateDataCommand();

/// --encoding gbk|utf-8 (letter case ignored, "utf8" too), stored in `encoding`.
void addEncodingOption(CLI::App& app, listfile::ListEncoding& encoding);

/// --db PATH: the history database instead of the default one.
void addDbOption(CLI::App& app, std::string& path);

/// The near-expiry day count of the watch and the calendar's reminders when none is given.
inline constexpr std::int32_t DefaultWarnDays = 30;

/// --warn-days N: a whole number of days, 0 or more.
CLI::Option* addWarnDaysOption(CLI::App& app, std::optional<std::int32_t>& days);

} // namespace zonedesk::cli
