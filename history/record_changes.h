// SPDX-License-Identifier: MIT
// What changed between two lookups of a name: a drop (registered, then available), a new
// registration, a renewal or an expiry moved back, another registrar, another owner, and the
// changes of its security state (a transfer lock, its name servers, DNSSEC, a hold, a
// redemption). A lookup that ended in Error tells nothing, so no change is made of it; nor does a
// state one of the two lookups does not state.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "history/history_store.h"

namespace zonedesk::history {

enum class ChangeKind
{
    Dropped,
    Registered,
    Renewed,
    ExpiryMovedBack,
    RegistrarChanged,
    OwnerChanged,
    // The name's security state (core/domain_status.h): a state on one side and not the other.
    TransferLockLifted, // no client- or serverTransferProhibited left where there was one
    TransferLockSet,
    NameServersChanged, // another set of servers (an order alone is none)
    DnssecTurnedOff,
    DnssecTurnedOn,
    PutOnHold, // clientHold or serverHold
    HoldReleased,
    EnteredRedemption, // redemptionPeriod, pendingRestore or pendingDelete
    LeftRedemption,
};

/// Whether a change is of the name's security state (the watch tells these first).
bool isSecurityChange(ChangeKind kind);

struct Change
{
    ChangeKind kind;
    std::string from; // UTF-8; dates as YYYY-MM-DD
    std::string to;

    bool operator==(const Change&) const = default;
};

std::vector<Change> changesBetween(const HistoryEntry& before, const HistoryEntry& after);

/// A stable English key: "dropped", "registered", "renewed", "expiry-moved-back",
/// "registrar-changed", "owner-changed", "transfer-lock-lifted", "transfer-lock-set",
/// "name-servers-changed", "dnssec-off", "dnssec-on", "put-on-hold", "hold-released",
/// "entered-redemption", "left-redemption".
std::string_view changeKey(ChangeKind kind);

/// The kind alone in English ("transfer lock lifted").
std::string_view changeKindText(ChangeKind kind);

/// "renewed: 2026-05-14 -> 2027-05-14", for terminals.
std::string changeText(const Change& change);

/// "续费：2026-05-14 → 2027-05-14", "注册商变更：A → B", "已释放！", for the list (UTF-8).
std::string changeTextZh(const Change& change);

/// The kind alone in Chinese ("续费"), UTF-8: what the screen translates.
std::string_view changeKindTextZh(ChangeKind kind);

/// True when the change's text names its two values (a drop or a new registration names none).
bool changeShowsValues(ChangeKind kind);

} // namespace zonedesk::history
