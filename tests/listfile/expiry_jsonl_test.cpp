// SPDX-License-Identifier: MIT
#include "listfile/expiry_jsonl.h"

#include <string>

#include <sys/mman.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "core/unique_fd.h"

namespace zonedesk::listfile {
namespace {

constexpr core::CalendarDate Today{2026, 12, 8};

/// `bytes` behind a descriptor, as a pipe or a file would give them.
core::UniqueFd memoryFile(const std::string& bytes)
{
    core::UniqueFd fd(::memfd_create("jsonl", MFD_CLOEXEC));
    EXPECT_TRUE(fd);
    EXPECT_EQ(::write(fd.get(), bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    EXPECT_EQ(::lseek(fd.get(), 0, SEEK_SET), 0);
    return fd;
}

TEST(ReadExpiryJsonl, TakesTheRecordsWithinTheDaysAndCountsTheRest)
{
    const auto fd = memoryFile("{\"domain\":\"soon.org\",\"expiry\":\"2026-12-20\"}\n"
                               "{\"domain\":\"later.org\",\"expiry\":\"2028-01-01\"}\r\n"
                               "{\"domain\":\"gone.org\",\"expiry\":\"2026-11-01T00:00:00Z\"}\n"
                               "\n"
                               "{\"domain\":\"no-date.org\",\"expiry\":\"\"}\n"
                               "{\"domain\":7,\"expiry\":\"2026-12-20\"}\n"
                               "not json\n"
                               "[1,2]\n"
                               "{\"domain\":\"last.org\",\"expiry\":\"2026-12-09\"}");
    const ExpiryJsonl read = readExpiryJsonl(fd.get(), 30, Today);
    EXPECT_TRUE(read.complete());
    ASSERT_EQ(read.entries.size(), 3U);
    EXPECT_EQ(read.entries[0].domain, "soon.org");
    EXPECT_EQ(read.entries[1].domain, "gone.org");
    EXPECT_EQ(read.entries[1].expiry, (core::CalendarDate{2026, 11, 1}));
    EXPECT_EQ(read.entries[2].domain, "last.org");
    EXPECT_EQ(read.unreadable, 2);
}

TEST(ReadExpiryJsonl, EndlessOrBinaryInputStopsWithinTheBounds)
{
    const std::string record = "{\"domain\":\"a.org\",\"expiry\":\"2026-12-20\"}\n";
    const auto binary = memoryFile(record + std::string(1 << 20, '\0'));
    const ExpiryJsonl zeros = readExpiryJsonl(binary.get(), 30, Today);
    EXPECT_EQ(zeros.end, ListReader::End::Binary);
    EXPECT_FALSE(zeros.complete());
    EXPECT_EQ(zeros.entries.size(), 1U);

    // A line longer than any record is passed over without being held, and counted.
    const auto longLine = memoryFile(std::string(ExpiryLineCap + 1, ' ') + "\n" + record);
    const ExpiryJsonl overlong = readExpiryJsonl(longLine.get(), 30, Today);
    EXPECT_TRUE(overlong.complete());
    EXPECT_EQ(overlong.unreadable, 1);
    EXPECT_EQ(overlong.entries.size(), 1U);
}

} // namespace
} // namespace zonedesk::listfile
