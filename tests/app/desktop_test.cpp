// SPDX-License-Identifier: MIT
// The desktop program as a user meets it under a window manager (scripts/run-gui-test --wm):
// the side panel's width on every start, the shipped start page's links clicked with the mouse,
// the window's normal geometry and its memory across runs, Qt's dialogs in Chinese, the file
// dialogs' folders, the quit shortcut and the status panes after an import.
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWebEngineView>

#include "app/application.h"
#include "panel/web_pane.h"
#include "tests/support/loopback_whois_server.h"
#include "tests/support/temp_dir.h"

namespace zonedesk {

namespace {

using test::Behaviour;
using test::LoopbackWhoisServer;

/// Runs `act` on the next modal widget of type T that opens (polling), once.
template <typename T> class ModalWatcher final : public QObject
{
public:
    explicit ModalWatcher(std::function<void(T*)> act)
        : m_act(std::move(act))
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            if (auto* widget = qobject_cast<T*>(QApplication::activeModalWidget()); widget && !seen) {
                seen = true;
                m_act(widget);
            }
        });
        m_timer.start(20);
    }

    bool seen = false;

private:
    std::function<void(T*)> m_act;
    QTimer m_timer;
};

} // namespace

class DesktopTest final : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<test::TempDir> m_dir;
    std::unique_ptr<CMakeHtmlApp> m_app;

    CMainFrame& frame() { return *m_app->mainFrame(); }

    CControlPanelDlg& panel() { return frame().panel(); }

    /// Starts the program in the test's folder, keeping config.ini from an earlier start.
    void start()
    {
        if (!m_dir)
            m_dir = std::make_unique<test::TempDir>();
        m_app = std::make_unique<CMakeHtmlApp>();
        m_app->setProgramDir(m_dir->path());
        QVERIFY(m_app->InitInstance());
        QVERIFY(QTest::qWaitForWindowExposed(&frame()));
    }

    void stop()
    {
        if (!m_app)
            return;
        frame().close();
        m_app->ExitInstance();
        m_app.reset();
    }

    static QRect available() { return QGuiApplication::primaryScreen()->availableGeometry(); }

    /// Waits until the window manager has maximised the frame.
    void waitMaximised()
    {
        QTRY_VERIFY_WITH_TIMEOUT(frame().isMaximized() && frame().width() >= available().width() - 16, 10000);
    }

    /// Clicks the start page's link to `href` with the mouse, where the page draws it.
    void clickLink(const QString& href)
    {
        CWebPaneCtrl* pane = panel().webPane();
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
            const int expected = frame().panelBar().model().vertSize.cx;
            QTRY_COMPARE_WITH_TIMEOUT(frame().panelBar().width(), expected, 5000);
            // What the user looks for: the whole Export button and the days label inside the bar.
            QTest::qWait(200);
            QCOMPARE(frame().panelBar().width(), expected);
            const QRect bar(QPoint(0, 0), frame().panelBar().size());
            for (QWidget* widget : {static_cast<QWidget*>(panel().exportButton()),
                                    static_cast<QWidget*>(panel().startButton())}) {
                const QRect inBar(widget->mapTo(&frame().panelBar(), QPoint(0, 0)), widget->size());
                QVERIFY2(bar.contains(inBar), qPrintable(QStringLiteral("run %1").arg(run)));
            }
            stop();
        }
    }

    void normalGeometryIsSaneAndRememberedAcrossRuns()
    {
        start();
        waitMaximised();
        frame().showNormal();
        QTRY_VERIFY_WITH_TIMEOUT(!frame().isMaximized() && frame().width() < available().width() - 100,
                                 10000);
        // Two thirds of the screen, centred: the list, the buttons and the panes all usable.
        const QRect expected = CMainFrame::defaultNormalGeometry(available());
        QTRY_VERIFY_WITH_TIMEOUT(qAbs(frame().width() - expected.width()) <= 2, 5000);
        QVERIFY(qAbs(frame().height() - expected.height()) <= 2);
        QVERIFY(qAbs(frame().geometry().center().x() - expected.center().x()) <= 40);
        QVERIFY(panel().exportButton()->isVisible());

        const QRect chosen(120, 90, 1000, 700);
        frame().setGeometry(chosen);
        QTRY_COMPARE_WITH_TIMEOUT(frame().geometry().size(), chosen.size(), 5000);
        QTest::qWait(100);
        const QRect left = frame().geometry();
        stop();
        const std::string config = test::readFile(m_dir->path() / "config.ini");
        QVERIFY2(config.starts_with("[user]\r\nchkgq=1\r\ngqts=30\r\n[desktop]\r\n"), config.c_str());
        QVERIFY(config.find("maximized=0") != std::string::npos);

        start();
        QVERIFY(!frame().isMaximized());
        QTRY_COMPARE_WITH_TIMEOUT(frame().geometry().size(), chosen.size(), 5000);
        QVERIFY((frame().geometry().topLeft() - left.topLeft()).manhattanLength() <= 40);

        // Maximised when left maximised; restoring gives the remembered normal geometry back.
        frame().showMaximized();
        waitMaximised();
        stop();
        start();
        waitMaximised();
        frame().showNormal();
        QTRY_COMPARE_WITH_TIMEOUT(frame().geometry().size(), chosen.size(), 10000);
    }

    void aGeometryOffEveryScreenFallsBackToTheDefault()
    {
        m_dir = std::make_unique<test::TempDir>();
        m_dir->write("config.ini",
                     "[user]\r\nchkgq=1\r\ngqts=30\r\n[desktop]\r\nx=9000\r\ny=9000\r\n"
                     "width=800\r\nheight=600\r\nmaximized=0\r\n");
        start();
        const QRect expected = CMainFrame::defaultNormalGeometry(available());
        QTRY_VERIFY_WITH_TIMEOUT(qAbs(frame().width() - expected.width()) <= 2, 5000);
        QVERIFY(available().intersects(frame().geometry()));
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
        QTRY_COMPARE(frame().view().model()->rowCount(), 2);
        QTest::mouseClick(panel().startButton(), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(panel().startButton()->isEnabled(), 20000);
        QCOMPARE(frame().paneText(1), QStringLiteral("进度：2 / 2"));

        const auto second = m_dir->write("two.txt", "c.com\nd.com\ne.com\n");
        panel().chooseImportFile = [second] { return QString::fromStdString(second.string()); };
        QTest::mouseClick(panel().importButton(), Qt::LeftButton);
        QTRY_COMPARE(frame().paneText(2), QStringLiteral("域名数量：3"));
        QCOMPARE(frame().paneText(1), QString());

        QTest::keyClick(&frame(), Qt::Key_Q, Qt::ControlModifier);
        QTRY_VERIFY(!frame().isVisible());
    }

    void startPageLinksRunTheirCommands()
    {
        start();
        QCOMPARE(panel().webPane()->url(), CWebPaneCtrl::startPage());
        const auto list = m_dir->write("list.txt", "a.com\nb.org\n");
        int importAsked = 0;
        panel().chooseImportFile = [&] {
            ++importAsked;
            return QString::fromStdString(list.string());
        };
        clickLink(QStringLiteral("app:import"));
        QTRY_COMPARE(importAsked, 1);
        QTRY_COMPARE(frame().view().model()->rowCount(), 2);

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
        QCOMPARE(panel().webPane()->url(), CWebPaneCtrl::startPage()); // the page stays
    }
};

} // namespace zonedesk

int main(int argc, char** argv)
{
    zonedesk::CWebPaneCtrl::registerAppScheme();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    zonedesk::DesktopTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "desktop_test.moc"
