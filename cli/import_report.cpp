// SPDX-License-Identifier: MIT
// The import summary shared by the subcommands that read a domain list.
#include "cli/import_report.h"

#include <algorithm>
#include <iostream>
#include <system_error>

#include <sys/mman.h>
#include <unistd.h>

#include "cli/command.h"
#include "cli/text_output.h"
#include "core/encodings.h"
#include "core/field_copy.h"
#include "core/text.h"
#include "core/unique_fd.h"
#include "core/whois_query_name.h"
#include "listfile/domain_import.h"

namespace zonedesk::cli {

namespace {

std::string errorText(int error)
{
    return std::error_code(error, std::generic_category()).message();
}

constexpr std::size_t ConfusableNamesListed = 5;

/// "; 2 names may pass for others (mixed scripts or look-alike letters): аpple.com is
/// xn--pple-43d.com, ..."
void printConfusable(const listfile::ImportReport& report, const core::DomainTable& table)
{
    const std::size_t count = report.confusable.size();
    std::cerr << "; " << count << (count == 1 ? " name may pass for another" : " names may pass for others")
              << " (mixed scripts or look-alike letters): ";
    const char* separator = "";
    for (std::size_t i = 0; i < std::min(count, ConfusableNamesListed); ++i) {
        const std::string_view domain =
            core::fieldText(table[static_cast<std::size_t>(report.confusable[i])].domain);
        std::cerr << separator << escapedLine(core::gbkToUtf8(domain)) << " is "
                  << core::whoisQueryName(domain).value_or("?");
        separator = ", ";
    }
    if (count > ConfusableNamesListed)
        std::cerr << " and " << count - ConfusableNamesListed << " more";
}

void printReport(const listfile::ImportReport& report, const core::DomainTable& table)
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
    if (!report.confusable.empty())
        printConfusable(report, table);
    if (!report.confusableUnchecked.empty())
        std::cerr << "; names beyond ASCII were not checked for look-alikes: " << report.confusableUnchecked;
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

std::unique_ptr<core::DomainTable>
importForCommand(const std::filesystem::path& path, listfile::ListEncoding encoding, bool quiet)
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
    if (!quiet || report.skippedTotal() > 0 || report.fullAtLine > 0 || report.linesAfterStop > 0 ||
        !report.confusable.empty() || !report.confusableUnchecked.empty() ||
        report.end != listfile::ListReader::End::EndOfFile)
        printReport(report, *table);
    return table;
}

void addInputs(CLI::App& app, Inputs& inputs)
{
    app.add_option("-f,--file", inputs.file, "Read the names from FILE, one per line (- for standard input)")
        ->type_name("FILE");
    app.add_option("NAME|FILE",
                   inputs.arguments,
                   "Domain names; an argument that names an existing file, holds a slash or is - is read "
                   "as a list instead")
        ->type_name("");
}

std::unique_ptr<core::DomainTable>
importInputs(const Inputs& inputs, listfile::ListEncoding encoding, bool quiet, int& exitCode)
{
    exitCode = ExitUsage;
    std::string file = inputs.file;
    std::vector<std::string> names;
    for (const std::string& argument : inputs.arguments) {
        std::error_code error;
        // A name never holds a slash: such an argument is a path, even to a missing file.
        if (argument == "-" || argument.find('/') != std::string::npos ||
            std::filesystem::exists(argument, error)) {
            if (!file.empty()) {
                std::cerr << "zonedesk-cli: one list file at a time (" << file << " and " << argument
                          << ")\n";
                return nullptr;
            }
            file = argument;
        } else {
            names.push_back(argument);
        }
    }
    if (!file.empty() && !names.empty()) {
        std::cerr << "zonedesk-cli: give a list file or names, not both (" << names.front()
                  << " is not an existing file)\n";
        return nullptr;
    }
    if (file.empty() && names.empty()) {
        std::cerr << "zonedesk-cli: no names: give names, a list file or -f FILE (- for standard input)\n";
        return nullptr;
    }
    exitCode = ExitFile;
    if (!file.empty())
        return importForCommand(file, encoding, quiet);

    // The names become the lines of an in-memory list, so that they are cleaned, checked and
    // counted exactly as a file's lines are. A blank argument would end that list early.
    std::string lines;
    for (const std::string& name : names) {
        if (core::trim(name).empty() || name.find_first_of("\r\n") != std::string::npos) {
            std::cerr << "zonedesk-cli: \"" << name << "\" is not a domain name\n";
            exitCode = ExitUsage;
            return nullptr;
        }
        lines += name + "\n";
    }
    const core::UniqueFd memory(::memfd_create("zonedesk-names", MFD_CLOEXEC));
    if (!memory || ::write(memory.get(), lines.data(), lines.size()) != static_cast<ssize_t>(lines.size()) ||
        ::lseek(memory.get(), 0, SEEK_SET) != 0) {
        std::cerr << "zonedesk-cli: cannot hold the names: " << errorText(errno) << "\n";
        return nullptr;
    }
    auto table = core::DomainTable::allocate();
    if (!table) {
        std::cerr << "zonedesk-cli: not enough memory for the domain table\n";
        return nullptr;
    }
    const listfile::ImportReport report = listfile::importDomainsFrom(
        *table,
        memory.get(),
        encoding == listfile::ListEncoding::Auto ? listfile::ListEncoding::Utf8 : encoding);
    if (report.skippedTotal() > 0 || !report.confusable.empty() || !report.confusableUnchecked.empty() ||
        !quiet)
        printReport(report, *table);
    return table;
}

} // namespace zonedesk::cli
