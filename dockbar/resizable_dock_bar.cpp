// SPDX-License-Identifier: MIT
#include "dockbar/resizable_dock_bar.h"

#include <algorithm>

#include <QCloseEvent>
#include <QMainWindow>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

namespace zonedesk {

using namespace dockbar;

/// The bar's inner frame: room for the sizing edges around the child, their raised look, and the
/// mouse handling of an edge drag.
class ResizableDockBar::EdgeFrame final : public QWidget
{
public:
    explicit EdgeFrame(ResizableDockBar* bar)
        : QWidget(bar)
        , m_bar(bar)
    {
        setMouseTracking(true);
    }

    void updateMargins()
    {
        const ResizableBarModel& model = m_bar->m_model;
        const bool show = (model.edgeStyle & ShowEdges) != 0;
        // A floating bar's frame may have no border to size it by (a tool window a window manager
        // leaves bare): it keeps an edge of its own all round.
        const auto margin = [&](unsigned flag) {
            if (model.isFloating())
                return EdgeWidth;
            return show && (model.edgeStyle & flag) != 0 ? EdgeWidth + 1 : 0;
        };
        m_margins = QMargins(margin(EdgeLeft), margin(EdgeTop), margin(EdgeRight), margin(EdgeBottom));
        layoutChild();
        update();
    }

    void layoutChild()
    {
        if (m_bar->m_child && (m_bar->m_model.edgeStyle & SizeChild) != 0)
            m_bar->m_child->setGeometry(rect().marginsRemoved(m_margins));
    }

protected:
    void resizeEvent(QResizeEvent*) override { layoutChild(); }

    void paintEvent(QPaintEvent*) override
    {
        if ((m_bar->m_model.edgeStyle & ShowEdges) == 0)
            return;
        QPainter painter(this);
        for (const BarHit code : SizingEdges) {
            const QRect edge = m_bar->edgeRect(code);
            if (edge.isEmpty())
                continue;
            // Raised: light along the top and left, dark along the bottom and right.
            painter.setPen(palette().color(QPalette::Light));
            painter.drawLine(edge.topLeft(), edge.topRight());
            painter.drawLine(edge.topLeft(), edge.bottomLeft());
            painter.setPen(palette().color(QPalette::Dark));
            painter.drawLine(edge.bottomLeft(), edge.bottomRight());
            painter.drawLine(edge.topRight(), edge.bottomRight());
        }
    }

    void mousePressEvent(QMouseEvent* event) override
    {
        if (m_bar->m_model.tracking) {
            if (event->button() == Qt::RightButton)
                m_bar->endTracking(); // a right click ends the drag where it is
            return;
        }
        if (m_bar->m_model.isFloating()) {
            m_floatEdges = floatEdgesAt(event->position().toPoint());
            if (event->button() == Qt::LeftButton && m_floatEdges != Qt::Edges()) {
                m_floatFrom = event->globalPosition().toPoint();
                m_floatStart = m_bar->geometry();
                grabMouse();
                return;
            }
            m_floatEdges = {};
            event->ignore();
            return;
        }
        const BarHit code = hitAt(event->position().toPoint());
        if (event->button() == Qt::LeftButton && code != BarHit::Client &&
            m_bar->beginTracking(code, event->globalPosition().toPoint())) {
            grabMouse();
            return;
        }
        event->ignore();
    }

    void mouseMoveEvent(QMouseEvent* event) override
    {
        if (m_bar->m_model.tracking) {
            m_bar->trackTo(event->globalPosition().toPoint());
            return;
        }
        if (m_bar->m_model.isFloating()) {
            floatTo(event->globalPosition().toPoint());
            return;
        }
        const BarHit code = hitAt(event->position().toPoint());
        setCursor(code == BarHit::Left || code == BarHit::Right   ? Qt::SizeHorCursor
                  : code == BarHit::Top || code == BarHit::Bottom ? Qt::SizeVerCursor
                                                                  : Qt::ArrowCursor);
    }

    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (m_bar->m_model.tracking && event->button() == Qt::LeftButton) {
            releaseMouse();
            m_bar->endTracking();
        } else if (m_floatEdges != Qt::Edges() && event->button() == Qt::LeftButton) {
            releaseMouse();
            m_floatEdges = {};
        }
    }

