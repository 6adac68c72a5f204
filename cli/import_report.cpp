// SPDX-License-Identifier: MIT
// The import summary shared by the subcommands that read a domain list.
#include "cli/import_report.h"

#include <iostream>
#include <system_error>

#include <unistd.h>

#include "core/text.h"
#include "listfile/domain_import.h"

namespace zonedesk::cli {

namespace {

std::string errorText(int error)
{
    return std::error_code(error, std::generic_category()).message();
}

void printReport(const listfile::ImportReport& report)
{
    using listfile::ListReader;
    std::cerr << "imported " << report.count << " domain" << (report.count == 1 ? "" : "s") << " ("
              << listfile::encodingName(report.encoding) << ")";
    if (report.skippedTotal() > 0) {
        const char* separator = "; left out: ";
        for (std::size_t i = 0; i < listfile::SkipReasonCount; ++i) {
            if (report.skipped[i] == 0)
                continue;
            std::cerr << separator << report.skipped[i] << " "
                      << listfile::skipReasonText(static_cast<listfile::SkipReason>(i));
            separator = ", ";
        }
    }
    if (report.fullAtLine > 0)
        std::cerr << "; the table holds " << core::TableCapacity << " names: line " << report.fullAtLine
                  << " and the rest were not read";
    if (report.stoppedAtLine > 0) {
        std::cerr << "; the list ended at the empty line " << report.stoppedAtLine;
        if (report.linesAfterStop > 0)
            std::cerr << ", " << report.linesAfterStop << " non-empty line"
                      << (report.linesAfterStop == 1 ? "" : "s") << " after it not imported";
    }
    switch (report.end) {
    case ListReader::End::Binary: std::cerr << "; reading stopped at a NUL byte: not a text list"; break;
    case ListReader::End::ReadLimit:
        std::cerr << "; reading stopped after " << (ListReader::ReadLimit >> 20) << " MiB";
        break;
    case ListReader::End::ReadError:
        std::cerr << "; reading stopped early: " << errorText(report.error);
        break;
    case ListReader::End::None:
    case ListReader::End::EndOfFile: break;
    }
    std::cerr << "\n";
}

} // namespace

std::optional<listfile::ListEncoding> parseEncoding(std::string_view value)
{
    const std::string lower = core::asciiLower(value);
    if (lower == "gbk")
        return listfile::ListEncoding::Gbk;
    if (lower == "utf-8" || lower == "utf8")
        return listfile::ListEncoding::Utf8;
    return std::nullopt;
}

std::unique_ptr<core::DomainTable> importForCommand(const std::filesystem::path& path,
                                                    listfile::ListEncoding encoding)
{
    auto table = core::DomainTable::allocate();
    if (!table) {
        std::cerr << "zonedesk-cli: not enough memory for the domain table ("
                  << sizeof(core::DomainRecord) * core::TableCapacity << " bytes)\n";
        return nullptr;
    }
    const listfile::ImportReport report = path == "-"
                                              ? listfile::importDomainsFrom(*table, STDIN_FILENO, encoding)
                                              : listfile::importDomains(*table, path, encoding);
    switch (report.outcome) {
    case listfile::ImportOutcome::InvalidFile:
        std::cerr << "zonedesk-cli: invalid file " << path << ": " << errorText(report.error) << "\n";
        return nullptr;
    case listfile::ImportOutcome::NotAFile:
        std::cerr << "zonedesk-cli: " << path
                  << " is not a regular file (a FIFO, a device or a socket); to read a stream, give - and "
                     "redirect it to standard input\n";
        return nullptr;
    case listfile::ImportOutcome::Imported:
    case listfile::ImportOutcome::ReadError: break;
    }
    printReport(report);
    return table;
}

} // namespace zonedesk::cli
