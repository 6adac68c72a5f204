// SPDX-License-Identifier: MIT
// zonedesk-cli report FILE.jsonl --warn-days N: a previous run's near-expiry list, without a query.
#include <charconv>
#include <fstream>
#include <iostream>

#include "cli/command.h"
#include "cli/expiry_report.h"
#include "core/json_nesting.h"

#include <nlohmann/json.hpp>

namespace zonedesk::cli {

namespace {

class ReportCommand final : public Command
{
public:
    std::string_view name() const override { return "report"; }

    std::string_view summary() const override
    {
        return "List the names of an earlier run's JSONL that expire within N days";
    }

    void declare(CLI::App& app) override
    {
        app.add_option("FILE", m_file, "The JSONL of zonedesk-cli lookup --jsonl (- for standard input)")
            ->type_name("FILE.jsonl")
            ->required();
        addWarnDaysOption(app, m_days)->required();
        app.footer("Prints name<TAB>YYYY-MM-DD<TAB>days left, soonest first (expired names included).\n"
                   "Asks no registry. Exit 0 when none is near expiry, 3 when one is, 2 when FILE can't\n"
                   "be read.");
    }

    int run() override
    {
        const std::string& file = m_file;
        const std::optional<std::int32_t>& days = m_days;
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
            const auto record = core::jsonNestingWithin(line)
                                    ? nlohmann::json::parse(line, nullptr, false)
                                    : nlohmann::json(nlohmann::json::value_t::discarded);
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

private:
    std::string m_file;
    std::optional<std::int32_t> m_days;
};

} // namespace

std::unique_ptr<Command> makeReportCommand()
{
    return std::make_unique<ReportCommand>();
}

} // namespace zonedesk::cli
