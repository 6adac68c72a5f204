// SPDX-License-Identifier: MIT
#include "view/renewal_chart.h"

#include <algorithm>
#include <array>

#include <QDate>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include "ui/ui_language.h"

namespace zonedesk {

namespace {

// Colours told apart on a light and on a dark window alike; red stays the near-expiry colour.
constexpr std::array<QRgb, core::NamedStacks> StackColours = {
    0x4e79a7, 0xf28e2b, 0x59a14f, 0xb07aa1, 0x76b7b2, 0xedc948, 0x9c755f};
constexpr QRgb OthersColour = 0xa0a0a0;
constexpr int Gap = 6;

QString stackName(const core::RenewalStackRow& stack)
{
    if (stack.others)
        return RenewalChart::tr("其他");
    if (stack.name.empty())
        return RenewalChart::tr("（未说明）");
    return QString::fromStdString(stack.name);
}

} // namespace

RenewalChart::RenewalChart(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("renewalChart"));
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(tr("续费日历"));
    setMouseTracking(false);
}

void RenewalChart::setMonths(core::RenewalMonths months)
{
    // The stacks are sorted anew by their counts: a chosen stack is followed by its key.
    std::optional<std::size_t> chosenAt;
    bool lost = false;
    if (m_chosen && m_chosen->stack >= 0 &&
        static_cast<std::size_t>(m_chosen->stack) < m_months.stacks.size()) {
        const core::RenewalStackRow& was = m_months.stacks[static_cast<std::size_t>(m_chosen->stack)];
        for (std::size_t i = 0; i < months.stacks.size(); ++i) {
            if (months.stacks[i].others == was.others && months.stacks[i].key == was.key)
                chosenAt = i;
        }
        lost = !chosenAt;
    }
    m_months = std::move(months);
    if (chosenAt)
        m_chosen->stack = static_cast<int>(*chosenAt);
    m_current.stack = std::min(m_current.stack, static_cast<int>(m_months.stacks.size()) - 1);
    update();
    if (lost)
        clearChoice();
}

void RenewalChart::setWarnDays(int days)
{
    m_warnDays = days;
    update();
}

QSize RenewalChart::sizeHint() const
{
    return {640, 260};
}

QSize RenewalChart::minimumSizeHint() const
{
    return {360, 180};
}

QString RenewalChart::barTitle(int bar, const core::CalendarDate& today)
{
    if (bar <= 0)
        return tr("已过期");
    const core::CalendarDate first = core::barFirstDay(bar, today).value_or(today);
    if (uiLanguage() == UiLanguage::English)
        return QLocale(QLocale::English)
            .toString(QDate(first.year, first.month, 1), QStringLiteral("MMM yyyy"));
    return tr("%1年%2月").arg(first.year).arg(first.month);
}

int RenewalChart::legendHeight() const
{
    return m_months.stacks.empty() ? 0 : fontMetrics().height() + Gap;
}

QRect RenewalChart::plotArea() const
{
    const QFontMetrics metrics = fontMetrics();
    const int left = metrics.horizontalAdvance(QString::number(std::max(m_months.highestBar(), 1))) + 2 * Gap;
    const int bottom =
        2 * metrics.height() + Gap + (m_months.later + m_months.unknown > 0 ? metrics.height() : 0);
    return rect().adjusted(left, legendHeight() + Gap, -Gap, -bottom);
}

QRect RenewalChart::barRect(int bar) const
{
    const QRect plot = plotArea();
    const double slot = static_cast<double>(plot.width()) / core::RenewalBars;
    const int left = plot.left() + static_cast<int>(slot * bar + slot * 0.15);
    const int width = std::max(2, static_cast<int>(slot * 0.7));
    return {left, plot.top(), width, plot.height()};
}

QColor RenewalChart::stackColor(int stack) const
{
    const auto at = static_cast<std::size_t>(stack);
    if (at < m_months.stacks.size() && m_months.stacks[at].others)
        return QColor(OthersColour);
    return QColor(StackColours[at % StackColours.size()]);
}

