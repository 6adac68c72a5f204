// SPDX-License-Identifier: MIT
// Allocation and reset of the domain table, whole or its results only.
#include "core/domain_table.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "core/field_copy.h"

namespace zonedesk::core {

DomainTable::DomainTable(std::unique_ptr<DomainRecord[]> records)
    : m_records(std::move(records))
{}

std::unique_ptr<DomainTable> DomainTable::allocate()
{
    // Value-initialisation zero-fills the block: a zero record is the valid empty record.
    std::unique_ptr<DomainRecord[]> records(new (std::nothrow) DomainRecord[TableCapacity]());
    if (!records)
        return nullptr;
    return std::unique_ptr<DomainTable>(new (std::nothrow) DomainTable(std::move(records)));
}

void DomainTable::setCount(std::int32_t count)
{
    m_count = std::clamp(count, 0, TableCapacity);
}

void DomainTable::clear()
{
    std::memset(static_cast<void*>(m_records.get()), 0, sizeof(DomainRecord) * TableCapacity);
    m_count = 0;
}

std::int32_t DomainTable::doneCount() const
{
    const auto rows = inUse();
    return static_cast<std::int32_t>(std::count_if(rows.begin(), rows.end(), isDone));
}

void DomainTable::clearResults()
{
    for (std::size_t i = 0; i < static_cast<std::size_t>(m_count); ++i)
        clearResults(i);
}

void DomainTable::clearResults(std::size_t index)
{
    if (index >= static_cast<std::size_t>(m_count))
        return;
    DomainRecord& record = m_records[index];
    DomainRecord fresh{};
    copyField(fresh.server, fieldText(record.server));
    copyField(fresh.domain, fieldText(record.domain));
    record = fresh;
}

} // namespace zonedesk::core
