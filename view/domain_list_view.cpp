// SPDX-License-Identifier: MIT
#include "view/domain_list_view.h"

#include <algorithm>

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>

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
    // Tab leaves the list for the next control; the arrow keys move within it.
    setTabKeyNavigation(false);
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

std::vector<std::size_t> DomainListView::selectedRows() const
{
    std::vector<int> shown; // rows of the view, in its order
    if (selectionModel() != nullptr) {
        for (const QModelIndex& index : selectionModel()->selectedRows())
            shown.push_back(index.row());
    }
    std::sort(shown.begin(), shown.end());
    std::vector<std::size_t> rows;
    for (const int row : shown) {
        const QModelIndex source = m_filter.mapToSource(m_filter.index(row, 0));
        if (source.isValid() && source.row() < m_state.table.count())
            rows.push_back(static_cast<std::size_t>(source.row()));
    }
    return rows;
}

namespace {

/// A cell's text on one line of a tab-separated row.
QString tsvCell(QString text)
{
    for (QChar& c : text) {
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            c = QLatin1Char(' ');
    }
    return text;
}

} // namespace

QString DomainListView::selectedRowsText() const
{
    QString text;
    for (const std::size_t row : selectedRows()) {
        QStringList cells;
        for (int column = 0; column < DomainListModel::ColumnCount; ++column)
            cells << tsvCell(m_model.index(static_cast<int>(row), column).data().toString());
        text += cells.join(QLatin1Char('\t')) + QLatin1Char('\n');
    }
    return text;
}

QString DomainListView::selectedNamesText() const
{
    QString text;
    for (const std::size_t row : selectedRows())
        text += QString::fromStdString(core::gbkToUtf8(core::fieldText(m_state.table[row].domain))) +
                QLatin1Char('\n');
    return text;
}

bool DomainListView::event(QEvent* event)
{
    // The list edits nothing: Esc is the window's (Stop), not the item view's.
    if (event->type() == QEvent::ShortcutOverride &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        event->ignore();
        return true;
    }
    return QTableView::event(event);
}

void DomainListView::contextMenuEvent(QContextMenuEvent* event)
{
    if (m_rowActions.isEmpty())
        return;
    // A right click on a row outside the selection selects that row, as file managers do.
    const QModelIndex at = indexAt(event->pos());
    if (at.isValid() && selectionModel() != nullptr && !selectionModel()->isRowSelected(at.row()))
        selectionModel()->setCurrentIndex(at,
                                          QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    QMenu menu(this);
    for (QAction* action : std::as_const(m_rowActions)) {
        if (action != nullptr)
            menu.addAction(action);
        else
            menu.addSeparator();
    }
    menu.exec(event->globalPos());
}

std::vector<std::size_t> DomainListView::selectedRecords() const
{
    std::vector<std::size_t> records = selectedRows();
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
