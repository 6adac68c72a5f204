// SPDX-License-Identifier: MIT
// Imports arbitrary list contents (as standard input would give them) and checks that every record
// still fits its fields and holds a name the import accepts: nothing else may reach a server.
#include <cstdint>
#include <cstdlib>
#include <memory>

#include <sys/mman.h>
#include <unistd.h>

#include "core/domain_table.h"
#include "core/field_copy.h"
#include "fuzz/field_check.h"
#include "listfile/domain_import.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace zonedesk;
    static const std::unique_ptr<core::DomainTable> table = core::DomainTable::allocate();
    const int fd = ::memfd_create("list", MFD_CLOEXEC);
    if (fd < 0 || !table)
        std::abort();
    const bool written = ::write(fd, data, size) == static_cast<ssize_t>(size);
    if (written && ::lseek(fd, 0, SEEK_SET) == 0) {
        const auto report = listfile::importDomainsFrom(*table, fd);
        if (report.count < 0 || report.count > core::TableCapacity || report.count != table->count())
            std::abort();
        for (const auto& record : table->inUse()) {
            fuzz::requireFieldsTerminated(record);
            if (listfile::checkDomainName(core::fieldText(record.domain)))
                std::abort();
        }
    }
    ::close(fd);
    return 0;
}
