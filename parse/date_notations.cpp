// SPDX-License-Identifier: MIT
#include "parse/date_notations.h"

#include <algorithm>
#include <string>

#include "core/text.h"

namespace zonedesk::parse {

namespace {

struct StatedNotation
{
    std::string_view text; // lower case
    core::DateOrder order;
};

// As replies state them, in a header line or in a label.
constexpr StatedNotation StatedNotations[] = {
    {"dd/mm/yyyy", core::DateOrder::DayFirst},
    {"dd-mm-yyyy", core::DateOrder::DayFirst},
    {"mm/dd/yyyy", core::DateOrder::MonthFirst},
    {"mm-dd-yyyy", core::DateOrder::MonthFirst},
};

struct KnownOrder
{
    std::string_view tld;
    core::DateOrder order;
};

// Registries whose order is fixed but stated nowhere in their replies, each with a line it was
// seen in.
constexpr KnownOrder KnownOrders[] = {
    {"bg", core::DateOrder::DayFirst},   // "expires at: 30/06/2014 00:00:00 EEST"
    {"cf", core::DateOrder::MonthFirst}, // Freenom: "Domain registered: 12/18/2001"
    {"es", core::DateOrder::DayFirst},   // ">>> LAST UPDATE: 10/10/2019", "Creation Date: 16/09/03"
    {"ga", core::DateOrder::MonthFirst}, // Freenom
    {"gq", core::DateOrder::MonthFirst}, // Freenom
    {"hm", core::DateOrder::DayFirst},   // "Domain creation date: 28/04/2003"
    {"il", core::DateOrder::DayFirst},   // "validity: 05-06-2026"
    {"im", core::DateOrder::DayFirst},   // "Expiry Date: 03/08/2014 23:59:52"
    {"lu", core::DateOrder::DayFirst},   // "registered: 04/06/2003"
    {"ml", core::DateOrder::MonthFirst}, // Freenom
    {"nl", core::DateOrder::DayFirst},   // "Date registered: 27-05-1999"
    {"pt", core::DateOrder::DayFirst},   // "Expiration Date: 02/11/2019 23:59:00"; older replies state it
    {"sm", core::DateOrder::DayFirst},   // "Registration date: 03/04/2003"
    {"tk", core::DateOrder::MonthFirst}, // Freenom: "Record will expire on: 03/02/2012"
    {"tn", core::DateOrder::DayFirst},   // "Creation date.......: 07-01-1998 00:00:00 GMT+1"
    {"ug", core::DateOrder::DayFirst},   // "Updated: 13/02/2008 09:35:15 EAT"
};

} // namespace

core::DateOrder dateOrderOf(std::string_view reply, std::string_view tld)
{
    // A statement is near the top or in a label; a long reply is not searched to its end.
    constexpr std::size_t Searched = std::size_t{16} * 1024;
    const std::string_view head = reply.substr(0, std::min(reply.size(), Searched));
    const auto sameLetter = [](char a, char b) { return core::asciiLower(a) == b; };
    for (const StatedNotation& notation : StatedNotations) {
        if (std::search(head.begin(), head.end(), notation.text.begin(), notation.text.end(), sameLetter) !=
            head.end())
            return notation.order;
    }
    for (const KnownOrder& known : KnownOrders) {
        if (known.tld == tld)
            return known.order;
    }
    return core::DateOrder::Unstated;
}

} // namespace zonedesk::parse
