// SPDX-License-Identifier: MIT
#include "app/renewal_calendar_dock.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "view/domain_list_view.h"
#include "view/renewal_chart.h"

namespace zonedesk {

RenewalCalendarDock::RenewalCalendarDock(AppState& state, DomainListView& view, QWidget* parent)
    : QDockWidget(tr("续费日历"), parent)
    , m_state(state)
    , m_view(view)
    , m_chart(new RenewalChart)
    , m_stackBy(new QComboBox)
{
    setObjectName(QStringLiteral("renewalCalendar"));
    auto* content = new QWidget(this);
    auto* layout = new QVBoxLayout(content);
    auto* switchRow = new QHBoxLayout;
    auto* label = new QLabel(tr("分组(&G)："), content);
    label->setBuddy(m_stackBy);
    m_stackBy->setObjectName(QStringLiteral("stackBy"));
    m_stackBy->addItems({tr("按注册商"), tr("按后缀")});
    switchRow->addWidget(label);
    switchRow->addWidget(m_stackBy);
    switchRow->addStretch();
    layout->addLayout(switchRow);
    layout->addWidget(m_chart, 1);
    setWidget(content);
    setFocusProxy(m_chart);
    connect(m_stackBy, &QComboBox::currentIndexChanged, this, [this](int index) {
        m_by = index == 1 ? core::RenewalStack::Tld : core::RenewalStack::Registrar;
        m_chart->clearChoice(); // a stack of the other kind means nothing now
        refresh();
    });
    connect(m_chart, &RenewalChart::choiceChanged, this, &RenewalCalendarDock::applyChoice);
    // Shown, it catches up with what happened while it was hidden.
    connect(this, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        if (visible)
            refresh();
    });
}

void RenewalCalendarDock::refresh()
{
    if (!isVisible())
        return;
    m_chart->setWarnDays(m_state.settings.expiryWarnDays);
    m_chart->setMonths(core::renewalMonths(m_state.table, m_by, core::today()));
}

void RenewalCalendarDock::clearChoice()
{
    m_chart->clearChoice();
}

void RenewalCalendarDock::applyChoice()
{
    const auto slot = m_chart->chosen();
    if (!slot) {
        m_view.setRowTest({});
        Q_EMIT filterChanged({});
        return;
    }
    // The months as they were at the click: the stack of "others" stays the same names.
    const core::RenewalMonths months = m_chart->months();
    const core::RenewalStack by = m_by;
    const core::DomainTable& table = m_state.table;
    m_view.setRowTest([months, by, &table, slot](int row) {
        return row < table.count() &&
               core::inRenewalSlot(months, table[static_cast<std::size_t>(row)], by, slot->bar, slot->stack);
    });
    QString description = RenewalChart::barTitle(slot->bar, months.today);
    if (slot->stack >= 0 && static_cast<std::size_t>(slot->stack) < months.stacks.size()) {
        const core::RenewalStackRow& stack = months.stacks[static_cast<std::size_t>(slot->stack)];
        description += QStringLiteral(" · ") + (stack.others         ? tr("其他")
                                                : stack.name.empty() ? tr("（未说明）")
                                                                     : QString::fromStdString(stack.name));
    }
    Q_EMIT filterChanged(description);
}

} // namespace zonedesk
