// SPDX-License-Identifier: MIT
// zonedesk-cli lookup NAME|FILE...: import, look every name up, write the results.
#include <iostream>
#include <memory>
#include <optional>
#include <vector>

#include "cli/command.h"
#include "cli/expiry_report.h"
#include "cli/import_report.h"
#include "cli/lookup_options.h"
#include "cli/lookup_with_history.h"
#include "cli/result_writers.h"
#include "core/domain_table.h"
#include "history/history_writer.h"

namespace zonedesk::cli {

namespace {

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
        m_options.declare(app);
        addWarnDaysOption(app, m_warnDays);
        app.add_flag("-q,--quiet", m_quiet, "No progress line and no summary; only errors");
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
        std::string why;
        const auto endpoints = m_options.resolve(why);
        if (!endpoints)
            return usageError(why);
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
        const auto table = importInputs(m_inputs, m_options.encoding, m_quiet, exitCode);
        if (!table)
            return exitCode;
        if (table->count() == 0) {
            // Nothing was looked up: no result to write, and no success to report.
            std::cerr << "zonedesk-cli: the list holds no name to look up\n";
            return ExitFile;
        }
        LookupWithHistory lookup(*table, m_options, *endpoints);
        const LookupWithHistory::End end = lookup.run(!m_noHistory, m_quiet);
        const history::HistoryWriter* recorded = lookup.runHistory();
        const bool stopped = end == LookupWithHistory::End::Stopped;
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
        return end == LookupWithHistory::End::NotStarted || anyFailed(*table) ? ExitLookupFailed : ExitOk;
    }

private:
    int usageError(const std::string& message) const
    {
        std::cerr << "zonedesk-cli lookup: " << message
                  << "\nTry 'zonedesk-cli lookup --help' for more information.\n";
        return ExitUsage;
    }

    Inputs m_inputs;
    LookupOptions m_options;
    std::string m_csvPath;
    std::string m_jsonlPath;
    Format m_format = Format::Tsv;
    bool m_formatGiven = false;
    bool m_header = false;
    bool m_quiet = false;
    std::optional<std::int32_t> m_warnDays;
    bool m_noHistory = false;
    bool m_showChanges = false;
};

} // namespace

std::unique_ptr<Command> makeLookupCommand()
{
    return std::make_unique<LookupCommand>();
}

} // namespace zonedesk::cli
