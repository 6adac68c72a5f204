// SPDX-License-Identifier: MIT
// zonedesk-cli export FILE -o OUT.csv: import, then export without lookups.
#include <iostream>
#include <system_error>

#include "cli/command.h"
#include "cli/import_report.h"
#include "listfile/csv_export.h"

namespace zonedesk::cli {

namespace {

class ExportCommand final : public Command
{
public:
    std::string_view name() const override { return "export"; }

    std::string usage() const override
    {
        return "usage: zonedesk-cli export [--encoding gbk|utf-8] FILE -o OUT.csv\n"
               "  Imports a domain list and writes it as CSV (GBK, CR LF, no header):\n"
               "  server, domain, status, expiry, registration, owner, e-mail, registrar.\n";
    }

    int run(std::span<const std::string_view> args) override
    {
        std::string_view file;
        std::string_view out;
        auto encoding = listfile::ListEncoding::Auto;
        for (std::size_t i = 0; i < args.size(); ++i) {
            const std::string_view arg = args[i];
            if (arg == "--help" || arg == "-h")
                return help();
            if (arg == "--encoding") {
                const auto chosen = i + 1 < args.size() ? parseEncoding(args[++i]) : std::nullopt;
                if (!chosen)
                    return usageError("--encoding needs gbk or utf-8");
                encoding = *chosen;
            } else if (arg == "-o" || arg == "--output") {
                if (i + 1 >= args.size())
                    return usageError("-o needs a file name");
                out = args[++i];
            } else if (arg.starts_with('-') && arg != "-") {
                return usageError("unknown option " + std::string(arg));
            } else if (!file.empty()) {
                return usageError("more than one FILE");
            } else {
                file = arg;
            }
        }
        if (file.empty() || out.empty())
            return usageError(file.empty() ? "FILE is missing" : "-o OUT.csv is missing");

        const auto table = importForCommand(std::filesystem::path(file), encoding);
        if (!table)
            return ExitFile;
        const listfile::ExportReport report = listfile::exportCsv(*table, std::filesystem::path(out));
        if (!report.ok) {
            std::cerr << "zonedesk-cli: cannot write " << std::filesystem::path(out) << ": "
                      << std::error_code(report.error, std::generic_category()).message() << " ("
                      << report.written << " lines written)\n";
            return ExitFile;
        }
        std::cerr << "exported " << report.written << " records to " << std::filesystem::path(out) << "\n";
        return ExitOk;
    }
};

} // namespace

std::unique_ptr<Command> makeExportCommand()
{
    return std::make_unique<ExportCommand>();
}

} // namespace zonedesk::cli
