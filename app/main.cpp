// SPDX-License-Identifier: MIT
// zonedesk: the desktop program. It has no command-line switches of its own.
#include <QApplication>

#include "app/application.h"
#include "panel/web_pane.h"

int main(int argc, char** argv)
{
    zonedesk::WebPane::registerAppScheme(); // before the application object exists
    QApplication qtApp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zonedesk"));
    zonedesk::Application app;
    if (!app.initialize())
        return app.shutDown(1);
    return app.shutDown(QApplication::exec());
}
