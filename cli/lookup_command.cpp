// SPDX-License-Identifier: MIT
// zonedesk-cli lookup NAME|FILE...: import, look every name up, write the results.
#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "cli/command.h"
#include "cli/expiry_report.h"
#include "cli/import_report.h"
#include "cli/progress_line.h"
#include "cli/text_output.h"
#include "core/domain_table.h"
#include "core/encodings.h"
#include "core/error_reason.h"
#include "core/field_copy.h"
#include "core/lookup_status.h"
#include "core/window_messages.h"
#include "listfile/csv_export.h"
#include "lookup/endpoints.h"
#include "lookup/history_recorder.h"
#include "lookup/history_store.h"
#include "lookup/lookup_run.h"
#include "lookup/message_queue.h"

namespace zonedesk::cli {

namespace {

using namespace std::chrono_literals;

constexpr int ExitInterrupted = 130;

volatile std::sig_atomic_t interrupted = 0;

extern "C" void onInterrupt(int)
{
    interrupted = 1;
}

/// Installs the Ctrl+C handler for the life of a run and puts the old one back afterwards.
class InterruptGuard
{
public:
    InterruptGuard()
    {
        interrupted = 0;

        struct sigaction action
        {};

        action.sa_handler = onInterrupt;
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGINT, &action, &m_oldInt);
        ::sigaction(SIGTERM, &action, &m_oldTerm);
    }

    ~InterruptGuard()
    {
        ::sigaction(SIGINT, &m_oldInt, nullptr);
        ::sigaction(SIGTERM, &m_oldTerm, nullptr);
    }

    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

private:
    struct sigaction m_oldInt
    {};

    struct sigaction m_oldTerm
    {};
};

volatile std::sig_atomic_t resized = 1; // read the terminal's width at the first line

extern "C" void onResize(int)
{
    resized = 1;
}

/// The terminal's width on standard error, read again after each SIGWINCH.
int terminalColumns()
{
    static int columns = 80;
    if (resized != 0) {
        resized = 0;
        winsize size{};
        if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
            columns = size.ws_col;
    }
    return columns;
}

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

bool anyFailed(const core::DomainTable& table)
{
    for (const core::DomainRecord& record : table.inUse()) {
        if (core::settledStatus(record) == static_cast<std::int32_t>(core::LookupStatus::Error))
            return true;
    }
    return false;
}

/// "finished: 12 domains, 9 成功, 2 ERR! (1 timed out, 1 throttled), 1 not looked up; 3 expire
/// within 30 days".
void printSummary(const core::DomainTable& table,
                  bool stopped,
                  std::optional<std::int32_t> warnDays,
                  std::size_t near)
{
    std::map<std::int32_t, int> perStatus;
    std::map<std::uint8_t, int> perReason;
    int unfinished = 0;
    for (const core::DomainRecord& record : table.inUse()) {
        const auto status = core::settledStatus(record);
        if (!status) {
            ++unfinished;
            continue;
        }
        ++perStatus[*status];
        if (*status == static_cast<std::int32_t>(core::LookupStatus::Error))
            ++perReason[core::errorReasonOf(record)];
    }
    std::cerr << (stopped ? "stopped" : "finished") << ": " << table.count() << " domains";
    for (const auto& [status, count] : perStatus) {
        const std::string_view text = core::statusText(status);
        std::cerr << ", " << count << " " << (text.empty() ? "?" : core::gbkToUtf8(text));
        if (status != static_cast<std::int32_t>(core::LookupStatus::Error))
            continue;
        const char* separator = " (";
        for (const auto& [reason, reasonCount] : perReason) {
            const std::string_view reasonText = core::errorReasonText(reason);
            std::cerr << separator << reasonCount << " " << (reasonText.empty() ? "no reason" : reasonText);
            separator = ", ";
        }
        std::cerr << ")";
    }
    if (unfinished > 0)
        std::cerr << ", " << unfinished << " not looked up";
    if (warnDays)
        std::cerr << "; " << near << " expire" << (near == 1 ? "s" : "") << " within " << *warnDays
                  << " days";
    std::cerr << "\n";
}

/// Record `index`'s changes when history is on; null otherwise.
const std::vector<lookup::Change>* changesOf(const lookup::HistoryRecorder* recorder, std::size_t index)
{
    return recorder != nullptr && recorder->active() ? &recorder->changesOf(index) : nullptr;
}

bool writeJsonl(const core::DomainTable& table,
                const std::string& path,
                const lookup::HistoryRecorder* recorder)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    const auto records = table.inUse();
    for (std::size_t i = 0; i < records.size() && out; ++i)
        out << recordJsonLine(records[i], i, changesOf(recorder, i));
    out.close();
    return !out.fail();
}

