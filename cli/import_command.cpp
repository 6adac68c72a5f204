// SPDX-License-Identifier: MIT
// zonedesk-cli import FILE: the table an import makes, one record per line.
#include <iostream>

#include "cli/command.h"
#include "cli/import_report.h"
#include "core/encodings.h"
#include "core/field_copy.h"

namespace zonedesk::cli {

namespace {

class ImportCommand final : public Command
{
public:
    std::string_view name() const override { return "import"; }

    std::string usage() const override
    {
        return "usage: zonedesk-cli import [--encoding gbk|utf-8] FILE\n"
               "  Imports a domain list (one name per line; FILE - reads standard input) and\n"
               "  prints index<TAB>server<TAB>domain for every record, in UTF-8. The list is\n"
               "  read as UTF-8 or UTF-16 after a byte-order mark, as UTF-8 when its bytes are\n"
               "  UTF-8 text, otherwise as GBK; --encoding forces GBK or UTF-8.\n";
    }

    int run(std::span<const std::string_view> args) override
    {
        std::string_view file;
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
                continue;
            }
            if (arg.starts_with('-') && arg != "-")
                return usageError("unknown option " + std::string(arg));
            if (!file.empty())
                return usageError("more than one FILE");
            file = arg;
        }
        if (file.empty())
            return usageError("FILE is missing");

        const auto table = importForCommand(std::filesystem::path(file), encoding);
        if (!table)
            return ExitFile;
        const auto records = table->inUse();
        for (std::size_t i = 0; i < records.size(); ++i) {
            std::cout << i << '\t' << core::fieldText(records[i].server) << '\t'
                      << core::gbkToUtf8(core::fieldText(records[i].domain)) << '\n';
        }
        return ExitOk;
    }
};

} // namespace

std::unique_ptr<Command> makeImportCommand()
{
    return std::make_unique<ImportCommand>();
}

} // namespace zonedesk::cli
