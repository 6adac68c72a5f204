// SPDX-License-Identifier: MIT
#include "history/history_writer.h"

#include <algorithm>
#include <ctime>
#include <unordered_map>

#include "core/encodings.h"
#include "core/error_reason.h"
#include "core/field_copy.h"
#include "core/lookup_status.h"
#include "core/result_fields.h"
#include "history/packed_record.h"

namespace zonedesk::history {

namespace {

/// SQLite's default is 2 MiB a connection; measured, a run's peak memory fell by about as much.
constexpr int WriterPageCacheKib = 256;

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
    for (const core::ResultField& field : core::ResultFields)
        entry.values[field.field] = gbkToUtf8(field.record.text(record));
    if (entry.status == static_cast<std::int32_t>(core::LookupStatus::Error))
        entry.error = std::string(core::errorReasonKey(core::errorReasonOf(record)));
    return entry;
}

namespace {

/// A stored lookup into its record, finished as the run left it: Start asks nothing again.
void restoreRecord(core::DomainRecord& record, const HistoryEntry& entry)
{
    core::copyField(record.domain, core::utf8ToGbk(entry.name));
    core::copyField(record.server, entry.server);
    for (const core::ResultField& field : core::ResultFields)
        field.record.store(record, core::utf8ToGbk(entry.values[field.field]));
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
    record.claimed = 1;
    core::publishDone(record);
}

} // namespace

std::int32_t restoreEntries(core::DomainTable& table, const std::vector<HistoryEntry>& entries)
{
    table.clear();
    const auto count = static_cast<std::int32_t>(std::min<std::size_t>(entries.size(), core::TableCapacity));
    table.setCount(count);
    for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i)
        restoreRecord(table[i], entries[i]);
    return count;
}

std::int32_t restoreList(core::DomainTable& table, const RunList& list)
{
    if (list.names.empty())
        return restoreEntries(table, list.entries);
    std::unordered_map<std::string_view, const HistoryEntry*> latest;
    for (const HistoryEntry& entry : list.entries)
        latest[entry.name] = &entry; // oldest first: the last one stays
    table.clear();
    const auto count =
        static_cast<std::int32_t>(std::min<std::size_t>(list.names.size(), core::TableCapacity));
    table.setCount(count);
    for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i) {
        const ListedName& listed = list.names[i];
        core::DomainRecord& record = table[i];
        if (const auto found = latest.find(listed.name); found != latest.end()) {
            restoreRecord(record, *found->second);
            continue;
        }
        core::copyField(record.domain, core::utf8ToGbk(listed.name));
        core::copyField(record.server, listed.server);
    }
    return count;
}

HistoryWriter::HistoryWriter(const std::string& path,
                             const core::DomainTable& table,
                             std::string_view program,
                             std::optional<std::int64_t> resumes)
    : m_table(table)
    , m_seen(static_cast<std::size_t>(table.count()), false)
    , m_changes(static_cast<std::size_t>(table.count()))
{
    // Records settled before the run (by an earlier start, or opened from the history) are not
    // this run's lookups: it has no reply of theirs, and they are stored already.
    for (std::size_t i = 0; i < m_seen.size(); ++i)
        m_seen[i] = core::isDone(table[i]);
    std::string why;
    m_store = HistoryStore::open(path, why);
    // The writer appends and asks one name at a time: a few pages serve it.
    if (m_store && !m_store->limitPageCache(WriterPageCacheKib, why))
        m_store.reset();
    const auto id = m_store ? m_store->beginRun(now(), program, why) : std::nullopt;
    if (!id) {
        fail(why);
        m_settled = true;
        return;
    }
    m_runId = *id;
    std::vector<ListedName> names;
    names.reserve(m_seen.size());
    for (const core::DomainRecord& record : table.inUse())
        names.push_back(
            {core::gbkToUtf8(core::fieldText(record.domain)), std::string(core::fieldText(record.server))});
    if (!m_store->setRunList(m_runId, names, resumes, why)) {
        fail(why);
        m_settled = true;
        return;
    }
    m_active = true;
    m_writer = std::thread([this] { writerLoop(); });
}

std::unique_ptr<HistoryWriter> HistoryWriter::open(const std::string& path,
                                                   const core::DomainTable& table,
                                                   std::string_view program,
                                                   std::string& why,
                                                   std::optional<std::int64_t> resumes)
{
    auto runHistory = std::make_unique<HistoryWriter>(path, table, program, resumes);
    if (runHistory->active())
        return runHistory;
    why = runHistory->error();
    return nullptr;
}

HistoryWriter::~HistoryWriter()
{
    if (!m_writer.joinable())
        return;
    // Without replies of its own to hand: every record is kept, those not handed yet without
    // their reply (a driver that finished waits with wait() before letting its replies go).
    std::vector<std::string> none;
    if (!m_finished)
        finish(none);
    else if (!m_endHanded)
        m_restReplies = &none;
    wait();
}

void HistoryWriter::fail(std::string why)
{
    m_active = false;
    if (m_error.empty())
        m_error = std::move(why);
}

