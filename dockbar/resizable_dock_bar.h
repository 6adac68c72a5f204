// SPDX-License-Identifier: MIT
// A dock widget that sizes itself: sizing edges on the sides the model gives it, an edge drag
// shown as a line and applied when the mouse is released, and sizes kept per side.
#pragma once

#include <QDockWidget>
#include <QPointer>
#include <QRubberBand>

#include "dockbar/resizable_bar_model.h"

class QMainWindow;

namespace zonedesk {

class ResizableDockBar : public QDockWidget
{
    Q_OBJECT

public:
    ResizableDockBar(const QString& title, QMainWindow* mainWindow);

    dockbar::ResizableBarModel& model() { return m_model; }

    const dockbar::ResizableBarModel& model() const { return m_model; }

    /// Puts `child` inside the sizing edges; with SizeChild it fills the client area.
    void setChild(QWidget* child);

    /// The visible bars of this family in the same dock area, in order along the row.
    QList<ResizableDockBar*> rowBars() const;

    /// Edge drags, in global coordinates; the inner frame calls them, tests may too.
    bool beginTracking(dockbar::BarHit hit, QPoint global);
    void trackTo(QPoint global);
    void endTracking();

    /// The rectangle (in the inner frame's coordinates) of a sizing edge; empty when it has none.
    QRect edgeRect(dockbar::BarHit hit) const;

    static constexpr int EdgeWidth = 5;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

    /// Called after the bar docked somewhere else or floated.
    virtual void dockStateChanged() {}

private:
    class EdgeFrame;

    void updateDockState();
    void applyStateSize();
    void syncFromGeometry();
    void drawTracker();
    dockbar::Rect windowRect() const;

    QMainWindow* m_mainWindow;
    EdgeFrame* m_edgeFrame;
    QPointer<QWidget> m_child;
    dockbar::ResizableBarModel m_model;
    QRubberBand* m_tracker = nullptr;
};

} // namespace zonedesk
