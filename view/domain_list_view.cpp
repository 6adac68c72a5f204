// SPDX-License-Identifier: MIT
#include "view/domain_list_view.h"

#include <algorithm>
#include <optional>

#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>

#include "core/encodings.h"
#include "core/field_copy.h"
#include "core/result_fields.h"
#include "core/text.h"
#include "ui/ui_language.h"

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
        setOwnColumnWidth(column, defaultColumnWidth(column));
    // The status codes and name servers are there for who asks: the header's menu shows them.
    for (int column = core::EarlierListColumnCount; column < DomainListModel::ColumnCount; ++column)
        setColumnHidden(column, true);
    // Nine columns are wider than most windows: scrolled by the pixel, the last one is reached
    // whole.
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    horizontalHeader()->setSectionsMovable(true);
    horizontalHeader()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(
        horizontalHeader(), &QHeaderView::customContextMenuRequested, this, &DomainListView::showHeaderMenu);
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int column) {
        if (column == DomainListModel::DomainColumn && !m_sizing)
            m_domainFits = false;
    });
}

int DomainListView::defaultColumnWidth(int column) const
{
    // A date column is as wide as a date in the list's font (the update's with its time of day),
    // so that in a maximised window all nine columns fit without scrolling.
    const core::ResultField* field = core::fieldAtListColumn(column);
    if (field == nullptr || !field->isDate())
        return DomainListModel::columnWidth(column);
    const QString sample = field->field == core::Field::UpdatedDate ? QStringLiteral("0000-00-00 00:00:00")
                                                                    : QStringLiteral("0000-00-00");
    constexpr int Padding = 16;
    return std::max(fontMetrics().horizontalAdvance(sample), horizontalHeader()->sectionSizeHint(column)) +
           Padding;
}

void DomainListView::setOwnColumnWidth(int column, int width)
{
    m_sizing = true;
    setColumnWidth(column, width);
    m_sizing = false;
}

void DomainListView::fitDomainColumn(bool remeasure)
{
    constexpr int Column = DomainListModel::DomainColumn;
    if (remeasure) {
        // Every row, not the item view's sample of the rows near the top: the longest name may be
        // the last of ten thousand.
        m_widestNameRow = -1;
        m_widestName = 0;
        const QFontMetrics metrics = fontMetrics();
        for (int row = 0; row < m_model.rowCount(); ++row) {
            const int width = metrics.horizontalAdvance(m_model.index(row, Column).data().toString());
            if (width > m_widestName) {
                m_widestName = width;
                m_widestNameRow = row;
            }
        }
    }
    if (!m_domainFits)
        return;
    int content = horizontalHeader()->sectionSizeHint(Column);
    if (m_widestNameRow >= 0) {
        const QModelIndex widest = m_filter.mapFromSource(m_model.index(m_widestNameRow, Column));
        const int grid = showGrid() ? 1 : 0;
        content =
            std::max(content, (widest.isValid() ? sizeHintForIndex(widest).width() : m_widestName) + grid);
    }
    const int least = defaultColumnWidth(Column);
    setOwnColumnWidth(Column, std::clamp(content, least, std::max(least, width() / 2)));
}

void DomainListView::resizeEvent(QResizeEvent* event)
{
    QTableView::resizeEvent(event);
    // The bound is a share of the list's width.
    if (m_domainFits && m_widestNameRow >= 0)
        fitDomainColumn(false);
}

