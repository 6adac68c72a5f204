// SPDX-License-Identifier: MIT
#include "watch/watch_report.h"

#include <algorithm>

#include "core/calendar_date.h"
#include "core/confusable_names.h"
#include "core/domain_table.h"
#include "core/error_reason.h"
#include "core/lookup_status.h"
#include "core/result_fields.h"
#include "core/status_words.h"
#include "history/history_store.h"
#include "history/history_writer.h"
#include "history/record_changes.h"

namespace zonedesk::watch {

std::string shownName(const Notice& notice)
{
    return notice.aLabel.empty() ? notice.name : notice.name + " (" + notice.aLabel + ")";
}

std::size_t WatchReport::count(NoticeKind kind) const
{
    return static_cast<std::size_t>(std::count_if(
        notices.begin(), notices.end(), [kind](const Notice& notice) { return notice.kind == kind; }));
}

std::string quietSummary(const WatchReport& report)
{
    if (report.total == 0)
        return "no names looked up";
    if (report.untold > 0)
        return "none of the kinds asked, " + std::to_string(report.untold) +
               (report.untold == 1 ? " other notice" : " other notices");
    if (report.failed == 0)
        return report.total == 1 ? "the 1 name is fine"
                                 : "all " + std::to_string(report.total) + " names fine";
    const std::size_t fine = report.total - std::min(report.failed, report.total);
    return std::to_string(fine) + " of " + std::to_string(report.total) +
           (report.total == 1 ? " name" : " names") + " fine, " + std::to_string(report.failed) +
           (report.failed == 1 ? " lookup" : " lookups") + " failed";
}

std::string_view noticeKey(NoticeKind kind)
{
    switch (kind) {
    case NoticeKind::SecurityChanged: return "security";
    case NoticeKind::AtRisk: return "at-risk";
    case NoticeKind::Dropped: return "dropped";
    case NoticeKind::NearExpiry: return "near-expiry";
    case NoticeKind::ExpiryMovedBack: return "expiry-moved-back";
    case NoticeKind::RegistrarChanged: return "registrar-changed";
    case NoticeKind::OwnerChanged: return "owner-changed";
    case NoticeKind::FailingAgain: return "failing-again";
    }
    return "unknown";
}

namespace {

using core::Field;

constexpr auto ErrorStatus = static_cast<std::int32_t>(core::LookupStatus::Error);
constexpr auto RegisteredStatus = static_cast<std::int32_t>(core::LookupStatus::Success);

/// The name's lookup before this run's, when the store has one.
std::optional<history::HistoryEntry>
previousLookup(history::HistoryStore& store, const std::string& name, std::int64_t runId, std::string& why)
{
    // This run stored one lookup of the name (two when a resume asked it again): the third is
    // earlier than the run in any case.
    const auto entries = store.history(name, false, why, 3);
    if (!entries)
        return std::nullopt;
    for (const history::HistoryEntry& entry : *entries) {
        if (entry.runId != runId)
            return entry;
    }
    return std::nullopt;
}

NoticeKind noticeKindOf(history::ChangeKind kind)
{
    switch (kind) {
    case history::ChangeKind::Dropped: return NoticeKind::Dropped;
    case history::ChangeKind::ExpiryMovedBack: return NoticeKind::ExpiryMovedBack;
    case history::ChangeKind::RegistrarChanged: return NoticeKind::RegistrarChanged;
    case history::ChangeKind::OwnerChanged: return NoticeKind::OwnerChanged;
    case history::ChangeKind::TransferLockLifted:
    case history::ChangeKind::TransferLockSet:
    case history::ChangeKind::NameServersChanged:
    case history::ChangeKind::DnssecTurnedOff:
    case history::ChangeKind::DnssecTurnedOn:
    case history::ChangeKind::PutOnHold:
    case history::ChangeKind::HoldReleased:
    case history::ChangeKind::EnteredRedemption:
    case history::ChangeKind::LeftRedemption: return NoticeKind::SecurityChanged;
    case history::ChangeKind::Registered:
    case history::ChangeKind::Renewed: break;
    }
    return NoticeKind::FailingAgain; // not a notice: the caller passes these over
}

/// A notice of `kind` for the lookup `now`, with its expiry and registrar as it stands.
Notice noticeOf(NoticeKind kind, const history::HistoryEntry& now, const std::string& aLabel)
{
    Notice notice;
    notice.kind = kind;
    notice.name = now.name;
    notice.aLabel = aLabel;
    const auto expiry = core::readDate(now.values[Field::ExpiryDate]);
    notice.expiry = expiry ? expiry->iso() : std::string();
    notice.registrar = now.values[Field::Registrar];
    return notice;
}

bool worthANotice(history::ChangeKind kind)
{
    return kind != history::ChangeKind::Registered && kind != history::ChangeKind::Renewed;
}

constexpr history::ChangeKind SecurityChanges[] = {history::ChangeKind::TransferLockLifted,
                                                   history::ChangeKind::TransferLockSet,
                                                   history::ChangeKind::NameServersChanged,
                                                   history::ChangeKind::DnssecTurnedOff,
                                                   history::ChangeKind::DnssecTurnedOn,
                                                   history::ChangeKind::PutOnHold,
                                                   history::ChangeKind::HoldReleased,
                                                   history::ChangeKind::EnteredRedemption,
                                                   history::ChangeKind::LeftRedemption};

/// The hold, redemption and pending delete of `codes`, in English ("on hold, pending delete");
/// empty when none.
std::string riskText(core::StatusBits codes)
{
    std::string text;
    const std::uint32_t states = core::holderStates(codes, core::Dnssec::NotStated);
    for (const core::HolderState state :
         {core::HolderState::OnHold, core::HolderState::Redemption, core::HolderState::PendingDelete}) {
        if ((states & core::holderStateBit(state)) == 0)
            continue;
        for (const core::HolderStateRow& row : core::HolderStates) {
            if (row.state == state)
                (text += text.empty() ? "" : ", ") += row.words.en;
        }
    }
    return text;
}

} // namespace

std::vector<std::string_view> tellKeys()
{
    std::vector<std::string_view> keys;
    for (const NoticeKind kind : NoticeKinds)
        keys.push_back(noticeKey(kind));
    for (const history::ChangeKind kind : SecurityChanges)
        keys.push_back(history::changeKey(kind));
    return keys;
}

void keepTold(WatchReport& report, const std::vector<std::string>& keys)
{
    if (keys.empty())
        return;
    const auto chosen = [&keys](std::string_view key) {
        return std::find(keys.begin(), keys.end(), key) != keys.end();
    };
    // A name that went on hold or into redemption at this run is told by its change, not as at risk.
    const bool atRisk = chosen(noticeKey(NoticeKind::AtRisk));
    report.untold += std::erase_if(report.notices, [&](const Notice& notice) {
        if (chosen(noticeKey(notice.kind)))
            return false;
        if (notice.kind != NoticeKind::SecurityChanged)
            return true;
        return !chosen(notice.change) &&
               !(atRisk && (notice.change == history::changeKey(history::ChangeKind::PutOnHold) ||
                            notice.change == history::changeKey(history::ChangeKind::EnteredRedemption)));
    });
}

WatchReport buildWatchReport(const core::DomainTable& table,
                             const history::HistoryWriter* runHistory,
                             history::HistoryStore* store,
                             std::int32_t warnDays,
                             const core::CalendarDate& today,
                             std::string& why)
{
    WatchReport report;
    report.warnDays = warnDays;
    const auto records = table.inUse();
    report.total = records.size();
    const std::int64_t runId = runHistory != nullptr ? runHistory->runId() : 0;
    const bool history = runHistory != nullptr && store != nullptr;
    const std::vector<history::Change> none;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const core::DomainRecord& record = records[i];
        const auto status = core::settledStatus(record);
        if (!status || *status == ErrorStatus)
            ++report.failed;
        if (!status)
            continue; // never asked (a run that could not start a worker): nothing is known of it
        const auto expiry = core::recordDate(record, Field::ExpiryDate);
        const std::int64_t days = expiry ? core::daysBetween(today, *expiry) : 0;
        // A name that is not registered (or failed) expires nothing, whatever dates its reply held.
        const bool near = *status == RegisteredStatus && expiry && days <= warnDays;
        const std::vector<history::Change>& changes = runHistory != nullptr ? runHistory->changesOf(i) : none;
        const bool failing = history && *status == ErrorStatus;
        // A hold or redemption told as a change of this run is not told again as a standing state.
        const bool newlyAtRisk =
            std::any_of(changes.begin(), changes.end(), [](const history::Change& change) {
                return change.kind == history::ChangeKind::PutOnHold ||
                       change.kind == history::ChangeKind::EnteredRedemption;
            });
        const bool atRisk = *status == RegisteredStatus && core::atRisk(record.statusCodes) && !newlyAtRisk;
        // Most names have nothing to tell: only those that may are read out of the table's GBK.
        if (!near && !failing && !atRisk &&
            std::none_of(changes.begin(), changes.end(), [](const history::Change& change) {
                return worthANotice(change.kind);
            }))
            continue;
        const history::HistoryEntry now = history::historyEntryOf(record);
        // A homograph is told with its A-label, as the list shows it.
        const std::string aLabel = core::confusableALabel(core::fieldText(record.domain)).value_or("");
        if (atRisk) {
            Notice& notice = report.notices.emplace_back(noticeOf(NoticeKind::AtRisk, now, aLabel));
            notice.what = riskText(record.statusCodes);
            notice.after = now.values[Field::Statuses];
        }
        if (near) {
            Notice& notice = report.notices.emplace_back(noticeOf(NoticeKind::NearExpiry, now, aLabel));
            // Dates lie within a few thousand years of each other.
            notice.daysLeft = static_cast<std::int32_t>(days);
            notice.expiry = expiry->iso();
        }
        for (const history::Change& change : changes) {
            if (!worthANotice(change.kind))
                continue;
            Notice notice = noticeOf(noticeKindOf(change.kind), now, aLabel);
            notice.before = change.from;
            notice.after = change.to;
            if (history::isSecurityChange(change.kind)) {
                notice.change = history::changeKey(change.kind);
                notice.what = history::changeKindText(change.kind);
            }
            if (change.kind == history::ChangeKind::Dropped) {
                // What the name was: its expiry and registrar at the lookup before the drop.
                notice.expiry = change.from;
                notice.registrar.clear();
                if (store != nullptr) {
                    if (const auto before = previousLookup(*store, now.name, runId, why))
                        notice.registrar = before->values[Field::Registrar];
                }
            }
            report.notices.push_back(std::move(notice));
        }
        if (failing) {
            const auto before = previousLookup(*store, now.name, runId, why);
            if (before && before->status == ErrorStatus) {
                Notice& notice = report.notices.emplace_back(noticeOf(NoticeKind::FailingAgain, now, aLabel));
                notice.reason = core::errorReasonText(core::errorReasonOf(record));
            }
        }
    }
    // By kind; the near-expiry names soonest first; otherwise as listed.
    std::stable_sort(report.notices.begin(), report.notices.end(), [](const Notice& a, const Notice& b) {
        if (a.kind != b.kind)
            return a.kind < b.kind;
        if (a.kind == NoticeKind::NearExpiry && a.daysLeft != b.daysLeft)
            return a.daysLeft < b.daysLeft;
        return false;
    });
    return report;
}

} // namespace zonedesk::watch
