// SPDX-License-Identifier: MIT
#include "dockbar/gripper_bar.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

namespace zonedesk {

namespace {

constexpr int ButtonSize = 11;

void drawRaised(QPainter& painter, const QRect& rect, const QPalette& palette, bool sunken = false)
{
    const QColor topLeft = palette.color(sunken ? QPalette::Dark : QPalette::Light);
    const QColor bottomRight = palette.color(sunken ? QPalette::Light : QPalette::Dark);
    painter.setPen(topLeft);
    painter.drawLine(rect.topLeft(), rect.topRight());
    painter.drawLine(rect.topLeft(), rect.bottomLeft());
    painter.setPen(bottomRight);
    painter.drawLine(rect.bottomLeft(), rect.bottomRight());
    painter.drawLine(rect.topRight(), rect.bottomRight());
}

} // namespace

GripperBar::GripperBar(const QString& title, QMainWindow* mainWindow)
    : ResizableDockBar(title, mainWindow)
    , m_gripper(new GripperTitleBar(this))
{
    setTitleBarWidget(m_gripper);
}

GripperTitleBar* GripperBar::gripper() const
{
    return titleBarWidget() == m_gripper ? m_gripper : nullptr;
}

void GripperBar::dockStateChanged()
{
    // Docked top or bottom, Qt lays the title bar along the left side.
    setFeatures(model().isHorzDocked() ? features() | QDockWidget::DockWidgetVerticalTitleBar
                                       : features() & ~QDockWidget::DockWidgetVerticalTitleBar);
    const bool docked = hasGripper();
    if (docked == (gripper() != nullptr))
        return;
    // A floating bar has its frame's own caption. Swapping the title bar while a drag is under way
    // would end the drag, so a floated bar waits for the mouse button to come up.
    if (QApplication::mouseButtons() == Qt::NoButton) {
        useGripper(docked);
        return;
    }
    auto* wait = new QTimer(this);
    connect(wait, &QTimer::timeout, this, [this, wait] {
        if (QApplication::mouseButtons() != Qt::NoButton)
            return;
        wait->deleteLater();
        useGripper(hasGripper());
    });
    wait->start(50);
}

void GripperBar::useGripper(bool docked)
{
    if (docked == (gripper() != nullptr))
        return;
    setTitleBarWidget(docked ? m_gripper : nullptr);
    if (docked)
        m_gripper->show();
}

GripperTitleBar::GripperTitleBar(GripperBar* bar)
    : QWidget(bar)
    , m_bar(bar)
{
    setMouseTracking(true);
}

bool GripperTitleBar::vertical() const
{
    return m_bar->model().isHorzDocked();
}

QSize GripperTitleBar::sizeHint() const
{
    const int thickness = GripperBar::GripperSize + 3;
    return vertical() ? QSize(thickness, ButtonSize + 4) : QSize(ButtonSize + 4, thickness);
}

QRect GripperTitleBar::closeButtonRect() const
{
    return QRect(m_button.origin, QSize(ButtonSize, ButtonSize));
}

void GripperTitleBar::resizeEvent(QResizeEvent*)
{
    // Along the top: the button at the right end. Along the left side: at the top end.
    m_button.origin = vertical() ? QPoint(2, 2) : QPoint(width() - ButtonSize - 2, 2);
}

void GripperTitleBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect button = closeButtonRect();
    if (vertical()) {
        QRect line(3, button.bottom() + 4, 3, height() - button.bottom() - 6);
        drawRaised(painter, line, palette());
        drawRaised(painter, line.translated(3, 0), palette());
    } else {
        QRect line(2, 4, button.left() - 5, 3);
        drawRaised(painter, line, palette());
        drawRaised(painter, line.translated(0, 3), palette());
    }
    if (m_button.pushed)
        drawRaised(painter, button, palette(), true);
    else if (m_button.raised)
        drawRaised(painter, button, palette());
    // No symbol font here: the cross is drawn with two lines.
    painter.setPen(QPen(palette().color(QPalette::ButtonText), 1.5));
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF glyph = QRectF(button).adjusted(3, 3, -3, -3);
    painter.drawLine(glyph.topLeft(), glyph.bottomRight());
    painter.drawLine(glyph.bottomLeft(), glyph.topRight());
}

void GripperTitleBar::setLooks(bool over, bool down)
{
    const bool pushed = over && down;
    const bool raised = over && !down;
    if (pushed == m_button.pushed && raised == m_button.raised)
        return;
    m_button.pushed = pushed;
    m_button.raised = raised;
    update(closeButtonRect().adjusted(-1, -1, 1, 1));
}

void GripperTitleBar::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && closeButtonRect().contains(event->position().toPoint())) {
        setLooks(true, true);
        return;
    }
    event->ignore(); // the dock widget drags the bar from the gripper
}

void GripperTitleBar::mouseMoveEvent(QMouseEvent* event)
{
    setLooks(closeButtonRect().contains(event->position().toPoint()),
             event->buttons().testFlag(Qt::LeftButton));
    event->ignore();
}

void GripperTitleBar::mouseReleaseEvent(QMouseEvent* event)
{
    const bool wasPushed = m_button.pushed;
    setLooks(closeButtonRect().contains(event->position().toPoint()), false);
    if (event->button() == Qt::LeftButton && wasPushed &&
        closeButtonRect().contains(event->position().toPoint())) {
        setLooks(false, false);
        m_bar->hide();
        return;
    }
    event->ignore();
}

void GripperTitleBar::leaveEvent(QEvent*)
{
    setLooks(false, false);
}

} // namespace zonedesk
