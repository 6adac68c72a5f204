// SPDX-License-Identifier: MIT
// The side panel's bar in the running main window: its edge, its minimums, the gripper and close
// button, and the panel filling it. Needs an X server (scripts/run-gui-test).
#include <QAction>
#include <QApplication>
#include <QMouseEvent>
#include <QTest>

#include "app/application.h"
#include "dockbar/gripper_bar.h"
#include "panel/web_pane.h"
#include "tests/support/program_fixture.h"

namespace zonedesk {

class DockBarTest final
    : public QObject
    , private test::ProgramFixture
{
    Q_OBJECT

private:
    PanelBar& bar() { return mainWindow().panelBar(); }

    /// The middle of the bar's sizing edge `code`, in global coordinates.
    QPoint edgeCentre(dockbar::BarHit code)
    {
        QWidget* inner = bar().widget();
        return inner->mapToGlobal(bar().edgeRect(code).center());
    }

    void dragEdge(dockbar::BarHit code, QPoint by)
    {
        const QPoint from = edgeCentre(code);
        QVERIFY(bar().beginTracking(code, from));
        bar().trackTo(from + by / 2);
        bar().trackTo(from + by);
        bar().endTracking();
    }

    void checkPanelFillsBar()
    {
        const QWidget* inner = bar().widget();
        const QRect panel = bar().panel().geometry();
        QCOMPARE(panel.top(), 0);
        QCOMPARE(panel.left(), 0);
        QCOMPARE(panel.bottom(), inner->height() - 1);
        QCOMPARE(panel.right(), inner->width() - 1 - (ResizableDockBar::EdgeWidth + 1)); // the right edge
    }

private Q_SLOTS:

    void init()
    {
        QVERIFY(startProgram());
        mainWindow().setGeometry(QGuiApplication::primaryScreen()->availableGeometry()); // no window manager
        QVERIFY(QTest::qWaitForWindowExposed(&mainWindow()));
    }

    void cleanup() { dropProgram(); }

    void startsDockedLeftAtItsStateWidthWithGripper()
    {
        QCOMPARE(mainWindow().dockWidgetArea(&bar()), Qt::LeftDockWidgetArea);
        QTRY_COMPARE(bar().width(), 350);
        QCOMPARE(bar().model().dockSide, dockbar::DockSide::Left);
        QVERIFY(bar().gripper() != nullptr);
        QCOMPARE(bar().model().edgeStyle & dockbar::EdgeAll, dockbar::EdgeRight);
        checkPanelFillsBar();
    }

    void rightEdgeResizesWithinItsLimits()
    {
        QTRY_COMPARE(bar().width(), 350);
        dragEdge(dockbar::BarHit::Right, QPoint(-100, 0));
        QTRY_COMPARE(bar().width(), 250);
        checkPanelFillsBar();

        dragEdge(dockbar::BarHit::Right, QPoint(-1000, 0));
        QTRY_COMPARE(bar().width(), bar().model().minVertSize.width);

        dragEdge(dockbar::BarHit::Right, QPoint(5000, 0)); // never removes the list
        QTRY_VERIFY(bar().width() > 1000);
        QVERIFY(mainWindow().centralWidget()->isVisible());
        QVERIFY(mainWindow().centralWidget()->width() > 0);
    }

    void rightClickEndsADrag()
    {
        QTRY_COMPARE(bar().width(), 350);
        QWidget* inner = bar().widget();
        const QPoint edge = bar().edgeRect(dockbar::BarHit::Right).center();
        QTest::mousePress(inner, Qt::LeftButton, {}, edge);
        QMouseEvent move(QEvent::MouseMove,
                         QPointF(edge + QPoint(-50, 0)),
                         QPointF(inner->mapToGlobal(edge + QPoint(-50, 0))),
                         Qt::NoButton,
                         Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(inner, &move);
        QTest::mousePress(inner, Qt::RightButton, {}, edge + QPoint(-50, 0));
        QVERIFY(!bar().model().tracking);
        QTest::mouseRelease(inner, Qt::RightButton, {}, edge + QPoint(-50, 0));
        QTest::mouseRelease(inner, Qt::LeftButton, {}, edge + QPoint(-50, 0));
        inner->releaseMouse();
        QTRY_COMPARE(bar().width(), 300);
    }

    void dockedAtTheTopIsNeverShorterThan350()
    {
        mainWindow().addDockWidget(Qt::TopDockWidgetArea, &bar());
        QTRY_COMPARE(bar().model().dockSide, dockbar::DockSide::Top);
        QCOMPARE(bar().minimumWidth(), 350);
        QTRY_VERIFY(bar().width() >= 350);
        QTRY_VERIFY(
            bar().features().testFlag(QDockWidget::DockWidgetVerticalTitleBar)); // gripper on the left
        QCOMPARE(bar().model().edgeStyle & dockbar::EdgeAll, dockbar::EdgeBottom);
    }

    void floatingShowsNoGripperOrCloseButton()
    {
        bar().setFloating(true);
        QTRY_COMPARE(bar().model().dockSide, dockbar::DockSide::Floating);
        QTRY_VERIFY(bar().gripper() == nullptr);
        QCOMPARE(bar().model().edgeStyle & dockbar::EdgeAll, 0U);
        bar().setFloating(false);
        QTRY_VERIFY(bar().gripper() != nullptr);
    }

    void closeButtonHidesAndTheMenuBringsItBack()
    {
        QTRY_COMPARE(bar().width(), 350); // laid out at its state width: the button sits at its end
        QAction* menuItem = mainWindow().sidebarAction();
        QVERIFY(menuItem->isChecked());
        GripperTitleBar* gripper = bar().gripper();
        QVERIFY(gripper != nullptr);
        const QPoint button = gripper->closeButtonRect().center();
        QTest::mouseMove(gripper, button);
        QTest::mousePress(gripper, Qt::LeftButton, {}, button);
        QVERIFY(gripper->closeButton().pushed);
        QTest::mouseRelease(gripper, Qt::LeftButton, {}, button);
        QTRY_VERIFY(!bar().isVisible());
        QVERIFY(!menuItem->isChecked());

        menuItem->trigger();
        QTRY_VERIFY(bar().isVisible());
        QVERIFY(menuItem->isChecked());
        QCOMPARE(mainWindow().dockWidgetArea(&bar()), Qt::LeftDockWidgetArea);
    }

    void closeIsIgnored()
    {
        QVERIFY(!bar().close());
        QVERIFY(bar().isVisible());
    }
};

} // namespace zonedesk

int main(int argc, char** argv)
{
    zonedesk::WebPane::registerAppScheme();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    zonedesk::DockBarTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "dock_bar_test.moc"
