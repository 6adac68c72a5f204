// SPDX-License-Identifier: MIT
// Records packed for the history's writer come back byte for byte, and a cut or malformed packing
// is refused rather than read as a record.
#include "history/packed_record.h"

#include <cstring>

#include <gtest/gtest.h>

#include "core/field_copy.h"

namespace zonedesk::history {
namespace {

bool sameBytes(const core::DomainRecord& a, const core::DomainRecord& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(PackedRecord, RecordsComeBackByteForByteAndAPackingCutShortIsRefused)
{
    core::DomainRecord empty{};
    core::DomainRecord filled{};
    core::copyField(filled.domain, "example.com");
    core::copyField(filled.owner, std::string(250, 'o'));
    core::copyField(filled.nameServers, "a.ns.example b.ns.example");
    filled.status = 1;
    filled.statusCodes = 0x00FF0020;
    filled.dnssec = 2;
    core::DomainRecord full{};
    std::memset(static_cast<void*>(&full), 0xFF, sizeof full);

    std::string packed;
    for (const core::DomainRecord* record : {&empty, &filled, &full, &empty})
        appendPackedRecord(packed, *record);
    EXPECT_LT(packed.size(), 2 * sizeof(core::DomainRecord) + 400); // the zeros take a few bytes
    std::string_view in = packed;
    for (const core::DomainRecord* record : {&empty, &filled, &full, &empty}) {
        core::DomainRecord back{};
        ASSERT_TRUE(takePackedRecord(in, back));
        EXPECT_TRUE(sameBytes(back, *record));
    }
    EXPECT_TRUE(in.empty());

    std::string one;
    appendPackedRecord(one, filled);
    const std::string cases[] = {
        {},
        one.substr(0, one.size() - 1),                    // cut short
        std::string("\0\0", 2),                           // a run of no zeros
        std::string(980, 'x') + std::string("\0\x0A", 2), // a run past the record's end
    };
    for (const std::string& bad : cases) {
        std::string_view rest = bad;
        core::DomainRecord back{};
        EXPECT_FALSE(takePackedRecord(rest, back));
        EXPECT_EQ(rest.size(), bad.size());
    }
}

} // namespace
} // namespace zonedesk::history
