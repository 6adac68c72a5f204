// SPDX-License-Identifier: MIT
// The list model over the table: rows, the results shown only once done, and change signals.
#include "view/domain_list_model.h"

#include <QAbstractItemModelTester>
#include <QColor>
#include <QSignalSpy>
#include <QTest>

#include "core/domain_table.h"
#include "core/encodings.h"
#include "core/error_reason.h"
#include "core/field_copy.h"
#include "core/lookup_status.h"
#include "core/result_fields.h"
#include "view/domain_filter_model.h"

namespace zonedesk {

class DomainListModelTest final : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<core::DomainTable> m_table;

    void fill(int count)
    {
        m_table->clear();
        for (int i = 0; i < count; ++i) {
            auto& record = (*m_table)[static_cast<std::size_t>(i)];
            core::copyField(record.server, "whois.verisign-grs.com");
            core::copyField(record.domain, "d" + std::to_string(i) + ".com");
        }
        m_table->setCount(count);
    }

    void settle(int row)
    {
        auto& record = (*m_table)[static_cast<std::size_t>(row)];
        record.status = 1;
        core::copyField(record.expiryDate, "2030-01-01");
        core::publishDone(record);
    }

private Q_SLOTS:

    void init()
    {
        m_table = core::DomainTable::allocate();
        QVERIFY(m_table != nullptr);
    }

    void errorCellSaysWhyInItsToolTip()
    {
        fill(3);
        DomainListModel model(*m_table);
        model.fillRows();
        settle(0);
        auto& failed = (*m_table)[1];
        failed.status = static_cast<std::int32_t>(core::LookupStatus::Error);
        failed.errorReason = static_cast<std::uint8_t>(core::ErrorReason::TimedOut);
        core::publishDone(failed);
        QVERIFY(!model.data(model.index(1, 2), Qt::ToolTipRole).isValid()); // not shown yet
        model.refreshFinishedRows();
        QCOMPARE(model.data(model.index(1, 2)).toString(), QStringLiteral("ERR!"));
        QCOMPARE(model.data(model.index(1, 2), Qt::ToolTipRole).toString(),
                 QStringLiteral("等待回复超时\n查询方式：WHOIS"));
        QCOMPARE(model.data(model.index(0, 2), Qt::ToolTipRole).toString(),
                 QStringLiteral("查询方式：WHOIS"));
        QVERIFY(!model.data(model.index(1, 1), Qt::ToolTipRole).isValid());
    }

    void aNameAskedAsItsRegistrableDomainSaysSoInItsToolTip()
    {
        fill(2);
        auto& beyond = (*m_table)[1];
        core::copyField(beyond.domain, "shop.example.co.uk");
        core::copyField(beyond.server, "whois.nic.uk");
        DomainListModel model(*m_table);
        model.fillRows();
        settle(0);
        settle(1);
        model.refreshFinishedRows();
        QCOMPARE(model.data(model.index(0, 2), Qt::ToolTipRole).toString(),
                 QStringLiteral("查询方式：WHOIS"));
        QCOMPARE(model.data(model.index(1, 2), Qt::ToolTipRole).toString(),
                 QStringLiteral("查询方式：WHOIS\n查询名称：example.co.uk"));
    }

    void aNameThatMayPassForAnotherShowsItsALabel()
    {
        fill(2);
        core::copyField((*m_table)[1].domain, core::utf8ToGbk("\xD0\xB0pple.com")); // a Cyrillic а
        DomainListModel model(*m_table);
        model.fillRows();
        QCOMPARE(model.data(model.index(0, 1)).toString(), QStringLiteral("d0.com"));
        QCOMPARE(model.data(model.index(1, 1)).toString(),
                 QStringLiteral("\u0430pple.com (xn--pple-43d.com)"));
    }

