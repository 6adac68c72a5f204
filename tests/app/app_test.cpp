// SPDX-License-Identifier: MIT
// The desktop program end to end: start-up, import, run, export, messages inside modal loops,
// the web pane's app: links and closing mid-run. Needs an X server (scripts/run-gui-test).
#include <chrono>

#include <QAction>
#include <QApplication>
#include <QColor>
#include <QFont>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QWebEngineView>

#include "app/application.h"
#include "core/calendar_date.h"
#include "core/field_copy.h"
#include "dialogs/history_dialog.h"
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

constexpr const char* VerisignRecord = "for detailed information\n   Registrar: R\n   Whois Server: w\n"
                                       "   Creation Date: 01-jan-2000\n   Expiration Date: 01-jan-2030\n"
                                       ">>> Last update of whois database: x <<<\nNOTICE: n";

// The end of a run with the default settings: red display on, 30 days.
const QString Finished = QStringLiteral("操作结束！ 0 个域名将在 30 天内到期");

/// A .com record of `name` in today's layout that expires `days` days from today.
std::string comRecordExpiringIn(const std::string& name, int days)
{
    return "Domain Name: " + name + "\r\nCreation Date: 2001-01-01T00:00:00Z\r\nRegistry Expiry Date: " +
           core::CalendarDate::fromDayNumber(core::today().dayNumber() + days).iso() +
           "T04:00:00Z\r\nRegistrar: R\r\n";
}

} // namespace

