// SPDX-License-Identifier: MIT
// zonedesk-cli lookup FILE: import, look every name up, write the results.
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "cli/command.h"
#include "cli/expiry_report.h"
#include "cli/import_report.h"
#include "cli/text_output.h"
#include "core/domain_table.h"
#include "core/error_reason.h"
#include "core/field_copy.h"
#include "core/lookup_status.h"
#include "core/window_messages.h"
#include "listfile/csv_export.h"
#include "lookup/endpoints.h"
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

/// "whois.verisign-grs.com" -> "verisign-grs.com": enough to tell the servers apart on one line.
std::string_view shortHost(std::string_view host)
{
    return host.starts_with("whois.") ? host.substr(6) : host;
}

/// The wall-clock time of a steady-clock instant, as HH:MM:SS.
std::string clockTime(std::chrono::steady_clock::time_point when)
{
    const auto wall =
        std::chrono::system_clock::now() + std::chrono::duration_cast<std::chrono::system_clock::duration>(
                                               when - std::chrono::steady_clock::now());
    const std::time_t seconds = std::chrono::system_clock::to_time_t(wall);
    std::tm local{};
    ::localtime_r(&seconds, &local);
    char text[16];
    std::strftime(text, sizeof(text), "%H:%M:%S", &local);
    return text;
}

