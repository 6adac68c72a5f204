// SPDX-License-Identifier: MIT
// What the About box and the history dialog say: the libraries with their versions, the licence
// and the data's dates; a name's lookups with their dates as the list shows them.
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTest>

#include "core/library_versions.h"
#include "core/lookup_status.h"
#include "dialogs/about_dialog.h"
#include "dialogs/history_dialog.h"

namespace zonedesk {

class InfoBoxesTest final : public QObject
{
    Q_OBJECT

private Q_SLOTS:

    void theAboutBoxListsTheLibrariesTheLicenceAndTheDataDates()
    {
        AboutDialog about;
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        const auto* label = about.findChild<QLabel*>(QStringLiteral("aboutText"));
        QVERIFY(label != nullptr);
        const QString text = label->text();
        QVERIFY2(text.contains(QStringLiteral("zonedesk 1.0713")), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("MIT")));
        QVERIFY(text.contains(QStringLiteral("Qt ") + QLatin1String(qVersion())));
        // The list zonedesk-cli --version prints, library for library.
        for (const core::LibraryVersion& library : core::libraryVersions()) {
            const QString line = QString::fromStdString(library.name + " " + library.version);
            QVERIFY2(text.contains(line), qPrintable(line));
        }
        for (const char* file : {"rdap-dns.json", "whois-servers.tsv"}) {
            const QRegularExpression dated(QLatin1String(file) + QStringLiteral("：\\d{4}-\\d{2}-\\d{2}"));
            QVERIFY2(text.contains(dated), qPrintable(text));
        }
        // Every line can be read: the box is as large as its text.
        QVERIFY(label->geometry().bottom() < about.height());
        QVERIFY(label->width() >= label->sizeHint().width());
    }

    void theHistoryShowsDatesAsTheListDoesAndItsChangesWhole()
    {
        std::vector<history::HistoryEntry> entries(3);
        const auto registered = static_cast<std::int32_t>(core::LookupStatus::Success);
        entries[0].status = registered;
        entries[0].server = "whois.verisign-grs.com";
        entries[0].values[core::Field::ExpiryDate] = "2027-05-14T04:00:00Z";
        entries[0].values[core::Field::Registrar] = "Example Registrar, Incorporated In Delaware";
        entries[1].status = registered;
        entries[1].server = "whois.verisign-grs.com";
        entries[1].values[core::Field::ExpiryDate] = "14-May-2026";
        entries[1].values[core::Field::Registrar] = "Another Registrar Limited Of Somewhere Far";
        entries[2].status = static_cast<std::int32_t>(core::LookupStatus::NotRegistered);
        entries[2].values[core::Field::ExpiryDate] = "N/A";
        HistoryDialog dialog(std::move(entries), "example.com");
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTableWidget* table = dialog.lookups();
        constexpr int Expiry = 3;
        QCOMPARE(table->item(0, Expiry)->text(), QStringLiteral("2027-05-14"));
        QCOMPARE(table->item(1, Expiry)->text(), QStringLiteral("2026-05-14"));
        QCOMPARE(table->item(2, Expiry)->text(), QString()); // not registered: blank, as in the list

        const int changes = table->columnCount() - 1;
        const QString said = table->item(0, changes)->text();
        QVERIFY2(said.contains(QStringLiteral("续费：2026-05-14 → 2027-05-14")), qPrintable(said));
        const int needed = table->fontMetrics().horizontalAdvance(said);
        QVERIFY2(table->columnWidth(changes) >= needed,
                 qPrintable(QStringLiteral("%1 < %2").arg(table->columnWidth(changes)).arg(needed)));
    }
};

} // namespace zonedesk

int main(int argc, char** argv)
{
    Q_INIT_RESOURCE(zonedesk); // the About box's icon
    // The shipped data sits beside the programs in the build folder, not beside the tests.
    qputenv("ZONEDESK_DATA_DIR", ZONEDESK_BINARY_DIR "/data");
    QApplication app(argc, argv);
    zonedesk::InfoBoxesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "info_boxes_test.moc"
