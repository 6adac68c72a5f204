// SPDX-License-Identifier: MIT
#include "history/record_changes.h"

#include "core/calendar_date.h"
#include "core/lookup_status.h"
#include "core/result_fields.h"
#include "core/withheld_value.h"

namespace zonedesk::history {

namespace {

struct KindText
{
    ChangeKind kind;
    std::string_view key;
    std::string_view english;
    std::string_view chinese;
};

constexpr KindText Kinds[] = {
    {ChangeKind::Dropped, "dropped", "dropped (now available)", "已释放！"},
    {ChangeKind::Registered, "registered", "registered", "已被注册"},
    {ChangeKind::Renewed, "renewed", "renewed", "续费"},
    {ChangeKind::ExpiryMovedBack, "expiry-moved-back", "expiry moved back", "到期日提前"},
    {ChangeKind::RegistrarChanged, "registrar-changed", "registrar changed", "注册商变更"},
    {ChangeKind::OwnerChanged, "owner-changed", "owner changed", "所有人变更"},
};

const KindText& textsOf(ChangeKind kind)
{
    for (const KindText& texts : Kinds) {
        if (texts.kind == kind)
            return texts;
    }
    return Kinds[0];
}

using core::Field;

constexpr auto Registered = static_cast<std::int32_t>(core::LookupStatus::Success);
constexpr auto Available = static_cast<std::int32_t>(core::LookupStatus::NotRegistered);

} // namespace

std::vector<Change> changesBetween(const HistoryEntry& before, const HistoryEntry& after)
{
    std::vector<Change> changes;
    const bool wasKnown = before.status == Registered || before.status == Available;
    const bool isKnown = after.status == Registered || after.status == Available;
    if (!wasKnown || !isKnown)
        return changes;
    if (before.status != after.status) {
        changes.push_back(after.status == Available
                              ? Change{ChangeKind::Dropped, before.values[Field::ExpiryDate], {}}
                              : Change{ChangeKind::Registered, {}, after.values[Field::RegistrationDate]});
        return changes;
    }
    if (after.status != Registered)
        return changes;
    const auto was = core::readDate(before.values[Field::ExpiryDate]);
    const auto is = core::readDate(after.values[Field::ExpiryDate]);
    if (was && is && was->dayNumber() != is->dayNumber())
        changes.push_back(
            {is->dayNumber() > was->dayNumber() ? ChangeKind::Renewed : ChangeKind::ExpiryMovedBack,
             was->iso(),
             is->iso()});
    // A value the registry withheld or left out on one side is no change.
    for (const auto& [field, kind] : {std::pair{Field::Registrar, ChangeKind::RegistrarChanged},
                                      std::pair{Field::Owner, ChangeKind::OwnerChanged}}) {
        const std::string& from = before.values[field];
        const std::string& to = after.values[field];
        if (!core::isWithheld(from) && !core::isWithheld(to) && from != to)
            changes.push_back({kind, from, to});
    }
    return changes;
}

std::string_view changeKey(ChangeKind kind)
{
    return textsOf(kind).key;
}

std::string changeText(const Change& change)
{
    std::string text(textsOf(change.kind).english);
    if (!change.from.empty() || !change.to.empty())
        text += ": " + (change.from.empty() ? std::string("-") : change.from) + " -> " +
                (change.to.empty() ? std::string("-") : change.to);
    return text;
}

std::string changeTextZh(const Change& change)
{
    std::string text(textsOf(change.kind).chinese);
    if (!changeShowsValues(change.kind))
        return text;
    return text + "：" + change.from + " → " + change.to;
}

std::string_view changeKindTextZh(ChangeKind kind)
{
    return textsOf(kind).chinese;
}

bool changeShowsValues(ChangeKind kind)
{
    return kind != ChangeKind::Dropped && kind != ChangeKind::Registered;
}

} // namespace zonedesk::history
