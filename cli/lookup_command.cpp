// SPDX-License-Identifier: MIT
// zonedesk-cli lookup NAME|FILE...: import, look every name up, write the results.
#include <chrono>
#include <cmath>
#include <iostream>
#include <memory>
#include <optional>
#include <vector>

#include <unistd.h>

#include "cli/command.h"
#include "cli/expiry_report.h"
#include "cli/import_report.h"
#include "cli/interrupt_guard.h"
#include "cli/progress_line.h"
#include "cli/result_writers.h"
#include "core/domain_table.h"
#include "core/service_choice.h"
#include "core/user_settings.h"
#include "history/history_recorder.h"
#include "history/history_store.h"
#include "lookup/endpoints.h"
#include "lookup/recorded_run.h"

namespace zonedesk::cli {

namespace {

using namespace std::chrono_literals;

constexpr int ExitInterrupted = 130;

ProgressFacts progressFacts(const core::DomainTable& table,
                            std::chrono::steady_clock::duration elapsed,
                            const std::vector<lookup::LookupRun::ThrottleNotice>& throttled)
{
    ProgressFacts facts;
    for (const core::DomainRecord& record : table.inUse())
        facts.done += core::isDone(record) ? 1U : 0U;
    facts.total = static_cast<std::size_t>(table.count());
    facts.seconds = std::chrono::duration<double>(elapsed).count();
    const auto now = std::chrono::steady_clock::now();
    for (const auto& notice : throttled) {
        std::string_view host = notice.server;
        if (host.starts_with("whois."))
            host.remove_prefix(6);
        facts.waiting.push_back(
            {std::string(host), std::chrono::duration<double>(notice.retryAt - now).count()});
    }
    return facts;
}

class LookupCommand final : public Command
{
public:
    std::string_view name() const override { return "lookup"; }

    std::string_view summary() const override
    {
        return "Look names up at their registries and print or write the results";
    }

    void declare(CLI::App& app) override
    {
        addInputs(app, m_inputs);
        app.add_option("-o,--output",
                       m_csvPath,
                       "Write the results as CSV (GBK, the export's format); - for "
                       "standard output")
            ->type_name("OUT.csv");
        app.add_option(
               "-j,--jsonl", m_jsonlPath, "Write one JSON object per record (UTF-8); - for standard output")
            ->type_name("OUT.jsonl");
        app.add_option_function<std::string>(
               "--format",
               [this](const std::string& value) {
                   m_format = value == "csv" ? Format::Csv : value == "jsonl" ? Format::Jsonl : Format::Tsv;
                   m_formatGiven = true;
               },
               "Standard output's format (default tsv when nothing else goes there)")
            ->type_name("tsv|csv|jsonl")
            ->check(CLI::IsMember({"tsv", "csv", "jsonl"}));
        app.add_flag("--header", m_header, "Begin TSV or CSV on standard output with a header row");
        addEncodingOption(app, m_encoding);
        app.add_flag("--prefer-rdap", m_session.preferRdap, "Ask over RDAP first wherever a registry has it");
        app.add_flag(
            "--ten-registries",
            m_tenRegistries,
            "Look names up only where one of the ten registries with rules of their own serves them");
        app.add_option("--jobs", m_jobs, "Ask at most N servers at once (default 32)")
            ->type_name("N")
            ->check(CLI::Range(1, core::UserSettings::MaxJobs));
        app.add_option(
               "--endpoint", m_endpointArgs, "Send a registry host's WHOIS queries to another address")
            ->type_name("HOST=ADDR[:PORT]")
            ->allow_extra_args(false);
        app.add_option(
               "--rdap-endpoint", m_rdapEndpointArgs, "Send a suffix's RDAP queries to another base URL")
            ->type_name("SUFFIX=URL")
            ->allow_extra_args(false);
        addWarnDaysOption(app, m_warnDays);
        app.add_option(
               "--connect-timeout", m_connectSeconds, "Give up a connection after SECONDS (default 3)")
            ->type_name("SECONDS")
            ->check(CLI::Range(0.1, 600.0));
        app.add_option("--timeout", m_exchangeSeconds, "Give up a whole exchange after SECONDS (default 60)")
            ->type_name("SECONDS")
            ->check(CLI::Range(1.0, 3600.0));
        app.add_flag("-q,--quiet", m_quiet, "No progress line and no summary; only errors");
        addDbOption(app, m_dbPath);
        app.add_flag("--no-history", m_noHistory, "Keep no history of this run");
        app.add_flag("--changes",
                     m_showChanges,
                     "After the results, list the names that changed since their previous lookup");
        app.footer(
            "An argument that names an existing file, holds a slash or is - is a list file, one name per\n"
            "line; any other argument is a domain name (IDN in UTF-8 too). With no -o, -j or --format the "
            "results go to\n"
            "standard output as index, server, domain, status and the six fields, tab-separated.\n"
            ".info is asked over RDAP only; .com, .net, .org, .biz, .tv and .cc over port 43 first and\n"
            "over RDAP when port 43 gives no answer. Every other name is asked as its registrable domain\n"
            "(public suffix list): generic TLDs over RDAP first (IANA's bootstrap), country codes over\n"
            "port 43 first (the shipped host table), IANA's referral for a TLD neither names; the other\n"
            "service when the first gives no answer. Ctrl+C stops the run and writes what is finished.\n"
            "--warn-days N lists the names expiring within N days after the results.\n"
            "Every finished lookup, with the registry's reply, is kept in the history database\n"
            "(zonedesk-cli history NAME, runs, prune); --changes lists what changed since each name's\n"
            "previous lookup, and JSONL records carry it as \"changes\".\n"
            "Environment: ZONEDESK_WHOIS_ENDPOINTS=\"HOST=ADDR[:PORT];...\", ZONEDESK_RDAP_ENDPOINTS=\n"
            "\"SUFFIX=URL;...\" route registries as --endpoint and --rdap-endpoint do.\n"
            "Exit 0: every name settled, none near expiry; 3: a name near expiry (or expired);\n"
            "4: a lookup failed (ERR!) and none near expiry; 1 usage, 2 file error or no name to look up,\n"
            "130 interrupted.");
    }