    void mouseDoubleClickEvent(QMouseEvent*) override
    {
        if (!m_bar->m_model.isFloating())
            m_bar->setFloating(true);
    }

private:
    /// The edges of a floating bar that `local` lies on.
    Qt::Edges floatEdgesAt(QPoint local) const
    {
        Qt::Edges edges;
        edges.setFlag(Qt::LeftEdge, local.x() < EdgeWidth);
        edges.setFlag(Qt::RightEdge, local.x() >= width() - EdgeWidth);
        edges.setFlag(Qt::TopEdge, local.y() < EdgeWidth);
        edges.setFlag(Qt::BottomEdge, local.y() >= height() - EdgeWidth);
        return edges;
    }

    /// While floating: the cursor over an edge, or the bar sized by the edge being dragged.
    void floatTo(QPoint global)
    {
        if (m_floatEdges == Qt::Edges()) {
            const Qt::Edges over = floatEdgesAt(mapFromGlobal(global));
            const bool horizontal = over & (Qt::LeftEdge | Qt::RightEdge);
            const bool vertical = over & (Qt::TopEdge | Qt::BottomEdge);
            const bool falling =
                over == (Qt::LeftEdge | Qt::TopEdge) || over == (Qt::RightEdge | Qt::BottomEdge);
            setCursor(horizontal && vertical ? (falling ? Qt::SizeFDiagCursor : Qt::SizeBDiagCursor)
                      : horizontal           ? Qt::SizeHorCursor
                      : vertical             ? Qt::SizeVerCursor
                                             : Qt::ArrowCursor);
            return;
        }
        const QPoint by = global - m_floatFrom;
        const QSize least = m_bar->minimumSize();
        QRect frame = m_floatStart;
        if (m_floatEdges & Qt::LeftEdge)
            frame.setLeft(std::min(frame.left() + by.x(), frame.right() + 1 - least.width()));
        if (m_floatEdges & Qt::RightEdge)
            frame.setRight(std::max(frame.right() + by.x(), frame.left() - 1 + least.width()));
        if (m_floatEdges & Qt::TopEdge)
            frame.setTop(std::min(frame.top() + by.y(), frame.bottom() + 1 - least.height()));
        if (m_floatEdges & Qt::BottomEdge)
            frame.setBottom(std::max(frame.bottom() + by.y(), frame.top() - 1 + least.height()));
        m_bar->setGeometry(frame);
    }

    BarHit hitAt(QPoint local) const
    {
        return m_bar->m_model.hitTest({0, 0, width(), height()}, {local.x(), local.y()});
    }

    ResizableDockBar* m_bar;
    QMargins m_margins;
    Qt::Edges m_floatEdges; // being dragged, while floating
    QPoint m_floatFrom;     // where the drag began (global)
    QRect m_floatStart;     // the bar's geometry then
};

ResizableDockBar::ResizableDockBar(const QString& title, QMainWindow* mainWindow)
    : QDockWidget(title, mainWindow)
    , m_mainWindow(mainWindow)
    , m_edgeFrame(new EdgeFrame(this))
{
    // Closing is not a way to hide the bar: its own close button and the menu are.
    setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    QDockWidget::setWidget(m_edgeFrame);
    connect(this, &QDockWidget::dockLocationChanged, this, [this] {
        updateDockState();
        QTimer::singleShot(0, this, &ResizableDockBar::applyStateSize);
    });
    connect(this, &QDockWidget::topLevelChanged, this, [this] {
        updateDockState();
        QTimer::singleShot(0, this, &ResizableDockBar::applyStateSize);
    });
    mainWindow->installEventFilter(this);
}

