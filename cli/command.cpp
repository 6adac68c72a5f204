// SPDX-License-Identifier: MIT
// Shared parts of the subcommands.
#include "cli/command.h"

#include "cli/import_report.h"

namespace zonedesk::cli {

std::vector<std::unique_ptr<Command>> allCommands()
{
    std::vector<std::unique_ptr<Command>> commands;
    commands.push_back(makeLookupCommand());
    commands.push_back(makeImportCommand());
    commands.push_back(makeExportCommand());
    commands.push_back(makeCalendarCommand());
    commands.push_back(makeParseCommand());
    commands.push_back(makeReportCommand());
    commands.push_back(makeWatchCommand());
    commands.push_back(makeHistoryCommand());
    commands.push_back(makeRunsCommand());
    commands.push_back(makePruneCommand());
    commands.push_back(makeServeSamplesCommand());
    commands.push_back(makeServersCommand());
    commands.push_back(makeUpdateDataCommand());
    return commands;
}

void addEncodingOption(CLI::App& app, listfile::ListEncoding& encoding)
{
    app.add_option_function<std::string>(
           "--encoding",
           [&encoding](const std::string& value) {
               const auto chosen = parseEncoding(value);
               if (!chosen)
                   throw CLI::ValidationError("--encoding", "needs gbk or utf-8, not " + value);
               encoding = *chosen;
           },
           "Read the list as GBK or UTF-8 (default: UTF-8 or UTF-16 after a byte-order mark, UTF-8 "
           "when the bytes are UTF-8 text, otherwise GBK)")
        ->type_name("gbk|utf-8");
}

void addDbOption(CLI::App& app, std::string& path)
{
    app.add_option("--db", path, "The history database (default $XDG_DATA_HOME/zonedesk/history.sqlite3)")
        ->type_name("PATH");
}

CLI::Option* addWarnDaysOption(CLI::App& app, std::optional<std::int32_t>& days)
{
    return app
        .add_option_function<std::int32_t>(
            "--warn-days", [&days](std::int32_t value) { days = value; }, "Names expiring within N days")
        ->type_name("N")
        ->check(CLI::Range(0, 1'000'000));
}

} // namespace zonedesk::cli