void DomainListView::showHeaderMenu(const QPoint& at)
{
    // Not modal: the menu goes when an entry is picked or the user clicks elsewhere.
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("columnsMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const QHeaderView* header = horizontalHeader();
    for (int visual = 0; visual < header->count(); ++visual) {
        const int column = header->logicalIndex(visual);
        QAction* action = menu->addAction(m_model.headerData(column, Qt::Horizontal).toString());
        action->setCheckable(true);
        action->setChecked(!isColumnHidden(column));
        // Without its name a row says nothing.
        action->setEnabled(column != DomainListModel::DomainColumn);
        connect(action, &QAction::toggled, this, [this, column](bool shown) {
            setColumnHidden(column, !shown);
            if (shown && columnWidth(column) == 0)
                setOwnColumnWidth(column, defaultColumnWidth(column));
        });
    }
    menu->popup(header->viewport()->mapToGlobal(at));
}

std::string DomainListView::languageCode()
{
    return uiLanguage() == UiLanguage::English ? "en" : "zh";
}

void DomainListView::restoreLayout(const core::DesktopSettings& desktop)
{
    constexpr int Count = DomainListModel::ColumnCount;
    static_assert(Count == core::ListColumnCount);
    if (desktop.columnWidths.size() == static_cast<std::size_t>(Count)) {
        // Widths set in the other language may cut this one's titles: each is widened to its title.
        const bool otherLanguage = desktop.columnsLanguage != languageCode();
        for (int column = 0; column < Count; ++column) {
            int width = desktop.columnWidths[static_cast<std::size_t>(column)];
            if (width > 0 && otherLanguage)
                width = std::max(width, horizontalHeader()->sectionSizeHint(column));
            setOwnColumnWidth(column, width > 0 ? width : defaultColumnWidth(column));
        }
        m_domainFits = desktop.columnWidths[DomainListModel::DomainColumn] == 0;
    }
    QHeaderView* header = horizontalHeader();
    if (desktop.columnOrder.size() == static_cast<std::size_t>(Count)) {
        for (int visual = 0; visual < Count; ++visual)
            header->moveSection(header->visualIndex(desktop.columnOrder[static_cast<std::size_t>(visual)]),
                                visual);
    }
    // A whole order was written with the hidden columns: they say which are shown too.
    const bool whole = desktop.columnOrder.size() == static_cast<std::size_t>(Count);
    for (int column = 0; column < Count; ++column) {
        const bool hidden = std::find(desktop.hiddenColumns.begin(), desktop.hiddenColumns.end(), column) !=
                            desktop.hiddenColumns.end();
        if (column != DomainListModel::DomainColumn && (hidden || whole))
            setColumnHidden(column, hidden);
    }
    if (desktop.sortColumn >= 0 && desktop.sortColumn < Count)
        sortByColumn(desktop.sortColumn, desktop.sortDescending ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void DomainListView::rememberLayout(core::DesktopSettings& desktop) const
{
    constexpr int Count = DomainListModel::ColumnCount;
    const QHeaderView* header = horizontalHeader();
    desktop.columnWidths.assign(static_cast<std::size_t>(Count), 0);
    desktop.columnsLanguage = languageCode();
    desktop.columnOrder.clear();
    desktop.hiddenColumns.clear();
    for (int column = 0; column < Count; ++column) {
        // A hidden column keeps its default width for when it is shown again.
        if (!isColumnHidden(column) && !(column == DomainListModel::DomainColumn && m_domainFits))
            desktop.columnWidths[static_cast<std::size_t>(column)] = columnWidth(column);
        else if (isColumnHidden(column))
            desktop.hiddenColumns.push_back(column);
        desktop.columnOrder.push_back(header->logicalIndex(column));
    }
    const int sorted = header->sortIndicatorSection();
    desktop.sortColumn = sorted >= 0 && sorted < Count ? sorted : -1;
    desktop.sortDescending = header->sortIndicatorOrder() == Qt::DescendingOrder;
}

std::optional<std::size_t> DomainListView::currentRecord() const
{
    const QModelIndex current =
        selectionModel() != nullptr ? selectionModel()->currentIndex() : QModelIndex();
    if (!current.isValid())
        return std::nullopt;
    const QModelIndex source = m_filter.mapToSource(current);
    if (!source.isValid() || source.row() >= m_state.table.count())
        return std::nullopt;
    return static_cast<std::size_t>(source.row());
}

std::string DomainListView::selectedDomain() const
{
    const std::optional<std::size_t> record = currentRecord();
    return record ? core::gbkToUtf8(core::fieldText(m_state.table[*record].domain)) : std::string();
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

/// A cell's text on one line of a tab-separated row; a registry's text that a spreadsheet would
/// run as a formula gets the exports' apostrophe.
QString tsvCell(QString text, bool fromRegistry)
{
    for (QChar& c : text) {
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            c = QLatin1Char(' ');
    }
    if (fromRegistry && core::runsAsFormula(text.left(1).toStdString()))
        text.prepend(QLatin1Char('\''));
    return text;
}

} // namespace

std::vector<std::size_t> DomainListView::rowsToCopy() const
{
    std::vector<std::size_t> rows = selectedRows();
    // Tabbed into, the list has a current row but no selection: that row is the one meant.
    if (const std::optional<std::size_t> record = currentRecord(); rows.empty() && record)
        rows.push_back(*record);
    return rows;
}

QString DomainListView::selectedRowsText() const
{
    QString text;
    for (const std::size_t row : rowsToCopy()) {
        QStringList cells;
        for (int column = 0; column < DomainListModel::ColumnCount; ++column) {
            if (isColumnHidden(column))
                continue; // what the list shows is what is copied
            cells << tsvCell(m_model.index(static_cast<int>(row), column).data().toString(),
                             core::fieldAtListColumn(column) != nullptr);
        }
        text += cells.join(QLatin1Char('\t')) + QLatin1Char('\n');
    }
    return text;
}

QString DomainListView::selectedNamesText() const
{
    QString text;
    for (const std::size_t row : rowsToCopy())
        text += QString::fromStdString(core::gbkToUtf8(core::fieldText(m_state.table[row].domain))) +
                QLatin1Char('\n');
    return text;
}

bool DomainListView::event(QEvent* event)
{
    // The list edits nothing: Esc is the window's (Stop), not the item view's, and Ctrl+C the
    // window's copy of whole rows, not the item view's copy of one cell.
    if (event->type() == QEvent::ShortcutOverride &&
        (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape ||
         static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy))) {
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
    fitDomainColumn(true);
}

void DomainListView::fillRows()
{
    m_model.fillRows();
    fitDomainColumn(true);
}

void DomainListView::setRedDisplay(bool on)
{
    m_model.setNearExpiry(on, m_model.warnDays());
}

} // namespace zonedesk