    void withheldValuesAreDrawnDimmedRealOnesAreNot()
    {
        fill(1);
        DomainListModel model(*m_table);
        model.fillRows();
        auto& record = (*m_table)[0];
        record.status = 1;
        core::copyField(record.owner, "REDACTED FOR PRIVACY");
        core::copyField(record.email, "N/A");
        core::copyField(record.registrar, "Redactedly Registrar Ltd");
        core::publishDone(record);
        model.refreshFinishedRows();
        const auto colour = [&](core::Field field) {
            return model.data(model.index(0, core::resultField(field).listColumn), Qt::ForegroundRole);
        };
        QCOMPARE(colour(core::Field::Owner).value<QColor>(), QColor(Qt::gray));
        QCOMPARE(colour(core::Field::Email).value<QColor>(), QColor(Qt::gray));
        QVERIFY(!colour(core::Field::Registrar).isValid());
        QCOMPARE(model.data(model.index(0, core::resultField(core::Field::Owner).listColumn)).toString(),
                 QStringLiteral("REDACTED FOR PRIVACY")); // shown as the registry said it
    }

    void statusesShowInShortWordsAndMarkANameAtRisk()
    {
        using core::EppStatus;

        struct Row
        {
            core::StatusBits codes;
            const char* own;
            std::uint8_t dnssec;
            QString cell;
            QString tipStart;
            bool red;
        };

        const Row rows[] = {
            {core::statusBit(EppStatus::ClientTransferProhibited) |
                 core::statusBit(EppStatus::ClientDeleteProhibited),
             "",
             2,
             QStringLiteral("锁定、禁止更改"),
             QStringLiteral("clientDeleteProhibited — 注册商禁止删除"),
             false},
            {core::statusBit(EppStatus::Ok),
             "",
             1,
             QStringLiteral("未锁定、正常"),
             QStringLiteral("ok — 正常"),
             false},
            {core::statusBit(EppStatus::ServerHold) | core::statusBit(EppStatus::ClientTransferProhibited),
             "",
             0,
             QStringLiteral("暂停解析、锁定"),
             QStringLiteral("clientTransferProhibited"),
             true},
            {core::statusBit(EppStatus::RedemptionPeriod),
             "",
             0,
             QStringLiteral("赎回期、未锁定"),
             QStringLiteral("redemptionPeriod — 赎回期"),
             true},
            {core::statusBit(EppStatus::PendingDelete),
             "",
             0,
             QStringLiteral("待删除、未锁定"),
             QStringLiteral("pendingDelete — 待删除"),
             true},
            {0, "connect", 0, QStringLiteral("connect"), QStringLiteral("connect — 注册局自己的说法"), false},
            {0, "", 0, QString(), QString(), false}, // none stated: nothing said, no "unlocked"
        };
        fill(static_cast<int>(std::size(rows)));
        DomainListModel model(*m_table);
        DomainFilterModel filter;
        filter.setSourceModel(&model);
        model.fillRows();
        model.setNearExpiry(true, 30);
        for (std::size_t i = 0; i < std::size(rows); ++i) {
            auto& record = (*m_table)[i];
            record.statusCodes = rows[i].codes;
            core::copyField(record.registryStatus, rows[i].own);
            record.dnssec = rows[i].dnssec;
            core::copyField(record.nameServers, "a.ns.example b.ns.example");
            settle(static_cast<int>(i));
        }
        model.refreshFinishedRows();
        const int column = core::resultField(core::Field::Statuses).listColumn;
        for (std::size_t i = 0; i < std::size(rows); ++i) {
            const int row = static_cast<int>(i);
            QCOMPARE(model.data(model.index(row, column)).toString(), rows[i].cell);
            QVERIFY2(
                model.data(model.index(row, column), Qt::ToolTipRole).toString().startsWith(rows[i].tipStart),
                qPrintable(model.data(model.index(row, column), Qt::ToolTipRole).toString()));
            QCOMPARE(model.data(model.index(row, 1), Qt::ForegroundRole).value<QColor>() == QColor(Qt::red),
                     rows[i].red);
        }
        QVERIFY(model.data(model.index(0, column), Qt::ToolTipRole)
                    .toString()
                    .endsWith(QStringLiteral("DNSSEC：已签名")));
        const int servers = core::resultField(core::Field::NameServers).listColumn;
        QCOMPARE(model.data(model.index(0, servers)).toString(), QStringLiteral("a.ns.example b.ns.example"));
        QCOMPARE(model.data(model.index(0, servers), Qt::ToolTipRole).toString(),
                 QStringLiteral("a.ns.example\nb.ns.example"));
        filter.setFilterText(QStringLiteral("未锁定"));
        QCOMPARE(filter.rowCount(), 3);
        filter.setFilterText(QStringLiteral("B.NS.EXAMPLE"));
        QCOMPARE(filter.rowCount(), static_cast<int>(std::size(rows)));
        model.setNearExpiry(false, 30); // the red display off: no mark
        QVERIFY(!model.data(model.index(2, 1), Qt::ForegroundRole).isValid());
    }

