// SPDX-License-Identifier: MIT
// zonedesk: the desktop program. It has no command-line switches of its own; its one argument
// (the desktop entry's file) is a list to import.
#include <QApplication>

#include "app/application.h"
#include "panel/web_pane.h"

int main(int argc, char** argv)
{
    zonedesk::WebPane::registerAppScheme(); // before the application object exists
    QApplication qtApp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zonedesk"));
    // Wayland's app id: the desktop shows the entry's name and icon for the window.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.zonedesk.Zonedesk"));
    zonedesk::Application app;
    app.setArguments(QApplication::arguments().mid(1));
    if (!app.initialize())
        return app.shutDown(1);
    return app.shutDown(QApplication::exec());
}
