// SPDX-License-Identifier: MIT
// zonedesk-cli calendar NAME|FILE... | --from-history: the names' expiry dates as an iCalendar
// file, one all-day event per name with a reminder before it, for a calendar program to import.
#include <cerrno>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <optional>
#include <system_error>

#include <unistd.h>

#include "cli/command.h"
#include "cli/import_report.h"
#include "cli/lookup_options.h"
#include "cli/lookup_with_history.h"
#include "cli/result_writers.h"
#include "core/calendar_date.h"
#include "core/data_files.h"
#include "core/domain_table.h"
#include "history/history_store.h"
#include "history/history_writer.h"
#include "listfile/renewal_calendar.h"

namespace zonedesk::cli {

namespace {

class CalendarCommand final : public Command
{
public:
    std::string_view name() const override { return "calendar"; }

    std::string_view summary() const override
    {
        return "Write the names' expiry dates as a calendar file (iCalendar) with reminders";
    }

    void declare(CLI::App& app) override
    {
        addInputs(app, m_inputs);
        app.add_flag("--from-history",
                     m_fromHistory,
                     "Take the last run's results from the history instead of looking names up");
        app.add_option(
               "-o,--output", m_out, "The calendar file to write; - for standard output (the default)")
            ->type_name("OUT.ics");
        addWarnDaysOption(app, m_warnDays)->description("Remind N days before each expiry (default 30)");
        m_options.declare(app);
        app.add_flag("-q,--quiet", m_quiet, "No progress line and no summary; only errors");
        app.add_flag("--no-history", m_noHistory, "Keep no history of this run");
        app.footer(
            "Looks the names up as lookup does (keeping the history), or with --from-history reads the\n"
            "last run's results (its whole list, each name as last looked up), and writes one all-day\n"
            "event per registered name on its expiry day: \"Renew NAME\", the registrar and the days left,\n"
            "and a reminder --warn-days days before. Each name's event keeps its UID from one file to the\n"
            "next, and a later file carries a higher SEQUENCE, so that importing it again updates the\n"
            "events. Names without a known expiry (not registered, failed, withheld, unreadable, or\n"
            "after 2999) are left out and counted. The file (UTF-8, CR LF) is written beside OUT.ics and\n"
            "renamed over it. Exit 0 written, 2 not written or the history unreadable, 4 a lookup failed\n"
            "(its name is left out), 1 usage, 130 interrupted (nothing written).");
    }

    int run() override
    {
        const bool toStdout = m_out.empty() || m_out == "-";
        if (m_fromHistory && (!m_inputs.file.empty() || !m_inputs.arguments.empty()))
            return usageError("give names or a list file, or --from-history, not both");
        if (!toStdout && !folderWritable())
            return ExitFile;
        // Said before a lookup rather than after it.
        if (const std::string why = listfile::calendarUnavailable(); !why.empty()) {
            std::cerr << "zonedesk-cli: no calendar: " << why << "\n";
            return ExitFile;
        }

        std::unique_ptr<core::DomainTable> table;
        int exitCode = ExitOk;
        if (m_fromHistory) {
            table = lastResults();
            if (!table)
                return ExitFile;
        } else {
            std::string why;
            const auto endpoints = m_options.resolve(why);
            if (!endpoints)
                return usageError(why);
            table = importInputs(m_inputs, m_options.encoding, m_quiet, exitCode);
            if (!table)
                return exitCode;
            if (table->count() == 0) {
                std::cerr << "zonedesk-cli: the list holds no name to look up\n";
                return ExitFile;
            }
            LookupWithHistory lookup(*table, m_options, *endpoints);
            const LookupWithHistory::End end = lookup.run(!m_noHistory, m_quiet);
            if (end == LookupWithHistory::End::Stopped) {
                // A calendar of a part of the list would pass for the whole.
                std::cerr << "zonedesk-cli: interrupted: no calendar written\n";
                return ExitInterrupted;
            }
            exitCode =
                end == LookupWithHistory::End::NotStarted || anyFailed(*table) ? ExitLookupFailed : ExitOk;
        }

        const listfile::RenewalCalendar calendar = listfile::renewalCalendar(
            *table, {m_warnDays.value_or(DefaultWarnDays), std::int64_t{std::time(nullptr)}, core::today()});
        if (calendar.text.empty()) {
            std::cerr << "zonedesk-cli: no calendar: " << calendar.error << "\n";
            return ExitFile;
        }
        std::string why;
        if (toStdout) {
            std::cout << calendar.text << std::flush;
            if (!std::cout) {
                std::cerr << "zonedesk-cli: standard output cannot be written\n";
                return ExitFile;
            }
        } else if (!core::writeFileAtomically(m_out, calendar.text, why)) {
            std::cerr << "zonedesk-cli: " << why << "\n";
            return ExitFile;
        }
        if (!m_quiet || calendar.leftOut > 0)
            std::cerr << "wrote " << calendar.events << " event" << (calendar.events == 1 ? "" : "s")
                      << " to " << (toStdout ? std::string("standard output") : m_out) << "; "
                      << calendar.leftOut << " name" << (calendar.leftOut == 1 ? "" : "s")
                      << " without a known expiry left out\n";
        return exitCode;
    }

private:
    /// The folder the file goes to takes a new file: checked before a run, not after it.
    bool folderWritable() const
    {
        const std::filesystem::path path(m_out);
        std::error_code error;
        if (std::filesystem::is_directory(path, error)) {
            std::cerr << "zonedesk-cli: cannot write " << m_out << ": it is a folder\n";
            return false;
        }
        const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
        if (!std::filesystem::exists(folder, error))
            return true; // made when the file is written
        const int refused = !std::filesystem::is_directory(folder, error) ? ENOTDIR
                            : ::access(folder.c_str(), W_OK | X_OK) != 0  ? errno
                                                                          : 0;
        if (refused != 0) {
            std::cerr << "zonedesk-cli: cannot write " << m_out << ": "
                      << std::error_code(refused, std::generic_category()).message() << "\n";
            return false;
        }
        return true;
    }

    /// The last run's list with each name's last results; null after saying why.
    std::unique_ptr<core::DomainTable> lastResults() const
    {
        std::string why;
        const auto store = history::HistoryStore::open(
            m_options.dbPath.empty() ? history::defaultHistoryPath() : m_options.dbPath, why);
        const auto last = store ? store->lastRunList(why) : std::nullopt;
        if (!last) {
            std::cerr << "zonedesk-cli: cannot read the history: " << why << "\n";
            return nullptr;
        }
        if (last->runId == 0) {
            std::cerr << "zonedesk-cli: the history holds no run yet: look the names up first\n";
            return nullptr;
        }
        auto table = core::DomainTable::allocate();
        if (!table) {
            std::cerr << "zonedesk-cli: not enough memory for the domain table\n";
            return nullptr;
        }
        history::restoreList(*table, *last);
        return table;
    }

    static int usageError(const std::string& message)
    {
        std::cerr << "zonedesk-cli calendar: " << message
                  << "\nTry 'zonedesk-cli calendar --help' for more information.\n";
        return ExitUsage;
    }

    Inputs m_inputs;
    LookupOptions m_options;
    std::string m_out;
    std::optional<std::int32_t> m_warnDays;
    bool m_fromHistory = false;
    bool m_quiet = false;
    bool m_noHistory = false;
};

} // namespace

std::unique_ptr<Command> makeCalendarCommand()
{
    return std::make_unique<CalendarCommand>();
}

} // namespace zonedesk::cli