QRect RenewalChart::slotRect(Slot slot) const
{
    const QRect bar = barRect(slot.bar);
    const int highest = std::max(m_months.highestBar(), 1);
    int bottom = bar.bottom();
    for (int stack = 0; stack < static_cast<int>(m_months.stacks.size()); ++stack) {
        const int count =
            m_months.stacks[static_cast<std::size_t>(stack)].counts[static_cast<std::size_t>(slot.bar)];
        // A stack of a few names among many still takes a pixel, to be seen and clicked.
        const int height = count > 0 ? std::max(1, count * bar.height() / highest) : 0;
        if (stack == slot.stack)
            return {bar.left(), bottom - height + 1, bar.width(), std::max(height, 1)};
        bottom -= height;
    }
    // The whole bar: its stacks, or a sliver when it has none.
    const int height = m_months.barTotal(slot.bar) * bar.height() / highest;
    return {bar.left(), bar.bottom() - height + 1, bar.width(), std::max(height, 1)};
}

std::optional<RenewalChart::Slot> RenewalChart::slotAt(const QPoint& point) const
{
    const QRect plot = plotArea();
    if (!plot.contains(point) || plot.width() <= 0)
        return std::nullopt;
    const int bar =
        std::clamp((point.x() - plot.left()) * core::RenewalBars / plot.width(), 0, core::RenewalBars - 1);
    if (m_months.barTotal(bar) == 0)
        return std::nullopt;
    for (int stack = 0; stack < static_cast<int>(m_months.stacks.size()); ++stack) {
        if (m_months.stacks[static_cast<std::size_t>(stack)].counts[static_cast<std::size_t>(bar)] > 0 &&
            slotRect({bar, stack}).adjusted(-2, 0, 2, 0).contains(point))
            return Slot{bar, stack};
    }
    return Slot{bar, -1}; // above the stacks: the whole month
}

QString RenewalChart::slotToolTip(int bar) const
{
    QString tip = tr("%1：%n 个域名", nullptr, m_months.barTotal(bar)).arg(barTitle(bar, m_months.today));
    for (const core::RenewalStackRow& stack : m_months.stacks) {
        if (const int count = stack.counts[static_cast<std::size_t>(bar)]; count > 0)
            tip += QStringLiteral("\n%1：%2").arg(stackName(stack)).arg(count);
    }
    return tip;
}

void RenewalChart::choose(Slot slot)
{
    if (m_chosen == slot)
        m_chosen.reset(); // the same again clears
    else
        m_chosen = slot;
    m_current = slot;
    update();
    Q_EMIT choiceChanged(m_chosen);
}

void RenewalChart::clearChoice()
{
    if (!m_chosen)
        return;
    m_chosen.reset();
    update();
    Q_EMIT choiceChanged(std::nullopt);
}

void RenewalChart::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    if (const auto slot = slotAt(event->position().toPoint()))
        choose(*slot);
}

void RenewalChart::keyPressEvent(QKeyEvent* event)
{
    const int stacks = static_cast<int>(m_months.stacks.size());
    switch (event->key()) {
    case Qt::Key_Left: m_current = {std::max(m_current.bar - 1, 0), -1}; break;
    case Qt::Key_Right: m_current = {std::min(m_current.bar + 1, core::RenewalBars - 1), -1}; break;
    case Qt::Key_Up: m_current.stack = std::min(m_current.stack + 1, stacks - 1); break;
    case Qt::Key_Down: m_current.stack = std::max(m_current.stack - 1, -1); break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space: choose(m_current); return;
    case Qt::Key_Escape:
        if (!m_chosen)
            return QWidget::keyPressEvent(event);
        clearChoice();
        return;
    default: return QWidget::keyPressEvent(event);
    }
    update();
    QToolTip::showText(mapToGlobal(slotRect(m_current).topLeft()), slotToolTip(m_current.bar), this);
}

