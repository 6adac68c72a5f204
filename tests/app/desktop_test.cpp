// SPDX-License-Identifier: MIT
// The desktop program as a user meets it under a window manager (scripts/run-gui-test --wm):
// the side panel's width on every start, the shipped start page's links clicked with the mouse,
// the window's normal geometry and its memory across runs, Qt's dialogs in Chinese, the file
// dialogs' folders, the quit shortcut, the status panes after an import and the View menu.
#include <filesystem>

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWebEngineView>

#include "app/application.h"
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

} // namespace

class DesktopTest final
    : public QObject
    , private test::ProgramFixture
{
    Q_OBJECT

private:
    /// Starts the program in the test's folder, keeping config.ini from an earlier start.
    void start()
    {
        QVERIFY(startProgram());
        QVERIFY(QTest::qWaitForWindowExposed(&mainWindow()));
    }

    void stop() { stopProgram(); }

    static QRect available() { return QGuiApplication::primaryScreen()->availableGeometry(); }

    /// Waits until the window manager has maximised the main window.
    void waitMaximised()
    {
        QTRY_VERIFY_WITH_TIMEOUT(
            mainWindow().isMaximized() && mainWindow().width() >= available().width() - 16, 10000);
    }

    /// Clicks the start page's link to `href` with the mouse, where the page draws it.
    void clickLink(const QString& href)
    {
        WebPane* pane = panel().webPane();
        QVariant box;
        const QString script =
            QStringLiteral("(function(){var a=document.querySelector('a[href=\"%1\"]');"
                           "if(!a)return null;a.scrollIntoView();var r=a.getClientRects()[0];"
                           "return [r.left+r.width/2,r.top+r.height/2];})()")
                .arg(href);
        // The page may still be loading: ask until the link is there.
        const bool found = QTest::qWaitFor(
            [&] {
                bool answered = false;
                pane->page()->runJavaScript(script, [&](const QVariant& result) {
                    box = result;
                    answered = true;
                });
                return QTest::qWaitFor([&] { return answered; }, 5000) && box.toList().size() == 2;
            },
            20000);
        QVERIFY2(found, qPrintable(href));
        const QPoint at(qRound(box.toList()[0].toDouble()), qRound(box.toList()[1].toDouble()));
        QWidget* target = pane->focusProxy() != nullptr ? pane->focusProxy() : pane;
        QTest::mouseMove(target, at);
        QTest::mouseClick(target, Qt::LeftButton, {}, at);
    }

private Q_SLOTS:

    void initTestCase()
    {
        // The window manager owns placement here; without one these tests prove nothing.
        QVERIFY2(!QGuiApplication::platformName().compare(QStringLiteral("xcb")), "needs X");
    }

    void cleanup()
    {
        stop();
        m_dir.reset();
    }

    void sidePanelOpensAtItsWidthOnEveryStart()
    {
        for (int run = 0; run < 20; ++run) {
            start();
            waitMaximised();
            const int expected = mainWindow().panelBar().model().vertSize.width;
            QTRY_COMPARE_WITH_TIMEOUT(mainWindow().panelBar().width(), expected, 5000);
            // What the user looks for: the whole Export button and the days label inside the bar.
            QTest::qWait(200);
            QCOMPARE(mainWindow().panelBar().width(), expected);
            const QRect bar(QPoint(0, 0), mainWindow().panelBar().size());
            for (QWidget* widget : {static_cast<QWidget*>(panel().exportButton()),
                                    static_cast<QWidget*>(panel().startButton())}) {
                const QRect inBar(widget->mapTo(&mainWindow().panelBar(), QPoint(0, 0)), widget->size());
                QVERIFY2(bar.contains(inBar), qPrintable(QStringLiteral("run %1").arg(run)));
            }
            stop();
        }
    }

    void normalGeometryIsSaneAndRememberedAcrossRuns()
    {
        start();
        waitMaximised();
        mainWindow().showNormal();
        QTRY_VERIFY_WITH_TIMEOUT(
            !mainWindow().isMaximized() && mainWindow().width() < available().width() - 100, 10000);
        // Two thirds of the screen, centred: the list, the buttons and the panes all usable.
        const QRect expected = MainWindow::defaultNormalGeometry(available());
        QTRY_VERIFY_WITH_TIMEOUT(qAbs(mainWindow().width() - expected.width()) <= 2, 5000);
        QVERIFY(qAbs(mainWindow().height() - expected.height()) <= 2);
        QVERIFY(qAbs(mainWindow().geometry().center().x() - expected.center().x()) <= 40);
        QVERIFY(panel().exportButton()->isVisible());

        const QRect chosen(120, 90, 1000, 700);
        mainWindow().setGeometry(chosen);
        QTRY_COMPARE_WITH_TIMEOUT(mainWindow().geometry().size(), chosen.size(), 5000);
        QTest::qWait(100);
        const QRect left = mainWindow().geometry();
        stop();
        const std::string config = test::readFile(m_dir->path() / "config.ini");
        QVERIFY2(config.starts_with("[user]\r\nchkgq=1\r\ngqts=30\r\n[desktop]\r\n"), config.c_str());
        QVERIFY(config.find("maximized=0") != std::string::npos);

        start();
        QVERIFY(!mainWindow().isMaximized());
        QTRY_COMPARE_WITH_TIMEOUT(mainWindow().geometry().size(), chosen.size(), 5000);
        QVERIFY((mainWindow().geometry().topLeft() - left.topLeft()).manhattanLength() <= 40);

        // Maximised when left maximised; restoring gives the remembered normal geometry back.
        mainWindow().showMaximized();
        waitMaximised();
        stop();
        start();
        waitMaximised();
        mainWindow().showNormal();
        QTRY_COMPARE_WITH_TIMEOUT(mainWindow().geometry().size(), chosen.size(), 10000);
    }

    void aGeometryFromAnotherScreenIsFittedIntoThisOne()
    {
        const QRect screen = available();
        // Off every screen: the default; saved on a taller screen, reaching below this one: moved
        // up into it, the status bar in view.
        const QRect saved[] = {{9000, 9000, 800, 600},
                               {screen.left() + 40,
                                screen.bottom() - screen.height() / 4,
                                screen.width() * 3 / 4,
                                screen.height() * 7 / 8}};
        for (const QRect& rect : saved) {
            m_dir = std::make_unique<test::TempDir>();
            m_dir->write("config.ini",
                         "[user]\r\nchkgq=1\r\ngqts=30\r\n[desktop]\r\nx=" + std::to_string(rect.x()) +
                             "\r\ny=" + std::to_string(rect.y()) +
                             "\r\nwidth=" + std::to_string(rect.width()) +
                             "\r\nheight=" + std::to_string(rect.height()) + "\r\nmaximized=0\r\n");
            start();
            const QRect expected = rect.x() == 9000 ? MainWindow::defaultNormalGeometry(available()) : rect;
            QTRY_VERIFY_WITH_TIMEOUT(qAbs(mainWindow().width() - expected.width()) <= 2, 5000);
            QTRY_VERIFY2(available().contains(mainWindow().geometry()),
                         qPrintable(QStringLiteral("%1,%2 %3x%4")
                                        .arg(mainWindow().x())
                                        .arg(mainWindow().y())
                                        .arg(mainWindow().width())
                                        .arg(mainWindow().height())));
            stop();
        }
    }

    void ctrlQQuitsAndAnImportResetsTheProgress()
    {
        start();
        waitMaximised();
        LoopbackWhoisServer server;
        server.setDefault(Behaviour::answer("No match for \"A.COM\".\n"));
        QVERIFY(m_app->state()->endpoints.add("whois.verisign-grs.com=" + server.address()));
        QVERIFY(m_app->state()->endpoints.addRdapList(test::rdapNowhere()));
        const auto first = m_dir->write("one.txt", "a.com\nb.com\n");
        panel().chooseImportFile = [first] { return QString::fromStdString(first.string()); };
        QTest::mouseClick(panel().importButton(), Qt::LeftButton);
        QTRY_COMPARE(mainWindow().view().model()->rowCount(), 2);
        QTest::mouseClick(panel().startButton(), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(panel().startButton()->isEnabled(), 20000);
        QCOMPARE(mainWindow().paneText(1), QStringLiteral("进度：2 / 2"));

        const auto second = m_dir->write("two.txt", "c.com\nd.com\ne.com\n");
        panel().chooseImportFile = [second] { return QString::fromStdString(second.string()); };
        QTest::mouseClick(panel().importButton(), Qt::LeftButton);
        QTRY_COMPARE(mainWindow().paneText(2), QStringLiteral("域名数量：3"));
        QCOMPARE(mainWindow().paneText(1), QString());

        QTest::keyClick(&mainWindow(), Qt::Key_Q, Qt::ControlModifier);
        QTRY_VERIFY(!mainWindow().isVisible());
    }

    void theViewMenuNamesTheSidePanelAsItsTitleDoes()
    {
        start();
        mainWindow().activateWindow();
        QVERIFY(activateMainWindow());
        QTest::keyClick(&mainWindow(), Qt::Key_V, Qt::AltModifier);
        QTRY_VERIFY(qobject_cast<QMenu*>(QApplication::activePopupWidget()) != nullptr);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QStringList texts;
        for (const QAction* action : menu->actions())
            texts << action->text();
        QVERIFY2(texts.contains(QStringLiteral("侧边栏(&L)")), qPrintable(texts.join(QLatin1Char(','))));
        QCOMPARE(mainWindow().panelBar().windowTitle(), QStringLiteral("侧边栏"));
        // Its mnemonic hides the bar.
        QTest::keyClick(menu, Qt::Key_L);
        QTRY_VERIFY(mainWindow().panelBar().isHidden());
    }

    void fileDialogsSpeakChineseAndRememberTheirFolders()
    {
        m_dir = std::make_unique<test::TempDir>();
        const auto home = m_dir->path() / "home";
        const auto lists = home / "lists";
        std::filesystem::create_directories(lists);
        qputenv("HOME", QByteArray::fromStdString(home.string()));
        const auto list = m_dir->write("home/lists/names.txt", "a.com\n");
        start();
        waitMaximised();

        // First time: the home folder; the dialog's own texts are Chinese; a missing name typed
        // in gets Qt's own box, in Chinese too, and the dialog stays open.
        QString firstFolder;
        QString cancelText;
        QString missingBoxText;
        QString missingBoxButton;
        ModalWatcher<QFileDialog> first([&](QFileDialog* dialog) {
            firstFolder = dialog->directory().absolutePath();
            if (auto* buttons = dialog->findChild<QDialogButtonBox*>())
                cancelText = buttons->button(QDialogButtonBox::Cancel)->text();
            auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            QTimer::singleShot(0, dialog, [&, dialog, name] {
                ModalWatcher<QMessageBox> missing([&](QMessageBox* box) {
                    missingBoxText = box->text();
                    missingBoxButton = box->buttons().value(0)->text();
                    box->accept();
                });
                // Set, not typed: typing opens the completer's popup, which takes the keys.
                name->setText(QString::fromStdString((lists / "absent.txt").string()));
                QTest::keyClick(name, Qt::Key_Return);
                (void)QTest::qWaitFor(
                    [&] { return missing.seen && QApplication::activeModalWidget() == dialog; }, 5000);
                name->setText(QString::fromStdString(list.string()));
                QTest::keyClick(name, Qt::Key_Return);
            });
        });
        QTest::mouseClick(panel().importButton(), Qt::LeftButton);
        QTRY_COMPARE(mainWindow().view().model()->rowCount(), 1);
        QCOMPARE(firstFolder, QString::fromStdString(home.string()));
        QCOMPARE(cancelText, QStringLiteral("取消"));
        QVERIFY2(!missingBoxText.isEmpty() && !missingBoxText.contains(QLatin1String("not found")),
                 qPrintable(missingBoxText));
        QCOMPARE(missingBoxButton, QStringLiteral("确定"));

        // The export dialog has a folder of its own, still home the first time.
        QString exportFolder;
        ModalWatcher<QFileDialog> save([&](QFileDialog* dialog) {
            exportFolder = dialog->directory().absolutePath();
            dialog->reject();
        });
        QTest::mouseClick(panel().exportButton(), Qt::LeftButton);
        QTRY_VERIFY(save.seen);
        QCOMPARE(exportFolder, QString::fromStdString(home.string()));
        stop();

        // The next run's import dialog opens where the list was taken from.
        start();
        QString nextFolder;
        ModalWatcher<QFileDialog> next([&](QFileDialog* dialog) {
            nextFolder = dialog->directory().absolutePath();
            dialog->reject();
        });
        QTest::mouseClick(panel().importButton(), Qt::LeftButton);
        QTRY_VERIFY(next.seen);
        QCOMPARE(nextFolder, QString::fromStdString(lists.string()));
    }

    void aFileThatCannotBeReadIsInvalidInAnUntitledBox()
    {
        start();
        const auto gone = m_dir->path() / "gone.txt";
        panel().chooseImportFile = [gone] { return QString::fromStdString(gone.string()); };
        QString text;
        QString title;
        QString xTitle;
        ModalWatcher<QMessageBox> box([&](QMessageBox* shown) {
            text = shown->text();
            title = shown->windowTitle();
            QProcess xprop;
            xprop.start(QStringLiteral("xprop"),
                        {QStringLiteral("-id"),
                         QString::number(shown->winId()),
                         QStringLiteral("WM_NAME"),
                         QStringLiteral("_NET_WM_NAME")});
            xprop.waitForFinished(5000);
            xTitle = QString::fromUtf8(xprop.readAllStandardOutput());
            shown->accept();
        });
        QTest::mouseClick(panel().importButton(), Qt::LeftButton);
        QTRY_VERIFY(box.seen);
        QVERIFY2(text.startsWith(QStringLiteral("文件无效！\n")), qPrintable(text));
        // What the window manager is given: a blank, not the program's name.
        QVERIFY(title.trimmed().isEmpty());
        QVERIFY2(xTitle.contains(QLatin1String("_NET_WM_NAME(UTF8_STRING) = \" \"")), qPrintable(xTitle));
    }

    void startPageLinksRunTheirCommands()
    {
        start();
        QCOMPARE(panel().webPane()->url(), WebPane::startPage());
        const auto list = m_dir->write("list.txt", "a.com\nb.org\n");
        int importAsked = 0;
        panel().chooseImportFile = [&] {
            ++importAsked;
            return QString::fromStdString(list.string());
        };
        clickLink(QStringLiteral("app:import"));
        QTRY_COMPARE(importAsked, 1);
        QTRY_COMPARE(mainWindow().view().model()->rowCount(), 2);

        int exportAsked = 0;
        panel().chooseExportFile = [&] {
            ++exportAsked;
            return QString(); // cancelled
        };
        clickLink(QStringLiteral("app:export"));
        QTRY_COMPARE(exportAsked, 1);

        ModalWatcher<QDialog> about([](QDialog* dialog) { dialog->accept(); });
        clickLink(QStringLiteral("app:about"));
        QTRY_VERIFY(about.seen);

        LoopbackWhoisServer server;
        server.setDefault(Behaviour::answer("No match for \"A.COM\".\n"));
        for (const char* host : {"whois.verisign-grs.com", "whois.publicinterestregistry.org"})
            QVERIFY(m_app->state()->endpoints.add(std::string(host) + "=" + server.address()));
        QVERIFY(m_app->state()->endpoints.addRdapList(test::rdapNowhere()));
        clickLink(QStringLiteral("app:start"));
        QTRY_VERIFY(!panel().startButton()->isEnabled() || server.connectionCount() > 0);
        QTRY_VERIFY_WITH_TIMEOUT(panel().startButton()->isEnabled(), 20000);
        QVERIFY(server.connectionCount() >= 1);
        QCOMPARE(panel().webPane()->url(), WebPane::startPage()); // the page stays
    }
};

} // namespace zonedesk

int main(int argc, char** argv)
{
    return zonedesk::test::runGuiTest<zonedesk::DesktopTest>(argc, argv);
}

#include "desktop_test.moc"
