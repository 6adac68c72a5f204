// SPDX-License-Identifier: MIT
// A resizable dock bar with a gripper (two raised lines) and an 11 x 11 close button: along the
// top when docked left or right, along the left side when docked top or bottom, none when floating.
#pragma once

#include "dockbar/resizable_dock_bar.h"

namespace zonedesk {

class GripperTitleBar;

class GripperBar : public ResizableDockBar
{
    Q_OBJECT

public:
    static constexpr int GripperSize = 12;

    GripperBar(const QString& title, QMainWindow* mainWindow);

    /// True exactly when the bar is docked.
    bool hasGripper() const { return !model().isFloating(); }

    /// The gripper strip, or nullptr while floating.
    GripperTitleBar* gripper() const;

protected:
    void dockStateChanged() override;

private:
    void useGripper(bool docked);

    GripperTitleBar* m_gripper;
};

/// The close button's three looks.
struct CaptionButton
{
    bool pushed = false;
    bool raised = false;
    QPoint origin; // top-left, in the title bar's coordinates
};

class GripperTitleBar final : public QWidget
{
    Q_OBJECT

public:
    explicit GripperTitleBar(GripperBar* bar);

    QSize sizeHint() const override;

    QSize minimumSizeHint() const override { return sizeHint(); }

    const CaptionButton& closeButton() const { return m_button; }

    /// The close button's rectangle in this widget's coordinates.
    QRect closeButtonRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    bool vertical() const;
    void setLooks(bool over, bool down);

    GripperBar* m_bar;
    CaptionButton m_button;
};

} // namespace zonedesk
