// SPDX-License-Identifier: MIT
// zonedesk-cli report FILE.jsonl --warn-days N: a previous run's near-expiry list, without a query.
#include <iostream>
#include <new>
#include <system_error>

#include <unistd.h>

#include "cli/command.h"
#include "cli/expiry_report.h"
#include "listfile/expiry_jsonl.h"
#include "listfile/regular_file.h"

namespace zonedesk::cli {

namespace {

/// Why reading stopped before the end of the input.
std::string stopReason(const listfile::ExpiryJsonl& read)
{
    using listfile::ListReader;
    switch (read.end) {
    case ListReader::End::Binary: return "a NUL byte, so it is not JSONL";
    case ListReader::End::ReadLimit:
        return "it is longer than " + std::to_string(ListReader::ReadLimit >> 20) + " MiB";
    case ListReader::End::ReadError: return std::error_code(read.error, std::generic_category()).message();
    case ListReader::End::None:
    case ListReader::End::EndOfFile: break;
    }
    return "reading stopped";
}

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
                   "be read to its end (a device, a NUL byte, more than 64 MiB).");
    }

    int run() override
    {
        listfile::OpenedFile opened;
        if (m_file != "-") {
            opened = listfile::openRegularFile(m_file);
            if (opened.outcome == listfile::OpenOutcome::InvalidFile) {
                std::cerr << "zonedesk-cli: cannot read " << m_file << ": "
                          << std::error_code(opened.error, std::generic_category()).message() << "\n";
                return ExitFile;
            }
            if (opened.outcome == listfile::OpenOutcome::NotAFile) {
                std::cerr
                    << "zonedesk-cli: " << m_file
                    << " is not a regular file (a FIFO, a device or a socket); to read a stream, give - "
                       "and redirect it to standard input\n";
                return ExitFile;
            }
        }
        const core::CalendarDate today = core::today();
        listfile::ExpiryJsonl read;
        try {
            read = listfile::readExpiryJsonl(m_file == "-" ? STDIN_FILENO : opened.fd.get(), *m_days, today);
        } catch (const std::bad_alloc&) {
            // Under a memory limit the names within the bound may still not fit: say so, never end silently.
            std::cerr << "zonedesk-cli: not enough memory for the names of " << m_file << "\n";
            return ExitFile;
        }
        if (read.unreadable > 0)
            std::cerr << "zonedesk-cli: " << read.unreadable << " line" << (read.unreadable == 1 ? "" : "s")
                      << " of " << m_file << " are not JSON records\n";
        const bool near = !read.entries.empty();
        printNearExpiry(std::cout, std::move(read.entries));
        if (!read.complete()) {
            std::cerr << "zonedesk-cli: " << m_file << " was not read to its end: " << stopReason(read)
                      << "\n";
            return ExitFile;
        }
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
