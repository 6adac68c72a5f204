// SPDX-License-Identifier: MIT
// zonedesk-cli report FILE.jsonl --warn-days N: a previous run's near-expiry list, without a query.
#include <charconv>
#include <fstream>
#include <iostream>

#include "cli/command.h"
#include "cli/expiry_report.h"

#include <nlohmann/json.hpp>

namespace zonedesk::cli {

namespace {

class ReportCommand final : public Command
{
public:
    std::string_view name() const override { return "report"; }

    std::string usage() const override
    {
        return "usage: zonedesk-cli report FILE.jsonl --warn-days N\n"
               "  Reads the JSONL of an earlier `zonedesk-cli lookup --jsonl` (- for standard input)\n"
               "  and prints the names whose expiry lies within N days from today (expired ones\n"
               "  included) as name<TAB>YYYY-MM-DD<TAB>days left, soonest first. Asks no registry.\n"
               "  Exit 0 when none is near expiry, 3 when one is, 2 when FILE can't be read.\n";
    }

    int run(std::span<const std::string_view> args) override
    {
        std::string file;
        std::optional<std::int32_t> days;
        for (std::size_t i = 0; i < args.size(); ++i) {
            if (args[i] == "--help" || args[i] == "-h")
                return help();
            if (args[i] == "--warn-days") {
                days = i + 1 < args.size() ? parseDays(args[++i]) : std::nullopt;
                if (!days)
                    return usageError("--warn-days needs a number of days");
            } else if (args[i].starts_with('-') && args[i] != "-") {
                return usageError("unknown option " + std::string(args[i]));
            } else if (!file.empty()) {
                return usageError("more than one FILE");
            } else {
                file = args[i];
            }
        }
        if (file.empty() || !days)
            return usageError(file.empty() ? "FILE is missing" : "--warn-days N is missing");

        std::ifstream opened;
        if (file != "-")
            opened.open(file, std::ios::binary);
        std::istream& in = file == "-" ? std::cin : opened;
        if (!in) {
            std::cerr << "zonedesk-cli: cannot read " << file << "\n";
            return ExitFile;
        }
        const core::CalendarDate today = core::today();
        std::vector<NearName> names;
        std::string line;
        int unreadable = 0;
        while (std::getline(in, line)) {
            if (line.empty())
                continue;
            const auto record = nlohmann::json::parse(line, nullptr, false);
            if (record.is_discarded() || !record.is_object()) {
                ++unreadable;
                continue;
            }
            const auto expiry = record.find("expiry");
            const auto domain = record.find("domain");
            if (expiry == record.end() || !expiry->is_string() || domain == record.end() ||
                !domain->is_string())
                continue;
            const auto date = core::readDate(expiry->get<std::string>());
            if (date && core::daysBetween(today, *date) <= *days)
                names.push_back({domain->get<std::string>(), *date, core::daysBetween(today, *date)});
        }
        if (unreadable > 0)
            std::cerr << "zonedesk-cli: " << unreadable << " line" << (unreadable == 1 ? "" : "s") << " of "
                      << file << " are not JSON records\n";
        const bool near = !names.empty();
        printNearExpiry(std::cout, std::move(names));
        return near ? ExitNearExpiry : ExitOk;
    }
};

} // namespace

std::optional<std::int32_t> parseDays(std::string_view text)
{
    std::int32_t days = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), days);
    if (error != std::errc() || end != text.data() + text.size() || days < 0)
        return std::nullopt;
    return days;
}

std::unique_ptr<Command> makeReportCommand()
{
    return std::make_unique<ReportCommand>();
}

} // namespace zonedesk::cli
