// SPDX-License-Identifier: MIT
// Plain geometry for the dock bar model: sizes, points and rectangles in pixels, and the
// platform's hit-test codes and dock bar IDs. No toolkit.
#pragma once

#include <algorithm>

namespace zonedesk::dockbar {

struct Size
{
    int cx = 0;
    int cy = 0;
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

// Hit-test codes.
inline constexpr int HTCLIENT = 1;
inline constexpr int HTLEFT = 10;
inline constexpr int HTRIGHT = 11;
inline constexpr int HTTOP = 12;
inline constexpr int HTTOPLEFT = 13;
inline constexpr int HTTOPRIGHT = 14;
inline constexpr int HTBOTTOM = 15;
inline constexpr int HTBOTTOMLEFT = 16;
inline constexpr int HTBOTTOMRIGHT = 17;
inline constexpr int HTCLOSE = 20;

// Dock bar IDs: where a bar is.
inline constexpr int DockBarTop = 59419;
inline constexpr int DockBarLeft = 59420;
inline constexpr int DockBarRight = 59421;
inline constexpr int DockBarBottom = 59422;
inline constexpr int DockBarFloat = 59423;

// Edge style flags.
inline constexpr unsigned EdgeLeft = 0x01;
inline constexpr unsigned EdgeRight = 0x02;
inline constexpr unsigned EdgeTop = 0x04;
inline constexpr unsigned EdgeBottom = 0x08;
inline constexpr unsigned EdgeAll = EdgeLeft | EdgeRight | EdgeTop | EdgeBottom;
inline constexpr unsigned ShowEdges = 0x10;
inline constexpr unsigned SizeChild = 0x20;

} // namespace zonedesk::dockbar
