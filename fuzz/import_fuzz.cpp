// SPDX-License-Identifier: MIT
// Imports arbitrary file contents and checks that every record still fits its fields.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include <unistd.h>

#include "core/domain_table.h"
#include "exchange/domain_import.h"
#include "fuzz/field_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::unique_ptr<zonedesk::core::DomainTable> table = zonedesk::core::DomainTable::allocate();
    char path[] = "/tmp/zonedesk-import-fuzz-XXXXXX";
    const int fd = ::mkstemp(path);
    if (fd < 0 || !table)
        return 0;
    const bool written = ::write(fd, data, size) == static_cast<ssize_t>(size);
    ::close(fd);
    if (written) {
        const auto report = zonedesk::exchange::importDomains(*table, path);
        if (report.count < 0 || report.count > zonedesk::core::TableCapacity ||
            report.count != table->count())
            std::abort();
        for (const auto& record : table->inUse())
            zonedesk::fuzz::requireFieldsTerminated(record);
    }
    ::unlink(path);
    return 0;
}
