// SPDX-License-Identifier: MIT
// The renewal calendar as the user has it, under a window manager: F9 shows it after a run, a
// click on a registrar's part of a month narrows the list to it and the filter bar says so, the
// same click again or Esc clears it, the keyboard chooses a whole month, and the switch to TLDs
// starts afresh.
#include <QAction>
#include <QComboBox>
#include <QTest>
#include <QToolButton>

#include "app/application.h"
#include "core/calendar_date.h"
#include "tests/support/gui_test_main.h"
#include "tests/support/loopback_whois_server.h"
#include "tests/support/program_fixture.h"
#include "tests/support/temp_dir.h"
#include "view/renewal_chart.h"

namespace zonedesk {

namespace {

using test::Behaviour;
using test::LoopbackWhoisServer;
using test::TenRegistriesOnly;

std::string isoInDays(int days)
{
    return core::CalendarDate::fromDayNumber(core::today().dayNumber() + days).iso();
}

std::string record(const std::string& name, int expiresInDays, const std::string& registrar)
{
    return "Domain Name: " + name +
           "\r\nCreation Date: 2001-01-01T00:00:00Z\r\nRegistry Expiry Date: " + isoInDays(expiresInDays) +
           "T04:00:00Z\r\nRegistrar: " + registrar + "\r\n";
}

} // namespace

class RenewalCalendarTest final
    : public QObject
    , private test::ProgramFixture
{
    Q_OBJECT

private:
    RenewalChart& chart() { return mainWindow().renewalCalendar().chart(); }

    int shownRows() { return mainWindow().view().model()->rowCount(); }

    std::unique_ptr<LoopbackWhoisServer> m_server;

private Q_SLOTS:

    void init()
    {
        m_server = std::make_unique<LoopbackWhoisServer>();
        m_server->setDefault(Behaviour::answer("No match for \"X\".\r\n"));
        // Three names due in one month (two with registrar Alpha), one later, one expired.
        m_server->on("a.com", Behaviour::answer(record("a.com", 70, "Alpha")));
        m_server->on("b.com", Behaviour::answer(record("b.com", 70, "Beta")));
        m_server->on("c.com", Behaviour::answer(record("c.com", 70, "Alpha")));
        m_server->on("d.com", Behaviour::answer(record("d.com", 200, "Alpha")));
        m_server->on("e.com", Behaviour::answer(record("e.com", -40, "Beta")));
    }

    void cleanup()
    {
        stopProgram();
        m_server.reset();
    }

    void aClickOnAMonthNarrowsTheListAndASecondClickOrEscClearsIt()
    {
        test::TempDir dir;
        QVERIFY(startProgram(TenRegistriesOnly));
        QVERIFY(activateMainWindow());
        QVERIFY(state().endpoints.add("whois.verisign-grs.com=" + m_server->address()));
        QVERIFY(state().endpoints.addRdapList(test::rdapNowhere()));
        const auto file = dir.write("list.txt", "a.com\nb.com\nc.com\nd.com\ne.com\nfree.com\n");
        panel().chooseImportFile = [file] { return QString::fromStdString(file.string()); };
        QTest::keyClick(&mainWindow(), Qt::Key_O, Qt::ControlModifier);
        QTRY_COMPARE(shownRows(), 6);
        QTest::keyClick(&mainWindow(), Qt::Key_F5);
        QTRY_VERIFY(panel().startButton()->isEnabled() && !mainWindow().run().inProgress());

        // F9 shows the calendar, counted from the list.
        QVERIFY(!mainWindow().renewalCalendar().isVisible());
        QTest::keyClick(&mainWindow(), Qt::Key_F9);
        QTRY_VERIFY(chart().isVisible());
        const int month = *core::renewalBar(*core::readDate(isoInDays(70)), core::today());
        QTRY_COMPARE(chart().months().barTotal(month), 3);
        QCOMPARE(chart().months().barTotal(0), 1); // the expired name
        QCOMPARE(chart().months().stacks.front().name, "Alpha");

        // Alpha's part of that month: two rows, and the filter bar says what narrows the list.
        QTest::mouseClick(&chart(), Qt::LeftButton, {}, chart().slotRect({month, 0}).center());
        QTRY_COMPARE(shownRows(), 2);
        QToolButton* applied = mainWindow().calendarFilter();
        QTRY_VERIFY(applied->isVisible());
        QVERIFY2(applied->text().contains(RenewalChart::barTitle(month, core::today()) +
                                          QStringLiteral(" · Alpha")),
                 qPrintable(applied->text()));
        // The same click again clears it.
        QTest::mouseClick(&chart(), Qt::LeftButton, {}, chart().slotRect({month, 0}).center());
        QTRY_COMPARE(shownRows(), 6);
        QTRY_VERIFY(!applied->isVisible());

        // Beta's part, then Esc in the calendar.
        QTest::mouseClick(&chart(), Qt::LeftButton, {}, chart().slotRect({month, 1}).center());
        QTRY_COMPARE(shownRows(), 1);
        chart().setFocus();
        QTest::keyClick(&chart(), Qt::Key_Escape);
        QTRY_COMPARE(shownRows(), 6);

        // The keyboard: to the expired bar, Enter takes the whole month; the filter's text still
        // narrows what it shows.
        for (int i = 0; i < month + 2; ++i)
            QTest::keyClick(&chart(), Qt::Key_Left);
        QTest::keyClick(&chart(), Qt::Key_Return);
        QTRY_COMPARE(shownRows(), 1);
        mainWindow().filterEdit()->setText(QStringLiteral("zzz"));
        QTRY_COMPARE(shownRows(), 0);
        mainWindow().filterEdit()->clear();
        QTRY_COMPARE(shownRows(), 1);
        // The click on the filter bar's note clears it too.
        QTest::mouseClick(applied, Qt::LeftButton);
        QTRY_COMPARE(shownRows(), 6);

        // By TLD: the month's three names are all .com; a choice made by registrar is gone.
        QTest::mouseClick(&chart(), Qt::LeftButton, {}, chart().slotRect({month, 0}).center());
        QTRY_COMPARE(shownRows(), 2);
        mainWindow().renewalCalendar().findChild<QComboBox*>(QStringLiteral("stackBy"))->setCurrentIndex(1);
        QTRY_COMPARE(shownRows(), 6);
        QCOMPARE(chart().months().stacks.front().name, "com");
        QCOMPARE(chart().months().stacks.front().counts[static_cast<std::size_t>(month)], 3);
    }
};

} // namespace zonedesk

int main(int argc, char** argv)
{
    return zonedesk::test::runGuiTest<zonedesk::RenewalCalendarTest>(argc, argv);
}

#include "renewal_calendar_test.moc"
