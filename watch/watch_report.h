// SPDX-License-Identifier: MIT
// What a watch run has to tell its user: the names whose security state changed (a transfer lock
// lifted, other name servers, DNSSEC off, a hold, a redemption, and back), that were dropped, that
// expire soon, whose registrar, owner or expiry moved back, and that failed for the second run in
// a row. Built from
// the run's table and the history; every message format reads this one value.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zonedesk::core {
class CalendarDate;
class DomainTable;
} // namespace zonedesk::core

namespace zonedesk::history {
class HistoryWriter;
class HistoryStore;
} // namespace zonedesk::history

namespace zonedesk::watch {

/// In the order a message lists them.
enum class NoticeKind
{
    SecurityChanged, // a transfer lock, the name servers, DNSSEC, a hold or a redemption: `change`
    AtRisk,          // on hold, in redemption or pending delete, and not newly so: `what`, codes in `after`
    Dropped,         // registered at the previous lookup, available now
    NearExpiry,      // expires within the days asked for (or has expired)
    ExpiryMovedBack, // the expiry date is earlier than at the previous lookup
    RegistrarChanged,
    OwnerChanged,
    FailingAgain, // ERR! at this run and at the name's previous lookup
};

/// Every kind, in that order.
inline constexpr NoticeKind NoticeKinds[] = {NoticeKind::SecurityChanged,
                                             NoticeKind::AtRisk,
                                             NoticeKind::Dropped,
                                             NoticeKind::NearExpiry,
                                             NoticeKind::ExpiryMovedBack,
                                             NoticeKind::RegistrarChanged,
                                             NoticeKind::OwnerChanged,
                                             NoticeKind::FailingAgain};

struct Notice
{
    NoticeKind kind = NoticeKind::Dropped;
    std::string name;                     // UTF-8, as listed
    std::string aLabel;                   // beside a name that may pass for another; else empty
    std::optional<std::int32_t> daysLeft; // NearExpiry
    std::string expiry;                   // YYYY-MM-DD, empty when unknown
    std::string registrar;                // UTF-8, as the registry said; empty when it said none
    std::string before;                   // the changes' values (UTF-8; dates as YYYY-MM-DD)
    std::string after;
    std::string reason; // FailingAgain: why, in English ("timed out")
    std::string change; // SecurityChanged: the change's key ("transfer-lock-lifted")
    std::string what;   // SecurityChanged: the change in English ("transfer lock lifted")

    bool operator==(const Notice&) const = default;
};

/// The name as a notice shows it: with its A-label beside it when it may pass for another name.
std::string shownName(const Notice& notice);

struct WatchReport
{
    std::size_t total = 0;       // names looked up
    std::size_t failed = 0;      // of them, names whose lookup failed (ERR!) or never ran
    std::int32_t warnDays = 30;  // the near-expiry window
    std::vector<Notice> notices; // in NoticeKind order; near expiry soonest first
    std::size_t untold = 0;      // notices left out by keepTold

    bool empty() const { return notices.empty(); }

    std::size_t count(NoticeKind kind) const;
};

/// What a report without notices says of the names (English, no full stop): "all 12 names
/// fine", "the 1 name is fine", or, when lookups failed for the first time, "11 of 12 names
/// fine, 1 lookup failed": a failure never reads as fine; nor does a report whose notices --tell
/// left out ("none of the kinds asked, 3 other notices").
std::string quietSummary(const WatchReport& report);

/// A stable English key for data: "security", "at-risk", "dropped", "near-expiry", "expiry-moved-back",
/// "registrar-changed", "owner-changed", "failing-again".
std::string_view noticeKey(NoticeKind kind);

/// The report of a finished run over `table`. The changes come from `runHistory` (drops, expiry
/// dates moved back, other registrars and owners); near expiry from the table; a name is failing
/// again when its lookup ended in ERR! and its previous one in `store` did too (the run's own
/// lookups, run `runHistory->runId()`, are passed over). Without a history or a store only the
/// near-expiry names are known. A read of the store that fails is said in `why`; the report
/// then lacks what it would have added.
/// The keys `--tell` takes: the notice keys, and the security changes' keys (history::changeKey)
/// to tell only those of the security changes.
std::vector<std::string_view> tellKeys();

/// Keeps the notices `keys` (tellKeys) choose, counting the rest in `untold`; "at-risk" keeps a
/// hold or redemption that began at this run too. Empty keys keep all.
void keepTold(WatchReport& report, const std::vector<std::string>& keys);

WatchReport buildWatchReport(const core::DomainTable& table,
                             const history::HistoryWriter* runHistory,
                             history::HistoryStore* store,
                             std::int32_t warnDays,
                             const core::CalendarDate& today,
                             std::string& why);

} // namespace zonedesk::watch
