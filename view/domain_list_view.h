// SPDX-License-Identifier: MIT
// The main window's list of domains: nine columns, one row per record, filtered and sorted.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include <QList>
#include <QTableView>

#include "core/desktop_settings.h"
#include "ui/app_state.h"
#include "view/domain_filter_model.h"
#include "view/domain_list_model.h"

namespace zonedesk {

class DomainListView final : public QTableView
{
    Q_OBJECT

public:
    DomainListView(AppState& state, QWidget* parent = nullptr);

    DomainListModel& listModel() { return m_model; }

    /// Keeps only the rows whose domain, owner, registrar, e-mail, status or name servers contain `text`.
    void setFilterText(const QString& text) { m_filter.setFilterText(text); }

    void setRowTest(std::function<bool(int)> test) { m_filter.setRowTest(std::move(test)); }

    /// Turns the red display of rows near expiry on or off at once, with the day count in effect.
    void setRedDisplay(bool on);

    /// Rows drawn red now.
    int nearExpiryCount() const { return m_model.nearExpiryCount(); }

    /// One row per record of the table, showing server and domain only; the domain column fits
    /// the names unless the user has sized it.
    void fillRows();

    /// Shows the table as it is now, every done record's results in its row and the others as
    /// still to be looked up (an opened result).
    void showTable();

    /// The domain (UTF-8) of the row the user selected; empty when none is.
    std::string selectedDomain() const;

    /// The table indices of the selected rows, in the list's order.
    std::vector<std::size_t> selectedRows() const;

    /// The selected rows (the current row when none is) as tab-separated text, one line per row
    /// and every shown column in the model's order, as shown (what a spreadsheet takes when pasted), a
    /// registry's formula made text as the exports make it.
    QString selectedRowsText() const;

    /// The selected rows' domains (the current row's when none is), one per line.
    QString selectedNamesText() const;

    /// What a right click on the rows offers; a null entry is a separator.
    void setRowActions(const QList<QAction*>& actions) { m_rowActions = actions; }

    /// The records (table indices, in the table's order) of the selected rows.
    std::vector<std::size_t> selectedRecords() const;

    /// The records of the rows the filter shows, in the table's order.
    std::vector<std::size_t> shownRecords() const;

    /// Column widths, order, hidden columns and sort as the user left them in an earlier run.
    void restoreLayout(const core::DesktopSettings& desktop);

    /// The columns and sort, for the next run.
    void rememberLayout(core::DesktopSettings& desktop) const;

    /// The screen's language as the remembered layout names it ("zh", "en").
    static std::string languageCode();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;

private:
    /// A check-able entry per column, in the order shown, to show or hide it; the domain column
    /// stays.
    void showHeaderMenu(const QPoint& at);
    /// Sizes the domain column to the widest name of the list (measured again when `remeasure`),
    /// up to half the list's width, unless the user has sized it.
    void fitDomainColumn(bool remeasure);
    void setOwnColumnWidth(int column, int width);
    /// The table index of the current row (the one with the focus), when there is one.
    std::optional<std::size_t> currentRecord() const;
    /// The selected rows, or the current row when none is selected.
    std::vector<std::size_t> rowsToCopy() const;
    /// A column's width until the user sizes it.
    int defaultColumnWidth(int column) const;

    AppState& m_state;
    DomainListModel m_model;
    DomainFilterModel m_filter;
    QList<QAction*> m_rowActions;
    bool m_domainFits = true; // until the user sizes the domain column by hand
    bool m_sizing = false;    // a width set here, not by the user
    int m_widestNameRow = -1; // of them, the row of the widest name
    int m_widestName = 0;     // its width in the list's font
};

} // namespace zonedesk
