// SPDX-License-Identifier: MIT
// The renewal calendar: a bar per month of the names falling due, stacked by registrar or TLD,
// the expired names first in the near-expiry colour and the near-expiry day count as a line. A
// click (or Enter) on a bar or one of its stacks chooses it for the list's filter; the same again,
// or Esc, clears it. Painted: the line at a day within a month, the colours of each bar and the
// keys are a few lines here.
#pragma once

#include <optional>

#include <QWidget>

#include "core/renewal_months.h"

namespace zonedesk {

class RenewalChart final : public QWidget
{
    Q_OBJECT

public:
    explicit RenewalChart(QWidget* parent = nullptr);

    /// The months to draw; a chosen slot stays chosen.
    void setMonths(core::RenewalMonths months);

    const core::RenewalMonths& months() const { return m_months; }

    /// The near-expiry day count, drawn as a line; negative draws none.
    void setWarnDays(int days);

    struct Slot
    {
        int bar = 0;
        int stack = -1; // -1: the whole bar
        bool operator==(const Slot&) const = default;
    };

    std::optional<Slot> chosen() const { return m_chosen; }

    /// Clears the choice (and says so), as Esc does.
    void clearChoice();

    /// The bar and stack at `point`, in widget coordinates.
    std::optional<Slot> slotAt(const QPoint& point) const;

    /// The middle of a slot, for tests and the keyboard's focus frame.
    QRect slotRect(Slot slot) const;

    /// "2027年3月" / "Mar 2027", or the expired bar's title.
    static QString barTitle(int bar, const core::CalendarDate& today);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    /// A slot was chosen, or (nullopt) the choice cleared.
    void choiceChanged(std::optional<RenewalChart::Slot> slot);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;

private:
    QRect plotArea() const;
    QRect barRect(int bar) const;
    int legendHeight() const;
    QColor stackColor(int stack) const;
    QString slotToolTip(int bar) const;
    void choose(Slot slot);

    core::RenewalMonths m_months;
    int m_warnDays = -1;
    std::optional<Slot> m_chosen;
    Slot m_current{1, -1}; // the keyboard's place
};

} // namespace zonedesk