class AppTest final
    : public QObject
    , private test::ProgramFixture
{
    Q_OBJECT

private:
    /// Starts the program in a new folder.
    void start(std::string_view config = {})
    {
        m_dir.reset();
        QVERIFY(startProgram(config));
    }

    void route(const LoopbackWhoisServer& server)
    {
        for (const char* host : {"whois.verisign-grs.com", "whois.publicinterestregistry.org"})
            QVERIFY(state().endpoints.add(std::string(host) + "=" + server.address()));
        QVERIFY(state().endpoints.addRdapList(test::rdapNowhere())); // never a registry's own service
    }

    void importLines(std::string_view lines)
    {
        const auto file = m_dir->write("list.txt", lines);
        panel().chooseImportFile = [file] { return QString::fromStdString(file.string()); };
        panel().importList();
        QTRY_COMPARE(mainWindow().view().model()->rowCount(), state().table.count());
        // Once the list is shown, the pane says it is imported, not that it is being imported.
        QTRY_COMPARE(mainWindow().paneText(0),
                     QStringLiteral("已导入 %1 个域名。").arg(state().table.count()));
        QVERIFY(panel().startButton()->isEnabled());
    }

    /// config.ini up to the desktop program's own section, which follows the user settings.
    QString userSection()
    {
        const QString text = QString::fromStdString(test::readFile(m_dir->path() / "config.ini"));
        return text.left(text.indexOf(QLatin1String("[desktop]")));
    }

    QString cell(int row, int column)
    {
        return mainWindow().view().model()->index(row, column).data().toString();
    }

private Q_SLOTS:

    void cleanup() { dropProgram(); }

    void firstStartCreatesTheDefaultSettings()
    {
        start();
        QCOMPARE(QString::fromStdString(test::readFile(m_dir->path() / "config.ini")),
                 QStringLiteral("[user]\r\nchkgq=1\r\ngqts=30\r\n"));
        QCOMPARE(panel().daysBox()->value(), 30);
        QVERIFY(panel().redDisplayBox()->isChecked());
        QVERIFY(panel().daysBox()->isEnabled());
        QCOMPARE(mainWindow().windowTitle(), QStringLiteral("zonedesk Ver.1.0713"));
        QCOMPARE(mainWindow().paneText(0), QStringLiteral("就绪"));
        // An empty list: the panel's Start is off like the tool bar's, one action, one state.
        QVERIFY(!panel().startButton()->isEnabled());
        QVERIFY(!mainWindow().findChild<QAction*>(QStringLiteral("start"))->isEnabled());
        QVERIFY(mainWindow().isMaximized() || mainWindow().windowState().testFlag(Qt::WindowMaximized));
    }

    void redDisplayOffDisablesTheDaysField()
    {
        start("[user]\r\nchkgq=0\r\ngqts=7\r\n");
        QVERIFY(!panel().redDisplayBox()->isChecked());
        QVERIFY(!panel().daysBox()->isEnabled());
        panel().redDisplayBox()->click();
        QVERIFY(panel().daysBox()->isEnabled());
        QCOMPARE(state().settings.redDisplay, 1);
    }

    void theDayCountTakesOnlyNumbersInItsRangeAndIsSavedWithoutARun()
    {
        start();
        QSpinBox* days = panel().daysBox();
        QCOMPARE(days->minimum(), 0);
        QCOMPARE(days->maximum(), 3650);
        // The largest value shows whole in the box's font, not its last digits.
        const auto* editor = days->findChild<QLineEdit*>();
        QVERIFY(editor != nullptr);
        QVERIFY(editor->fontMetrics().horizontalAdvance(QStringLiteral("3650")) <
                editor->contentsRect().width());
        days->selectAll();
        QTest::keyClicks(days, QStringLiteral("abc12"));
        QCOMPARE(days->value(), 12);
        QCOMPARE(days->text(), QStringLiteral("12"));
        QCOMPARE(state().settings.expiryWarnDays, 12);
        days->selectAll();
        QTest::keyClicks(days, QStringLiteral("99999"));
        QVERIFY(days->value() <= 3650);
        days->selectAll();
        QTest::keyClicks(days, QStringLiteral("45"));
        QTest::keyClick(days, Qt::Key_Up);
        QCOMPARE(state().settings.expiryWarnDays, 46);
        m_app->shutDown();
        QCOMPARE(userSection(), QStringLiteral("[user]\r\nchkgq=1\r\ngqts=46\r\n"));
    }

    void aDayCountOutOfRangeInTheFileIsClamped()
    {
        start("[user]\r\nchkgq=1\r\ngqts=-2147483648\r\n");
        QCOMPARE(panel().daysBox()->text(), QStringLiteral("0"));
        QCOMPARE(state().settings.expiryWarnDays, 0);
        stopProgram();
        QVERIFY(startProgram("[user]\r\nchkgq=1\r\ngqts=99999\r\n"));
        QCOMPARE(panel().daysBox()->text(), QStringLiteral("3650"));
        stopProgram();
        QCOMPARE(userSection(), QStringLiteral("[user]\r\nchkgq=1\r\ngqts=3650\r\n"));
    }

    void importShowsServerAndDomainOnly()
    {
        start(TenRegistriesOnly);
        importLines("Example.COM\nfree.org\nname.sg\n");
        QTRY_COMPARE(mainWindow().paneText(2), QStringLiteral("域名数量：3"));
        QCOMPARE(cell(0, 0), QStringLiteral("whois.verisign-grs.com"));
        QCOMPARE(cell(0, 1), QStringLiteral("example.com"));
        QCOMPARE(cell(0, 2), QString());
        QCOMPARE(cell(2, 0), QString());
    }

    void aUtf8ListIsReadAsUtf8AndWhatWasLeftOutIsSaid()
    {
        LoopbackWhoisServer server;
        server.setDefault(Behaviour::answer("hello world\r\n"));
        start();
        route(server);
        const auto file =
            m_dir->write("list.txt", "a.com\n\xE4\xBE\x8B\xE5\xAD\x90.jp\ntwo words.com\n\nlate.com\n");
        panel().chooseImportFile = [file] { return QString::fromStdString(file.string()); };
        MessageBoxCloser closer;
        QTest::mouseClick(panel().importButton(), Qt::LeftButton);
        QTRY_COMPARE(mainWindow().view().model()->rowCount(), 2);
        QCOMPARE(cell(1, 1), QStringLiteral("例子.jp")); // not "渚嬪瓙.jp"
        QTRY_COMPARE(closer.texts.size(), 1);
        QVERIFY2(closer.texts[0].contains(QStringLiteral("UTF-8")), qPrintable(closer.texts[0]));
        QVERIFY2(closer.texts[0].contains(QStringLiteral("1 行含有空格，未导入。")),
                 qPrintable(closer.texts[0]));
        QVERIFY2(closer.texts[0].contains(QStringLiteral("第 4 行是空行，列表到此结束；其后的 1 行未导入。")),
                 qPrintable(closer.texts[0]));

        // A reply that is no record shows ERR! and says why when the pointer rests on it.
        QVERIFY(state().endpoints.add("whois.jprs.jp=" + server.address()));
        QTest::mouseClick(panel().startButton(), Qt::LeftButton);
        QTRY_COMPARE(mainWindow().paneText(0), Finished);
        QCOMPARE(cell(0, 2), QStringLiteral("ERR!"));
        QCOMPARE(mainWindow().view().model()->index(0, 2).data(Qt::ToolTipRole).toString(),
                 QStringLiteral("无法识别的回复\n查询方式：WHOIS"));
    }

    void anImportWithoutNamesKeepsTheListAndSaysWhy()
    {
        start(TenRegistriesOnly);
        importLines("a.com\nb.com\n");
        MessageBoxCloser closer;
        const auto pick = [this](const std::filesystem::path& file) {
            panel().chooseImportFile = [file] { return QString::fromStdString(file.string()); };
            QTest::mouseClick(panel().importButton(), Qt::LeftButton);
        };
        const auto listKept = [this] {
            QCOMPARE(mainWindow().view().model()->rowCount(), 2);
            QCOMPARE(state().table.count(), 2);
            QCOMPARE(cell(1, 1), QStringLiteral("b.com"));
            QCOMPARE(mainWindow().paneText(2), QStringLiteral("域名数量：2"));
        };
        using namespace std::string_view_literals;
        pick(m_dir->write("image.png", "\x89PNG\r\n\x1A\n\0\0\0\rIHDR\0\0\x01\0"sv));
        QTRY_COMPARE(closer.texts.size(), 1);
        QVERIFY2(closer.texts[0].contains(QStringLiteral("没有可导入的域名，列表保持不变")),
                 qPrintable(closer.texts[0]));
        QVERIFY2(closer.texts[0].contains(QStringLiteral("空字节")), qPrintable(closer.texts[0]));
        listKept();

        pick(m_dir->write("empty.txt", ""));
        QTRY_COMPARE(closer.texts.size(), 2);
        QVERIFY2(closer.texts[1].endsWith(QStringLiteral("文件中没有域名。")), qPrintable(closer.texts[1]));
        listKept();

        // A list with one good name among bad ones replaces the old list.
        pick(m_dir->write("mixed.txt", "no dot\nc.com\n"));
        QTRY_COMPARE(mainWindow().view().model()->rowCount(), 1);
        QCOMPARE(cell(0, 1), QStringLiteral("c.com"));
        QTRY_COMPARE(closer.texts.size(), 3);
        QVERIFY2(closer.texts[2].startsWith(QStringLiteral("导入了 1 个域名")), qPrintable(closer.texts[2]));
    }

    void aRunFillsTheRowsAndEnablesStartAgain()
    {
        LoopbackWhoisServer server;
        server.setDefault(Behaviour::answer(VerisignRecord, std::chrono::milliseconds(50)));
        server.on("free.org", Behaviour::answer("NOT FOUND\n"));
        start(TenRegistriesOnly);
        route(server);
        importLines("a.com\nb.com\nfree.org\nname.sg\n");

        panel().startButton()->click();
        QVERIFY(!panel().startButton()->isEnabled());
        QVERIFY(!panel().importButton()->isEnabled());
        QTRY_COMPARE(mainWindow().paneText(0), QStringLiteral("正在查询域名信息..."));
        QTRY_COMPARE(mainWindow().paneText(0), Finished);
        QTRY_VERIFY(panel().startButton()->isEnabled());
        QVERIFY(panel().importButton()->isEnabled());
        QCOMPARE(mainWindow().paneText(1), QStringLiteral("进度：4 / 4"));
        QCOMPARE(cell(0, 2), QStringLiteral("成功"));
        QCOMPARE(cell(0, 3), QStringLiteral("2030-01-01")); // the registry's text in the tool tip
        QVERIFY(mainWindow()
                    .view()
                    .model()
                    ->index(0, 3)
                    .data(Qt::ToolTipRole)
                    .toString()
                    .startsWith(QStringLiteral("01-jan-2030\n还有 ")));
        QCOMPARE(cell(0, 7), QStringLiteral("R"));
        QCOMPARE(cell(2, 2), QStringLiteral("域名未注册"));
        QCOMPARE(cell(3, 2), QStringLiteral("无whois服务器"));

        MessageBoxCloser closer;
        const auto csv = m_dir->path() / "out.csv";
        panel().chooseExportFile = [csv] { return QString::fromStdString(csv.string()); };
        panel().exportList();
        QCOMPARE(closer.texts, QStringList{QStringLiteral("共导出了 4 条有效记录！")});
        const std::string bytes = test::readFile(csv);
        QVERIFY(bytes.starts_with(
            "\"whois.verisign-grs.com\",\"a.com\",\"\xB3\xC9\xB9\xA6\",\"01-jan-2030\",\"01-jan-2000\""));
        QVERIFY(bytes.ends_with(
            "\"\",\"name.sg\",\"\xCE\xDEwhois\xB7\xFE\xCE\xF1\xC6\xF7\",\"\",\"\",\"\",\"\",\"\"\r\n"));
    }

    void anExportSaysWhatItHoldsAsksDuringARunAndRefusesAnEmptyList()
    {
        start(TenRegistriesOnly);
        int asked = 0;
        const auto csv = m_dir->path() / "out.csv";
        panel().chooseExportFile = [&asked, csv] {
            ++asked;
            return QString::fromStdString(csv.string());
        };
        {
            MessageBoxCloser closer;
            QTest::mouseClick(panel().exportButton(), Qt::LeftButton);
            QTRY_COMPARE(closer.texts, QStringList{QStringLiteral("列表中没有域名，没有可导出的数据。")});
            QCOMPARE(asked, 0);
            QVERIFY(!std::filesystem::exists(csv));
        }

        LoopbackWhoisServer server;
        server.on("a.com", Behaviour::answer(VerisignRecord));
        server.on("b.com", Behaviour::silent());
        route(server);
        importLines("a.com\nb.com\n");
        QTest::mouseClick(panel().startButton(), Qt::LeftButton);
        QTRY_COMPARE(mainWindow().paneText(1), QStringLiteral("进度：1 / 2"));

        // The question comes first; No writes nothing, Yes exports and says what was finished.
        const auto answerWith = [this](QMessageBox::StandardButton answer, QString& question) {
            ModalWatcher<QMessageBox> watcher([&question, answer](QMessageBox* box) {
                question = box->text();
                QTest::mouseClick(box->button(answer), Qt::LeftButton);
            });
            QTest::mouseClick(panel().exportButton(), Qt::LeftButton);
            QVERIFY(watcher.seen);
        };
        QString question;
        answerWith(QMessageBox::No, question);
        QCOMPARE(question,
                 QStringLiteral("查询正在进行：2 个域名中已完成 1 个，其余的导出时没有结果。\n仍要导出吗？"));
        QCOMPARE(asked, 0);
        QVERIFY(!std::filesystem::exists(csv));

        QString told;
        QTimer result;
        connect(&result, &QTimer::timeout, this, [&told] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box != nullptr && box->standardButtons() == QMessageBox::Ok) {
                told = box->text();
                box->accept();
            }
        });
        result.start(20);
        answerWith(QMessageBox::Yes, question);
        QTRY_VERIFY(!told.isEmpty());
        QCOMPARE(asked, 1);
        QCOMPARE(told, QStringLiteral("共导出了 2 条记录，其中 1 条已查询完成，1 条未查询。"));
        QVERIFY(test::readFile(csv).starts_with("\"whois.verisign-grs.com\",\"a.com\",\"\xB3\xC9\xB9\xA6\""));
    }

    void aSecondStartAsksEveryNameAgainAndKeepsItsReplies()
    {
        LoopbackWhoisServer server;
        server.setDefault(Behaviour::answer(VerisignRecord));
        start(TenRegistriesOnly);
        route(server);
        importLines("once-again.com\ntwice-again.com\n");
        for (int run = 1; run <= 2; ++run) {
            QTest::mouseClick(panel().startButton(), Qt::LeftButton);
            QTRY_COMPARE(server.connectionCount(), 2 * run);
            QTRY_VERIFY(panel().startButton()->isEnabled());
            QCOMPARE(mainWindow().paneText(0), Finished);
            QCOMPARE(cell(1, 2), QStringLiteral("成功"));
        }
        history::HistoryStore* store = historyStore(state());
        QVERIFY(store != nullptr);
        const auto lookups = [store] {
            std::string why;
            auto entries = store->history("once-again.com", true, why);
            return entries ? std::move(*entries) : std::vector<history::HistoryEntry>{};
        };
        QTRY_COMPARE(lookups().size(), std::size_t{2});
        for (const history::HistoryEntry& entry : lookups())
            QVERIFY2(entry.raw.find("Registrar: R") != std::string::npos, entry.raw.c_str());
    }

    void nearExpiryRowsAreRedAndTheListSortsAndFilters()
    {
        LoopbackWhoisServer server;
        server.on("soon.com", Behaviour::answer(comRecordExpiringIn("soon.com", 10)));
        server.on("later.com", Behaviour::answer(comRecordExpiringIn("later.com", 400)));
        server.on("gone.com", Behaviour::answer(comRecordExpiringIn("gone.com", -2)));
        server.on("odd.com", Behaviour::answer("Domain Name: ODD.COM\r\nRegistry Expiry Date: soon\r\n"));
        start();
        route(server);
        importLines("later.com\nodd.com\nsoon.com\ngone.com\n");
        QTest::mouseClick(panel().startButton(), Qt::LeftButton);
        QTRY_COMPARE(mainWindow().paneText(0), QStringLiteral("操作结束！ 2 个域名将在 30 天内到期"));
        QAbstractItemModel* model = mainWindow().view().model();
        const auto red = [model](int row) {
            return model->index(row, 1).data(Qt::ForegroundRole).value<QColor>() == QColor(Qt::red);
        };
        QVERIFY(!red(0));
        QVERIFY(red(2)); // 10 days left
        QVERIFY(red(3)); // expired two days ago
        QCOMPARE(model->index(3, 3).data(Qt::ToolTipRole).toString().section(QLatin1Char('\n'), 1),
                 QStringLiteral("已过期 2 天"));

        // The box and a new day count take effect at once, the count said in the status bar.
        QTest::mouseClick(panel().redDisplayBox(), Qt::LeftButton);
        QVERIFY(!red(2));
        QTest::mouseClick(panel().redDisplayBox(), Qt::LeftButton);
        QVERIFY(red(2));
        panel().daysBox()->selectAll();
        QTest::keyClicks(panel().daysBox(), QStringLiteral("5"));
        QVERIFY(!red(2));
        QVERIFY(red(3));
        QCOMPARE(mainWindow().paneText(0), QStringLiteral("1 个域名将在 5 天内到期"));
        panel().daysBox()->selectAll();
        QTest::keyClicks(panel().daysBox(), QStringLiteral("11"));
        QVERIFY(red(2));
        QCOMPARE(mainWindow().paneText(0), QStringLiteral("2 个域名将在 11 天内到期"));
        panel().daysBox()->selectAll();
        QTest::keyClicks(panel().daysBox(), QStringLiteral("5"));
        QTest::mouseClick(panel().startButton(), Qt::LeftButton);
        QTRY_COMPARE(mainWindow().paneText(0), QStringLiteral("操作结束！ 1 个域名将在 5 天内到期"));
        QVERIFY(!red(2));
        QVERIFY(red(3));

        // Sorting by the expiry column: calendar order, the unreadable date last; again: the dates
        // reversed, the unreadable one still last.
        QHeaderView* header = mainWindow().view().horizontalHeader();
        QTest::mouseClick(
            header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(3) + 5, 5));
        QCOMPARE(cell(0, 1), QStringLiteral("gone.com"));
        QCOMPARE(cell(1, 1), QStringLiteral("soon.com"));
        QCOMPARE(cell(2, 1), QStringLiteral("later.com"));
        QCOMPARE(cell(3, 1), QStringLiteral("odd.com"));
        QTest::mouseClick(
            header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(3) + 5, 5));
        QCOMPARE(cell(0, 1), QStringLiteral("later.com"));
        QCOMPARE(cell(2, 1), QStringLiteral("gone.com"));
        QCOMPARE(cell(3, 1), QStringLiteral("odd.com"));

        // Ctrl+F, then typing, keeps the matching rows; the export keeps the table's order.
        mainWindow().activateWindow();
        QVERIFY(activateMainWindow());
        QTest::keyClick(&mainWindow(), Qt::Key_F, Qt::ControlModifier);
        QTRY_VERIFY(QApplication::focusWidget() != nullptr &&
                    QApplication::focusWidget()->objectName() == QStringLiteral("filter"));
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("SOON"));
        QCOMPARE(model->rowCount(), 1);
        QCOMPARE(cell(0, 1), QStringLiteral("soon.com"));
        MessageBoxCloser closer;
        const auto csv = m_dir->path() / "out.csv";
        panel().chooseExportFile = [csv] { return QString::fromStdString(csv.string()); };
        panel().exportList();
        QVERIFY(test::readFile(csv).starts_with("\"whois.verisign-grs.com\",\"later.com\""));
    }

    void runEndsWhileAModalDialogIsOpen()
    {
        LoopbackWhoisServer server;
        server.setDefault(Behaviour::answer(VerisignRecord, std::chrono::milliseconds(200)));
        start();
        route(server);
        importLines("a.com\n");
        panel().startButton()->click();
        // A modal box open while the worker finishes: its end must still end the run.
        bool finishedInsideTheBox = false;
        QTimer watcher;
        connect(&watcher, &QTimer::timeout, this, [&] {
            if (mainWindow().paneText(0) == Finished && panel().startButton()->isEnabled()) {
                finishedInsideTheBox = QApplication::activeModalWidget() != nullptr;
                if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                    box->accept();
            }
        });
        watcher.start(20);
        QMessageBox box(
            QMessageBox::NoIcon, QString(), QStringLiteral("modal"), QMessageBox::Ok, &mainWindow());
        QTimer::singleShot(10000, &box, &QMessageBox::reject); // never hang the test
        box.exec();
        QVERIFY(finishedInsideTheBox);
    }

    void appLinksInCapitalsReachOnAppLink()
    {
        start();
        WebPane* pane = panel().webPane();
        QVERIFY(pane != nullptr);
        QStringList links;
        pane->onAppLink = [&links](const QString& rest) { links << rest; };
        QSignalSpy loaded(pane, &QWebEngineView::loadFinished);
        pane->setHtml(QStringLiteral("<a id='a' href='APP:Export'>x</a><a id='b' href='app:'>y</a>"),
                      QUrl(QStringLiteral("qrc:/zonedesk/")));
        QVERIFY(loaded.wait(20000));
        const QUrl before = pane->url();
        pane->page()->runJavaScript(QStringLiteral("document.getElementById('a').click();"));
        QTRY_COMPARE_WITH_TIMEOUT(links.size(), 1, 10000);
        QCOMPARE(links.front().toLower(), QStringLiteral("export"));
        pane->page()->runJavaScript(QStringLiteral("document.getElementById('b').click();"));
        QTRY_COMPARE_WITH_TIMEOUT(links.size(), 2, 10000);
        QCOMPARE(links.back(), QString());
        QCOMPARE(pane->url(), before);
    }

    void historyShowsChangesOpensTheLastResultsAndTheDialog()
    {
        const auto record = [](const char* name, const char* expiry, const char* registrar) {
            return std::string("Domain Name: ") + name + "\r\nRegistrar: " + registrar +
                   "\r\nCreation Date: 2001-01-01T00:00:00Z\r\nRegistry Expiry Date: " + expiry +
                   "T04:00:00Z\r\n";
        };
        LoopbackWhoisServer server;
        server.on("renewed.com", Behaviour::answer(record("renewed.com", "2027-05-14", "Old Registrar")));
        server.on("dropped.com", Behaviour::answer(record("dropped.com", "2028-01-01", "R")));
        start();
        route(server);
        importLines("renewed.com\ndropped.com\n");
        const auto runToTheEnd = [this] {
            panel().startButton()->click();
            QTRY_VERIFY(!panel().startButton()->isEnabled() || mainWindow().paneText(0) == Finished);
            QTRY_COMPARE(mainWindow().paneText(0), Finished);
            QTRY_VERIFY(panel().startButton()->isEnabled());
        };
        runToTheEnd();
        server.on("renewed.com", Behaviour::answer(record("renewed.com", "2028-05-14", "New Registrar")));
        server.on("dropped.com", Behaviour::answer("No match for \"DROPPED.COM\".\r\n"));
        importLines("renewed.com\ndropped.com\n"); // a finished list is looked up again after an import
        runToTheEnd();

        const auto model = mainWindow().view().model();
        // The history's writer works them out in the background: they arrive shortly after the run.
        QTRY_VERIFY(model->index(1, 1).data(Qt::FontRole).value<QFont>().bold());
        const QString renewedTip = model->index(0, 2).data(Qt::ToolTipRole).toString();
        QVERIFY2(renewedTip.contains(QStringLiteral("续费：2027-05-14 → 2028-05-14")),
                 qPrintable(renewedTip));
        QVERIFY(renewedTip.contains(QStringLiteral("注册商变更：Old Registrar → New Registrar")));
        QVERIFY(model->index(1, 2).data(Qt::ToolTipRole).toString().contains(QStringLiteral("已释放！")));
        QVERIFY(model->index(1, 1).data(Qt::FontRole).value<QFont>().bold());
        QVERIFY(!model->index(0, 1).data(Qt::FontRole).value<QFont>().bold());

        // 查询历史…: both lookups of the selected name, newest first, with the registry's reply.
        mainWindow().view().selectRow(0);
        int lookups = 0;
        QString reply;
        QTimer watcher;
        connect(&watcher, &QTimer::timeout, this, [&] {
            if (auto* dialog = qobject_cast<HistoryDialog*>(QApplication::activeModalWidget())) {
                lookups = dialog->lookups()->rowCount();
                reply = dialog->reply()->toPlainText();
                dialog->accept();
            }
        });
        watcher.start(20);
        mainWindow().findChild<QAction*>(QStringLiteral("showHistory"))->trigger();
        watcher.stop();
        QCOMPARE(lookups, 2);
        QVERIFY2(reply.contains(QStringLiteral("Registrar: New Registrar")), qPrintable(reply));

        // Closing loses nothing: the next start opens the last results from the menu, or at once
        // with restoreLast=1.
        m_app->shutDown();
        start();
        QCOMPARE(mainWindow().view().model()->rowCount(), 0);
        mainWindow().findChild<QAction*>(QStringLiteral("openLastResults"))->trigger();
        QCOMPARE(mainWindow().view().model()->rowCount(), 2);
        QCOMPARE(cell(0, 1), QStringLiteral("renewed.com"));
        QCOMPARE(cell(0, 2), QStringLiteral("成功"));
        QCOMPARE(cell(0, 3), QStringLiteral("2028-05-14"));
        QCOMPARE(cell(1, 2), QStringLiteral("域名未注册"));
        QCOMPARE(mainWindow().paneText(2), QStringLiteral("域名数量：2"));
        m_app->shutDown();
        start("[user]\r\nchkgq=1\r\ngqts=30\r\nrestoreLast=1\r\n");
        QCOMPARE(mainWindow().view().model()->rowCount(), 2);
        QCOMPARE(cell(0, 7), QStringLiteral("New Registrar"));
    }

    void theLastResultsHoldTheWholeListAndStartLooksUpTheRest()
    {
        LoopbackWhoisServer server;
        server.on("reached.com", Behaviour::answer(VerisignRecord));
        server.on("unreached.com", Behaviour::silent());
        start(TenRegistriesOnly);
        route(server);
        importLines("reached.com\nunreached.com\nno-server.sg\n");
        QTest::mouseClick(panel().startButton(), Qt::LeftButton);
        QTRY_COMPARE(cell(0, 2), QStringLiteral("成功"));
        QTRY_COMPARE(server.connectionCount(), 2);
        stopProgram(); // closed mid-run

        QVERIFY(startProgram());
        route(server);
        server.on("unreached.com", Behaviour::answer("No match for \"UNREACHED.COM\".\r\n"));
        mainWindow().findChild<QAction*>(QStringLiteral("openLastResults"))->trigger();
        QCOMPARE(mainWindow().view().model()->rowCount(), 3);
        QCOMPARE(cell(0, 2), QStringLiteral("成功"));
        QCOMPARE(cell(1, 1), QStringLiteral("unreached.com"));
        QCOMPARE(cell(1, 2), QStringLiteral("未查询"));
        QCOMPARE(cell(2, 1), QStringLiteral("no-server.sg")); // a name without a server comes back too
        QCOMPARE(cell(2, 2), QStringLiteral("无whois服务器"));
        QCOMPARE(mainWindow().paneText(1), QStringLiteral("进度：1 / 3"));

        // Start looks up only what is not done.
        QTest::mouseClick(panel().startButton(), Qt::LeftButton);
        QTRY_COMPARE(cell(1, 2), QStringLiteral("域名未注册"));
        QTRY_VERIFY(panel().startButton()->isEnabled());
        QCOMPARE(server.connectionCount(), 3);
        QCOMPARE(cell(0, 2), QStringLiteral("成功"));
        QCOMPARE(cell(2, 2), QStringLiteral("无whois服务器"));

        // At the next start the list comes back with what both runs found.
        stopProgram();
        QVERIFY(startProgram("[user]\r\nchkgq=1\r\ngqts=30\r\neveryRegistry=0\r\nrestoreLast=1\r\n"));
        QCOMPARE(mainWindow().view().model()->rowCount(), 3);
        QCOMPARE(cell(0, 2), QStringLiteral("成功"));
        QCOMPARE(cell(1, 2), QStringLiteral("域名未注册"));
        QCOMPARE(server.connectionCount(), 3);
    }

    void aHistoryItCannotUseIsSaidOnceWithoutHoldingUpTheRun()
    {
        LoopbackWhoisServer server;
        server.setDefault(Behaviour::answer(VerisignRecord));
        m_dir = std::make_unique<test::TempDir>();
        const auto garbage = m_dir->write("not-a-database", std::string(4096, 'x'));
        QVERIFY(startProgram("[user]\r\nchkgq=1\r\ngqts=30\r\nhistoryDb=" + garbage.string() + "\r\n"));
        route(server);
        importLines("a.com\n");
        // Nothing modal opens: the run fills its row while the notice is still up.
        QStringList modal;
        QTimer watcher;
        connect(&watcher, &QTimer::timeout, this, [&modal] {
            if (QWidget* widget = QApplication::activeModalWidget()) {
                modal << QString::fromLatin1(widget->metaObject()->className());
                widget->close();
            }
        });
        watcher.start(20);
        const auto notices = [this] {
            return mainWindow().findChildren<QMessageBox*>(QStringLiteral("historyNotice"));
        };
        QTest::mouseClick(panel().startButton(), Qt::LeftButton);
        QTRY_COMPARE(mainWindow().paneText(0), Finished);
        QCOMPARE(cell(0, 2), QStringLiteral("成功"));
        QCOMPARE(notices().size(), 1);
        QMessageBox* notice = notices().front();
        QVERIFY(notice->isVisible());
        const QString text = notice->text();
        QVERIFY2(text.startsWith(QStringLiteral("历史记录不可用，本次查询照常进行，但不会被记录（")) &&
                     text.contains(QStringLiteral("not a database")) && text.endsWith(QStringLiteral("）")),
                 qPrintable(text));
        QCOMPARE(mainWindow().statusBar()->currentMessage(), text);
        QVERIFY2(modal.isEmpty(), qPrintable(modal.join(QLatin1Char(','))));
        QTest::mouseClick(notice->button(QMessageBox::Ok), Qt::LeftButton);
        QTRY_VERIFY(notices().isEmpty());

        importLines("a.com\n");
        QTest::mouseClick(panel().startButton(), Qt::LeftButton);
        QTRY_COMPARE(mainWindow().paneText(0), Finished);
        QTest::qWait(100);
        QVERIFY(notices().isEmpty()); // said once
        QVERIFY(modal.isEmpty());
        QCOMPARE(test::readFile(garbage), std::string(4096, 'x'));
    }

    void throttledServerShowsItsCountdownInTheStatusBar()
    {
        LoopbackWhoisServer server;
        server.setDefault(Behaviour::answer("WHOIS LIMIT EXCEEDED - SEE WWW.PIR.ORG/WHOIS FOR DETAILS\n"));
        start();
        route(server);
        lookup::ExchangeOptions session;
        session.throttleRetryPauses = {std::chrono::seconds(16)};
        mainWindow().run().setInternetSession(session);
        importLines("busy.org\n");
        panel().startButton()->click();
        QTRY_VERIFY(
            mainWindow().paneText(0).startsWith(QStringLiteral("whois.publicinterestregistry.org 限流，")));
        QVERIFY(mainWindow().paneText(0).endsWith(QStringLiteral(" 秒后重试")));
        closeMidRun(); // a stop ends the wait at once
        m_app->shutDown();
    }

    void closingMidRunEndsQuicklyAndWritesSettings()
    {
        LoopbackWhoisServer server;
        server.setDefault(Behaviour::silent());
        start();
        route(server);
        importLines("a.com\nb.com\n");
        panel().daysBox()->setValue(45);
        panel().startButton()->click();
        QTRY_COMPARE(server.connectionCount(), 1);
        const auto asked = std::chrono::steady_clock::now();
        closeMidRun();
        m_app->shutDown();
        QVERIFY(std::chrono::steady_clock::now() - asked < std::chrono::seconds(2));
        QCOMPARE(userSection(), QStringLiteral("[user]\r\nchkgq=1\r\ngqts=45\r\n"));
    }
};

} // namespace zonedesk

int main(int argc, char** argv)
{
    return zonedesk::test::runGuiTest<zonedesk::AppTest>(argc, argv);
}

#include "app_test.moc"
