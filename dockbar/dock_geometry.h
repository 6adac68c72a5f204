// SPDX-License-Identifier: MIT
// Plain geometry for the dock bar model: sizes, points and rectangles in pixels, where a point lies
// on a bar and where a bar is. No toolkit.
#pragma once

#include <algorithm>
#include <cstdint>

namespace zonedesk::dockbar {

struct Size
{
    int width = 0;
    int height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

struct Point
{
    int x = 0;
    int y = 0;
};

/// Right and bottom are exclusive, as the platform's rectangles.
struct Rect
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }

    int height() const { return bottom - top; }

    bool contains(Point p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }

    Rect deflated(int l, int t, int r, int b) const { return {left + l, top + t, right - r, bottom - b}; }

    friend bool operator==(const Rect&, const Rect&) = default;
};

/// Where a point of a bar lies: inside it, or on one of its sizing edges.
enum class BarHit : std::uint8_t
{
    Client,
    Left,
    Right,
    Top,
    Bottom,
};

/// The sizing edges, in the order they are tried.
inline constexpr BarHit SizingEdges[] = {BarHit::Left, BarHit::Top, BarHit::Right, BarHit::Bottom};

/// Where a bar is: docked along one side of the window, or floating.
enum class DockSide : std::uint8_t
{
    Top,
    Left,
    Right,
    Bottom,
    Floating,
};

// Edge style flags.
inline constexpr unsigned EdgeLeft = 0x01;
inline constexpr unsigned EdgeRight = 0x02;
inline constexpr unsigned EdgeTop = 0x04;
inline constexpr unsigned EdgeBottom = 0x08;
inline constexpr unsigned EdgeAll = EdgeLeft | EdgeRight | EdgeTop | EdgeBottom;
inline constexpr unsigned ShowEdges = 0x10;
inline constexpr unsigned SizeChild = 0x20;

} // namespace zonedesk::dockbar
