// SPDX-License-Identifier: MIT
// The renewal calendar's view over a full table: 10,000 registered names (or argv[1]) with expiries
// over three years and twelve registrars. Times, best and worst of ten, counting the months from the
// table and painting the chart (what each refresh during a run does), offscreen. The target: under
// 200 ms for 10,000 names.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <QApplication>
#include <QPixmap>

#include "core/calendar_date.h"
#include "core/domain_table.h"
#include "core/field_copy.h"
#include "core/lookup_status.h"
#include "core/renewal_months.h"
#include "view/renewal_chart.h"

namespace {

using namespace zonedesk;
using Clock = std::chrono::steady_clock;

constexpr std::int32_t DefaultNames = 10'000;
constexpr int Rounds = 10;

void fill(core::DomainTable& table, std::int32_t names, const core::CalendarDate& today)
{
    for (std::int32_t i = 0; i < names; ++i) {
        core::DomainRecord& record = table[static_cast<std::size_t>(i)];
        core::copyField(record.server, "whois.verisign-grs.com");
        core::copyField(record.domain, "renewal-" + std::to_string(i) + (i % 3 == 0 ? ".com" : ".net"));
        const auto expiry = core::CalendarDate::fromDayNumber(today.dayNumber() - 60 + i % 1100);
        core::copyField(record.expiryDate, expiry.iso() + "T04:00:00Z");
        core::copyField(record.registrar, "Registrar " + std::to_string(i % 12) + ", Inc.");
        record.status = static_cast<std::int32_t>(core::LookupStatus::Success);
        core::publishDone(record);
    }
    table.setCount(names);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const std::int32_t names =
        std::clamp<std::int32_t>(argc > 1 ? std::atoi(argv[1]) : DefaultNames, 1, core::TableCapacity);
    auto table = core::DomainTable::allocate();
    const core::CalendarDate today = core::today();
    fill(*table, names, today);
    RenewalChart chart;
    chart.resize(1200, 320);
    chart.setWarnDays(30);
    double best = 1e9;
    double worst = 0;
    for (int round = 0; round < Rounds; ++round) {
        const auto start = Clock::now();
        chart.setMonths(core::renewalMonths(*table, core::RenewalStack::Registrar, today));
        const QPixmap painted = chart.grab();
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        best = std::min(best, ms);
        worst = std::max(worst, ms);
        if (painted.isNull())
            return 1;
    }
    std::printf("%d names: months counted and the chart painted in %.1f ms (best of %d), worst %.1f ms\n",
                names,
                best,
                Rounds,
                worst);
    return 0;
}
