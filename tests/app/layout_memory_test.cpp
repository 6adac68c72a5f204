// SPDX-License-Identifier: MIT
// The list's columns and the side panel as the user arranges them, under a window manager
// (scripts/run-gui-test --wm): sized, moved, hidden through the header's menu, sorted and
// filtered with the mouse and the keyboard, the panel docked right or floated, and all of it back
// after the program is restarted.
#define QTEST_QPA_MOUSE_HANDLING // through the window, so that a right click asks for a context menu

#include <QApplication>
#include <QHeaderView>
#include <QMenu>
#include <QScrollBar>
#include <QTest>

#include "app/application.h"
#include "dockbar/gripper_bar.h"
#include "panel/web_pane.h"
#include "tests/support/gui_test_main.h"
#include "tests/support/program_fixture.h"
#include "tests/support/temp_dir.h"

namespace zonedesk {

class LayoutMemoryTest final
    : public QObject
    , private test::ProgramFixture
{
    Q_OBJECT

private:
    void start()
    {
        if (!m_boxes)
            m_boxes = std::make_unique<test::MessageBoxCloser>();
        QVERIFY(startProgram());
        QVERIFY(QTest::qWaitForWindowExposed(&mainWindow()));
    }

    DomainListView& list() { return mainWindow().view(); }

    QHeaderView& header() { return *list().horizontalHeader(); }

    /// Imports `lines` as the list, through the panel's button.
    void importList(std::string_view lines)
    {
        const auto file = m_dir->write("list.txt", lines);
        panel().chooseImportFile = [file] { return QString::fromStdString(file.string()); };
        QTest::mouseClick(panel().importButton(), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(list().model()->rowCount() > 0, 20000); // a loaded machine starts slowly
    }

    /// The middle of `column`'s header section, in the header's viewport.
    QPoint sectionMiddle(int column)
    {
        return {header().sectionViewportPosition(column) + header().sectionSize(column) / 2,
                header().height() / 2};
    }

    /// Drags with the left button from `from` to `to` in the header, in steps as a hand does.
    void dragInHeader(QPoint from, QPoint to)
    {
        QWidget* viewport = header().viewport();
        QTest::mouseMove(viewport, from);
        QTest::mousePress(viewport, Qt::LeftButton, {}, from);
        for (int step = 1; step <= 8; ++step)
            QTest::mouseMove(viewport, from + (to - from) * step / 8);
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, to);
    }

    /// Right-clicks the header and clicks the menu's entry titled `title`; returns whether it was
    /// there and enabled.
    bool pickFromHeaderMenu(const QString& title, bool* checked = nullptr)
    {
        QTest::mouseClick(header().viewport(), Qt::RightButton, {}, sectionMiddle(0));
        if (!QTest::qWaitFor(
                [] { return qobject_cast<QMenu*>(QApplication::activePopupWidget()) != nullptr; }))
            return false;
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        for (QAction* action : menu->actions()) {
            if (action->text() != title)
                continue;
            if (checked != nullptr)
                *checked = action->isChecked();
            if (!action->isEnabled()) {
                QTest::keyClick(menu, Qt::Key_Escape);
                return false;
            }
            QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
            return true;
        }
        QTest::keyClick(menu, Qt::Key_Escape);
        return false;
    }

    QString title(int column) { return list().model()->headerData(column, Qt::Horizontal).toString(); }

    std::unique_ptr<test::MessageBoxCloser> m_boxes;

private Q_SLOTS:

    void initTestCase()
    {
        QVERIFY2(!QGuiApplication::platformName().compare(QStringLiteral("xcb")), "needs X");
    }

    void cleanup()
    {
        stopProgram();
        m_dir.reset();
        if (m_boxes && !m_boxes->texts.isEmpty())
            qInfo("boxes: %s",
                  qPrintable(
                      m_boxes->texts.join(QLatin1Char('|')).replace(QLatin1Char('\n'), QLatin1Char('/'))));
        m_boxes.reset();
    }

    void columnsSortAndFilterComeBackAfterARestart()
    {
        start();
        importList("a.com\nbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb.com\nc.org\n");
        constexpr int Owner = 5;
        constexpr int Status = 2;
        constexpr int Registration = 4;
        constexpr int Expiry = 3;
        constexpr int Server = 0;
        constexpr int Codes = 9;
        constexpr int NameServers = 10;

        // The status codes and name servers are hidden until asked for through the menu.
        QVERIFY(list().isColumnHidden(Codes) && list().isColumnHidden(NameServers));
        QVERIFY(pickFromHeaderMenu(title(Codes)));
        QTRY_VERIFY(!list().isColumnHidden(Codes));
        QVERIFY(header().sectionSize(Codes) > 0);

        // Wider by a drag on the owner section's right edge.
        const int ownerWidth = header().sectionSize(Owner);
        const QPoint edge(header().sectionViewportPosition(Owner) + ownerWidth - 1, header().height() / 2);
        dragInHeader(edge, edge + QPoint(70, 0));
        QTRY_COMPARE(header().sectionSize(Owner), ownerWidth + 70);

        // The registration date moved before the status by dragging its section.
        QVERIFY(header().visualIndex(Registration) > header().visualIndex(Status));
        dragInHeader(sectionMiddle(Registration),
                     QPoint(header().sectionViewportPosition(Status) + 5, header().height() / 2));
        QTRY_VERIFY(header().visualIndex(Registration) < header().visualIndex(Status));
        const int registrationAt = header().visualIndex(Registration);

        // The server column hidden through the header's menu; the domain can't be.
        QVERIFY(pickFromHeaderMenu(title(Server)));
        QTRY_VERIFY(list().isColumnHidden(Server));
        bool domainChecked = false;
        QVERIFY(!pickFromHeaderMenu(title(DomainListModel::DomainColumn), &domainChecked));
        QVERIFY(domainChecked);
        QVERIFY(!list().isColumnHidden(DomainListModel::DomainColumn));

        // Sorted by expiry, descending: two clicks on its section.
        QTest::mouseClick(header().viewport(), Qt::LeftButton, {}, sectionMiddle(Expiry));
        QTest::mouseClick(header().viewport(), Qt::LeftButton, {}, sectionMiddle(Expiry));
        QTRY_COMPARE(header().sortIndicatorSection(), Expiry);
        QCOMPARE(header().sortIndicatorOrder(), Qt::DescendingOrder);

        // A filter typed in its field (Ctrl+F goes there).
        QTest::keyClick(&mainWindow(), Qt::Key_F, Qt::ControlModifier);
        QTRY_VERIFY(mainWindow().filterEdit()->hasFocus());
        QTest::keyClicks(mainWindow().filterEdit(), QStringLiteral("Bb"));
        QTRY_COMPARE(list().model()->rowCount(), 1);

        stopProgram();
        start();
        importList("a.com\nbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb.com\nc.org\n");
        QCOMPARE(header().sectionSize(Owner), ownerWidth + 70);
        QCOMPARE(header().visualIndex(Registration), registrationAt);
        QVERIFY(header().visualIndex(Registration) < header().visualIndex(Status));
        QVERIFY(list().isColumnHidden(Server));
        QVERIFY(!list().isColumnHidden(Codes) && list().isColumnHidden(NameServers));
        QCOMPARE(header().sortIndicatorSection(), Expiry);
        QCOMPARE(header().sortIndicatorOrder(), Qt::DescendingOrder);
        QCOMPARE(mainWindow().filterEdit()->text(), QStringLiteral("Bb"));
        QCOMPARE(list().model()->rowCount(), 1);

        // Shown again through the menu, and so it stays.
        QVERIFY(pickFromHeaderMenu(title(Server)));
        QTRY_VERIFY(!list().isColumnHidden(Server));
        QVERIFY(header().sectionSize(Server) > 0);
        mainWindow().filterEdit()->clear();
        stopProgram();
        start();
        QVERIFY(!list().isColumnHidden(Server));
        QCOMPARE(mainWindow().filterEdit()->text(), QString());
    }

    void theDomainColumnFitsItsNamesUntilTheUserSizesIt()
    {
        start();
        const QString longName = QStringLiteral("a-rather-long-name-for-our-domain.com");
        // The longest name last of thousands, past the rows an item view samples to size a column.
        std::string lines;
        for (int i = 0; i < 3000; ++i)
            lines += "n" + std::to_string(i) + ".com\n";
        importList(lines + longName.toStdString() + "\n");
        const int needed = list().fontMetrics().horizontalAdvance(longName);
        const int Domain = DomainListModel::DomainColumn;
        QVERIFY2(header().sectionSize(Domain) >= needed,
                 qPrintable(QStringLiteral("%1 < %2").arg(header().sectionSize(Domain)).arg(needed)));
        // A name longer than any screen takes half the list at most.
        const std::string label(60, 'x');
        importList(label + "." + label + "." + label + ".com\n");
        QVERIFY(header().sectionSize(Domain) <= list().width() / 2);

        // Sized by hand, it keeps that width through the next import and the next run.
        const QPoint edge(header().sectionViewportPosition(Domain) + header().sectionSize(Domain) - 1,
                          header().height() / 2);
        dragInHeader(edge, edge - QPoint(100, 0));
        QTRY_VERIFY(header().sectionSize(Domain) < needed);
        const int chosen = header().sectionSize(Domain);
        importList(longName.toStdString() + "x\n");
        QCOMPARE(header().sectionSize(Domain), chosen);
        stopProgram();
        start();
        QCOMPARE(header().sectionSize(Domain), chosen);
    }

    void theLastColumnCanBeReached()
    {
        start();
        importList("a.com\n");
        // Maximised, every column shows without scrolling.
        QTRY_VERIFY_WITH_TIMEOUT(mainWindow().isMaximized(), 10000);
        QTest::qWait(200);
        const int last = header().logicalIndex(header().count() - 1);
        QVERIFY2(header().sectionViewportPosition(last) + header().sectionSize(last) <=
                     list().viewport()->width(),
                 qPrintable(QStringLiteral("%1 + %2 > %3")
                                .arg(header().sectionViewportPosition(last))
                                .arg(header().sectionSize(last))
                                .arg(list().viewport()->width())));
        // In a smaller window a scroll bar reaches it.
        mainWindow().showNormal();
        QTRY_VERIFY(!mainWindow().isMaximized());
        QTRY_VERIFY(list().horizontalScrollBar()->maximum() > 0);
        QScrollBar* bar = list().horizontalScrollBar();
        QTRY_VERIFY(bar->isVisible());
        // Dragged to its end with the mouse, the bar shows the last column whole.
        const QPoint handle(bar->width() / 10, bar->height() / 2);
        QTest::mousePress(bar, Qt::LeftButton, {}, handle);
        for (int x = handle.x(); x <= bar->width() + 40; x += 40)
            QTest::mouseMove(bar, QPoint(x, handle.y()));
        QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(bar->width() + 40, handle.y()));
        QTRY_COMPARE(bar->value(), bar->maximum());
        QVERIFY(header().sectionViewportPosition(last) >= 0);
        QVERIFY(header().sectionViewportPosition(last) + header().sectionSize(last) <=
                list().viewport()->width());
    }