    int run() override
    {
        lookup::EndpointOverrides endpoints;
        if (!endpoints.addFromEnvironment())
            return usageError(std::string(lookup::EndpointsVariable) + " or " +
                              lookup::RdapEndpointsVariable + " is malformed");
        for (const std::string& value : m_endpointArgs) {
            if (!endpoints.add(value))
                return usageError("malformed --endpoint " + value + " (HOST=ADDR[:PORT])");
        }
        for (const std::string& value : m_rdapEndpointArgs) {
            if (!endpoints.addRdap(value))
                return usageError("malformed --rdap-endpoint " + value + " (SUFFIX=URL, http or https)");
        }
        if (m_connectSeconds)
            m_session.connectTimeout = std::chrono::milliseconds(std::lround(*m_connectSeconds * 1000));
        if (m_exchangeSeconds)
            m_session.exchangeLimit = std::chrono::milliseconds(std::lround(*m_exchangeSeconds * 1000));
        if (m_csvPath == "-" && m_jsonlPath == "-")
            return usageError("-o - and -j - would both write to standard output");
        std::optional<Format> toStdout;
        if (m_formatGiven)
            toStdout = m_format;
        else if (m_csvPath == "-")
            toStdout = Format::Csv;
        else if (m_jsonlPath == "-")
            toStdout = Format::Jsonl;
        else if (m_csvPath.empty() && m_jsonlPath.empty())
            toStdout = Format::Tsv;
        const std::string csvPath = m_csvPath == "-" ? std::string() : m_csvPath;
        const std::string jsonlPath = m_jsonlPath == "-" ? std::string() : m_jsonlPath;
        for (const std::string& path : {csvPath, jsonlPath}) {
            if (!path.empty() && !checkWritable(path))
                return ExitFile;
        }

        int exitCode = ExitOk;
        const auto table = importInputs(m_inputs, m_encoding, m_quiet, exitCode);
        if (!table)
            return exitCode;
        if (table->count() == 0) {
            // Nothing was looked up: no result to write, and no success to report.
            std::cerr << "zonedesk-cli: the list holds no name to look up\n";
            return ExitFile;
        }
        if (!m_tenRegistries) {
            const core::ServiceData& services = core::defaultServiceData();
            for (const std::string& problem : services.problems)
                std::cerr << "zonedesk-cli: " << problem << "\n";
            core::assignOtherServices(*table, services);
        }
        lookup::MessageQueue queue;
        lookup::RecordedRun run(*table, queue);
        run.setSession(m_session);
        run.setEndpoints(endpoints);
        run.setMaxWorkers(m_jobs);
        // The history is a help, never a condition: a database that can't be used is said once
        // and the run goes on without it.
        const auto historyOff = [](const std::string& why) {
            std::cerr << "zonedesk-cli: history is off for this run: " << why << "\n";
        };
        std::unique_ptr<history::HistoryRecorder> recorder;
        std::string why;
        if (!m_noHistory) {
            recorder = history::HistoryRecorder::open(
                m_dbPath.empty() ? history::defaultHistoryPath() : m_dbPath, *table, "cli", why);
            if (!recorder)
                historyOff(why);
        }
        history::HistoryRecorder* recorded = recorder.get(); // the run owns it from here on
        const RunEnd end = lookUp(run, queue, *table, std::move(recorder), m_quiet);
        if (recorded != nullptr && !recorded->active()) {
            historyOff(recorded->error());
            recorded = nullptr;
        }
        const bool stopped = end == RunEnd::Stopped;
        const int written = writeResults(*table, csvPath, jsonlPath, recorded);
        if (toStdout)
            printResults(*table, *toStdout, m_header, recorded);
        if (m_showChanges)
            printChanges(toStdout ? std::cerr : std::cout, *table, recorded);
        std::vector<NearName> near;
        if (m_warnDays)
            near = nearExpiryNames(*table, *m_warnDays, core::today());
        if (!m_quiet)
            printSummary(*table, stopped, m_warnDays, near.size());
        if (m_warnDays) // after the results; on standard error when they went to standard output
            printNearExpiry(toStdout ? std::cerr : std::cout, near);
        if (written != ExitOk)
            return written;
        if (stopped)
            return ExitInterrupted;
        if (!near.empty())
            return ExitNearExpiry;
        // Names a run that could not start left unasked are no success either.
        return end == RunEnd::NotStarted || anyFailed(*table) ? ExitLookupFailed : ExitOk;
    }

private:
    enum class RunEnd
    {
        Finished,
        Stopped,    // by Ctrl+C or SIGTERM
        NotStarted, // a worker thread could not start: names are left unasked
    };

