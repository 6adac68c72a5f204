// SPDX-License-Identifier: MIT
#include "core/status_words.h"

#include <iterator>
#include <utility>

namespace zonedesk::core {

namespace {

struct GroupWords
{
    StatusGroup group = StatusGroup::Fine;
    StatusWords words;
};

// The most pressing first: the list shows them in this order.
constexpr GroupWords GroupWordTable[] = {
    {StatusGroup::PendingDelete, {"待删除", "pending delete"}},
    {StatusGroup::Redemption, {"赎回期", "redemption"}},
    {StatusGroup::Hold, {"暂停解析", "on hold"}},
    {StatusGroup::Inactive, {"未解析", "inactive"}},
    {StatusGroup::Pending, {"处理中", "pending"}},
    {StatusGroup::Locked, {"锁定", "locked"}},
    {StatusGroup::Prohibited, {"禁止更改", "changes prohibited"}},
    {StatusGroup::Grace, {"宽限期", "grace period"}},
    {StatusGroup::Fine, {"正常", "ok"}},
};

constexpr StatusWords Unlocked{"未锁定", "unlocked"};

struct CodeMeaning
{
    EppStatus code = EppStatus::Ok;
    StatusWords meaning;
};

constexpr CodeMeaning Meanings[] = {
    {EppStatus::Ok,
     {"正常：没有待处理的操作，也没有限制。", "Normal: no pending operation and no restriction."}},
    {EppStatus::Inactive, {"未解析：域名没有域名服务器。", "Inactive: the name has no name servers."}},
    {EppStatus::ClientDeleteProhibited,
     {"注册商禁止删除：可防止域名被误删。",
      "The registrar forbids deleting the name: it can't be deleted by mistake."}},
    {EppStatus::ClientHold,
     {"注册商暂停解析：域名不在区文件中，无法访问。",
      "The registrar put the name on hold: it is not in the zone and does not resolve."}},
    {EppStatus::ClientRenewProhibited,
     {"注册商禁止续费：域名暂时不能续费。", "The registrar forbids renewing the name for now."}},
    {EppStatus::ClientTransferProhibited,
     {"注册商转移锁：域名不能被转移到其他注册商。",
      "The registrar's transfer lock: the name can't be transferred to another registrar."}},
    {EppStatus::ClientUpdateProhibited,
     {"注册商禁止修改：联系人和域名服务器不能更改。",
      "The registrar forbids updates: contacts and name servers can't be changed."}},
    {EppStatus::ServerDeleteProhibited,
     {"注册局禁止删除：域名不能被删除。", "The registry forbids deleting the name."}},
    {EppStatus::ServerHold,
     {"注册局暂停解析：域名不在区文件中，无法访问。",
      "The registry put the name on hold: it is not in the zone and does not resolve."}},
    {EppStatus::ServerRenewProhibited,
     {"注册局禁止续费：域名暂时不能续费。", "The registry forbids renewing the name for now."}},
    {EppStatus::ServerTransferProhibited,
     {"注册局转移锁：域名不能被转移到其他注册商。",
      "The registry's transfer lock: the name can't be transferred to another registrar."}},
    {EppStatus::ServerUpdateProhibited,
     {"注册局禁止修改：联系人和域名服务器不能更改。",
      "The registry forbids updates: contacts and name servers can't be changed."}},
    {EppStatus::PendingCreate,
     {"注册处理中：注册尚未完成。", "Being registered: the registration is not complete yet."}},
    {EppStatus::PendingDelete,
     {"待删除：赎回期已过，域名即将被删除，不能再恢复。",
      "Pending delete: past redemption, the name will be deleted and can no longer be restored."}},
    {EppStatus::PendingRenew, {"续费处理中。", "A renewal is being processed."}},
    {EppStatus::PendingTransfer,
     {"转移处理中：有人请求把域名转到其他注册商。",
      "Transfer pending: someone asked to move the name to another registrar."}},
    {EppStatus::PendingUpdate, {"修改处理中。", "An update is being processed."}},
    {EppStatus::AddPeriod,
     {"注册宽限期：新注册后的几天内。", "Add grace period: the first days after the registration."}},
    {EppStatus::AutoRenewPeriod,
     {"自动续费宽限期：到期后已自动续费，仍可撤销。",
      "Auto-renew grace period: renewed automatically at expiry, still reversible."}},
    {EppStatus::RenewPeriod,
     {"续费宽限期：续费后的几天内。", "Renew grace period: the first days after a renewal."}},
    {EppStatus::TransferPeriod,
     {"转移宽限期：转移后的几天内。", "Transfer grace period: the first days after a transfer."}},
    {EppStatus::RedemptionPeriod,
     {"赎回期：域名已被删除，持有人仍可付费赎回。",
      "Redemption period: the name was deleted; its holder can still restore it for a fee."}},
    {EppStatus::PendingRestore,
     {"赎回处理中：已申请赎回，等待完成。",
      "Restore pending: a restore was asked for and is not complete yet."}},
};

static_assert(std::size(Meanings) == std::size(EppStatuses));

} // namespace

std::vector<StatusWords> statusSummary(StatusBits codes)
{
    std::vector<StatusWords> words;
    for (const GroupWords& row : GroupWordTable) {
        if (codesOfGroup(codes, row.group) != 0)
            words.push_back(row.words);
        else if (row.group == StatusGroup::Locked && codes != 0)
            words.push_back(Unlocked); // where the lock would be: it matters more than the rest
    }
    return words;
}

StatusWords statusMeaning(EppStatus code)
{
    for (const CodeMeaning& row : Meanings) {
        if (row.code == code)
            return row.meaning;
    }
    return {};
}

bool atRisk(StatusBits codes)
{
    return codesOfGroup(codes, StatusGroup::Hold) != 0 || codesOfGroup(codes, StatusGroup::Redemption) != 0 ||
           codesOfGroup(codes, StatusGroup::PendingDelete) != 0;
}

std::uint32_t holderStates(StatusBits codes, Dnssec dnssec)
{
    const std::pair<bool, HolderState> states[] = {
        {codes != 0 && codesOfGroup(codes, StatusGroup::Locked) == 0, HolderState::Unlocked},
        {codesOfGroup(codes, StatusGroup::Hold) != 0, HolderState::OnHold},
        {codesOfGroup(codes, StatusGroup::Redemption) != 0, HolderState::Redemption},
        {codesOfGroup(codes, StatusGroup::PendingDelete) != 0, HolderState::PendingDelete},
        {codesOfGroup(codes, StatusGroup::Inactive) != 0, HolderState::Inactive},
        {dnssec == Dnssec::Unsigned, HolderState::Unsigned},
    };
    std::uint32_t bits = 0;
    for (const auto& [in, state] : states)
        bits |= in ? holderStateBit(state) : 0;
    return bits;
}

std::optional<HolderState> holderStateOfKey(std::string_view key)
{
    for (const HolderStateRow& row : HolderStates) {
        if (row.key == key)
            return row.state;
    }
    return std::nullopt;
}

} // namespace zonedesk::core
