// SPDX-License-Identifier: MIT
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/domain_status.h"
#include "core/domain_table.h"
#include "core/encodings.h"
#include "core/field_copy.h"
#include "core/lookup_status.h"
#include "listfile/csv_export.h"
#include "tests/listfile/export_table_fixture.h"
#include "tests/support/temp_dir.h"

namespace zonedesk::listfile {
namespace {

using core::copyField;
using core::DomainRecord;

constexpr core::CalendarDate Today{2026, 12, 8};

class SheetExport : public ExportTableTest
{
protected:
    /// A registered name with every field set, done.
    DomainRecord& addFound(std::string_view domain, std::string_view expiry)
    {
        DomainRecord& record = add("whois.verisign-grs.com", domain);
        copyField(record.expiryDate, expiry);
        copyField(record.registrationDate, "1995-08-14T04:00:00Z");
        copyField(record.updatedDate, "2024-01-02T03:04:05Z");
        copyField(record.owner, "Owner");
        copyField(record.email, "a@b.com");
        copyField(record.registrar, "Reg");
        settle(record, core::LookupStatus::Success);
        return record;
    }

    static std::string gbk(std::string_view utf8) { return core::utf8ToGbk(utf8); }
};

TEST_F(SheetExport, HeaderTitlesAreTheListsOwnInItsOrder)
{
    EXPECT_EQ(csvHeader(CsvExportOptions{.header = true}),
              gbk("whois服务器,域名,当前状态,过期日期,注册日期,所有人,联系Email,注册商,状态码,域名服务器,"
                  "DNSSEC签名\r\n"));
    EXPECT_EQ(csvHeader(CsvExportOptions{.header = true, .allColumns = true, .daysLeft = true}),
              gbk("whois服务器,域名,当前状态,过期日期,剩余天数,注册日期,所有人,联系Email,注册商,"
                  "whois更新日期,状态码,域名服务器,DNSSEC签名\r\n"));
}

TEST_F(SheetExport, ColumnsDatesAndDaysLeft)
{
    DomainRecord& found = addFound("example.com", "2026-12-18");
    found.statusCodes = core::statusBit(core::EppStatus::Ok) | core::statusBit(core::EppStatus::ClientHold);
    copyField(found.nameServers, "a.ns.example b.ns.example");
    found.dnssec = static_cast<std::uint8_t>(core::Dnssec::Signed);
    const CsvExportOptions plain;
    EXPECT_EQ(csvLine(found, plain),
              gbk("whois.verisign-grs.com,example.com,成功,2026-12-18,1995-08-14T04:00:00Z,Owner,a@b.com,Reg,"
                  "\"ok, clientHold\",a.ns.example b.ns.example,signed\r\n"));

    const CsvExportOptions nine{.allColumns = true};
    EXPECT_TRUE(csvLine(found, nine)
                    .ends_with(",Reg,2024-01-02T03:04:05Z,\"ok, clientHold\",a.ns.example "
                               "b.ns.example,signed\r\n"))
        << csvLine(found, nine);

    const CsvExportOptions iso{.allColumns = true, .isoDates = true, .daysLeft = true, .today = Today};
    EXPECT_EQ(csvLine(found, iso),
              gbk("whois.verisign-grs.com,example.com,成功,2026-12-18,10,1995-08-14,Owner,a@b.com,Reg,2024-"
                  "01-02,\"ok, clientHold\",a.ns.example b.ns.example,signed\r\n"));

    // Days left are ours: an expired name's negative count is no formula and gets no apostrophe.
    EXPECT_TRUE(csvLine(addFound("old.com", "2026-12-01"), iso)
                    .starts_with(gbk("whois.verisign-grs.com,old.com,成功,2026-12-01,-7,1995-08-14,")));
}

TEST_F(SheetExport, DaysLeftAndIsoDatesAreBlankOrVerbatimWithoutADate)
{
    const CsvExportOptions iso{.isoDates = true, .daysLeft = true, .today = Today};
    DomainRecord& blank = addFound("blank.com", "");
    EXPECT_TRUE(
        csvLine(blank, iso).starts_with("whois.verisign-grs.com,blank.com,\xB3\xC9\xB9\xA6,,,1995-08-14,"));

    // No readable date: the registry's text stands, as the list shows it, and no count.
    DomainRecord& odd = addFound("odd.com", "before 1996");
    EXPECT_TRUE(
        csvLine(odd, iso).starts_with("whois.verisign-grs.com,odd.com,\xB3\xC9\xB9\xA6,before 1996,,"));

    // A worker may be half-way through this record: none of its fields are read.
    DomainRecord& busy = add("whois.nic.tv", "busy.tv");
    copyField(busy.expiryDate, "2027-01-01");
    busy.status = static_cast<std::int32_t>(core::LookupStatus::Success);
    EXPECT_EQ(csvLine(busy, iso), gbk("whois.nic.tv,busy.tv,未查询,,,,,,,,,\r\n"));

    // Not registered: no expiry to count to.
    DomainRecord& free = add("whois.cnnic.cn", "free.cn");
    copyField(free.expiryDate, "2027-01-01");
    settle(free, core::LookupStatus::NotRegistered);
    EXPECT_EQ(csvLine(free, iso), gbk("whois.cnnic.cn,free.cn,域名未注册,2027-01-01,,,,,,,,\r\n"));
}

TEST_F(SheetExport, QuotedOnlyWhereNeededWithLineBreaksKeptAndFormulasDefused)
{
    DomainRecord& record = add("whois.nic.biz", "a\"b.biz");
    copyField(record.expiryDate, "=1+1");
    copyField(record.registrationDate, "-2");
    copyField(record.owner, "Doe, John\r\nLine 2");
    copyField(record.email, "+x\"y");
    copyField(record.registrar, "@Reg, Inc.");
    settle(record, core::LookupStatus::Success);
    EXPECT_EQ(csvLine(record, CsvExportOptions{.isoDates = true}),
              "whois.nic.biz,\"a\"\"b.biz\",\xB3\xC9\xB9\xA6,'=1+1,'-2,\"Doe, John\r\nLine 2\",\"'+x\"\"y\","
              "\"'@Reg, Inc.\",,,\r\n");

    DomainRecord& dashed = add("", "-x.com"); // our own fields are never prefixed
    EXPECT_TRUE(csvLine(dashed, CsvExportOptions{}).starts_with(",-x.com,"));
}

TEST_F(SheetExport, Utf8WithBomConvertsRecordsAndTitles)
{
    DomainRecord& record = addFound(gbk("例子.com"), "2030-01-01");
    copyField(record.owner, gbk("张三"));
    const CsvExportOptions utf8{.header = true, .utf8Bom = true};
    const auto file = dir.path() / "out.csv";
    ASSERT_TRUE(exportCsv(*table, file, utf8, std::vector<std::size_t>{0}).ok);
    EXPECT_EQ(
        test::readFile(file),
        "\xEF\xBB\xBF"
        "whois服务器,域名,当前状态,过期日期,注册日期,所有人,联系Email,注册商,状态码,域名服务器,DNSSEC签名\r\n"
        "whois.verisign-grs.com,例子.com,成功,2030-01-01,1995-08-14T04:00:00Z,张三,a@b.com,Reg,,,\r\n");

    // Without the option: GBK as the records hold it, and no mark.
    ASSERT_TRUE(exportCsv(*table, file, CsvExportOptions{}, std::vector<std::size_t>{0}).ok);
    EXPECT_EQ(
        test::readFile(file),
        gbk("whois.verisign-grs.com,例子.com,成功,2030-01-01,1995-08-14T04:00:00Z,张三,a@b.com,Reg,,,\r\n"));
}

TEST_F(SheetExport, OnlyTheGivenRowsAreWrittenWithEveryOptionTogether)
{
    addFound("a.com", "2026-12-09");
    settle(add("whois.cnnic.cn", "b.cn"), core::LookupStatus::NotRegistered);
    addFound("c.com", "2027-12-08");
    const CsvExportOptions all{.header = true,
                               .allColumns = true,
                               .isoDates = true,
                               .daysLeft = true,
                               .utf8Bom = true,
                               .today = Today};
    const auto file = dir.path() / "out.csv";
    const std::vector<std::size_t> rows{0, 2, 7}; // 7 is beyond the list
    const ExportReport report = exportCsv(*table, file, all, rows);
    ASSERT_TRUE(report.ok);
    EXPECT_EQ(report.written, 2);
    EXPECT_EQ(
        test::readFile(file),
        "\xEF\xBB\xBF"
        "whois服务器,域名,当前状态,过期日期,剩余天数,注册日期,所有人,联系Email,注册商,whois更新日期,"
        "状态码,域名服务器,DNSSEC签名\r\n"
        "whois.verisign-grs.com,a.com,成功,2026-12-09,1,1995-08-14,Owner,a@b.com,Reg,2024-01-02,,,\r\n"
        "whois.verisign-grs.com,c.com,成功,2027-12-08,365,1995-08-14,Owner,a@b.com,Reg,2024-01-02,,,\r\n");

    ASSERT_TRUE(exportCsv(*table, file, all, {}).ok);
    EXPECT_EQ(test::readFile(file).size(), 3 + csvHeader(all).size()); // the header alone
}

} // namespace
} // namespace zonedesk::listfile
