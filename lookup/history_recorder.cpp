// SPDX-License-Identifier: MIT
#include "lookup/history_recorder.h"

#include <algorithm>
#include <ctime>

#include "core/encodings.h"
#include "core/error_reason.h"
#include "core/field_copy.h"
#include "core/lookup_status.h"

namespace zonedesk::lookup {

namespace {

std::int64_t now()
{
    return std::int64_t{std::time(nullptr)};
}

} // namespace

HistoryEntry historyEntryOf(const core::DomainRecord& record)
{
    using core::fieldText;
    using core::gbkToUtf8;
    HistoryEntry entry;
    entry.name = gbkToUtf8(fieldText(record.domain));
    entry.server = std::string(fieldText(record.server));
    entry.status = record.status;
    const bool asked = entry.status != static_cast<std::int32_t>(core::LookupStatus::Error) ||
                       core::errorReasonOf(record) != static_cast<std::uint8_t>(core::ErrorReason::BadName);
    entry.source = !asked ? "" : core::resultSource(record) == core::ResultSource::Rdap ? "rdap" : "whois";
    entry.expiry = gbkToUtf8(fieldText(record.expiryDate));
    entry.registration = gbkToUtf8(fieldText(record.registrationDate));
    entry.updated = gbkToUtf8(fieldText(record.updatedDate));
    entry.owner = gbkToUtf8(fieldText(record.owner));
    entry.email = gbkToUtf8(fieldText(record.email));
    entry.registrar = gbkToUtf8(fieldText(record.registrar));
    if (entry.status == static_cast<std::int32_t>(core::LookupStatus::Error))
        entry.error = std::string(core::errorReasonKey(core::errorReasonOf(record)));
    return entry;
}

std::int32_t restoreEntries(core::DomainTable& table, const std::vector<HistoryEntry>& entries)
{
    table.clear();
    const auto count = static_cast<std::int32_t>(std::min<std::size_t>(entries.size(), core::TableCapacity));
    table.setCount(count);
    for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i) {
        const HistoryEntry& entry = entries[i];
        core::DomainRecord& record = table[i];
        core::copyField(record.domain, core::utf8ToGbk(entry.name));
        core::copyField(record.server, entry.server);
        core::copyField(record.expiryDate, core::utf8ToGbk(entry.expiry));
        core::copyField(record.registrationDate, core::utf8ToGbk(entry.registration));
        core::copyField(record.updatedDate, core::utf8ToGbk(entry.updated));
        core::copyField(record.owner, core::utf8ToGbk(entry.owner));
        core::copyField(record.email, core::utf8ToGbk(entry.email));
        core::copyField(record.registrar, core::utf8ToGbk(entry.registrar));
        record.status = entry.status;
        std::uint8_t reason = 0;
        for (std::uint8_t r = 1; !entry.error.empty() && r < 64; ++r) {
            if (core::errorReasonKey(r) == entry.error) {
                reason = r;
                break;
            }
        }
        record.errorReason =
            static_cast<std::uint8_t>(reason | (entry.source == "rdap" ? core::ResultSourceBit : 0));
        core::publishDone(record);
    }
    return count;
}

HistoryRecorder::HistoryRecorder(HistoryStore& store,
                                 const core::DomainTable& table,
                                 const std::vector<std::string>* rawReplies,
                                 std::string_view program)
    : m_store(store)
    , m_table(table)
    , m_raw(rawReplies)
    , m_seen(static_cast<std::size_t>(table.count()), false)
    , m_changes(static_cast<std::size_t>(table.count()))
{
    std::string why;
    if (const auto id = m_store.beginRun(now(), program, why)) {
        m_runId = *id;
        m_active = true;
    } else {
        fail(why);
    }
}

void HistoryRecorder::fail(std::string why)
{
    m_active = false;
    m_error = std::move(why);
}

void HistoryRecorder::tick()
{
    if (!m_active)
        return;
    std::vector<HistoryEntry> batch;
    std::vector<std::size_t> indexes;
    const auto records = m_table.inUse();
    const std::int64_t time = now();
    for (std::size_t i = 0; i < records.size() && i < m_seen.size(); ++i) {
        if (m_seen[i] || !core::isDone(records[i]))
            continue;
        m_seen[i] = true;
        // A name without a server was never asked: nothing to remember.
        if (records[i].status == static_cast<std::int32_t>(core::LookupStatus::NoServer))
            continue;
        HistoryEntry entry = historyEntryOf(records[i]);
        entry.runId = m_runId;
        entry.time = time;
        if (m_raw != nullptr && i < m_raw->size())
            entry.raw = (*m_raw)[i];
        if (const auto previous = m_store.latest(entry.name))
            m_changes[i] = changesBetween(*previous, entry);
        switch (static_cast<core::LookupStatus>(entry.status)) {
        case core::LookupStatus::Success: ++m_counts.registered; break;
        case core::LookupStatus::NotRegistered: ++m_counts.available; break;
        case core::LookupStatus::Error: ++m_counts.errors; break;
        case core::LookupStatus::NoServer: break;
        }
        ++m_counts.total;
        batch.push_back(std::move(entry));
        indexes.push_back(i);
    }
    std::string why;
    if (!m_store.add(batch, why)) {
        for (const std::size_t i : indexes)
            m_changes[i].clear();
        fail(why);
        return;
    }
    m_stored += batch.size();
}

void HistoryRecorder::finish()
{
    tick();
    std::string why;
    if (m_active && !m_store.endRun(m_runId, now(), m_counts, why))
        fail(why);
}

const std::vector<Change>& HistoryRecorder::changesOf(std::size_t index) const
{
    static const std::vector<Change> none;
    return index < m_changes.size() ? m_changes[index] : none;
}

std::vector<std::size_t> HistoryRecorder::changedRecords() const
{
    std::vector<std::size_t> changed;
    for (std::size_t i = 0; i < m_changes.size(); ++i) {
        if (!m_changes[i].empty())
            changed.push_back(i);
    }
    return changed;
}

} // namespace zonedesk::lookup
