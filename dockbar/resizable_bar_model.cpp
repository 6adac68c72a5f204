// SPDX-License-Identifier: MIT
#include "dockbar/resizable_bar_model.h"

#include <cstdlib>

namespace zonedesk::dockbar {

namespace {

bool isLeftOrRight(BarHit hit)
{
    return hit == BarHit::Left || hit == BarHit::Right;
}

bool isLeftOrTop(BarHit hit)
{
    return hit == BarHit::Left || hit == BarHit::Top;
}

} // namespace

bool ResizableBarModel::isSideTracking() const
{
    return isLeftOrRight(trackedEdge) ? isHorzDocked() : isVertDocked();
}

void ResizableBarModel::computeEdges(std::size_t index, std::size_t count)
{
    edgeStyle &= ~EdgeAll;
    if (isFloating())
        return;
    const bool horizontal = isHorzDocked();
    if (index > 0)
        edgeStyle |= horizontal ? EdgeLeft : EdgeTop;
    if (index + 1 < count)
        edgeStyle |= horizontal ? EdgeRight : EdgeBottom;
}

Rect ResizableBarModel::layoutClient(Rect window)
{
    Rect client = window.deflated(3, 5, 3, 3);
    if (!isFloating())
        client = client.deflated(2, 0, 2, 2);
    switch (dockSide) {
    case DockSide::Top: edgeStyle |= EdgeBottom; break;
    case DockSide::Left: edgeStyle |= EdgeRight; break;
    case DockSide::Right: edgeStyle |= EdgeLeft; break;
    case DockSide::Bottom: edgeStyle |= EdgeTop; break;
    default: break;
    }
    if ((edgeStyle & ShowEdges) != 0) {
        client = client.deflated((edgeStyle & EdgeLeft) != 0 ? edgeWidth : 0,
                                 (edgeStyle & EdgeTop) != 0 ? edgeWidth : 0,
                                 (edgeStyle & EdgeRight) != 0 ? edgeWidth : 0,
                                 (edgeStyle & EdgeBottom) != 0 ? edgeWidth : 0);
    }
    return client;
}

bool ResizableBarModel::edgeRect(Rect window, BarHit hit, Rect& out) const
{
    Rect r = (edgeStyle & ShowEdges) != 0 ? window.deflated(1, 1, 1, 1) : window;
    const int shorten = edgeWidth;
    switch (hit) {
    case BarHit::Left:
    case BarHit::Right: {
        if ((edgeStyle & (hit == BarHit::Left ? EdgeLeft : EdgeRight)) == 0)
            return false;
        if (hit == BarHit::Left)
            r.right = r.left + edgeWidth;
        else
            r.left = r.right - edgeWidth;
        if (isVertDocked())
            r = r.deflated(0, shorten, 0, shorten);
        break;
    }
    case BarHit::Top:
    case BarHit::Bottom: {
        if ((edgeStyle & (hit == BarHit::Top ? EdgeTop : EdgeBottom)) == 0)
            return false;
        if (hit == BarHit::Top)
            r.bottom = r.top + edgeWidth;
        else
            r.top = r.bottom - edgeWidth;
        if (!isVertDocked())
            r = r.deflated(shorten, 0, shorten, 0);
        break;
    }
    default: break;
    }
    out = r;
    return true;
}

BarHit ResizableBarModel::hitTest(Rect window, Point point) const
{
    if (isFloating())
        return BarHit::Client;
    for (const BarHit code : SizingEdges) {
        Rect edge;
        if (edgeRect(window, code, edge) && edge.contains(point))
            return code;
    }
    return BarHit::Client;
}

int ResizableBarModel::ownIndex(const std::vector<ResizableBarModel*>& row) const
{
    for (std::size_t i = 0; i < row.size(); ++i) {
        if (row[i] == this)
            return static_cast<int>(i);
    }
    return 0;
}

void ResizableBarModel::beginTracking(
    BarHit hit, Point point, Rect window, const std::vector<ResizableBarModel*>& row, int mainPaneExtent)
{
    trackedEdge = hit;
    tracking = true;
    Rect edge;
    edgeRect(window, hit, edge);
    if (isLeftOrRight(hit)) {
        trackPos = point.x;
        trackOffset = trackPos - (edge.left + edge.right) / 2;
    } else {
        trackPos = point.y;
        trackOffset = trackPos - (edge.top + edge.bottom) / 2;
    }
    trackMin = trackMax = trackPos;

    const bool horizontal = horizontalRow();
    if (isSideTracking()) {
        const std::size_t split = static_cast<std::size_t>(ownIndex(row)) + (isLeftOrTop(hit) ? 0U : 1U);
        for (std::size_t i = 0; i < row.size(); ++i) {
            const int spare = row[i]->length(horizontal) - row[i]->minLength(horizontal);
            if (i < split)
                trackMin -= spare;
            else
                trackMax += spare;
        }
        return;
    }
    int minimum = minThickness(horizontal);
    for (const ResizableBarModel* bar : row)
        minimum = std::max(minimum, bar->minThickness(horizontal));
    const int excess = thickness(horizontal) - minimum;
    const int growth = mainPaneExtent - 2;
    if (isLeftOrTop(hit)) {
        trackMin -= growth;
        trackMax += excess;
    } else {
        trackMin -= excess;
        trackMax += growth;
    }
}

bool ResizableBarModel::trackTo(Point point, const std::vector<ResizableBarModel*>& row)
{
    const int position = std::clamp(isLeftOrRight(trackedEdge) ? point.x : point.y, trackMin, trackMax);
    if (position == trackPos)
        return false;
    const int change = position - trackPos;
    trackPos = position;
    const bool horizontal = horizontalRow();

    if (!isSideTracking()) {
        const int newThickness = thickness(horizontal) + (isLeftOrTop(trackedEdge) ? -change : change);
        for (ResizableBarModel* bar : row)
            bar->setThickness(horizontal, newThickness);
        setThickness(horizontal, newThickness);
        return true;
    }

    // The edge lies between entries edge - 1 and edge of the row.
    const int edge = ownIndex(row) + (isLeftOrTop(trackedEdge) ? 0 : 1);
    const int grower = change > 0 ? edge - 1 : edge;
    if (grower < 0 || grower >= static_cast<int>(row.size()))
        return true;
    int remaining = std::abs(change);
    row[static_cast<std::size_t>(grower)]->setLength(
        horizontal, row[static_cast<std::size_t>(grower)]->length(horizontal) + remaining);
    const int step = change > 0 ? 1 : -1;
    for (int i = change > 0 ? edge : edge - 1; remaining > 0 && i >= 0 && i < static_cast<int>(row.size());
         i += step) {
        ResizableBarModel* giver = row[static_cast<std::size_t>(i)];
        const int given = std::min(remaining, giver->length(horizontal) - giver->minLength(horizontal));
        if (given <= 0)
            continue;
        giver->setLength(horizontal, giver->length(horizontal) - given);
        remaining -= given;
    }
    return true;
}

} // namespace zonedesk::dockbar