void HistoryWriter::writerLoop()
{
    bool failed = false;
    for (;;) {
        Job job;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return !m_jobs.empty(); });
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
        }
        Written written;
        written.ended = job.end;
        const std::size_t handed = job.indexes.size();
        if (!failed && !job.indexes.empty()) {
            std::vector<HistoryEntry> entries;
            entries.reserve(job.indexes.size());
            written.changes.resize(job.indexes.size());
            std::string_view packed = job.records;
            for (std::size_t i = 0; i < job.indexes.size(); ++i) {
                core::DomainRecord record{};
                // Packed by handOver, so whole.
                if (!takePackedRecord(packed, record))
                    break;
                HistoryEntry entry = historyEntryOf(record);
                entry.runId = m_runId;
                entry.time = job.time;
                entry.raw = std::move(job.raw[i]);
                // A previous lookup that can't be read gives no change rather than "first lookup".
                std::optional<HistoryEntry> previous;
                std::string unread;
                if (m_store->latest(entry.name, previous, unread) && previous)
                    written.changes[i] = changesBetween(*previous, entry);
                entries.push_back(std::move(entry));
            }
            if (m_store->add(entries, written.error)) {
                job.indexes.resize(entries.size()); // only what was stored counts as stored
                written.indexes = std::move(job.indexes);
            } else
                failed = true;
        }
        if (!failed && job.end && !m_store->endRun(m_runId, now(), job.counts, written.error))
            failed = true;
        {
            const std::lock_guard lock(m_mutex);
            m_queued -= std::min(m_queued, handed);
            m_written.push_back(std::move(written));
        }
        m_room.notify_one();
        if (job.end)
            return;
    }
}

void HistoryWriter::takeWritten()
{
    std::deque<Written> written;
    {
        const std::lock_guard lock(m_mutex);
        written.swap(m_written);
    }
    for (Written& batch : written) {
        for (std::size_t i = 0; i < batch.indexes.size(); ++i)
            m_changes[batch.indexes[i]] = std::move(batch.changes[i]);
        m_stored += batch.indexes.size();
        if (!batch.error.empty())
            fail(batch.error);
        if (batch.ended)
            m_settled = true;
    }
}

void HistoryWriter::tick(std::vector<std::string>& replies)
{
    if (m_finished || !m_writer.joinable())
        return;
    takeWritten();
    if (m_active)
        handOver(replies);
}

bool HistoryWriter::handOver(std::vector<std::string>& replies)
{
    std::size_t room = 0;
    {
        const std::lock_guard lock(m_mutex);
        room = MaxQueued - std::min(m_queued, MaxQueued);
    }
    Job job;
    job.time = now();
    bool handedAll = true;
    const auto records = m_table.inUse();
    // Handed over at each tick of a fast run: the records before the first one not yet handed
    // are not walked again.
    while (m_firstUnseen < m_seen.size() && m_seen[m_firstUnseen])
        ++m_firstUnseen;
    for (std::size_t i = m_firstUnseen; i < records.size() && i < m_seen.size(); ++i) {
        if (m_seen[i] || !core::isDone(records[i]))
            continue;
        // A name without a server was never asked: nothing to remember.
        if (records[i].status == static_cast<std::int32_t>(core::LookupStatus::NoServer)) {
            m_seen[i] = true;
            continue;
        }
        if (job.indexes.size() == room) {
            handedAll = false;
            break;
        }
        m_seen[i] = true;
        appendPackedRecord(job.records, records[i]);
        job.raw.push_back(i < replies.size() ? std::move(replies[i]) : std::string());
        switch (static_cast<core::LookupStatus>(records[i].status)) {
        case core::LookupStatus::Success: ++m_counts.registered; break;
        case core::LookupStatus::NotRegistered: ++m_counts.available; break;
        case core::LookupStatus::Error: ++m_counts.errors; break;
        case core::LookupStatus::NoServer: break;
        }
        ++m_counts.total;
        job.indexes.push_back(i);
    }
    if (job.indexes.empty())
        return handedAll;
    {
        const std::lock_guard lock(m_mutex);
        m_queued += job.indexes.size();
        m_jobs.push_back(std::move(job));
    }
    m_wake.notify_one();
    return handedAll;
}

void HistoryWriter::finish(std::vector<std::string>& replies)
{
    if (m_finished || !m_writer.joinable())
        return;
    takeWritten();
    m_finished = true;
    m_restReplies = &replies;
    handRest();
}

void HistoryWriter::handRest()
{
    if (m_endHanded || !m_finished)
        return;
    // A writer that failed stores nothing more: the end is all it still takes.
    if (m_active && !handOver(*m_restReplies))
        return;
    m_endHanded = true;
    Job end;
    end.end = true;
    end.counts = m_counts;
    {
        const std::lock_guard lock(m_mutex);
        m_jobs.push_back(std::move(end));
    }
    m_wake.notify_one();
}

bool HistoryWriter::settled()
{
    if (!m_settled && m_finished) {
        takeWritten();
        handRest();
    }
    return m_settled;
}

void HistoryWriter::wait()
{
    if (!m_writer.joinable() || !m_finished)
        return;
    while (!m_endHanded) {
        {
            std::unique_lock lock(m_mutex);
            m_room.wait(lock, [this] { return m_queued < MaxQueued; });
        }
        takeWritten();
        handRest();
    }
    m_writer.join();
    takeWritten();
}

std::size_t HistoryWriter::queuedCount()
{
    const std::lock_guard lock(m_mutex);
    return m_queued;
}

const std::vector<Change>& HistoryWriter::changesOf(std::size_t index) const
{
    static const std::vector<Change> none;
    return index < m_changes.size() ? m_changes[index] : none;
}

std::vector<std::size_t> HistoryWriter::changedRecords() const
{
    std::vector<std::size_t> changed;
    for (std::size_t i = 0; i < m_changes.size(); ++i) {
        if (!m_changes[i].empty())
            changed.push_back(i);
    }
    return changed;
}

} // namespace zonedesk::history
