// SPDX-License-Identifier: MIT
#include "listfile/csv_export.h"

#include <string>

#include <gtest/gtest.h>

#include "core/domain_table.h"
#include "core/field_copy.h"
#include "core/lookup_status.h"
#include "tests/listfile/export_table_fixture.h"
#include "tests/support/temp_dir.h"

namespace zonedesk::listfile {
namespace {

using core::copyField;
using core::DomainRecord;

class ExportCsv : public ExportTableTest
{};

TEST_F(ExportCsv, WritesEveryRecordWithItsResults)
{
    DomainRecord& found = add("whois.verisign-grs.com", "example.com");
    copyField(found.expiryDate, "2030-01-01");
    copyField(found.registrationDate, "1995-08-14");
    copyField(found.updatedDate, "2024-01-01"); // not exported
    copyField(found.owner, "N/A");
    copyField(found.email, "N/A");
    copyField(found.registrar, "RESERVED-Internet Assigned Numbers Authority");
    settle(found, core::LookupStatus::Success);
    settle(add("whois.cnnic.cn", "free.cn"), core::LookupStatus::NotRegistered);
    settle(add("whois.nic.tv", "broken.tv"), core::LookupStatus::Error);
    settle(add("", "name.sg"), core::LookupStatus::NoServer);

    const auto file = dir.path() / "out.csv";
    const ExportReport report = exportCsv(*table, file);
    ASSERT_TRUE(report.ok);
    EXPECT_EQ(report.written, 4);
    EXPECT_EQ(test::readFile(file),
              "\"whois.verisign-grs.com\",\"example.com\",\"\xB3\xC9\xB9\xA6\",\"2030-01-01\",\"1995-08-14\","
              "\"N/A\",\"N/A\",\"RESERVED-Internet Assigned Numbers Authority\"\r\n"
              "\"whois.cnnic.cn\",\"free.cn\",\"\xD3\xF2\xC3\xFB\xCE\xB4\xD7\xA2\xB2\xE1\",\"\",\"\",\"\","
              "\"\",\"\"\r\n"
              "\"whois.nic.tv\",\"broken.tv\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n"
              "\"\",\"name.sg\",\"\xCE\xDEwhois\xB7\xFE\xCE\xF1\xC6\xF7\",\"\",\"\",\"\",\"\",\"\"\r\n");
}

TEST_F(ExportCsv, RecordNotYetDoneIsWrittenAsNotLookedUp)
{
    // A worker may be half-way through this record: its fields must not be read.
    DomainRecord& busy = add("whois.nic.tv", "busy.tv");
    busy.status = static_cast<std::int32_t>(core::LookupStatus::Success);
    copyField(busy.owner, "partial");
    EXPECT_EQ(csvLine(busy),
              "\"whois.nic.tv\",\"busy.tv\",\"\xCE\xB4\xB2\xE9\xD1\xAF\",\"\",\"\",\"\",\"\",\"\"\r\n");
    DomainRecord& unknown = add("", "name.sg"); // no server: nothing to wait for
    EXPECT_TRUE(csvLine(unknown).starts_with("\"\",\"name.sg\",\"\xCE\xDEwhois\xB7\xFE\xCE\xF1\xC6\xF7\","));
}

TEST_F(ExportCsv, QuotesAreDoubledAndReplyFormulasDefused)
{
    DomainRecord& record = add("whois.nic.biz", "a\"b.biz");
    copyField(record.expiryDate, "=1+1");
    copyField(record.registrationDate, "-2");
    copyField(record.owner, "@SUM(A1)");
    copyField(record.email, "+x\"y");
    copyField(record.registrar, "\tTab Inc.");
    settle(record, core::LookupStatus::Success);
    EXPECT_EQ(csvLine(record),
              "\"whois.nic.biz\",\"a\"\"b.biz\",\"\xB3\xC9\xB9\xA6\",\"'=1+1\",\"'-2\",\"'@SUM(A1)\","
              "\"'+x\"\"y\",\"'\tTab Inc.\"\r\n");

    DomainRecord& dashed = add("", "-x.com"); // our own fields are never prefixed
    EXPECT_EQ(csvLine(dashed).substr(0, 12), "\"\",\"-x.com\",");
}

TEST_F(ExportCsv, EmptyTableGivesEmptyFileAndOverwriteReplaces)
{
    const auto file = dir.write("out.csv", "old content that is longer\r\n");
    const ExportReport report = exportCsv(*table, file);
    EXPECT_TRUE(report.ok);
    EXPECT_EQ(report.written, 0);
    EXPECT_EQ(test::readFile(file), "");
}

TEST_F(ExportCsv, FileErrorsAreReported)
{
    add("", "a.com");
    const ExportReport noFolder = exportCsv(*table, dir.path() / "missing" / "out.csv");
    EXPECT_FALSE(noFolder.ok);
    EXPECT_EQ(noFolder.error, ENOENT);

    const ExportReport fullDisk = exportCsv(*table, "/dev/full");
    EXPECT_FALSE(fullDisk.ok);
    EXPECT_EQ(fullDisk.error, ENOSPC);
    EXPECT_EQ(fullDisk.written, 0); // nothing reached the file, whatever a buffer took
}

} // namespace
} // namespace zonedesk::listfile
