// SPDX-License-Identifier: MIT
// parseReply on arbitrary bytes: the first byte picks the server, the rest is the reply. The record
// starts as the import leaves it (zero-filled, server and domain set). Checks that every text field
// still ends within its width (ASan cannot see an overflow into the next field) and that the verdict
// is never a result without a reason: an Error always says why, a success always carries a value.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "core/domain_table.h"
#include "core/error_reason.h"
#include "core/field_copy.h"
#include "core/lookup_status.h"
#include "core/result_fields.h"
#include "core/whois_servers.h"
#include "fuzz/field_check.h"
#include "parse/generic_reply.h"
#include "parse/parse_reply.h"

namespace {

bool hasAnyValue(const zonedesk::core::DomainRecord& record)
{
    for (const auto& field : zonedesk::core::ResultFields) {
        if (!field.readByLabel())
            continue;
        const std::string value = field.record.text(record);
        if (!value.empty() && value != "N/A")
            return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace zonedesk;
    if (size == 0)
        return 0;
    const auto server = static_cast<core::WhoisServer>(data[0] % core::WhoisServerCount);
    const std::string_view reply(reinterpret_cast<const char*>(data + 1), size - 1);

    auto record = std::make_unique<core::DomainRecord>();
    core::copyField(record->server, core::hostName(server));
    core::copyField(record->domain, "fuzz.example");
    parse::parseReply(reply, *record);
    fuzz::requireFieldsTerminated(*record);
    if (!core::isDone(*record) || record->status < 1 || record->status > 3)
        std::abort();
    const bool error = record->status == static_cast<std::int32_t>(core::LookupStatus::Error);
    if (error == core::errorReasonKey(record->errorReason).empty())
        std::abort();
    // A registered verdict with nothing read is allowed only for a name the registry holds back.
    if (record->status == static_cast<std::int32_t>(core::LookupStatus::Success) && !hasAnyValue(*record) &&
        !parse::saysHeld(reply))
        std::abort();
    return 0;
}
