// SPDX-License-Identifier: MIT
// The resizable dock bar's own geometry and state, without a toolkit: its sizes per side, its
// sizing edges, the edge drag and its share of a dock row. ResizableDockBar drives Qt with it.
#pragma once

#include <cstdint>
#include <vector>

#include "dockbar/dock_geometry.h"

namespace zonedesk::dockbar {

class ResizableBarModel;

class ResizableBarModel
{
public:
    unsigned edgeStyle = 0;
    BarHit trackedEdge = BarHit::Client;
    Size horzSize{350, 350};
    Size vertSize{350, 350};
    Size floatSize{350, 350};
    Size minHorzSize{350, 32};
    Size minVertSize{33, 32};
    Size minFloatSize{37, 32};
    int trackMin = 0;
    int trackMax = 0;
    int trackPos = 0;
    int trackOffset = 0;
    bool tracking = false;
    bool keepSize = false;
    bool parentSizing = false;
    bool dragShowsContent = false;
    DockSide dockSide = DockSide::Floating;
    int edgeWidth = 5;

    bool isHorzDocked() const { return dockSide == DockSide::Top || dockSide == DockSide::Bottom; }

    bool isVertDocked() const { return dockSide == DockSide::Left || dockSide == DockSide::Right; }

    bool isFloating() const { return !isHorzDocked() && !isVertDocked(); }

    /// True when the dragged edge separates two bars of one row.
    bool isSideTracking() const;

    /// Length along the row and thickness across it, for the bar's orientation.
    int length(bool horizontal) const { return horizontal ? horzSize.width : vertSize.height; }

    int thickness(bool horizontal) const { return horizontal ? horzSize.height : vertSize.width; }

    int minLength(bool horizontal) const { return horizontal ? minHorzSize.width : minVertSize.height; }

    int minThickness(bool horizontal) const { return horizontal ? minHorzSize.height : minVertSize.width; }

    void setLength(bool horizontal, int value) { (horizontal ? horzSize.width : vertSize.height) = value; }

    void setThickness(bool horizontal, int value) { (horizontal ? horzSize.height : vertSize.width) = value; }

    /// Sets the edges between this bar and its row neighbours (position `index` of `count`
    /// sizing bars); the edge facing the frame's client area is added by layoutClient().
    void computeEdges(std::size_t index, std::size_t count);

    /// The client rectangle inside `window`: the frame insets, the edge facing the frame's
    /// client area (added to edgeStyle), and with ShowEdges the room for every edge.
    Rect layoutClient(Rect window);

    /// The strip of `window` where the edge `hit` can be grabbed; false when the bar has no
    /// such edge. Codes other than the four edges give the whole (inner) rectangle.
    bool edgeRect(Rect window, BarHit hit, Rect& out) const;

    /// The sizing edge a point of a docked bar lies on, else BarHit::Client.
    BarHit hitTest(Rect window, Point point) const;

    /// Starts dragging edge `hit` grabbed at `point` (screen). `row` are the row's sizing bars
    /// with this bar among them; `mainPaneExtent` is the size of the frame's main pane across the
    /// row (height for a horizontal dock, width for a vertical one).
    void beginTracking(
        BarHit hit, Point point, Rect window, const std::vector<ResizableBarModel*>& row, int mainPaneExtent);

    /// Moves the drag to `point` (clamped to trackMin..trackMax) and resizes the row's bars.
    /// Returns false when the position did not change.
    bool trackTo(Point point, const std::vector<ResizableBarModel*>& row);

    void endTracking() { tracking = false; }

private:
    bool horizontalRow() const { return isHorzDocked(); }

    int ownIndex(const std::vector<ResizableBarModel*>& row) const;
};

} // namespace zonedesk::dockbar
