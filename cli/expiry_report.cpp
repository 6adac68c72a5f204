// SPDX-License-Identifier: MIT
#include "cli/expiry_report.h"

#include <algorithm>

#include "cli/text_output.h"
#include "core/domain_table.h"
#include "core/encodings.h"
#include "core/field_copy.h"
#include "core/result_fields.h"
#include "core/status_words.h"

namespace zonedesk::cli {

std::vector<NearName>
nearExpiryNames(const core::DomainTable& table, std::int32_t days, const core::CalendarDate& today)
{
    std::vector<NearName> names;
    for (const core::DomainRecord& record : table.inUse()) {
        const auto expiry = core::recordDate(record, core::Field::ExpiryDate);
        if (!expiry || core::daysBetween(today, *expiry) > days)
            continue;
        names.push_back(
            {core::gbkToUtf8(core::fieldText(record.domain)), *expiry, core::daysBetween(today, *expiry)});
    }
    return names;
}

void printNearExpiry(std::ostream& out, std::vector<NearName> names)
{
    std::sort(names.begin(), names.end(), [](const NearName& a, const NearName& b) {
        return a.daysLeft != b.daysLeft ? a.daysLeft < b.daysLeft : a.domain < b.domain;
    });
    for (const NearName& name : names)
        out << escapedLine(name.domain) << '\t' << name.expiry.iso() << '\t' << name.daysLeft << '\n';
}

void printStates(std::ostream& out, const std::vector<listfile::StateEntry>& names)
{
    for (const listfile::StateEntry& name : names) {
        std::string states;
        for (const core::HolderStateRow& row : core::HolderStates) {
            if ((name.states & core::holderStateBit(row.state)) != 0)
                (states += states.empty() ? "" : ",") += row.key;
        }
        out << escapedLine(name.domain) << '\t' << states << '\n';
    }
}

} // namespace zonedesk::cli
