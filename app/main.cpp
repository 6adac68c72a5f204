// SPDX-License-Identifier: MIT
// zonedesk: the desktop program. It has no command-line switches of its own.
#include <QApplication>

#include "app/application.h"
#include "panel/web_pane.h"

int main(int argc, char** argv)
{
    zonedesk::CWebPaneCtrl::registerAppScheme(); // before the application object exists
    QApplication qtApp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zonedesk"));
    zonedesk::CMakeHtmlApp app;
    if (!app.InitInstance())
        return app.ExitInstance(1);
    return app.ExitInstance(QApplication::exec());
}