    void thePanelsSideAndWidthComeBack()
    {
        start();
        PanelBar& bar = mainWindow().panelBar();
        mainWindow().addDockWidget(Qt::RightDockWidgetArea, &bar);
        QTRY_COMPARE(mainWindow().dockWidgetArea(&bar), Qt::RightDockWidgetArea);
        QTRY_COMPARE(bar.model().dockSide, dockbar::DockSide::Right);
        // Wider by its own edge.
        const int before = bar.width();
        QTRY_VERIFY(!bar.edgeRect(dockbar::BarHit::Left).isEmpty());
        const QPoint grip = bar.widget()->mapToGlobal(bar.edgeRect(dockbar::BarHit::Left).center());
        QVERIFY(bar.beginTracking(dockbar::BarHit::Left, grip));
        bar.trackTo(grip - QPoint(30, 0));
        bar.trackTo(grip - QPoint(60, 0));
        bar.endTracking();
        QTRY_VERIFY(qAbs(bar.width() - (before + 60)) <= 2);
        const int width = bar.width();

        stopProgram();
        start();
        PanelBar& again = mainWindow().panelBar();
        QTRY_COMPARE(mainWindow().dockWidgetArea(&again), Qt::RightDockWidgetArea);
        QTRY_VERIFY(qAbs(again.width() - width) <= 2);
        QVERIFY(again.x() > mainWindow().width() / 2);
    }