    /// Runs the lookups to their end or to Ctrl+C. The recorder has written everything when it
    /// returns (the changes are printed next).
    static RunEnd lookUp(lookup::RecordedRun& run,
                         lookup::MessageQueue& queue,
                         const core::DomainTable& table,
                         std::unique_ptr<history::HistoryRecorder> recorder,
                         bool quiet)
    {
        const InterruptGuard guard;
        const auto started = run.start(std::move(recorder));
        bool finished = true;
        if (started == lookup::LookupRun::StartResult::Running) {
            const bool showProgress = !quiet && ::isatty(STDERR_FILENO) == 1;
            std::optional<ResizeWatch> resizes;
            if (showProgress)
                resizes.emplace();
            const auto start = std::chrono::steady_clock::now();
            finished = run.waitForEnd(queue, 250ms, &InterruptGuard::interrupted, [&] {
                if (showProgress)
                    std::cerr << "\r\033[K"
                              << progressLine(progressFacts(table,
                                                            std::chrono::steady_clock::now() - start,
                                                            run.throttledServers()),
                                              ResizeWatch::columns())
                              << std::flush;
            });
            if (showProgress)
                std::cerr << "\r\033[K" << std::flush;
        }
        run.waitForRecorder();
        if (started == lookup::LookupRun::StartResult::CannotStartThread || run.startFailed()) {
            std::cerr << "zonedesk-cli: Cannot Start New Thread\n";
            return RunEnd::NotStarted;
        }
        return finished ? RunEnd::Finished : RunEnd::Stopped;
    }

    int usageError(const std::string& message) const
    {
        std::cerr << "zonedesk-cli lookup: " << message
                  << "\nTry 'zonedesk-cli lookup --help' for more information.\n";
        return ExitUsage;
    }

    Inputs m_inputs;
    std::string m_csvPath;
    std::string m_jsonlPath;
    Format m_format = Format::Tsv;
    bool m_formatGiven = false;
    bool m_header = false;
    bool m_quiet = false;
    listfile::ListEncoding m_encoding = listfile::ListEncoding::Auto;
    lookup::InternetSession m_session;
    std::vector<std::string> m_endpointArgs;
    std::vector<std::string> m_rdapEndpointArgs;
    std::optional<std::int32_t> m_warnDays;
    std::optional<double> m_connectSeconds;
    std::optional<double> m_exchangeSeconds;
    std::string m_dbPath;
    bool m_noHistory = false;
    bool m_tenRegistries = false;
    std::int32_t m_jobs = core::UserSettings::DefaultJobs;
    bool m_showChanges = false;
};

} // namespace

std::unique_ptr<Command> makeLookupCommand()
{
    return std::make_unique<LookupCommand>();
}

} // namespace zonedesk::cli
