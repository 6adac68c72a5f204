// SPDX-License-Identifier: MIT
// The import summary shared by the subcommands that read a domain list.
#include "cli/import_report.h"

#include <iostream>
#include <system_error>

#include "exchange/domain_import.h"

namespace zonedesk::cli {

namespace {

std::string errorText(int error)
{
    return std::error_code(error, std::generic_category()).message();
}

} // namespace

std::unique_ptr<core::DomainTable> importForCommand(const std::filesystem::path& path)
{
    auto table = core::DomainTable::allocate();
    if (!table) {
        std::cerr << "zonedesk-cli: not enough memory for the domain table ("
                  << sizeof(core::DomainRecord) * core::TableCapacity << " bytes)\n";
        return nullptr;
    }
    const exchange::ImportReport report = exchange::importDomains(*table, path);
    if (report.outcome == exchange::ImportOutcome::InvalidFile) {
        std::cerr << "zonedesk-cli: invalid file " << path << ": " << errorText(report.error) << "\n";
        return nullptr;
    }
    std::cerr << "imported " << report.count << " domain" << (report.count == 1 ? "" : "s");
    if (report.overCapacity > 0)
        std::cerr << "; " << report.overCapacity << " left out beyond the limit of " << core::TableCapacity;
    if (report.tooLong > 0)
        std::cerr << "; " << report.tooLong << " left out as longer than "
                  << sizeof(core::DomainRecord::domain) - 1 << " bytes";
    if (report.outcome == exchange::ImportOutcome::ReadError)
        std::cerr << "; reading stopped early: " << errorText(report.error);
    std::cerr << "\n";
    return table;
}

} // namespace zonedesk::cli
