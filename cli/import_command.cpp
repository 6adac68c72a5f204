// SPDX-License-Identifier: MIT
// zonedesk-cli import NAME|FILE...: the table an import makes, one record per line.
#include <iostream>

#include "cli/command.h"
#include "cli/import_report.h"
#include "cli/text_output.h"

namespace zonedesk::cli {

namespace {

class ImportCommand final : public Command
{
public:
    std::string_view name() const override { return "import"; }

    std::string_view summary() const override
    {
        return "Read a domain list (or names) and print each record's server and name";
    }

    void declare(CLI::App& app) override
    {
        addInputs(app, m_inputs);
        addEncodingOption(app, m_encoding);
        app.add_flag("-q,--quiet", m_quiet, "Say only what was left out");
        app.footer("Prints index<TAB>server<TAB>domain for every record, in UTF-8; a name that may pass\n"
                   "for another (mixed scripts, look-alike letters) has its A-label beside it.");
    }

    int run() override
    {
        int exitCode = ExitOk;
        const auto table = importInputs(m_inputs, m_encoding, m_quiet, exitCode);
        if (!table)
            return exitCode;
        const auto records = table->inUse();
        for (std::size_t i = 0; i < records.size(); ++i) {
            std::cout << i << '\t' << core::fieldText(records[i].server) << '\t' << shownDomain(records[i])
                      << '\n';
        }
        return ExitOk;
    }

private:
    Inputs m_inputs;
    listfile::ListEncoding m_encoding = listfile::ListEncoding::Auto;
    bool m_quiet = false;
};

} // namespace

std::unique_ptr<Command> makeImportCommand()
{
    return std::make_unique<ImportCommand>();
}

} // namespace zonedesk::cli
