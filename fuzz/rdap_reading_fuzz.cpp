// SPDX-License-Identifier: MIT
// readRdap on arbitrary bytes as a 200 answer for "example.org", then storing the reading: an RDAP
// server is as free to send anything as a WHOIS server. Checks that every text field still ends
// within its width and that an Error always says why.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "core/domain_table.h"
#include "core/error_reason.h"
#include "core/lookup_status.h"
#include "fuzz/field_check.h"
#include "parse/rdap_reading.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace zonedesk;
    const std::string_view body(reinterpret_cast<const char*>(data), size);
    const parse::Reading reading = parse::readRdap(200, body, "example.org");
    if (reading.status() == core::LookupStatus::Error && reading.reason() == core::ErrorReason::None)
        std::abort();
    auto record = std::make_unique<core::DomainRecord>();
    reading.storeInto(*record);
    fuzz::requireFieldsTerminated(*record);
    if (!core::isDone(*record))
        std::abort();
    return 0;
}
