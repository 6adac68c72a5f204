// SPDX-License-Identifier: MIT
// The renewal calendar beside the list: the chart of the names falling due month by month,
// stacked by registrar or TLD, following the list live; a bar chosen narrows the list to it.
#pragma once

#include <QDockWidget>

#include "core/renewal_months.h"
#include "ui/app_state.h"

class QComboBox;

namespace zonedesk {

class DomainListView;
class RenewalChart;

class RenewalCalendarDock final : public QDockWidget
{
    Q_OBJECT

public:
    RenewalCalendarDock(AppState& state, DomainListView& view, QWidget* parent = nullptr);

    /// Counts the months again from the table, when the calendar is shown.
    void refresh();

    /// Clears the month the list is narrowed to.
    void clearChoice();

    RenewalChart& chart() { return *m_chart; }

Q_SIGNALS:
    /// What narrows the list, for the filter bar ("2027年3月 · Example Registrar"); empty: nothing.
    void filterChanged(const QString& description);

private:
    void applyChoice();

    AppState& m_state;
    DomainListView& m_view;
    RenewalChart* m_chart;
    QComboBox* m_stackBy;
    core::RenewalStack m_by = core::RenewalStack::Registrar;
};

} // namespace zonedesk
