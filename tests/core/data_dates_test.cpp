// SPDX-License-Identifier: MIT
#include "core/data_dates.h"

#include <string>

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace zonedesk::core {
namespace {

constexpr std::string_view Readme = R"(# Reference data

## `rdap-dns.json` — IANA RDAP bootstrap
- **Publication**: `2026-07-23T02:00:03Z`, version `1.0`.

## `whois-servers.tsv` — TLD → port-43 WHOIS host
- **Format**: `tld<TAB>host`, 2001-01-01 is not its date.
- **Date**: `2025-11-11`, the newest of the captures above.
- **Date**: `2030-01-01`
)";

TEST(ReadmeDate, TheDateLineOfTheFilesOwnSection)
{
    EXPECT_EQ(readmeDate(Readme, "rdap-dns.json"), "2026-07-23");
    EXPECT_EQ(readmeDate(Readme, "whois-servers.tsv"), "2025-11-11"); // the first, not another line's
    EXPECT_EQ(readmeDate(Readme, "other.tsv"), "");
    EXPECT_EQ(readmeDate("## `whois-servers.tsv`\n- **Date**: late 2025\n", "whois-servers.tsv"), "");
    // A date line under another file's heading is not this file's.
    EXPECT_EQ(readmeDate("## `a.tsv`\n- **Date**: 2020-01-01\n## `b.tsv`\n", "b.tsv"), "");
}

TEST(DataFileDates, TheBootstrapInUseAndTheTablesReadmeDate)
{
    const test::TempDir dir;
    dir.write("README.md", Readme);
    ServiceData data;
    std::string error;
    data.rdap = RdapBootstrap::parse(
        R"({"publication":"2027-02-03T04:05:06Z","version":"1.0","services":[[["aa"],["https://one/"]]]})",
        error);
    ASSERT_TRUE(data.rdap) << error;
    // A later bootstrap from the cache is the one in use: its date, not the shipped copy's.
    auto dates = dataFileDates(data, dir.path());
    ASSERT_EQ(dates.size(), 2U);
    EXPECT_EQ(dates[0].file, "rdap-dns.json");
    EXPECT_EQ(dates[0].date, "2027-02-03");
    EXPECT_EQ(dates[1].file, "whois-servers.tsv");
    EXPECT_EQ(dates[1].date, "2025-11-11");

    data.rdap.reset();
    EXPECT_EQ(dataFileDates(data, dir.path())[0].date, "2026-07-23");
    const test::TempDir empty;
    EXPECT_EQ(dataFileDates(data, empty.path())[1].date, "");

    // The shipped README names a date for each shipped file.
    for (const DataFileDate& shipped : dataFileDates({}, ZONEDESK_BINARY_DIR "/data"))
        EXPECT_EQ(shipped.date.size(), 10U) << shipped.file;
}

} // namespace
} // namespace zonedesk::core
