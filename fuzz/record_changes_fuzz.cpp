// SPDX-License-Identifier: MIT
// The changes between two lookups of a name, from arbitrary bytes: a status byte for each lookup,
// then each lookup's expiry, registrar, owner, statuses, name servers and DNSSEC, each ended by a
// newline (the before lookup's first). Checks that a lookup that is neither registered nor
// available gives no change, that a status that moved gives exactly one change of the right kind,
// that a renewal moves the expiry forward between two dates as YYYY-MM-DD (and its mirror moves it
// back), that a registrar or owner change names two different values, none withheld, that a
// security change comes only of two stated values and its mirror is its counterpart, and that
// every change has its texts.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>

#include "core/calendar_date.h"
#include "core/lookup_status.h"
#include "core/result_fields.h"
#include "core/withheld_value.h"
#include "history/history_store.h"
#include "history/record_changes.h"

namespace {

using namespace zonedesk;
using core::Field;
using history::ChangeKind;

std::string_view takeLine(std::string_view& input)
{
    const std::size_t end = input.find('\n');
    const std::string_view line = input.substr(0, end);
    input = end == std::string_view::npos ? std::string_view() : input.substr(end + 1);
    return line;
}

history::HistoryEntry lookupOf(std::uint8_t status, std::string_view& input)
{
    history::HistoryEntry entry;
    entry.name = "a.com";
    entry.status = status % 5; // 0 to 3, and one no lookup has
    entry.values[Field::ExpiryDate] = takeLine(input);
    entry.values[Field::Registrar] = takeLine(input);
    entry.values[Field::Owner] = takeLine(input);
    entry.values[Field::Statuses] = takeLine(input);
    entry.values[Field::NameServers] = takeLine(input);
    entry.values[Field::Dnssec] = takeLine(input);
    return entry;
}

bool known(const history::HistoryEntry& entry)
{
    return entry.status == static_cast<std::int32_t>(core::LookupStatus::Success) ||
           entry.status == static_cast<std::int32_t>(core::LookupStatus::NotRegistered);
}

std::size_t countOf(const std::vector<history::Change>& changes, ChangeKind kind)
{
    std::size_t count = 0;
    for (const history::Change& change : changes)
        count += change.kind == kind ? 1 : 0;
    return count;
}

void requireIsoDate(const std::string& text)
{
    const auto date = core::readDate(text);
    if (text.size() != 10 || !date || date->iso() != text)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    std::string_view input(reinterpret_cast<const char*>(data) + 2, size - 2);
    const history::HistoryEntry before = lookupOf(data[0], input);
    const history::HistoryEntry after = lookupOf(data[1], input);
    const auto changes = history::changesBetween(before, after);
    const auto mirrored = history::changesBetween(after, before);

    if (!known(before) || !known(after)) {
        if (!changes.empty())
            std::abort();
        return 0;
    }
    if (before.status != after.status) {
        const ChangeKind expected =
            after.status == static_cast<std::int32_t>(core::LookupStatus::NotRegistered)
                ? ChangeKind::Dropped
                : ChangeKind::Registered;
        if (changes.size() != 1 || changes[0].kind != expected || mirrored.size() != 1)
            std::abort();
    }
    for (const ChangeKind kind : {ChangeKind::Dropped,
                                  ChangeKind::Registered,
                                  ChangeKind::Renewed,
                                  ChangeKind::ExpiryMovedBack,
                                  ChangeKind::RegistrarChanged,
                                  ChangeKind::OwnerChanged}) {
        if (countOf(changes, kind) > 1)
            std::abort();
    }
    if (countOf(changes, ChangeKind::Renewed) != countOf(mirrored, ChangeKind::ExpiryMovedBack))
        std::abort();
    // Each security change read backwards is its counterpart.
    for (const auto& [kind, counterpart] :
         {std::pair{ChangeKind::TransferLockLifted, ChangeKind::TransferLockSet},
          std::pair{ChangeKind::PutOnHold, ChangeKind::HoldReleased},
          std::pair{ChangeKind::EnteredRedemption, ChangeKind::LeftRedemption},
          std::pair{ChangeKind::DnssecTurnedOff, ChangeKind::DnssecTurnedOn},
          std::pair{ChangeKind::NameServersChanged, ChangeKind::NameServersChanged}}) {
        if (countOf(changes, kind) > 1 || countOf(changes, kind) != countOf(mirrored, counterpart))
            std::abort();
    }
    for (const history::Change& change : changes) {
        switch (change.kind) {
        case ChangeKind::Renewed:
        case ChangeKind::ExpiryMovedBack:
            requireIsoDate(change.from);
            requireIsoDate(change.to);
            if ((change.kind == ChangeKind::Renewed) != (change.from < change.to) || change.from == change.to)
                std::abort();
            break;
        case ChangeKind::RegistrarChanged:
        case ChangeKind::OwnerChanged:
            if (change.from == change.to || core::isWithheld(change.from) || core::isWithheld(change.to))
                std::abort();
            break;
        case ChangeKind::Dropped:
        case ChangeKind::Registered: break;
        case ChangeKind::TransferLockLifted:
        case ChangeKind::TransferLockSet:
        case ChangeKind::PutOnHold:
        case ChangeKind::HoldReleased:
        case ChangeKind::EnteredRedemption:
        case ChangeKind::LeftRedemption:
            if (before.values[Field::Statuses].empty() || after.values[Field::Statuses].empty() ||
                change.from == change.to)
                std::abort();
            break;
        case ChangeKind::NameServersChanged:
        case ChangeKind::DnssecTurnedOff:
        case ChangeKind::DnssecTurnedOn:
            if (change.from.empty() || change.to.empty() || change.from == change.to)
                std::abort();
            break;
        }
        if (history::changeKey(change.kind).empty() || history::changeText(change).empty() ||
            history::changeTextZh(change).empty())
            std::abort();
    }
    return 0;
}
