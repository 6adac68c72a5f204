// SPDX-License-Identifier: MIT
// The domain table: one fixed-layout record per imported domain, shared by the UI thread and the workers.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <type_traits>

namespace zonedesk::core {

/// Fixed-width, NUL-terminated GBK text fields; every text write goes through copyField().
/// The first 776 bytes are the table's original layout, so nothing in them may be reordered;
/// `errorReason` lives in what was that layout's one byte of tail padding. The name's security
/// state follows them (see core/domain_status.h).
struct DomainRecord
{
    char server[51];
    char domain[41];
    std::int32_t status;
    char expiryDate[41];
    char registrationDate[41];
    char updatedDate[41];
    char owner[251];
    char email[51];
    char registrar[251];
    std::uint8_t claimed;
    std::uint8_t done; // published with release, read with acquire: see isDone()/publishDone()
    std::uint8_t shown;
    /// ErrorReason of an Error record in the low bits, and ResultSourceBit when the answer came over
    /// RDAP; written with the results, before `done`. Read it through errorReasonOf / resultSource.
    std::uint8_t errorReason;
    std::uint32_t statusCodes; // StatusBits of the EPP codes stated
    char registryStatus[41];   // the registry's own status words, ", " between them
    char nameServers[160];     // sorted host names, a blank between them, "+N" for those left out
    std::uint8_t dnssec;       // Dnssec
};

static_assert(sizeof(DomainRecord) == 984);
// The field order of the table's layout.
static_assert(offsetof(DomainRecord, domain) == 51 && offsetof(DomainRecord, status) == 92 &&
              offsetof(DomainRecord, expiryDate) == 96 && offsetof(DomainRecord, owner) == 219 &&
              offsetof(DomainRecord, registrar) == 521 && offsetof(DomainRecord, shown) == 774 &&
              offsetof(DomainRecord, errorReason) == 775 && offsetof(DomainRecord, statusCodes) == 776);
static_assert(std::is_standard_layout_v<DomainRecord> && std::is_trivially_copyable_v<DomainRecord>);
static_assert(std::atomic_ref<std::uint8_t>::required_alignment == 1);

/// True once the record's results are final. Acquire: the result fields may be read afterwards. Any thread.
inline bool isDone(const DomainRecord& record)
{
    // atomic_ref needs a non-const object; the load does not write.
    auto& flag = const_cast<std::uint8_t&>(record.done);
    return std::atomic_ref<std::uint8_t>(flag).load(std::memory_order_acquire) != 0;
}

/// Marks the record finished. Release: every field written before becomes visible to isDone() readers.
inline void publishDone(DomainRecord& record)
{
    std::atomic_ref<std::uint8_t>(record.done).store(1, std::memory_order_release);
}

inline constexpr std::uint8_t ResultSourceBit = 0x80;

enum class ResultSource : std::uint8_t
{
    Whois,
    Rdap,
};

/// The record's ErrorReason value (None unless it is an Error). After isDone.
inline std::uint8_t errorReasonOf(const DomainRecord& record)
{
    return static_cast<std::uint8_t>(record.errorReason & ~ResultSourceBit);
}

/// Which transport the record's result came over. After isDone.
inline ResultSource resultSource(const DomainRecord& record)
{
    return (record.errorReason & ResultSourceBit) != 0 ? ResultSource::Rdap : ResultSource::Whois;
}

inline constexpr std::int32_t TableCapacity = 10000;

/// The block of TableCapacity records and the count of those in use (0..TableCapacity).
/// The UI thread owns the count and changes records only while no run is in progress.
class DomainTable
{
public:
    /// Allocates the zero-filled block; nullptr when the memory cannot be had (never throws).
    static std::unique_ptr<DomainTable> allocate();

    DomainRecord& operator[](std::size_t index) { return m_records[index]; }

    const DomainRecord& operator[](std::size_t index) const { return m_records[index]; }

    std::int32_t count() const { return m_count; }

    /// Clamped to 0..TableCapacity so that no reader can walk past the block.
    void setCount(std::int32_t count);

    /// Records 0..count-1.
    std::span<DomainRecord> inUse() { return {m_records.get(), static_cast<std::size_t>(m_count)}; }

    std::span<const DomainRecord> inUse() const
    {
        return {m_records.get(), static_cast<std::size_t>(m_count)};
    }

    /// Records in use whose lookup is over (their `done` seen, acquire). UI thread.
    std::int32_t doneCount() const;

    /// Zero-fills all TableCapacity records and sets the count to 0.
    void clear();

    /// Every record in use as an import leaves it, for a new run over the same names: server and
    /// domain kept, results, status and flags cleared. No run in progress.
    void clearResults();

    /// The same for the record at `index` alone (one in use). No run in progress.
    void clearResults(std::size_t index);

private:
    explicit DomainTable(std::unique_ptr<DomainRecord[]> records);

    std::unique_ptr<DomainRecord[]> m_records;
    std::int32_t m_count = 0;
};

} // namespace zonedesk::core
