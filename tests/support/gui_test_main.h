// SPDX-License-Identifier: MIT
// The main() of a test of the desktop program's windows: the web pane's scheme registered and
// the contexts shared before the application exists, and a data folder of the test's own.
#pragma once

#include <QApplication>
#include <QTest>

#include "panel/web_pane.h"
#include "tests/support/data_home.h"

namespace zonedesk::test {

template <typename Test> int runGuiTest(int argc, char** argv)
{
    WebPane::registerAppScheme();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    isolateDataHome();
    Test test;
    return QTest::qExec(&test, argc, argv);
}

} // namespace zonedesk::test
