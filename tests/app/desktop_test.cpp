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
