// SPDX-License-Identifier: MIT
// zonedesk-cli: parses the command line with CLI11 and runs one subcommand.
#include <functional>
#include <iostream>
#include <map>
#include <string>

#include "cli/command.h"
#include "core/library_versions.h"

namespace {

constexpr const char* Version = "1.0713";

std::string versionText()
{
    std::string text = std::string("zonedesk-cli ") + Version + "\n" + "core (Qt-free) " + Version + "\n";
    for (const zonedesk::core::LibraryVersion& library : zonedesk::core::libraryVersions())
        text += library.name + " " + library.version + "\n";
    return text + "CLI11 " + CLI11_VERSION;
}

/// The subcommand the command line chose, or null.
const CLI::App* chosen(const CLI::App& app)
{
    const auto subcommands = app.get_subcommands();
    return subcommands.empty() ? nullptr : subcommands.front();
}

int runCommandLine(int argc, char** argv)
{
    using namespace zonedesk::cli;
    const auto commands = allCommands();
    CLI::App app("Looks domain names up at their registries (WHOIS and RDAP) and reports their status, "
                 "dates, owner and registrar.",
                 "zonedesk-cli");
    // Made only when asked for: the versions load the modules of the libraries they name.
    app.set_version_flag("--version",
                         std::function<std::string()>(versionText),
                         "Print the version and the libraries' versions");
    app.require_subcommand(0, 1);
    app.footer("zonedesk-cli COMMAND --help (or zonedesk-cli help COMMAND) describes one command.\n"
               "Exit codes: 0 ok, 1 usage error, 2 file error, 3 a name near expiry, 4 a lookup\n"
               "failed, 130 interrupted.");
    std::map<const CLI::App*, Command*> byApp;
    for (const auto& command : commands) {
        CLI::App* sub = app.add_subcommand(std::string(command->name()), std::string(command->summary()));
        command->declare(*sub);
        byApp[sub] = command.get();
    }
    std::string helpTopic;
    CLI::App* help = app.add_subcommand("help", "Describe a command: zonedesk-cli help COMMAND");
    help->add_option("COMMAND", helpTopic, "The command to describe");

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        std::cout << e.what() << "\n";
        return ExitOk;
    } catch (const CLI::ParseError& e) {
        const CLI::App* sub = chosen(app);
        const std::string where = sub != nullptr ? "zonedesk-cli " + sub->get_name() : "zonedesk-cli";
        std::cerr << where << ": " << e.what() << "\n"
                  << "Try '" << where << " --help' for more information.\n";
        return ExitUsage;
    }

    const CLI::App* sub = chosen(app);
    if (sub == nullptr) {
        std::cerr << app.help();
        return ExitUsage;
    }
    if (sub == help) {
        if (helpTopic.empty()) {
            std::cout << app.help();
            return ExitOk;
        }
        for (const auto& [commandApp, command] : byApp) {
            if (commandApp->get_name() == helpTopic) {
                std::cout << commandApp->help(app.get_name());
                return ExitOk;
            }
        }
        std::cerr << "zonedesk-cli help: no command " << helpTopic << "\n"
                  << "Try 'zonedesk-cli --help' for the list.\n";
        return ExitUsage;
    }
    return byApp.at(sub)->run();
}

} // namespace

int main(int argc, char** argv)
{
    // A failure no command foresaw (memory, the file system) is told and ends the program cleanly.
    try {
        return runCommandLine(argc, argv);
    } catch (const std::exception& error) {
        std::cerr << "zonedesk-cli: " << error.what() << "\n";
    } catch (...) {
        std::cerr << "zonedesk-cli: an unexpected failure\n";
    }
    return zonedesk::cli::ExitFile;
}