bool ResizableDockBar::eventFilter(QObject* watched, QEvent* event)
{
    // The main window lays a docked bar out anew at each of its resizes and squeezes it while it
    // is small, as before a window manager maximises it; the bar's size is its state size, so it
    // is given back once the main window has room again.
    if (watched == m_mainWindow && event->type() == QEvent::Resize && isVisible() && !isFloating() &&
        !m_model.tracking)
        QTimer::singleShot(0, this, &ResizableDockBar::applyStateSize);
    return QDockWidget::eventFilter(watched, event);
}

void ResizableDockBar::setChild(QWidget* child)
{
    m_child = child;
    child->setParent(m_edgeFrame);
    child->show();
    updateDockState();
}

QList<ResizableDockBar*> ResizableDockBar::rowBars() const
{
    QList<ResizableDockBar*> bars;
    if (isFloating())
        return {const_cast<ResizableDockBar*>(this)};
    const Qt::DockWidgetArea area = m_mainWindow->dockWidgetArea(const_cast<ResizableDockBar*>(this));
    for (auto* bar : m_mainWindow->findChildren<ResizableDockBar*>()) {
        if (bar == this ||
            (bar->isVisible() && !bar->isFloating() && m_mainWindow->dockWidgetArea(bar) == area))
            bars.append(bar);
    }
    const bool horizontal = m_model.isHorzDocked();
    std::sort(bars.begin(), bars.end(), [horizontal](const ResizableDockBar* a, const ResizableDockBar* b) {
        return horizontal ? a->x() < b->x() : a->y() < b->y();
    });
    return bars;
}

void ResizableDockBar::updateDockState()
{
    DockSide side = DockSide::Left;
    switch (m_mainWindow->dockWidgetArea(this)) {
    case Qt::TopDockWidgetArea: side = DockSide::Top; break;
    case Qt::RightDockWidgetArea: side = DockSide::Right; break;
    case Qt::BottomDockWidgetArea: side = DockSide::Bottom; break;
    default: break;
    }
    m_model.dockSide = isFloating() ? DockSide::Floating : side;
    const QList<ResizableDockBar*> row = rowBars();
    const auto position = static_cast<std::size_t>(std::max<qsizetype>(0, row.indexOf(this)));
    m_model.computeEdges(position, static_cast<std::size_t>(row.size()));
    m_model.layoutClient({0, 0, width(), height()});
    // A horizontally docked bar is never shorter than its minimum along the row.
    if (m_model.isHorzDocked())
        setMinimumSize(m_model.minHorzSize.width, m_model.minHorzSize.height);
    else if (m_model.isVertDocked())
        setMinimumSize(m_model.minVertSize.width, m_model.minVertSize.height);
    else
        setMinimumSize(m_model.minFloatSize.width, m_model.minFloatSize.height);
    m_edgeFrame->updateMargins();
    dockStateChanged();
}

void ResizableDockBar::applyStateSize()
{
    if (m_model.isFloating()) {
        resize(m_model.floatSize.width, m_model.floatSize.height);
    } else if (m_model.isVertDocked()) {
        m_mainWindow->resizeDocks({this}, {m_model.vertSize.width}, Qt::Horizontal);
    } else {
        m_mainWindow->resizeDocks({this}, {m_model.horzSize.height}, Qt::Vertical);
    }
}

void ResizableDockBar::resizeEvent(QResizeEvent* event)
{
    QDockWidget::resizeEvent(event);
    // A floating bar is sized by its frame; that size is its own for the next time it floats.
    // Docked sizes change only by the bar's edges (and are read back when a drag starts).
    if (m_model.isFloating() && isVisible())
        m_model.floatSize = {width(), height()};
    m_model.layoutClient({0, 0, width(), height()});
}

void ResizableDockBar::showEvent(QShowEvent* event)
{
    QDockWidget::showEvent(event);
    // Once the main window has laid the bar out, give it its state size for where it is.
    QTimer::singleShot(0, this, &ResizableDockBar::applyStateSize);
}

void ResizableDockBar::syncFromGeometry()
{
    if (m_model.isVertDocked())
        m_model.vertSize = {width(), height()};
    else if (m_model.isHorzDocked())
        m_model.horzSize = {width(), height()};
}