/// Whether `path` can be written, found out before a run rather than after it: the file is created
/// if it is missing (the run's results replace it) and left as it is otherwise.
bool checkWritable(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    if (fd < 0) {
        std::cerr << "zonedesk-cli: cannot write " << path << ": "
                  << std::error_code(errno, std::generic_category()).message() << "\n";
        return false;
    }
    ::close(fd);
    return true;
}

/// A new file in the temporary folder for results that could not go where they were asked to.
std::optional<std::string> fallbackPath(std::string_view extension)
{
    const char* folder = std::getenv("TMPDIR");
    std::string path = std::string(folder != nullptr && *folder != '\0' ? folder : "/tmp") +
                       "/zonedesk-results-XXXXXX" + std::string(extension);
    const int fd = ::mkstemps(path.data(), static_cast<int>(extension.size()));
    if (fd < 0)
        return std::nullopt;
    ::close(fd);
    return path;
}

/// Writes the results with `write` to `path`; when that fails, to a file in the temporary folder,
/// and when that fails too, as TSV on standard output: a finished run is never lost. False when
/// `path` could not be written.
template <typename Write>
bool writeOrRescue(const core::DomainTable& table,
                   const std::string& path,
                   std::string_view extension,
                   Write write)
{
    if (write(path))
        return true;
    if (const auto rescue = fallbackPath(extension); rescue && write(*rescue)) {
        std::cerr << "zonedesk-cli: the results are in " << *rescue << " instead\n";
        return false;
    }
    std::cerr << "zonedesk-cli: the results follow on standard output\n";
    const auto records = table.inUse();
    for (std::size_t i = 0; i < records.size(); ++i)
        std::cout << recordTsvLine(records[i], i);
    return false;
}

enum class Format
{
    Tsv,
    Csv,
    Jsonl,
};

/// The header rows --header adds: the TSV's field names, the CSV's column titles (GBK).
constexpr const char* TsvHeader =
    "index\tserver\tdomain\tstatusText\texpiryDate\tregistrationDate\tupdatedDate\towner\temail\tregistrar\n";
constexpr const char* CsvHeaderUtf8 =
    "\"whois服务器\",\"域名\",\"当前状态\",\"过期日期\",\"注册日期\",\"所有人\",\"联系Email\",\"注册商\"\r\n";

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
            "over RDAP when port 43 gives no answer. Ctrl+C stops the run and writes what is finished.\n"
            "--warn-days N lists the names expiring within N days after the results.\n"
            "Every finished lookup, with the registry's reply, is kept in the history database\n"
            "(zonedesk-cli history NAME, runs, prune); --changes lists what changed since each name's\n"
            "previous lookup, and JSONL records carry it as \"changes\".\n"
            "Environment: ZONEDESK_WHOIS_ENDPOINTS=\"HOST=ADDR[:PORT];...\", ZONEDESK_RDAP_ENDPOINTS=\n"
            "\"SUFFIX=URL;...\" route registries as --endpoint and --rdap-endpoint do.\n"
            "Exit 0: every name settled, none near expiry; 3: a name near expiry (or expired);\n"
            "4: a lookup failed (ERR!) and none near expiry; 1 usage, 2 file error, 130 interrupted.");
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
        // The history is a help, never a condition: a database that can't be used is said once
        // and the run goes on without it.
        std::vector<std::string> rawReplies;
        std::optional<lookup::HistoryRecorder> recorder;
        if (!m_noHistory) {
            recorder.emplace(
                m_dbPath.empty() ? lookup::defaultHistoryPath() : m_dbPath, *table, &rawReplies, "cli");
            if (!recorder->active()) {
                std::cerr << "zonedesk-cli: history is off for this run: " << recorder->error() << "\n";
                recorder.reset();
            }
        }
        const bool stopped =
            lookUp(*table, m_session, endpoints, m_quiet, recorder ? &*recorder : nullptr, &rawReplies);
        if (recorder && !recorder->active())
            std::cerr << "zonedesk-cli: history is off for this run: " << recorder->error() << "\n";
        const lookup::HistoryRecorder* history = recorder ? &*recorder : nullptr;
        const int written = writeResults(*table, csvPath, jsonlPath, history);
        if (toStdout)
            printResults(*table, *toStdout, m_header, history);
        if (m_showChanges)
            printChanges(toStdout ? std::cerr : std::cout, *table, history);
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
        return anyFailed(*table) ? ExitLookupFailed : ExitOk;
    }

