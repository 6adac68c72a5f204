// SPDX-License-Identifier: MIT
// zonedesk-cli report FILE.jsonl --warn-days N | --state STATES: a previous run's near-expiry names,
// or its names on hold, in redemption, unlocked…, without a query.
#include <iostream>
#include <new>
#include <system_error>

#include <unistd.h>

#include "cli/command.h"
#include "cli/expiry_report.h"
#include "core/status_words.h"
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
        return "List the names of an earlier run's JSONL that expire within N days or are in a state";
    }

    void declare(CLI::App& app) override
    {
        app.add_option("FILE", m_file, "The JSONL of zonedesk-cli lookup --jsonl (- for standard input)")
            ->type_name("FILE.jsonl")
            ->required();
        CLI::Option* days = addWarnDaysOption(app, m_days);
        std::vector<std::string> keys;
        for (const core::HolderStateRow& row : core::HolderStates)
            keys.emplace_back(row.key);
        app.add_option("--state", m_states, "Names in any of these states, comma-separated")
            ->type_name("STATE,...")
            ->delimiter(',')
            ->check(CLI::IsMember(keys))
            ->excludes(days);
        app.footer("With --warn-days, prints name<TAB>YYYY-MM-DD<TAB>days left, soonest first (expired\n"
                   "names included). With --state (unlocked, hold, redemption, pending-delete, inactive,\n"
                   "unsigned), prints name<TAB>the states it is in, in the file's order; a state the\n"
                   "registry did not state is none. Asks no registry. Exit 0 when no name is listed, 3 when\n"
                   "one is, 2 when FILE can't be read to its end (a device, a NUL byte, more than 64 MiB).");
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
        if (!m_days && m_states.empty()) {
            std::cerr << "zonedesk-cli: report needs --warn-days N or --state STATES\n";
            return ExitUsage;
        }
        const int fd = m_file == "-" ? STDIN_FILENO : opened.fd.get();
        listfile::ExpiryJsonl read;
        try {
            read = m_days ? listfile::readExpiryJsonl(fd, *m_days, core::today())
                          : listfile::readStatesJsonl(fd, stateBits());
        } catch (const std::bad_alloc&) {
            // Under a memory limit the names within the bound may still not fit: say so, never end silently.
            std::cerr << "zonedesk-cli: not enough memory for the names of " << m_file << "\n";
            return ExitFile;
        }
        if (read.unreadable > 0)
            std::cerr << "zonedesk-cli: " << read.unreadable << " line" << (read.unreadable == 1 ? "" : "s")
                      << " of " << m_file << " are not JSON records\n";
        const bool listed = !read.entries.empty() || !read.stated.empty();
        printNearExpiry(std::cout, std::move(read.entries));
        printStates(std::cout, read.stated);
        if (!read.complete()) {
            std::cerr << "zonedesk-cli: " << m_file << " was not read to its end: " << stopReason(read)
                      << "\n";
            return ExitFile;
        }
        return listed ? ExitNearExpiry : ExitOk;
    }

private:
    std::uint32_t stateBits() const
    {
        std::uint32_t bits = 0;
        for (const std::string& key : m_states) {
            if (const auto state = core::holderStateOfKey(key))
                bits |= core::holderStateBit(*state);
        }
        return bits;
    }

    std::string m_file;
    std::optional<std::int32_t> m_days;
    std::vector<std::string> m_states;
};

} // namespace

std::unique_ptr<Command> makeReportCommand()
{
    return std::make_unique<ReportCommand>();
}

} // namespace zonedesk::cli
