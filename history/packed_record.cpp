// SPDX-License-Identifier: MIT
#include "history/packed_record.h"

#include <array>
#include <cstring>

namespace zonedesk::history {

namespace {

constexpr std::size_t RecordBytes = sizeof(core::DomainRecord);
constexpr std::size_t LongestRun = 255;

} // namespace

void appendPackedRecord(std::string& out, const core::DomainRecord& record)
{
    std::array<unsigned char, RecordBytes> bytes{};
    std::memcpy(bytes.data(), &record, RecordBytes);
    for (std::size_t at = 0; at < RecordBytes;) {
        if (bytes[at] != 0) {
            out.push_back(static_cast<char>(bytes[at++]));
            continue;
        }
        std::size_t run = 0;
        while (at < RecordBytes && bytes[at] == 0 && run < LongestRun) {
            ++at;
            ++run;
        }
        out.push_back('\0');
        out.push_back(static_cast<char>(run));
    }
}

bool takePackedRecord(std::string_view& in, core::DomainRecord& record)
{
    std::array<unsigned char, RecordBytes> bytes{};
    std::size_t filled = 0;
    std::size_t at = 0;
    while (filled < RecordBytes) {
        if (at >= in.size())
            return false;
        const auto byte = static_cast<unsigned char>(in[at++]);
        if (byte != 0) {
            bytes[filled++] = byte;
            continue;
        }
        if (at >= in.size())
            return false;
        const auto run = static_cast<unsigned char>(in[at++]);
        if (run == 0 || run > RecordBytes - filled)
            return false;
        filled += run; // the array starts zeroed
    }
    std::memcpy(&record, bytes.data(), RecordBytes);
    in.remove_prefix(at);
    return true;
}

} // namespace zonedesk::history
