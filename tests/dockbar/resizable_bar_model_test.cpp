// SPDX-License-Identifier: MIT
// The dock bar model: edges, hit tests, edge drags and the sharing of a row.
#include "dockbar/resizable_bar_model.h"

#include <gtest/gtest.h>

namespace zonedesk::dockbar {
namespace {

ResizableBarModel docked(DockSide dockSide)
{
    ResizableBarModel bar;
    bar.dockSide = dockSide;
    bar.edgeStyle = ShowEdges | SizeChild;
    return bar;
}

TEST(ResizableBarModel, LoneBarHasOnlyTheEdgeFacingTheClientArea)
{
    struct Case
    {
        DockSide dockSide;
        unsigned edge;
    };

    for (const Case c : {Case{DockSide::Left, EdgeRight},
                         Case{DockSide::Right, EdgeLeft},
                         Case{DockSide::Top, EdgeBottom},
                         Case{DockSide::Bottom, EdgeTop}}) {
        ResizableBarModel bar = docked(c.dockSide);
        bar.computeEdges(0, 1);
        bar.layoutClient({0, 0, 300, 600});
        EXPECT_EQ(bar.edgeStyle & EdgeAll, c.edge) << static_cast<int>(c.dockSide);
    }
}

TEST(ResizableBarModel, MiddleBarOfThreeHasTwoMoreEdges)
{
    ResizableBarModel bar = docked(DockSide::Left);
    bar.computeEdges(1, 3);
    bar.layoutClient({0, 0, 300, 600});
    EXPECT_EQ(bar.edgeStyle & EdgeAll, EdgeTop | EdgeBottom | EdgeRight);

    ResizableBarModel top = docked(DockSide::Top);
    top.computeEdges(2, 3); // the last of a horizontal row: only towards its left neighbour
    top.layoutClient({0, 0, 600, 100});
    EXPECT_EQ(top.edgeStyle & EdgeAll, EdgeLeft | EdgeBottom);
}

TEST(ResizableBarModel, FloatingBarHasNoEdgesAndNoEdgeHits)
{
    ResizableBarModel bar = docked(DockSide::Floating);
    bar.computeEdges(0, 1);
    const Rect client = bar.layoutClient({0, 0, 200, 300});
    EXPECT_EQ(bar.edgeStyle & EdgeAll, 0U);
    EXPECT_EQ(client, (Rect{3, 5, 197, 297}));
    EXPECT_EQ(bar.hitTest({0, 0, 200, 300}, {198, 150}), BarHit::Client);
}

TEST(ResizableBarModel, ClientLeavesRoomForTheInsetsAndEdges)
{
    ResizableBarModel bar = docked(DockSide::Left);
    bar.computeEdges(0, 1);
    // 3+2 left, 5 top, 3+2+5 right (the edge), 3+2 bottom.
    EXPECT_EQ(bar.layoutClient({0, 0, 300, 600}), (Rect{5, 5, 290, 595}));
}

TEST(ResizableBarModel, HitTestFindsTheEdgeStripShortenedAtItsEnds)
{
    ResizableBarModel bar = docked(DockSide::Left);
    bar.computeEdges(0, 1);
    const Rect window{0, 0, 300, 600};
    bar.layoutClient(window);
    Rect edge;
    ASSERT_TRUE(bar.edgeRect(window, BarHit::Right, edge));
    EXPECT_EQ(edge, (Rect{294, 6, 299, 594})); // inside the 1-pixel border, 5 wide, shortened by 5
    EXPECT_EQ(bar.hitTest(window, {296, 300}), BarHit::Right);
    EXPECT_EQ(bar.hitTest(window, {296, 2}), BarHit::Client); // the shortened end
    EXPECT_EQ(bar.hitTest(window, {150, 300}), BarHit::Client);
    EXPECT_FALSE(bar.edgeRect(window, BarHit::Left, edge));
}

TEST(ResizableBarModel, OuterEdgeStopsAtTheMinimumAndShortOfTheMainPane)
{
    ResizableBarModel bar = docked(DockSide::Left);
    bar.vertSize = {350, 600};
    bar.computeEdges(0, 1);
    const Rect window{0, 0, 350, 600};
    bar.layoutClient(window);
    const std::vector<ResizableBarModel*> row{&bar};
    bar.beginTracking(BarHit::Right, {346, 300}, window, row, 800);
    EXPECT_EQ(bar.trackMin, 346 - (350 - 33));
    EXPECT_EQ(bar.trackMax, 346 + 798);

    bar.trackTo({-500, 300}, row); // far past the minimum
    EXPECT_EQ(bar.vertSize.width, 33);
    bar.trackTo({5000, 300}, row); // far past the main pane
    EXPECT_EQ(bar.vertSize.width, 350 + 798);
    EXPECT_FALSE(bar.trackTo({5001, 300}, row)); // clamped: nothing moves
    bar.endTracking();
    EXPECT_FALSE(bar.tracking);
}

TEST(ResizableBarModel, SideEdgeMovesLengthBetweenBarsAndKeepsTheTotal)
{
    ResizableBarModel upper = docked(DockSide::Left);
    ResizableBarModel lower = docked(DockSide::Left);
    upper.vertSize = {300, 400};
    lower.vertSize = {300, 300};
    const std::vector<ResizableBarModel*> row{&upper, &lower};
    upper.computeEdges(0, 2);
    const Rect window{0, 0, 300, 400};
    upper.layoutClient(window);
    upper.beginTracking(BarHit::Bottom, {150, 396}, window, row, 800);
    EXPECT_EQ(upper.trackMin, 396 - (400 - 32));
    EXPECT_EQ(upper.trackMax, 396 + (300 - 32));

    upper.trackTo({150, 446}, row); // down by 50: the upper bar grows
    EXPECT_EQ(upper.vertSize.height, 450);
    EXPECT_EQ(lower.vertSize.height, 250);
    upper.trackTo({150, 0}, row); // up as far as it goes: the upper bar down to its minimum
    EXPECT_EQ(upper.vertSize.height, 32);
    EXPECT_EQ(lower.vertSize.height, 668);
    EXPECT_EQ(upper.vertSize.height + lower.vertSize.height, 700);
}

} // namespace
} // namespace zonedesk::dockbar
