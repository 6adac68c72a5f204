// SPDX-License-Identifier: MIT
// The renewal calendar of a full table: 10,000 registered names (or argv[1], at most the table's
// capacity) with expiries spread over ten years and registrars with commas, semicolons and Chinese,
// made five times. Prints the best and the worst time, the file's size and the events written.
// The target: under a second for 10,000 events.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/calendar_date.h"
#include "core/domain_table.h"
#include "core/encodings.h"
#include "core/field_copy.h"
#include "core/lookup_status.h"
#include "listfile/renewal_calendar.h"

namespace {

using namespace zonedesk;
using Clock = std::chrono::steady_clock;

constexpr std::int32_t DefaultNames = 10'000;
constexpr int Rounds = 5;

void fill(core::DomainTable& table, std::int32_t names)
{
    const std::string registrar =
        core::utf8ToGbk("阿里云计算有限公司（万网）, Alibaba; Cloud Computing Ltd.");
    const core::CalendarDate start{2026, 1, 1};
    for (std::int32_t i = 0; i < names; ++i) {
        core::DomainRecord& record = table[static_cast<std::size_t>(i)];
        core::copyField(record.server, "whois.verisign-grs.com");
        core::copyField(record.domain, "renewal-" + std::to_string(i) + ".com");
        const auto expiry = core::CalendarDate::fromDayNumber(start.dayNumber() + i % 3650);
        core::copyField(record.expiryDate, expiry.iso() + "T04:00:00Z");
        core::copyField(record.registrar, registrar);
        record.status = static_cast<std::int32_t>(core::LookupStatus::Success);
        core::publishDone(record);
    }
    table.setCount(names);
}

} // namespace

int main(int argc, char** argv)
{
    const std::int32_t names =
        std::clamp<std::int32_t>(argc > 1 ? std::atoi(argv[1]) : DefaultNames, 1, core::TableCapacity);
    const auto table = core::DomainTable::allocate();
    if (!table) {
        std::fprintf(stderr, "no memory for the table\n");
        return 1;
    }
    fill(*table, names);
    const listfile::RenewalCalendarOptions options{30, 1'796'754'415, {2026, 12, 8}};
    double best = 1e9;
    double worst = 0;
    listfile::RenewalCalendar calendar;
    for (int round = 0; round < Rounds; ++round) {
        const auto started = Clock::now();
        calendar = listfile::renewalCalendar(*table, options);
        const double seconds = std::chrono::duration<double>(Clock::now() - started).count();
        best = std::min(best, seconds);
        worst = std::max(worst, seconds);
    }
    std::printf("%d names: %d events, %d left out, %zu bytes; best %.3f s, worst %.3f s of %d (%.1f us an "
                "event)\n",
                names,
                calendar.events,
                calendar.leftOut,
                calendar.text.size(),
                best,
                worst,
                Rounds,
                best * 1e6 / std::max(calendar.events, 1));
    return calendar.events == names ? 0 : 1;
}