    void filterFollowsRowsAsARunFinishesThem()
    {
        fill(4);
        DomainListModel model(*m_table);
        DomainFilterModel filter;
        filter.setSourceModel(&model);
        model.fillRows();
        filter.setFilterText(QStringLiteral("holdings"));
        QCOMPARE(filter.rowCount(), 0);
        auto& record = (*m_table)[2];
        record.status = static_cast<std::int32_t>(core::LookupStatus::Success);
        core::copyField(record.owner, "Example Holdings Ltd.");
        core::publishDone(record);
        model.refreshFinishedRows(); // the next tick shows the owner, and the row passes
        QCOMPARE(filter.rowCount(), 1);
        QCOMPARE(filter.index(0, DomainListModel::DomainColumn).data().toString(), QStringLiteral("d2.com"));
        filter.setFilterText(QStringLiteral("D3"));
        QCOMPARE(filter.rowCount(), 1); // the domain matches whatever the letter case
        filter.setFilterText({});
        QCOMPARE(filter.rowCount(), 4);
    }

    void passesTheModelTester()
    {
        fill(20);
        DomainListModel model(*m_table);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.fillRows();
        settle(3);
        model.refreshFinishedRows();
        QCOMPARE(model.rowCount(), 20);
        QCOMPARE(model.columnCount(), 11);
        QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("whois服务器"));
        QCOMPARE(model.headerData(8, Qt::Horizontal).toString(), QStringLiteral("whois更新日期"));
    }

    void showsResultsOnlyOnceWrittenIntoTheRow()
    {
        fill(3);
        DomainListModel model(*m_table);
        model.fillRows();
        settle(1);
        // Done but not yet refreshed: the row still shows server and domain only.
        QCOMPARE(model.data(model.index(1, 2)).toString(), QString());
        QCOMPARE(model.data(model.index(1, 1)).toString(), QStringLiteral("d1.com"));
        QCOMPARE(model.refreshFinishedRows(), 1);
        QCOMPARE(model.data(model.index(1, 2)).toString(), QStringLiteral("成功"));
        QCOMPARE(model.data(model.index(1, 3)).toString(), QStringLiteral("2030-01-01"));
        QCOMPARE((*m_table)[1].shown, 1);

        // The update keeps its time of day: the hours of an ISO time, not its minutes and seconds.
        core::copyField((*m_table)[2].updatedDate, "2026-03-02T08:15:27Z");
        settle(2);
        model.refreshFinishedRows();
        const int updated = core::resultField(core::Field::UpdatedDate).listColumn;
        QCOMPARE(model.data(model.index(2, updated)).toString(), QStringLiteral("2026-03-02 08:15:27"));
    }

    void refreshSignalsOnlyNewRowsOrOneRange()
    {
        fill(10);
        DomainListModel model(*m_table);
        model.fillRows();
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        QSignalSpy reset(&model, &QAbstractItemModel::modelReset);

        settle(2);
        settle(7);
        QCOMPARE(model.refreshFinishedRows(), 2);
        QCOMPARE(changed.count(), 2); // one per newly finished row

        changed.clear();
        QCOMPARE(model.refreshFinishedRows(), 2); // nothing new: no signal, same count
        QCOMPARE(changed.count(), 0);

        for (int row : {0, 1, 3, 4, 5, 6})
            settle(row);
        QCOMPARE(model.refreshFinishedRows(), 8);
        QCOMPARE(changed.count(), 1); // more than half the rows: one range
        QCOMPARE(reset.count(), 0);   // a tick never resets (selection and scroll stay)
    }

    void notRegisteredAndFailedRowsShowBlankResults()
    {
        fill(3);
        DomainListModel model(*m_table);
        model.fillRows();
        using core::LookupStatus;
        const LookupStatus statuses[] = {
            LookupStatus::Success, LookupStatus::NotRegistered, LookupStatus::Error};
        for (int row = 0; row < 3; ++row) {
            auto& record = (*m_table)[static_cast<std::size_t>(row)];
            record.status = static_cast<std::int32_t>(statuses[row]);
            // What an old layout's rule leaves in a record whatever the verdict.
            for (const core::ResultField& field : core::ResultFields)
                field.record.store(record, "N/A");
            core::copyField(record.expiryDate, "2030-01-01");
            core::publishDone(record);
        }
        model.refreshFinishedRows();
        for (const core::ResultField& field : core::ResultFields) {
            if (field.listColumn < 0)
                continue;
            const QModelIndex registered = model.index(0, field.listColumn);
            QVERIFY(!registered.data().toString().isEmpty());
            for (int row : {1, 2}) {
                const QModelIndex cell = model.index(row, field.listColumn);
                QVERIFY2(cell.data().toString().isEmpty(), qPrintable(cell.data().toString()));
                QVERIFY(!cell.data(Qt::ToolTipRole).isValid());
            }
        }
        QCOMPARE(model.index(1, DomainListModel::StatusColumn).data().toString(),
                 QStringLiteral("域名未注册"));
        QCOMPARE(model.index(2, DomainListModel::StatusColumn).data().toString(), QStringLiteral("ERR!"));
        QCOMPARE(core::fieldText((*m_table)[1].owner), "N/A"); // the record (and so the CSV) keeps it
    }

    void blankCellsSortLastInEitherOrder()
    {
        // d0 2030, d1 not registered, d2 2025, d3 not looked up, d4 an unreadable date and no owner,
        // d5 2028.
        fill(6);
        DomainListModel model(*m_table);
        DomainFilterModel filter;
        filter.setSourceModel(&model);
        model.fillRows();
        const auto settleAs = [&](int row, core::LookupStatus status, const char* expiry, const char* owner) {
            auto& record = (*m_table)[static_cast<std::size_t>(row)];
            record.status = static_cast<std::int32_t>(status);
            core::copyField(record.expiryDate, expiry);
            core::copyField(record.owner, owner);
            core::publishDone(record);
        };
        using core::LookupStatus;
        settleAs(0, LookupStatus::Success, "2030-01-01", "Beta Ltd");
        settleAs(1, LookupStatus::NotRegistered, "N/A", "N/A");
        settleAs(2, LookupStatus::Success, "2025-05-05", "Alpha Ltd");
        settleAs(4, LookupStatus::Success, "N/A", "");
        settleAs(5, LookupStatus::Success, "2028-02-02", "Gamma Ltd");
        model.refreshFinishedRows();
        const auto order = [&](int column, Qt::SortOrder sortOrder) {
            filter.sort(-1); // the table's order first, which blanks then keep among themselves
            filter.sort(column, sortOrder);
            QStringList names;
            for (int row = 0; row < filter.rowCount(); ++row)
                names << filter.index(row, DomainListModel::DomainColumn).data().toString();
            return names.join(QLatin1Char(' '));
        };
        const int expiry = core::resultField(core::Field::ExpiryDate).listColumn;
        const int owner = core::resultField(core::Field::Owner).listColumn;
        // An unreadable date sorts after the dates and above the blanks, whichever the order.
        QCOMPARE(order(expiry, Qt::AscendingOrder),
                 QStringLiteral("d2.com d5.com d0.com d4.com d1.com d3.com"));
        QCOMPARE(order(expiry, Qt::DescendingOrder),
                 QStringLiteral("d0.com d5.com d2.com d4.com d1.com d3.com"));
        QCOMPARE(order(owner, Qt::AscendingOrder),
                 QStringLiteral("d2.com d0.com d5.com d1.com d3.com d4.com"));
        QCOMPARE(order(owner, Qt::DescendingOrder),
                 QStringLiteral("d5.com d0.com d2.com d1.com d3.com d4.com"));
    }

    void fillRowsReplacesEveryRow()
    {
        fill(5);
        DomainListModel model(*m_table);
        model.fillRows();
        settle(0);
        model.refreshFinishedRows();
        fill(2); // a new import
        model.fillRows();
        QCOMPARE(model.rowCount(), 2);
        QCOMPARE(model.data(model.index(0, 2)).toString(), QString());
    }
};

} // namespace zonedesk

QTEST_GUILESS_MAIN(zonedesk::DomainListModelTest)
#include "domain_list_model_test.moc"