    void aFloatingPanelShowsItsStartPageAndComesBackWhereItWas()
    {
        start();
        PanelBar& bar = mainWindow().panelBar();
        // A double click on the gripper floats the bar.
        QTRY_VERIFY(bar.gripper() != nullptr && bar.gripper()->isVisible());
        QTest::mouseDClick(bar.gripper(), Qt::LeftButton, {}, QPoint(20, bar.gripper()->height() / 2));
        QTRY_VERIFY(bar.isFloating());
        QVERIFY(QTest::qWaitForWindowExposed(&bar));
        // The start page shows whole, across the panel's width.
        WebPane* pane = panel().webPane();
        QTRY_VERIFY(bar.height() >= 400);
        const QRect page(pane->mapTo(&bar, QPoint(0, 0)), pane->size());
        QVERIFY2(bar.rect().contains(page),
                 qPrintable(QStringLiteral("page %1,%2 %3x%4 in %5x%6")
                                .arg(page.x())
                                .arg(page.y())
                                .arg(page.width())
                                .arg(page.height())
                                .arg(bar.width())
                                .arg(bar.height())));
        QCOMPARE(pane->width(), panel().width() - 2 * pane->x());
        bar.resize(bar.width() + 200, bar.height());
        QTRY_COMPARE(pane->width(), panel().width() - 2 * pane->x());
        QVERIFY(pane->width() > WebPane::WebPaneWidth);

        // Its sizing edge is a few pixels wide: grabbed 4 pixels inside the right outline.
        const int floatingWidth = bar.width();
        const QPoint grip(bar.widget()->width() - 4, bar.height() / 2);
        QTest::mouseMove(bar.widget(), grip);
        QTest::mousePress(bar.widget(), Qt::LeftButton, {}, grip);
        for (int step = 1; step <= 5; ++step)
            QTest::mouseMove(bar.widget(), grip + QPoint(10 * step, 0));
        QTest::mouseRelease(bar.widget(), Qt::LeftButton, {}, grip + QPoint(50, 0));
        QTRY_COMPARE(bar.width(), floatingWidth + 50);

        const QRect placed(200, 150, bar.width() - 20, bar.height() - 30);
        bar.setGeometry(placed);
        QTRY_COMPARE(bar.geometry().size(), placed.size());
        QTest::qWait(100);
        const QRect left = bar.geometry();
        stopProgram();
        start();
        PanelBar& again = mainWindow().panelBar();
        QTRY_VERIFY(again.isFloating());
        QTRY_COMPARE(again.geometry().size(), left.size());
        QVERIFY((again.geometry().topLeft() - left.topLeft()).manhattanLength() <= 40);
    }
};

} // namespace zonedesk

int main(int argc, char** argv)
{
    return zonedesk::test::runGuiTest<zonedesk::LayoutMemoryTest>(argc, argv);
}

#include "layout_memory_test.moc"
