// SPDX-License-Identifier: MIT
// The export dialog as the user meets it: the program's own CSV by default, the spreadsheet layout
// with its options, the rows selected or shown by the filter, and the choice kept across runs.
// Needs an X server (scripts/run-gui-test).
#include "dialogs/export_dialog.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

#include "app/application.h"
#include "core/calendar_date.h"
#include "core/encodings.h"
#include "listfile/csv_export.h"
#include "panel/web_pane.h"
#include "tests/support/gui_test_main.h"
#include "tests/support/loopback_whois_server.h"
#include "tests/support/program_fixture.h"
#include "tests/support/temp_dir.h"

namespace zonedesk {

namespace {

using test::Behaviour;
using test::LoopbackWhoisServer;
using test::MessageBoxCloser;
using test::ModalWatcher;
using test::TenRegistriesOnly;

/// The calendar day `days` from today.
std::string dayFromToday(int days)
{
    return core::CalendarDate::fromDayNumber(core::today().dayNumber() + days).iso();
}

/// A .com record in today's layout that expires `days` days from today.
std::string comRecordExpiringIn(const std::string& name, int days)
{
    return "Domain Name: " + name +
           "\r\nCreation Date: 2001-01-01T00:00:00Z\r\nRegistry Expiry Date: " + dayFromToday(days) +
           "T04:00:00Z\r\nRegistrar: R\r\n";
}

template <typename T> T* child(ExportDialog* dialog, const char* name)
{
    T* widget = dialog->findChild<T*>(QLatin1String(name));
    if (widget == nullptr)
        qFatal("the export dialog has no %s", name);
    return widget;
}

/// A click where a check box or radio button takes it: on its indicator, whatever its width.
void click(QAbstractButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        out.push_back(text.substr(start, end - start));
    return out;
}

} // namespace

class ExportDialogTest final
    : public QObject
    , private test::ProgramFixture
{
    Q_OBJECT

private:
    /// Starts the program in the test's folder and meets the real export dialog; without `config`,
    /// config.ini stays as an earlier start left it.
    void start(std::string_view config = TenRegistriesOnly)
    {
        QVERIFY(startProgram(config));
        QVERIFY(QTest::qWaitForWindowExposed(&mainWindow()));
        panel().chooseExportChoice = nullptr;
        m_filesAsked = 0;
        panel().chooseExportFile = [this] {
            ++m_filesAsked;
            return QString::fromStdString(csvPath().string());
        };
    }

    std::filesystem::path csvPath() const { return m_dir->path() / "out.csv"; }

    void importLines(std::string_view text)
    {
        const auto file = m_dir->write("list.txt", text);
        panel().chooseImportFile = [file] { return QString::fromStdString(file.string()); };
        QTest::mouseClick(panel().importButton(), Qt::LeftButton);
        QTRY_COMPARE(mainWindow().view().model()->rowCount(), state().table.count());
    }

    /// a.com expiring in 10 days, b.com in 400, c.com free: looked up through a run.
    void loadFinishedList()
    {
        importLines("a.com\nb.com\nc.com\n");
        LoopbackWhoisServer server;
        server.on("a.com", Behaviour::answer(comRecordExpiringIn("A.COM", 10)));
        server.on("b.com", Behaviour::answer(comRecordExpiringIn("B.COM", 400)));
        server.setDefault(Behaviour::answer("No match for \"C.COM\".\n"));
        QVERIFY(state().endpoints.add("whois.verisign-grs.com=" + server.address()));
        QVERIFY(state().endpoints.addRdapList(test::rdapNowhere()));
        QTest::mouseClick(panel().startButton(), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(panel().startButton()->isEnabled(), 20000);
        QCOMPARE(server.connectionCount(), 3);
    }

    /// Clicks Export and lets `answer` handle the real dialog; the closing message is kept.
    void exportWith(const std::function<void(ExportDialog*)>& answer)
    {
        ModalWatcher<ExportDialog> watcher([&answer](ExportDialog* dialog) {
            answer(dialog);
            if (dialog->isVisible()) // a check failed on the way: the test goes on to report it
                dialog->reject();
        });
        MessageBoxCloser closer;
        QTest::mouseClick(panel().exportButton(), Qt::LeftButton);
        QVERIFY(watcher.seen);
        m_said = closer.texts;
    }

    void clickRow(int row, Qt::KeyboardModifiers modifiers = {})
    {
        DomainListView& view = mainWindow().view();
        QTest::mouseClick(view.viewport(),
                          Qt::LeftButton,
                          modifiers,
                          view.visualRect(view.model()->index(row, 1)).center());
    }

    int m_filesAsked = 0;
    QStringList m_said;

private Q_SLOTS:

    void cleanup() { dropProgram(); }

    void theDefaultChoiceWritesTheProgramsOwnCsvAndCancelWritesNothing()
    {
        start();
        loadFinishedList();

        exportWith([](ExportDialog* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); });
        QCOMPARE(m_filesAsked, 0);
        QVERIFY(!std::filesystem::exists(csvPath()));

        exportWith([](ExportDialog* dialog) {
            QVERIFY(child<QRadioButton>(dialog, "original")->isChecked());
            QVERIFY(!child<QCheckBox>(dialog, "header")->isEnabled());
            QVERIFY(!child<QRadioButton>(dialog, "selectedRows")->isEnabled());
            QTest::keyClick(dialog, Qt::Key_Return);
        });
        QCOMPARE(m_filesAsked, 1);
        QCOMPARE(m_said, QStringList{QStringLiteral("共导出了 3 条有效记录！")});
        const auto reference = m_dir->path() / "reference.csv";
        QVERIFY(listfile::exportCsv(state().table, reference).ok);
        const std::string bytes = test::readFile(csvPath());
        QCOMPARE(bytes, test::readFile(reference));
        QVERIFY(bytes.starts_with("\"whois.verisign-grs.com\",\"a.com\",\"\xB3\xC9\xB9\xA6\",\""));
    }

    void theSpreadsheetLayoutWritesTheSelectedRowsAndIsRememberedAfterARestart()
    {
        start();
        loadFinishedList();
        clickRow(0);
        clickRow(2, Qt::ControlModifier);

        exportWith([](ExportDialog* dialog) {
            auto* header = child<QCheckBox>(dialog, "header");
            QVERIFY(!header->isEnabled());
            click(child<QRadioButton>(dialog, "sheet"));
            QVERIFY(header->isEnabled());
            auto* selected = child<QRadioButton>(dialog, "selectedRows");
            QVERIFY(selected->isEnabled());
            click(selected);
            auto* bom = child<QCheckBox>(dialog, "utf8Bom");
            QVERIFY(bom->isChecked());
            bom->setFocus();
            QTest::keyClick(bom, Qt::Key_Space);
            QVERIFY(!bom->isChecked());
            QTest::keyClick(dialog, Qt::Key_Return);
        });
        QCOMPARE(m_said, QStringList{QStringLiteral("共导出了 2 条有效记录！")});
        const std::vector<std::string> written = lines(test::readFile(csvPath()));
        QCOMPARE(written.size(), std::size_t{3});
        QCOMPARE(
            written[0],
            core::utf8ToGbk("whois服务器,域名,当前状态,过期日期,剩余天数,注册日期,所有人,联系Email,注册商,"
                            "whois更新日期,状态码,域名服务器,DNSSEC签名"));
        const std::string aStart =
            core::utf8ToGbk("whois.verisign-grs.com,a.com,成功,") + dayFromToday(10) + ",10,2001-01-01,";
        QVERIFY2(written[1].starts_with(aStart), written[1].c_str());
        QVERIFY2(written[2].starts_with(core::utf8ToGbk("whois.verisign-grs.com,c.com,域名未注册,")),
                 written[2].c_str());

        stopProgram();
        const std::string config = test::readFile(m_dir->path() / "config.ini");
        QVERIFY2(config.find("exportFormat=sheet\r\n") != std::string::npos, config.c_str());
        start({});
        importLines("a.com\n");
        // Nothing is selected now: every row is written, as the remembered choice can't be.
        exportWith([](ExportDialog* dialog) {
            QVERIFY(child<QRadioButton>(dialog, "sheet")->isChecked());
            QVERIFY(child<QCheckBox>(dialog, "header")->isChecked());
            QVERIFY(!child<QCheckBox>(dialog, "utf8Bom")->isChecked());
            QVERIFY(!child<QRadioButton>(dialog, "selectedRows")->isEnabled());
            QVERIFY(child<QRadioButton>(dialog, "allRows")->isChecked());
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        QCOMPARE(m_filesAsked, 0);
    }

    void theFilteredRowsAloneAreWrittenWithABom()
    {
        start();
        loadFinishedList();
        auto* filter = mainWindow().findChild<QLineEdit*>(QStringLiteral("filter"));
        QVERIFY(filter != nullptr);
        QTest::keyClicks(filter, QStringLiteral("b.com"));
        QTRY_COMPARE(mainWindow().view().model()->rowCount(), 1);

        exportWith([](ExportDialog* dialog) {
            click(child<QRadioButton>(dialog, "sheet"));
            click(child<QCheckBox>(dialog, "header"));
            click(child<QCheckBox>(dialog, "allColumns"));
            click(child<QCheckBox>(dialog, "isoDates"));
            QVERIFY(!child<QCheckBox>(dialog, "isoDates")->isChecked());
            click(child<QRadioButton>(dialog, "shownRows"));
            QTest::keyClick(dialog, Qt::Key_Return);
        });
        const std::string bytes = test::readFile(csvPath());
        const std::string expected =
            "\xEF\xBB\xBFwhois.verisign-grs.com,b.com,成功," + dayFromToday(400) + "T04:00:00Z,400,";
        QVERIFY2(bytes.starts_with(expected), bytes.c_str());
        QCOMPARE(lines(bytes).size(), std::size_t{1});
        // The eight columns, the registrar last, then the security state the reply did not state.
        QVERIFY2(bytes.ends_with(",R,,,\r\n"), bytes.c_str());
    }
};

} // namespace zonedesk

int main(int argc, char** argv)
{
    return zonedesk::test::runGuiTest<zonedesk::ExportDialogTest>(argc, argv);
}

#include "export_dialog_test.moc"
