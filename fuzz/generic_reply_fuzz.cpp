// SPDX-License-Identifier: MIT
// readGenericReply on arbitrary bytes: the first line is the name asked for, the rest the reply.
// The reading is stored into a record as the import leaves it (zero-filled, server and domain
// set). Checks that every text field still ends within its width, that an Error always says why
// and nothing else does, that a free name carries no values, that a registered one carries a value
// unless the reply says the name is held or lists its servers, and that every date kept opens with a
// date; the same bytes go through one registry's override too.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "core/calendar_date.h"
#include "core/domain_table.h"
#include "core/error_reason.h"
#include "core/field_copy.h"
#include "core/lookup_status.h"
#include "core/result_fields.h"
#include "core/text.h"
#include "core/whois_servers.h"
#include "fuzz/field_check.h"
#include "parse/branch.h"
#include "parse/generic_reply.h"

namespace {

// Words of the lines that make a registered answer without a value: a status, a contact's heading.
const char* const NoValueWords[] = {
    "status", "contact", "admin", "tech", "billing", "zone", "reseller", "server"};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace zonedesk;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t newline = input.find('\n');
    const std::string_view name = input.substr(0, newline);
    const std::string_view reply =
        newline == std::string_view::npos ? std::string_view() : input.substr(newline + 1);

    const parse::Reading reading = parse::readGenericReply(reply, name);
    const bool error = reading.status() == core::LookupStatus::Error;
    if (error == (reading.reason() == core::ErrorReason::None))
        std::abort();
    if (reading.status() == core::LookupStatus::NotRegistered && reading.hasAnyValue())
        std::abort();
    // Held, a registered status word, a named contact (.cl lists only the name's contacts), or a
    // zone-file listing of the name's servers (no label at all).
    const std::string lower = core::asciiLower(reply);
    const bool saysHeld =
        parse::saysHeld(reply) || reply.find(':') == std::string_view::npos ||
        std::any_of(std::begin(NoValueWords), std::end(NoValueWords), [&](const char* word) {
            return lower.find(word) != std::string::npos;
        });
    if (reading.status() == core::LookupStatus::Success && !reading.hasAnyValue() && !saysHeld)
        std::abort();
    for (const core::Field field :
         {core::Field::ExpiryDate, core::Field::RegistrationDate, core::Field::UpdatedDate}) {
        if (!reading.value(field).empty() && !core::readLeadingDate(reading.value(field)))
            std::abort();
    }

    // The same bytes through one registry's override of today's layout (its own labels, its
    // encoding and date order), picked by the name's length so that every override is met.
    if (!reply.empty()) {
        const auto server = static_cast<core::WhoisServer>(name.size() % core::WhoisServerCount);
        const parse::Reading own = parse::readTodaysReply(reply, name, *parse::branchFor(server).today);
        if ((own.status() == core::LookupStatus::Error) == (own.reason() == core::ErrorReason::None))
            std::abort();
        if (own.status() == core::LookupStatus::NotRegistered && own.hasAnyValue())
            std::abort();
    }

    auto record = std::make_unique<core::DomainRecord>();
    core::copyField(record->server, "whois.example");
    core::copyField(record->domain, name);
    reading.storeInto(*record);
    fuzz::requireFieldsTerminated(*record);
    if (!core::isDone(*record) || record->status != static_cast<std::int32_t>(reading.status()))
        std::abort();
    return 0;
}
