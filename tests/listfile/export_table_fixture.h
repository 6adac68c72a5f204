// SPDX-License-Identifier: MIT
// A table to export and a folder to export it to, shared by the export tests.
#pragma once

#include <memory>
#include <string_view>

#include <gtest/gtest.h>

#include "core/domain_table.h"
#include "core/field_copy.h"
#include "core/lookup_status.h"
#include "tests/support/temp_dir.h"

namespace zonedesk::listfile {

class ExportTableTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        table = core::DomainTable::allocate();
        ASSERT_NE(table, nullptr);
    }

    core::DomainRecord& add(std::string_view server, std::string_view domain)
    {
        core::DomainRecord& record = (*table)[static_cast<std::size_t>(table->count())];
        core::copyField(record.server, server);
        core::copyField(record.domain, domain);
        table->setCount(table->count() + 1);
        return record;
    }

    static void settle(core::DomainRecord& record, core::LookupStatus status)
    {
        record.status = static_cast<std::int32_t>(status);
        core::publishDone(record);
    }

    test::TempDir dir;
    std::unique_ptr<core::DomainTable> table;
};

} // namespace zonedesk::listfile
