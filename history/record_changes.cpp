// SPDX-License-Identifier: MIT
#include "history/record_changes.h"

#include "core/calendar_date.h"
#include "core/domain_status.h"
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
    {ChangeKind::TransferLockLifted, "transfer-lock-lifted", "transfer lock lifted", "转移锁已解除！"},
    {ChangeKind::TransferLockSet, "transfer-lock-set", "transfer lock set", "已加转移锁"},
    {ChangeKind::NameServersChanged, "name-servers-changed", "name servers changed", "域名服务器变更"},
    {ChangeKind::DnssecTurnedOff, "dnssec-off", "DNSSEC turned off", "DNSSEC已关闭！"},
    {ChangeKind::DnssecTurnedOn, "dnssec-on", "DNSSEC turned on", "DNSSEC已开启"},
    {ChangeKind::PutOnHold, "put-on-hold", "put on hold", "已暂停解析！"},
    {ChangeKind::HoldReleased, "hold-released", "hold released", "已恢复解析"},
    {ChangeKind::EnteredRedemption,
     "entered-redemption",
     "entered redemption / pending delete",
     "进入赎回期或待删除！"},
    {ChangeKind::LeftRedemption,
     "left-redemption",
     "left redemption / pending delete",
     "已离开赎回期或待删除"},
};

using core::Field;

/// The states whose coming and going is a change: groups of codes, and the kinds they make.
struct StateChange
{
    core::StatusBits codes;
    ChangeKind gone;
    ChangeKind came;
};

const StateChange StateChanges[] = {
    {core::codesOfGroup(~core::StatusBits{0}, core::StatusGroup::Locked),
     ChangeKind::TransferLockLifted,
     ChangeKind::TransferLockSet},
    {core::codesOfGroup(~core::StatusBits{0}, core::StatusGroup::Hold),
     ChangeKind::HoldReleased,
     ChangeKind::PutOnHold},
    {core::codesOfGroup(~core::StatusBits{0}, core::StatusGroup::Redemption) |
         core::codesOfGroup(~core::StatusBits{0}, core::StatusGroup::PendingDelete),
     ChangeKind::LeftRedemption,
     ChangeKind::EnteredRedemption},
};

/// The codes of `codes` among `bits`, as text ("clientTransferProhibited, serverTransferProhibited").
std::string codesText(core::StatusBits bits, core::StatusBits codes)
{
    return core::statusesText({bits & codes, {}});
}

/// The security changes, before the others: the watch tells them first.
void addSecurityChanges(const HistoryEntry& before, const HistoryEntry& after, std::vector<Change>& changes)
{
    const core::DomainStatuses was = core::readStatusesText(before.values[Field::Statuses]);
    const core::DomainStatuses is = core::readStatusesText(after.values[Field::Statuses]);
    // Only EPP's codes say whether a lock, a hold or a redemption is there: a registry's own words
    // (a port 43 that writes "TRANSFER PROHIBITED" where RDAP gave the code) say neither.
    if (was.codes != 0 && is.codes != 0) {
        for (const StateChange& state : StateChanges) {
            const bool had = (was.codes & state.codes) != 0;
            const bool has = (is.codes & state.codes) != 0;
            if (had != has)
                changes.push_back({has ? state.came : state.gone,
                                   codesText(was.codes, state.codes),
                                   codesText(is.codes, state.codes)});
        }
    }
    const std::string& wasServers = before.values[Field::NameServers];
    const std::string& isServers = after.values[Field::NameServers];
    // The texts are the record's, sorted, with the count of those left out: equal sets, equal texts.
    if (!wasServers.empty() && !isServers.empty() && wasServers != isServers)
        changes.push_back({ChangeKind::NameServersChanged, wasServers, isServers});
    const core::Dnssec wasSigned = core::dnssecOfText(before.values[Field::Dnssec]);
    const core::Dnssec isSigned = core::dnssecOfText(after.values[Field::Dnssec]);
    if (wasSigned != core::Dnssec::NotStated && isSigned != core::Dnssec::NotStated && wasSigned != isSigned)
        changes.push_back(
            {isSigned == core::Dnssec::Signed ? ChangeKind::DnssecTurnedOn : ChangeKind::DnssecTurnedOff,
             before.values[Field::Dnssec],
             after.values[Field::Dnssec]});
}

const KindText& textsOf(ChangeKind kind)
{
    for (const KindText& texts : Kinds) {
        if (texts.kind == kind)
            return texts;
    }
    return Kinds[0];
}

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
    addSecurityChanges(before, after, changes);
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

std::string_view changeKindText(ChangeKind kind)
{
    return textsOf(kind).english;
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
    const auto side = [](const std::string& value) { return value.empty() ? std::string("无") : value; };
    return text + "：" + side(change.from) + " → " + side(change.to);
}

std::string_view changeKindTextZh(ChangeKind kind)
{
    return textsOf(kind).chinese;
}

bool isSecurityChange(ChangeKind kind)
{
    return kind >= ChangeKind::TransferLockLifted;
}

bool changeShowsValues(ChangeKind kind)
{
    return kind != ChangeKind::Dropped && kind != ChangeKind::Registered;
}

} // namespace zonedesk::history
