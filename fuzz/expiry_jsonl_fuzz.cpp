// SPDX-License-Identifier: MIT
// The report's JSONL reader on arbitrary input (as standard input would give it): it ends, keeps
// within its bounds, and every name it keeps came with a date within the days asked.
#include <cstdint>
#include <cstdlib>

#include <sys/mman.h>
#include <unistd.h>

#include "listfile/expiry_jsonl.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace zonedesk;
    constexpr core::CalendarDate Today{2026, 12, 8};
    constexpr std::int32_t Days = 30;
    const int fd = ::memfd_create("jsonl", MFD_CLOEXEC);
    if (fd < 0)
        std::abort();
    if (::write(fd, data, size) == static_cast<ssize_t>(size) && ::lseek(fd, 0, SEEK_SET) == 0) {
        const listfile::ExpiryJsonl read = listfile::readExpiryJsonl(fd, Days, Today);
        if (read.end == listfile::ListReader::End::None || read.unreadable < 0 ||
            read.entries.size() > size / 2 + 1)
            std::abort();
        for (const listfile::ExpiryEntry& entry : read.entries) {
            if (core::daysBetween(Today, entry.expiry) > Days || entry.domain.size() > size)
                std::abort();
        }
    }
    ::close(fd);
    return 0;
}
