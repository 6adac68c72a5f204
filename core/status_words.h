// SPDX-License-Identifier: MIT
// What a name's status codes mean to its holder, in a few words for the list's cell and one plain
// sentence per code for its tool tip, in Chinese and English.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "core/domain_status.h"

namespace zonedesk::core {

struct StatusWords
{
    std::string_view zh;
    std::string_view en;
};

/// The states of `codes` in a few words each, the most pressing first, each once: a hold, a
/// redemption, a pending delete before a lock. Codes stated without a transfer lock say
/// "未锁定" / "unlocked" in the lock's place; none stated gives none.
std::vector<StatusWords> statusSummary(StatusBits codes);

/// One sentence of what `code` means for the name.
StatusWords statusMeaning(EppStatus code);

/// A hold, a redemption or a pending delete: the name is not working or on its way out.
bool atRisk(StatusBits codes);

/// The states a holder asks a report for.
enum class HolderState : std::uint8_t
{
    Unlocked,      // EPP codes stated, none a transfer lock
    OnHold,        // clientHold or serverHold
    Redemption,    // redemptionPeriod or pendingRestore
    PendingDelete, // pendingDelete
    Inactive,      // inactive: no name servers
    Unsigned,      // DNSSEC stated off
};

struct HolderStateRow
{
    HolderState state;
    std::string_view key; // for options and data: "pending-delete"
    StatusWords words;
};

inline constexpr HolderStateRow HolderStates[] = {
    {HolderState::Unlocked, "unlocked", {"未锁定", "unlocked"}},
    {HolderState::OnHold, "hold", {"暂停解析", "on hold"}},
    {HolderState::Redemption, "redemption", {"赎回期", "redemption"}},
    {HolderState::PendingDelete, "pending-delete", {"待删除", "pending delete"}},
    {HolderState::Inactive, "inactive", {"未解析", "inactive"}},
    {HolderState::Unsigned, "unsigned", {"未签名", "unsigned"}},
};

constexpr std::uint32_t holderStateBit(HolderState state)
{
    return std::uint32_t{1} << static_cast<unsigned>(state);
}

/// The HolderState bits of a name's codes and DNSSEC.
std::uint32_t holderStates(StatusBits codes, Dnssec dnssec);

/// The state of `key`, nullopt for none.
std::optional<HolderState> holderStateOfKey(std::string_view key);

} // namespace zonedesk::core