/// done/total, rate, per-server progress and throttled servers, for a terminal's status line.
std::string progressLine(const core::DomainTable& table,
                         std::chrono::steady_clock::duration elapsed,
                         const std::vector<lookup::LookupRun::ThrottleNotice>& throttled)
{
    std::map<std::string_view, std::pair<int, int>> perServer; // host -> done, total
    int done = 0;
    for (const core::DomainRecord& record : table.inUse()) {
        const bool finished = core::isDone(record);
        done += finished ? 1 : 0;
        const std::string_view host = core::fieldText(record.server);
        if (host.empty())
            continue;
        auto& [serverDone, serverTotal] = perServer[host];
        serverDone += finished ? 1 : 0;
        ++serverTotal;
    }
    const double seconds = std::chrono::duration<double>(elapsed).count();
    std::ostringstream line;
    line << done << "/" << table.count() << "  " << std::fixed << std::setprecision(1)
         << (seconds > 0 ? done / seconds : 0.0) << "/s";
    for (const auto& [host, counts] : perServer) {
        if (counts.first < counts.second)
            line << "  " << shortHost(host) << " " << counts.first << "/" << counts.second;
    }
    for (const auto& notice : throttled)
        line << "  " << notice.server << " throttled until " << clockTime(notice.retryAt);
    return line.str();
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

bool writeJsonl(const core::DomainTable& table, const std::string& path)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    const auto records = table.inUse();
    for (std::size_t i = 0; i < records.size() && out; ++i)
        out << recordJsonLine(records[i], i);
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

class LookupCommand final : public Command
{
public:
    std::string_view name() const override { return "lookup"; }

    std::string usage() const override
    {
        return "usage: zonedesk-cli lookup FILE [-o OUT.csv] [--jsonl OUT.jsonl] [--encoding gbk|utf-8]\n"
               "                            [--prefer-rdap] [--endpoint HOST=ADDR[:PORT]]...\n"
               "                            [--rdap-endpoint SUFFIX=URL]... [--warn-days N] [--quiet]\n"
               "  Imports FILE, looks every name up at its registry's WHOIS server and writes\n"
               "  the results: -o as CSV (GBK, the export's format), --jsonl as one JSON object\n"
               "  per record (UTF-8); with neither, one tab-separated line per record on\n"
               "  standard output. --endpoint (and ZONEDESK_WHOIS_ENDPOINTS=\"HOST=ADDR[:PORT];...\")\n"
               "  sends a registry host's queries to another address; --rdap-endpoint (and\n"
               "  ZONEDESK_RDAP_ENDPOINTS=\"SUFFIX=URL;...\") a suffix's RDAP queries. .info is\n"
               "  asked over RDAP only; .com, .net, .org, .biz, .tv and .cc over port 43 first and\n"
               "  over RDAP when port 43 gives no answer (--prefer-rdap: RDAP first). Ctrl+C stops the run "
               "and\n"
               "  writes what is finished. --warn-days N then lists the names expiring within N days\n"
               "  (name<TAB>YYYY-MM-DD<TAB>days left, soonest first) after the results.\n"
               "  Exit 0: every name settled and none near expiry; 3: a name near expiry (or\n"
               "  expired); 4: a lookup failed (ERR!) and none near expiry; 1 usage, 2 file error,\n"
               "  130 interrupted.\n";
    }

    int run(std::span<const std::string_view> args) override
    {
        std::string file;
        std::string csvPath;
        std::string jsonlPath;
        bool quiet = false;
        std::optional<std::int32_t> warnDays;
        auto encoding = listfile::ListEncoding::Auto;
        lookup::InternetSession session;
        lookup::EndpointOverrides endpoints;
        if (!endpoints.addFromEnvironment())
            return usageError(std::string(lookup::EndpointsVariable) + " or " +
                              lookup::RdapEndpointsVariable + " is malformed");
        for (std::size_t i = 0; i < args.size(); ++i) {
            const std::string_view arg = args[i];
            const bool hasValue = i + 1 < args.size();
            if (arg == "--help" || arg == "-h")
                return help();
            if (arg == "--quiet" || arg == "-q") {
                quiet = true;
            } else if (arg == "--warn-days") {
                warnDays = hasValue ? parseDays(args[++i]) : std::nullopt;
                if (!warnDays)
                    return usageError("--warn-days needs a number of days");
            } else if (arg == "--prefer-rdap") {
                session.preferRdap = true;
            } else if (arg == "--rdap-endpoint") {
                if (!hasValue || !endpoints.addRdap(args[++i]))
                    return usageError("--rdap-endpoint needs SUFFIX=URL (http or https)");
            } else if (arg == "-o" || arg == "--output" || arg == "--jsonl" || arg == "--endpoint" ||
                       arg == "--encoding") {
                if (!hasValue)
                    return usageError(std::string(arg) + " needs a value");
                const std::string_view value = args[++i];
                if (arg == "--encoding") {
                    const auto chosen = parseEncoding(value);
                    if (!chosen)
                        return usageError("--encoding needs gbk or utf-8");
                    encoding = *chosen;
                } else if (arg == "--jsonl")
                    jsonlPath = value;
                else if (arg == "--endpoint" && !endpoints.add(value))
                    return usageError("malformed --endpoint " + std::string(value));
                else if (arg != "--endpoint")
                    csvPath = value;
            } else if (arg.starts_with('-') && arg != "-") {
                return usageError("unknown option " + std::string(arg));
            } else if (!file.empty()) {
                return usageError("more than one FILE");
            } else {
                file = arg;
            }
        }
        if (file.empty())
            return usageError("FILE is missing");
        for (const std::string& path : {csvPath, jsonlPath}) {
            if (!path.empty() && !checkWritable(path))
                return ExitFile;
        }

        const auto table = importForCommand(file, encoding);
        if (!table)
            return ExitFile;
        const bool stopped = lookUp(*table, session, endpoints, quiet);
        const int written = writeResults(*table, csvPath, jsonlPath);
        std::vector<NearName> near;
        if (warnDays)
            near = nearExpiryNames(*table, *warnDays, core::today());
        if (!quiet)
            printSummary(*table, stopped, warnDays, near.size());
        if (warnDays) {
            // After the results; on standard error when the results themselves went to standard output.
            const bool resultsOnStdout = csvPath.empty() && jsonlPath.empty();
            printNearExpiry(resultsOnStdout ? std::cerr : std::cout, near);
        }
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
                       bool quiet)
    {
        const InterruptGuard guard;
        lookup::MessageQueue queue;
        lookup::LookupRun run(table, queue);
        run.setSession(session);
        run.setEndpoints(endpoints);
        const auto started = run.startLookups();
        if (started == lookup::LookupRun::StartResult::CannotStartThread)
            std::cerr << "zonedesk-cli: Cannot Start New Thread\n";
        if (started != lookup::LookupRun::StartResult::Running)
            return false;

        const bool showProgress = !quiet && ::isatty(STDERR_FILENO) == 1;
        const auto start = std::chrono::steady_clock::now();
        const bool finished = run.waitForEnd(
            queue,
            250ms,
            [] { return interrupted != 0; },
            [&] {
                if (showProgress)
                    std::cerr << "\r\033[K"
                              << progressLine(
                                     table, std::chrono::steady_clock::now() - start, run.throttledServers())
                              << std::flush;
            });
        if (showProgress)
            std::cerr << "\r\033[K";
        return !finished;
    }

    static int
    writeResults(const core::DomainTable& table, const std::string& csvPath, const std::string& jsonlPath)
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
                const bool ok = writeJsonl(table, path);
                if (!ok)
                    std::cerr << "zonedesk-cli: cannot write " << path << "\n";
                return ok;
            });
            result = written ? result : ExitFile;
        }
        if (csvPath.empty() && jsonlPath.empty()) {
            const auto records = table.inUse();
            for (std::size_t i = 0; i < records.size(); ++i)
                std::cout << recordTsvLine(records[i], i);
        }
        return result;
    }
};

} // namespace

std::unique_ptr<Command> makeLookupCommand()
{
    return std::make_unique<LookupCommand>();
}

} // namespace zonedesk::cli
