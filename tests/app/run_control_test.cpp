// SPDX-License-Identifier: MIT
// Control over a run as the user has it, under a window manager: Stop (Esc) keeps what finished
// and Start resumes; re-checks of the selected rows, the ERR! rows and all; what a run forbids is
// disabled with its reason; closing mid-run asks; the menus' shortcuts, the rows' context menu and
// Ctrl+C; the status bar's pace, tally and filter count; Tab from the filter to the list and panel.
#include <algorithm>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include "app/application.h"
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
using test::ModalWatcher;
using test::TenRegistriesOnly;

std::string record(const std::string& name)
{
    return "Domain Name: " + name +
           "\r\nCreation Date: 2001-01-01T00:00:00Z\r\nRegistry Expiry Date: 2031-01-01T04:00:00Z\r\n"
           "Registrar: R\r\n";
}

} // namespace

class RunControlTest final
    : public QObject
    , private test::ProgramFixture
{
    Q_OBJECT

private:
    void start()
    {
        m_dir.reset();
        QVERIFY(startProgram(TenRegistriesOnly));
        // Keys reach the window's shortcuts once the window manager has made it the active one.
        QVERIFY(activateMainWindow());
        QVERIFY(state().endpoints.add("whois.verisign-grs.com=" + m_server->address()));
        QVERIFY(state().endpoints.addRdapList(test::rdapNowhere()));
    }

    void importLines(std::string_view lines)
    {
        const auto file = m_dir->write("list.txt", lines);
        panel().chooseImportFile = [file] { return QString::fromStdString(file.string()); };
        QTest::keyClick(&mainWindow(), Qt::Key_O, Qt::ControlModifier);
        QTRY_VERIFY(state().table.count() > 0);
        QTRY_COMPARE(mainWindow().view().model()->rowCount(), state().table.count());
    }

    QString cell(int row, int column)
    {
        return mainWindow().view().model()->index(row, column).data().toString();
    }

    /// How often `name` was asked.
    int asked(const std::string& name)
    {
        const auto requests = m_server->requests();
        return static_cast<int>(
            std::count_if(requests.begin(), requests.end(), [&](const std::string& request) {
                return request.find(name) != std::string::npos;
            }));
    }

    QAction* action(const char* name) { return mainWindow().action(QLatin1String(name)); }

    DomainListView& list() { return mainWindow().view(); }

    /// Clicks `row`'s domain cell, with `modifiers`.
    void clickRow(int row, Qt::KeyboardModifiers modifiers = {})
    {
        const QRect cellRect = list().visualRect(list().model()->index(row, 1));
        QTest::mouseClick(list().viewport(), Qt::LeftButton, modifiers, cellRect.center());
    }

    /// Opens the rows' context menu over `row` as a right click does and picks its `index`-th
    /// entry with the keyboard.
    void pickFromRowMenu(int row, int index)
    {
        QTimer picker;
        connect(&picker, &QTimer::timeout, this, [&] {
            if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                picker.stop();
                for (int i = 0; i <= index; ++i)
                    QTest::keyClick(menu, Qt::Key_Down);
                QTest::keyClick(menu, Qt::Key_Return);
            }
        });
        picker.start(20);
        const QPoint at = list().visualRect(list().model()->index(row, 1)).center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, list().viewport()->mapToGlobal(at));
        QApplication::sendEvent(list().viewport(), &event);
    }

    /// Waits for the run F5 or a click started (the panel's Start is disabled at once) to end.
    void waitForRunEnd() { QTRY_VERIFY(panel().startButton()->isEnabled()); }

    std::unique_ptr<LoopbackWhoisServer> m_server;