void ResizableDockBar::closeEvent(QCloseEvent* event)
{
    event->ignore();
}

dockbar::Rect ResizableDockBar::windowRect() const
{
    const QPoint origin = m_edgeFrame->mapToGlobal(QPoint(0, 0));
    return {origin.x(), origin.y(), origin.x() + m_edgeFrame->width(), origin.y() + m_edgeFrame->height()};
}

QRect ResizableDockBar::edgeRect(BarHit hit) const
{
    dockbar::Rect edge;
    if (!m_model.edgeRect({0, 0, m_edgeFrame->width(), m_edgeFrame->height()}, hit, edge))
        return {};
    return QRect(QPoint(edge.left, edge.top), QPoint(edge.right - 1, edge.bottom - 1));
}

bool ResizableDockBar::beginTracking(BarHit hit, QPoint global)
{
    if (m_model.tracking || m_model.isFloating() || hit == BarHit::Client)
        return false;
    std::vector<ResizableBarModel*> row;
    for (ResizableDockBar* bar : rowBars()) {
        bar->syncFromGeometry(); // Qt may have changed the sizes since (a smaller main window, say)
        row.push_back(&bar->m_model);
    }
    const QWidget* pane = m_mainWindow->centralWidget();
    const int paneExtent = pane == nullptr ? 0 : (m_model.isHorzDocked() ? pane->height() : pane->width());
    m_model.beginTracking(hit, {global.x(), global.y()}, windowRect(), row, paneExtent);
    drawTracker();
    return true;
}

void ResizableDockBar::trackTo(QPoint global)
{
    if (!m_model.tracking)
        return;
    std::vector<ResizableBarModel*> row;
    for (ResizableDockBar* bar : rowBars())
        row.push_back(&bar->m_model);
    if (m_model.trackTo({global.x(), global.y()}, row))
        drawTracker();
}

void ResizableDockBar::endTracking()
{
    if (!m_model.tracking)
        return;
    m_model.endTracking();
    if (m_tracker != nullptr)
        m_tracker->hide();
    // Apply the row's sizes in one layout pass.
    QList<QDockWidget*> docks;
    QList<int> sizes;
    const bool sideTracking = m_model.isSideTracking();
    const bool horizontal = m_model.isHorzDocked();
    for (ResizableDockBar* bar : rowBars()) {
        docks.append(bar);
        sizes.append(sideTracking ? bar->m_model.length(horizontal) : bar->m_model.thickness(horizontal));
    }
    const Qt::Orientation orientation = (horizontal != sideTracking) ? Qt::Vertical : Qt::Horizontal;
    m_mainWindow->resizeDocks(docks, sizes, orientation);
}

void ResizableDockBar::drawTracker()
{
    // The position shows as a line over the main window; the bars change when the drag ends.
    if (m_tracker == nullptr)
        m_tracker = new QRubberBand(QRubberBand::Line, m_mainWindow);
    QRect edge = edgeRect(m_model.trackedEdge);
    edge.moveTopLeft(m_edgeFrame->mapTo(m_mainWindow, edge.topLeft()));
    const bool vertical = m_model.trackedEdge == BarHit::Left || m_model.trackedEdge == BarHit::Right;
    const QPoint origin = m_mainWindow->mapToGlobal(QPoint(0, 0));
    if (vertical)
        edge.moveLeft(m_model.trackPos - m_model.trackOffset - origin.x() - EdgeWidth / 2);
    else
        edge.moveTop(m_model.trackPos - m_model.trackOffset - origin.y() - EdgeWidth / 2);
    if (!m_model.isSideTracking()) {
        const QRect dock = QRect(mapTo(m_mainWindow, QPoint(0, 0)), size());
        if (vertical)
            edge.setCoords(edge.left(), dock.top() + 1, edge.right(), dock.bottom() - 1);
        else
            edge.setCoords(dock.left() + 1, edge.top(), dock.right() - 1, edge.bottom());
    }
    m_tracker->setGeometry(edge);
    m_tracker->show();
    m_tracker->raise();
}

} // namespace zonedesk