bool RenewalChart::event(QEvent* event)
{
    // Esc clears a choice here before the window's Stop takes it.
    if (event->type() == QEvent::ShortcutOverride && m_chosen &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        event->accept();
        return true;
    }
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        if (const auto slot = slotAt(help->pos()))
            QToolTip::showText(help->globalPos(), slotToolTip(slot->bar), this);
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

void RenewalChart::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    const QFontMetrics metrics = fontMetrics();
    const QColor text = palette().color(QPalette::WindowText);
    const QRect plot = plotArea();
    const int highest = std::max(m_months.highestBar(), 1);

    // The legend: a square of each stack's colour and its name.
    int x = plotArea().left();
    for (int stack = 0; stack < static_cast<int>(m_months.stacks.size()); ++stack) {
        const QString name = metrics.elidedText(
            stackName(m_months.stacks[static_cast<std::size_t>(stack)]), Qt::ElideRight, 120);
        const int side = metrics.ascent();
        painter.fillRect(x, Gap / 2 + (metrics.height() - side) / 2, side, side, stackColor(stack));
        painter.setPen(text);
        painter.drawText(x + side + 4, Gap / 2 + metrics.ascent(), name);
        x += side + 4 + metrics.horizontalAdvance(name) + 2 * Gap;
        if (x > width())
            break;
    }

    // The count axis: nought, half and the highest bar.
    QColor grid = text;
    grid.setAlpha(60);
    for (const int value : {0, highest / 2, highest}) {
        const int y = plot.bottom() - value * plot.height() / highest;
        painter.setPen(grid);
        painter.drawLine(plot.left(), y, plot.right(), y);
        painter.setPen(text);
        painter.drawText(QRect(0, y - metrics.height() / 2, plot.left() - Gap, metrics.height()),
                         Qt::AlignRight | Qt::AlignVCenter,
                         QString::number(value));
    }

    // The bars; the expired one in the near-expiry colour.
    for (int bar = 0; bar < core::RenewalBars; ++bar) {
        for (int stack = 0; stack < static_cast<int>(m_months.stacks.size()); ++stack) {
            if (m_months.stacks[static_cast<std::size_t>(stack)].counts[static_cast<std::size_t>(bar)] == 0)
                continue;
            const QRect segment = slotRect({bar, stack});
            QColor colour = bar == 0 ? QColor(Qt::red) : stackColor(stack);
            if (bar == 0 && stack % 2 == 1)
                colour = colour.darker(130); // the expired bar's stacks still told apart
            painter.fillRect(segment, colour);
        }
    }

    // The near-expiry day count: a line at its day.
    if (m_warnDays >= 0) {
        const core::CalendarDate day =
            core::CalendarDate::fromDayNumber(m_months.today.dayNumber() + m_warnDays);
        if (const auto bar = core::renewalBar(day, m_months.today); bar && *bar > 0) {
            const core::CalendarDate first = core::barFirstDay(*bar, m_months.today).value_or(day);
            const double days = static_cast<double>(core::barLastDay(*bar, m_months.today).dayNumber() -
                                                    first.dayNumber() + 1);
            const double slot = static_cast<double>(plot.width()) / core::RenewalBars;
            const int lineX =
                plot.left() +
                static_cast<int>(
                    slot * (*bar + (static_cast<double>(day.dayNumber() - first.dayNumber()) + 0.5) / days));
            painter.setPen(QPen(QColor(Qt::red), 1, Qt::DashLine));
            painter.drawLine(lineX, plot.top(), lineX, plot.bottom());
            painter.drawText(lineX + 3, plot.top() + metrics.ascent(), tr("%n 天", nullptr, m_warnDays));
        }
    }

    // The chosen slot and, with the focus, the keyboard's place.
    if (m_chosen) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 3));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(slotRect(*m_chosen).adjusted(-2, -2, 1, 1));
    }
    if (hasFocus()) {
        painter.setPen(QPen(text, 1, Qt::DotLine));
        painter.drawRect(slotRect(m_current).adjusted(-4, -4, 3, 3));
    }

    // The months under the bars, a year under its January and the first month; a label that
    // would run into the one before is left out.
    painter.setPen(text);
    int lastRight = -1;
    for (int bar = 0; bar < core::RenewalBars; ++bar) {
        const QRect column = barRect(bar);
        const core::CalendarDate first = core::barFirstDay(bar, m_months.today).value_or(m_months.today);
        const QString label =
            bar == 0 ? barTitle(0, m_months.today)
            : uiLanguage() == UiLanguage::English
                ? QLocale(QLocale::English).toString(QDate(first.year, first.month, 1), QStringLiteral("MMM"))
                : tr("%1月").arg(first.month);
        const int labelWidth = metrics.horizontalAdvance(label);
        const int left = column.center().x() - labelWidth / 2;
        if (left > lastRight) {
            painter.drawText(left, plot.bottom() + Gap + metrics.ascent(), label);
            lastRight = left + labelWidth + 2;
        }
        if (bar == 1 || (bar > 1 && first.month == 1))
            painter.drawText(column.left(),
                             plot.bottom() + Gap + metrics.height() + metrics.ascent(),
                             QString::number(first.year));
    }
    if (m_months.later + m_months.unknown > 0)
        painter.drawText(plot.left(),
                         plot.bottom() + Gap + 2 * metrics.height() + metrics.ascent(),
                         tr("另有 %1 个域名在 24 个月后到期，%2 个没有可读的到期日期")
                             .arg(m_months.later)
                             .arg(m_months.unknown));
}

} // namespace zonedesk