private Q_SLOTS:

    void init()
    {
        m_server = std::make_unique<LoopbackWhoisServer>();
        m_server->setDefault(Behaviour::answer("No match for \"X\".\r\n"));
        m_server->on("a.com", Behaviour::answer(record("a.com")));
        m_server->on("c.com", Behaviour::answer(record("c.com")));
    }

    void cleanup()
    {
        stopProgram();
        m_server.reset();
    }

    void stopKeepsWhatFinishedAndStartResumes()
    {
        // One worker for .com: a.com is answered, b.com hangs, c.com waits its turn.
        m_server->on("b.com", Behaviour::silent());
        start();
        importLines("a.com\nb.com\nc.com\n");
        QVERIFY(!action("stop")->isEnabled());
        QTest::keyClick(&mainWindow(), Qt::Key_F5);
        QTRY_COMPARE(cell(0, 2), QStringLiteral("成功"));
        QTRY_COMPARE(asked("b.com"), 1);

        // During the run, what would change the list is disabled and says why.
        QVERIFY(!action("import")->isEnabled());
        QCOMPARE(action("import")->toolTip(), QStringLiteral("查询正在进行，请先停止查询（Esc）"));
        QVERIFY(!mainWindow().findChild<QAction*>(QStringLiteral("openLastResults"))->isEnabled());
        QVERIFY(!panel().importButton()->isEnabled());
        QCOMPARE(panel().importButton()->toolTip(), ControlPanel::runningTip());
        QVERIFY(!action("recheckAll")->isEnabled());
        // A start page link says it too, rather than nothing.
        ModalWatcher<QMessageBox> said([](QMessageBox* box) {
            QCOMPARE(box->text(), ControlPanel::runningTip());
            box->accept();
        });
        panel().webPane()->onAppLink(QStringLiteral("import"));
        QVERIFY(said.seen);
        QTRY_VERIFY(mainWindow().runSummary().contains(QStringLiteral("个/秒，剩余约 ")));

        // The window manager gives the window back its focus once the box is gone.
        QVERIFY(activateMainWindow());
        list().setFocus();
        QTest::keyClick(&list(), Qt::Key_Escape);
        QTRY_VERIFY(!mainWindow().run().inProgress());
        waitForRunEnd();
        QCOMPARE(cell(0, 2), QStringLiteral("成功"));
        QCOMPARE(cell(1, 2), QStringLiteral("未查询"));
        QCOMPARE(cell(2, 2), QStringLiteral("未查询"));
        QCOMPARE(asked("c.com"), 0);
        QCOMPARE(mainWindow().paneText(0), QStringLiteral("查询已停止：2 个域名未查询，开始查询将继续"));
        QVERIFY(panel().importButton()->isEnabled());

        // Start resumes: only what is not done is asked.
        m_server->on("b.com", Behaviour::answer("No match for \"B.COM\".\r\n"));
        QTest::mouseClick(panel().startButton(), Qt::LeftButton);
        QTRY_COMPARE(cell(2, 2), QStringLiteral("成功"));
        QTRY_VERIFY(panel().startButton()->isEnabled());
        QCOMPARE(cell(1, 2), QStringLiteral("域名未注册"));
        QCOMPARE(asked("a.com"), 1);
        QCOMPARE(asked("b.com"), 2);
        QCOMPARE(mainWindow().runSummary(),
                 QStringLiteral("成功 2 · 未注册 1 · ERR! 0 · 即将到期 0 · 变化 0 · 已释放 0"));
    }

    void recheckTheSelectedTheFailedAndAllRows()
    {
        m_server->on("b.com", Behaviour::answer("this is no record\r\n"));
        start();
        importLines("a.com\nb.com\nc.com\n");
        QTest::keyClick(&mainWindow(), Qt::Key_F5);
        waitForRunEnd();
        QCOMPARE(cell(1, 2), QStringLiteral("ERR!"));
        QVERIFY(!action("recheckSelected")->isEnabled()); // nothing selected

        // Ctrl+R on the selected row asks that name alone again.
        clickRow(0);
        QVERIFY(action("recheckSelected")->isEnabled());
        QTest::keyClick(&list(), Qt::Key_R, Qt::ControlModifier);
        QTRY_COMPARE(asked("a.com"), 2);
        waitForRunEnd();
        QCOMPARE(asked("b.com"), 1);
        QCOMPARE(asked("c.com"), 1);
        QCOMPARE(cell(0, 2), QStringLiteral("成功"));

        // The ERR! rows, from the 文件 menu with the mouse.
        m_server->on("b.com", Behaviour::answer("No match for \"B.COM\".\r\n"));
        QMenu* file = nullptr;
        for (QAction* top : mainWindow().menuBar()->actions()) {
            if (top->text() == QStringLiteral("文件(&F)"))
                file = top->menu();
        }
        QVERIFY(file != nullptr);
        QTest::mouseClick(mainWindow().menuBar(),
                          Qt::LeftButton,
                          {},
                          mainWindow().menuBar()->actionGeometry(file->menuAction()).center());
        QTRY_VERIFY(file->isVisible());
        QTest::mouseClick(file, Qt::LeftButton, {}, file->actionGeometry(action("recheckErrors")).center());
        QTRY_COMPARE(cell(1, 2), QStringLiteral("域名未注册"));
        waitForRunEnd();
        QCOMPARE(asked("a.com"), 2);
        QCOMPARE(asked("c.com"), 1);

        // All of them.
        action("recheckAll")->trigger();
        QTRY_COMPARE(asked("c.com"), 2);
        waitForRunEnd();
        QCOMPARE(asked("a.com"), 3);
        QCOMPARE(asked("b.com"), 3);
        QCOMPARE(cell(2, 2), QStringLiteral("成功"));
    }

    void closingMidRunAsksAndCanKeepRunning()
    {
        m_server->on("a.com", Behaviour::silent());
        start();
        importLines("a.com\n");
        QTest::keyClick(&mainWindow(), Qt::Key_F5);
        QTRY_COMPARE(asked("a.com"), 1);
        QString question;
        ModalWatcher<QMessageBox> keep([&](QMessageBox* box) {
            question = box->text();
            for (QAbstractButton* button : box->buttons()) {
                if (button->text() == QStringLiteral("继续查询"))
                    QTest::mouseClick(button, Qt::LeftButton);
            }
        });
        QVERIFY(!mainWindow().close());
        QVERIFY(keep.seen);
        QVERIFY(question.contains(QStringLiteral("停止查询并关闭程序吗")));
        QVERIFY(mainWindow().isVisible());
        QVERIFY(mainWindow().run().inProgress());
        // Escape is "keep running" too.
        ModalWatcher<QMessageBox> escape([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); });
        QVERIFY(!mainWindow().close());
        QVERIFY(escape.seen);
        QVERIFY(mainWindow().run().inProgress());
        closeMidRun();
        QVERIFY(!mainWindow().isVisible());
        QVERIFY(!mainWindow().run().inProgress());
    }

    void rowsAreCopiedAndReachedFromTheirContextMenu()
    {
        start();
        // A registrar crafted to run as a formula where the row is pasted.
        const std::string formula = "=HYPERLINK(\"http://evil.example/\",\"click\")";
        std::string crafted = record("c.com");
        crafted.replace(crafted.find("Registrar: R"), 12, "Registrar: " + formula);
        m_server->on("c.com", Behaviour::answer(crafted));
        importLines("a.com\nb.com\nc.com\n");
        QTest::keyClick(&mainWindow(), Qt::Key_F5);
        waitForRunEnd();
        QTRY_COMPARE(cell(2, 2), QStringLiteral("成功"));

        // Ctrl+C in the list copies every selected row, all nine columns.
        clickRow(0);
        clickRow(2, Qt::ControlModifier);
        QTest::keyClick(&list(), Qt::Key_C, Qt::ControlModifier);
        const QStringList lines =
            QGuiApplication::clipboard()->text().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        const QStringList first = lines[0].split(QLatin1Char('\t'));
        QCOMPARE(first.size(), 9);
        QCOMPARE(first[1], QStringLiteral("a.com"));
        QCOMPARE(first[2], QStringLiteral("成功"));
        QCOMPARE(first[3], QStringLiteral("2031-01-01"));
        QVERIFY(lines[1].startsWith(cell(2, 0) + QStringLiteral("\tc.com\t")));
        QVERIFY2(lines[1].contains(QLatin1Char('\'') + QString::fromStdString(formula)),
                 qPrintable(lines[1]));

        // Tabbed into with no row selected, Ctrl+C copies the current row whole.
        list().clearSelection();
        list().selectionModel()->setCurrentIndex(list().model()->index(1, 3), QItemSelectionModel::NoUpdate);
        auto* filter = mainWindow().findChild<QLineEdit*>(QStringLiteral("filter"));
        filter->setFocus();
        QTest::keyClick(filter, Qt::Key_Tab);
        QTRY_VERIFY(list().hasFocus());
        QVERIFY(list().selectedRows().empty());
        QTest::keyClick(&list(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text().split(QLatin1Char('\t')).size(), 9);
        QVERIFY(QGuiApplication::clipboard()->text().startsWith(cell(1, 0) + QStringLiteral("\tb.com\t")));

        // The filter field's Ctrl+C is its own.
        QTest::keyClick(&mainWindow(), Qt::Key_F, Qt::ControlModifier);
        QVERIFY(filter->hasFocus());
        QTest::keyClicks(filter, QStringLiteral("c.com"));
        QCOMPARE(mainWindow().filterCount(), QStringLiteral("显示 1 / 共 3"));
        filter->selectAll();
        QTest::keyClick(filter, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("c.com"));
        filter->clear();
        QCOMPARE(mainWindow().filterCount(), QString());

        // A right click on a row outside the selection selects it; 复制域名 is the first entry.
        pickFromRowMenu(1, 0);
        QTRY_COMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("b.com\n"));
        QCOMPARE(list().selectedRows(), std::vector<std::size_t>{1});

        // 查询历史 from the menu shows the row's lookups; the reply entry puts the newest reply first.
        QString shown;
        ModalWatcher<HistoryDialog> history([&](HistoryDialog* dialog) {
            shown = dialog->reply()->toPlainText();
            dialog->accept();
        });
        pickFromRowMenu(1, 4);
        QTRY_VERIFY(history.seen);
        QVERIFY2(shown.startsWith(QStringLiteral("No match for")), qPrintable(shown));
    }

    void shortcutsAndTabOrder()
    {
        start();
        importLines("a.com\n");
        bool asked = false;
        panel().chooseExportFile = [&asked] {
            asked = true;
            return QString();
        };
        QTest::keyClick(&mainWindow(), Qt::Key_E, Qt::ControlModifier);
        QVERIFY(asked);
        asked = false;
        QTest::keyClick(&mainWindow(), Qt::Key_S, Qt::ControlModifier);
        QVERIFY(asked);
        // Esc with no run does nothing; F5 starts.
        QVERIFY(!action("stop")->isEnabled());
        QTest::keyClick(&mainWindow(), Qt::Key_F5);
        QTRY_COMPARE(cell(0, 2), QStringLiteral("成功"));
        waitForRunEnd();

        clickRow(0);
        ModalWatcher<HistoryDialog> history([](HistoryDialog* dialog) { dialog->accept(); });
        QTest::keyClick(&list(), Qt::Key_H, Qt::ControlModifier);
        QTRY_VERIFY(history.seen);
        QVERIFY(activateMainWindow());

        auto* filter = mainWindow().findChild<QLineEdit*>(QStringLiteral("filter"));
        filter->setFocus();
        QTest::keyClick(filter, Qt::Key_Tab);
        QTRY_VERIFY(list().hasFocus());
        QTest::keyClick(&list(), Qt::Key_Tab);
        QTRY_VERIFY(panel().redDisplayBox()->hasFocus());
    }
};

} // namespace zonedesk

int main(int argc, char** argv)
{
    return zonedesk::test::runGuiTest<zonedesk::RunControlTest>(argc, argv);
}

#include "run_control_test.moc"
