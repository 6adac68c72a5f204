// SPDX-License-Identifier: MIT
// parseReply on arbitrary bytes: the first byte picks the server, the rest is the reply. Checks that
// every text field still ends within its width (ASan cannot see an overflow into the next field).
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>

#include "core/domain_table.h"
#include "core/field_copy.h"
#include "core/whois_servers.h"
#include "fuzz/field_check.h"
#include "parse/parse_reply.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace zonedesk;
    if (size == 0)
        return 0;
    const auto server = static_cast<core::WhoisServer>(data[0] % core::WhoisServerCount);
    const std::string_view reply(reinterpret_cast<const char*>(data + 1), size - 1);

    auto record = std::make_unique<core::DomainRecord>();
    std::memset(record.get(), 0x7E, sizeof(core::DomainRecord)); // no NUL anywhere before the call
    core::copyField(record->server, core::hostName(server));
    core::copyField(record->domain, "fuzz.example");
    parse::parseReply(reply, *record);
    if (!reply.empty())
        fuzz::requireFieldsTerminated(*record);
    if (!core::isDone(*record) || record->status < 1 || record->status > 3)
        std::abort();
    return 0;
}
