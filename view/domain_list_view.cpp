// SPDX-License-Identifier: MIT
#include "view/domain_list_view.h"

#include <algorithm>

#include <QHeaderView>

#include "core/encodings.h"
#include "core/field_copy.h"

namespace zonedesk {

DomainListView::DomainListView(AppState& state, QWidget* parent)
    : QTableView(parent)
    , m_state(state)
    , m_model(state.table)
{
    m_filter.setSourceModel(&m_model);
    setModel(&m_filter);
    setShowGrid(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    // A click on a header sorts by it, a second click reverses; until then the table's order.
    horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    setSortingEnabled(true);
    m_model.setNearExpiry(state.settings.redDisplay != 0, state.settings.expiryWarnDays);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    verticalHeader()->setVisible(false);
    // Report-list rows: one line of text each, not the roomier default of item views.
    verticalHeader()->setMinimumSectionSize(fontMetrics().height() + 4);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setHighlightSections(false);
    for (int column = 0; column < DomainListModel::ColumnCount; ++column)
        setColumnWidth(column, DomainListModel::columnWidth(column));
}

std::string DomainListView::selectedDomain() const
{
    const QModelIndex current =
        selectionModel() != nullptr ? selectionModel()->currentIndex() : QModelIndex();
    if (!current.isValid())
        return {};
    const QModelIndex source = m_filter.mapToSource(current);
    if (!source.isValid() || source.row() >= m_state.table.count())
        return {};
    return core::gbkToUtf8(core::fieldText(m_state.table[static_cast<std::size_t>(source.row())].domain));
}

std::vector<std::size_t> DomainListView::selectedRecords() const
{
    std::vector<std::size_t> records;
    if (selectionModel() == nullptr)
        return records;
    for (const QModelIndex& index : selectionModel()->selectedRows()) {
        const QModelIndex source = m_filter.mapToSource(index);
        if (source.isValid() && source.row() < m_state.table.count())
            records.push_back(static_cast<std::size_t>(source.row()));
    }
    std::sort(records.begin(), records.end());
    return records;
}

std::vector<std::size_t> DomainListView::shownRecords() const
{
    std::vector<std::size_t> records;
    for (int row = 0; row < m_filter.rowCount(); ++row) {
        const QModelIndex source = m_filter.mapToSource(m_filter.index(row, 0));
        if (source.isValid() && source.row() < m_state.table.count())
            records.push_back(static_cast<std::size_t>(source.row()));
    }
    std::sort(records.begin(), records.end());
    return records;
}

void DomainListView::showTable()
{
    m_model.fillRows(true);
    m_model.refreshFinishedRows();
}

void DomainListView::setRedDisplay(bool on)
{
    m_model.setNearExpiry(on, m_model.warnDays());
}

} // namespace zonedesk
