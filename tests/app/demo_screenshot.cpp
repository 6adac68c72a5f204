// SPDX-License-Identifier: MIT
// Makes the README's screenshots: imports a list, runs it to the end and grabs the screen, then the
// renewal calendar shown beside the list. Run by
// scripts/demo-screenshot under Xvfb and openbox against zonedesk-cli serve-samples.
#include <cstdio>

#include <QAction>
#include <QApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "app/application.h"
#include "dialogs/history_dialog.h"
#include "panel/web_pane.h"

int main(int argc, char** argv)
{
    if (argc != 4 && argc != 5) {
        std::fprintf(stderr, "usage: demo_screenshot DOMAINS.txt OUT.png CALENDAR.png [HISTORY.png]\n");
        return 1;
    }
    zonedesk::WebPane::registerAppScheme();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication qtApp(argc, argv);
    const QString list = QString::fromLocal8Bit(argv[1]);
    const QString out = QString::fromLocal8Bit(argv[2]);

    const QTemporaryDir folder; // a first start: no remembered geometry
    zonedesk::Application app;
    app.setProgramDir(folder.path().toStdString());
    if (!app.initialize())
        return 1;
    auto& window = *app.mainWindow();
    auto& panel = window.panel();
    // The window manager maximises the main window as it would on a desktop.
    const bool maximised = QTest::qWaitFor([&] { return window.isMaximized(); }, 10000);
    QTest::qWait(1500); // the web pane's first paint
    panel.chooseImportFile = [list] { return list; };
    panel.importList();
    const bool imported = QTest::qWaitFor([&] { return window.view().model()->rowCount() > 0; }, 10000);
    panel.startLookups();
    const bool finished = QTest::qWaitFor([&] { return panel.startButton()->isEnabled(); }, 60000);
    window.view().selectRow(2);
    QTest::qWait(800);
    const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0);
    bool saved = shot.save(out, "PNG");
    window.findChild<QAction*>(QStringLiteral("renewalCalendarView"))->trigger();
    window.renewalCalendar().resize(window.width(), 320);
    QTest::qWait(800);
    saved = window.renewalCalendar().grab().save(QString::fromLocal8Bit(argv[3]), "PNG") && saved;
    window.findChild<QAction*>(QStringLiteral("renewalCalendarView"))->trigger();
    if (argc == 5) {
        // A second run of the list, then 查询历史… on the selected name: both lookups and a reply.
        panel.importList();
        (void)QTest::qWaitFor([&] { return window.view().model()->rowCount() > 0; }, 10000);
        panel.startLookups();
        const bool again = QTest::qWaitFor([&] { return panel.startButton()->isEnabled(); }, 60000);
        QTest::qWait(500); // the history's writer
        window.view().selectRow(2);
        const QString historyOut = QString::fromLocal8Bit(argv[4]);
        QTimer::singleShot(1000, [&] {
            if (auto* dialog = qobject_cast<zonedesk::HistoryDialog*>(QApplication::activeModalWidget())) {
                saved = dialog->grab().save(historyOut, "PNG") && saved && again;
                dialog->accept();
            } else {
                saved = false;
            }
        });
        window.showHistory();
    }
    app.shutDown();
    return maximised && imported && finished && saved ? 0 : 1;
}