private:
    /// Runs the lookups to their end or to Ctrl+C; true when interrupted.
    static bool lookUp(core::DomainTable& table,
                       const lookup::InternetSession& session,
                       const lookup::EndpointOverrides& endpoints,
                       bool quiet,
                       lookup::HistoryRecorder* recorder,
                       std::vector<std::string>* rawReplies)
    {
        const InterruptGuard guard;
        lookup::MessageQueue queue;
        lookup::LookupRun run(table, queue);
        run.setSession(session);
        run.setEndpoints(endpoints);
        if (recorder != nullptr)
            run.keepRawReplies(rawReplies);

        // Whatever happens to the run, what finished is written and the run closed.
        struct Finish
        {
            lookup::HistoryRecorder* recorder;

            ~Finish()
            {
                if (recorder != nullptr) {
                    recorder->finish();
                    recorder->wait(); // the changes are printed next
                }
            }
        } finish{recorder};

        const auto started = run.startLookups();
        if (started == lookup::LookupRun::StartResult::CannotStartThread)
            std::cerr << "zonedesk-cli: Cannot Start New Thread\n";
        if (started != lookup::LookupRun::StartResult::Running)
            return false;

        const bool showProgress = !quiet && ::isatty(STDERR_FILENO) == 1;

        struct sigaction resize
        {};

        resize.sa_handler = onResize;
        sigemptyset(&resize.sa_mask);

        struct sigaction oldResize
        {};

        if (showProgress)
            ::sigaction(SIGWINCH, &resize, &oldResize);
        const auto start = std::chrono::steady_clock::now();
        const bool finished = run.waitForEnd(
            queue,
            250ms,
            [] { return interrupted != 0; },
            [&] {
                if (recorder != nullptr)
                    recorder->tick(); // one transaction per tick
                if (showProgress)
                    std::cerr << "\r\033[K"
                              << progressLine(progressFacts(table,
                                                            std::chrono::steady_clock::now() - start,
                                                            run.throttledServers()),
                                              terminalColumns())
                              << std::flush;
            });
        if (showProgress) {
            std::cerr << "\r\033[K" << std::flush;
            ::sigaction(SIGWINCH, &oldResize, nullptr);
        }
        return !finished;
    }

    static int writeResults(const core::DomainTable& table,
                            const std::string& csvPath,
                            const std::string& jsonlPath,
                            const lookup::HistoryRecorder* history)
    {
        int result = ExitOk;
        if (!csvPath.empty()) {
            const bool written = writeOrRescue(table, csvPath, ".csv", [&](const std::string& path) {
                const auto report = listfile::exportCsv(table, path);
                if (!report.ok)
                    std::cerr << "zonedesk-cli: cannot write " << path << ": "
                              << std::error_code(report.error, std::generic_category()).message() << "\n";
                return report.ok;
            });
            result = written ? result : ExitFile;
        }
        if (!jsonlPath.empty()) {
            const bool written = writeOrRescue(table, jsonlPath, ".jsonl", [&](const std::string& path) {
                const bool ok = writeJsonl(table, path, history);
                if (!ok)
                    std::cerr << "zonedesk-cli: cannot write " << path << "\n";
                return ok;
            });
            result = written ? result : ExitFile;
        }
        return result;
    }

    static void printResults(const core::DomainTable& table,
                             Format format,
                             bool header,
                             const lookup::HistoryRecorder* history)
    {
        const auto records = table.inUse();
        if (header && format == Format::Tsv)
            std::cout << TsvHeader;
        if (header && format == Format::Csv)
            std::cout << core::utf8ToGbk(CsvHeaderUtf8);
        for (std::size_t i = 0; i < records.size(); ++i) {
            switch (format) {
            case Format::Tsv: std::cout << recordTsvLine(records[i], i); break;
            case Format::Csv: std::cout << listfile::csvLine(records[i]); break;
            case Format::Jsonl: std::cout << recordJsonLine(records[i], i, changesOf(history, i)); break;
            }
        }
        std::cout.flush();
    }

    /// name<TAB>change; change... for every name that changed since its previous lookup.
    static void
    printChanges(std::ostream& out, const core::DomainTable& table, const lookup::HistoryRecorder* history)
    {
        if (history == nullptr)
            return;
        const auto records = table.inUse();
        for (const std::size_t i : history->changedRecords()) {
            out << core::gbkToUtf8(core::fieldText(records[i].domain));
            const char* separator = "\t";
            for (const lookup::Change& change : history->changesOf(i)) {
                out << separator << lookup::changeText(change);
                separator = "; ";
            }
            out << "\n";
        }
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
    bool m_showChanges = false;
};

} // namespace

std::unique_ptr<Command> makeLookupCommand()
{
    return std::make_unique<LookupCommand>();
}

} // namespace zonedesk::cli
