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

    std::string_view summary() const override
    {
        return "Write a domain list (or names) as the CSV export, unlooked-up";
    }

    void declare(CLI::App& app) override
    {
        addInputs(app, m_inputs);
        addEncodingOption(app, m_encoding);
        app.add_option("-o,--output", m_out, "The CSV file to write")->type_name("OUT.csv")->required();
        app.add_flag("-q,--quiet", m_quiet, "Say only what went wrong");
        app.footer("The CSV is GBK with CR LF line ends and no header: server, domain, status, expiry,\n"
                   "registration, owner, e-mail, registrar.");
    }

    int run() override
    {
        int exitCode = ExitOk;
        const auto table = importInputs(m_inputs, m_encoding, m_quiet, exitCode);
        if (!table)
            return exitCode;
        const std::filesystem::path out(m_out);
        const listfile::ExportReport report = listfile::exportCsv(*table, out);
        if (!report.ok) {
            std::cerr << "zonedesk-cli: cannot write " << out << ": "
                      << std::error_code(report.error, std::generic_category()).message() << " ("
                      << report.written << " lines written)\n";
            return ExitFile;
        }
        if (!m_quiet)
            std::cerr << "exported " << report.written << " records to " << out << "\n";
        return ExitOk;
    }

private:
    Inputs m_inputs;
    listfile::ListEncoding m_encoding = listfile::ListEncoding::Auto;
    std::string m_out;
    bool m_quiet = false;
};

} // namespace

std::unique_ptr<Command> makeExportCommand()
{
    return std::make_unique<ExportCommand>();
}

} // namespace zonedesk::cli
