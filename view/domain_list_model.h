// SPDX-License-Identifier: MIT
// The list's model: reads the domain table in place; a row shows results once its record is shown.
#pragma once

#include <limits>
#include <optional>
#include <string_view>
#include <vector>

#include <QAbstractTableModel>

#include "core/calendar_date.h"
#include "core/domain_table.h"
#include "core/result_fields.h"
#include "history/record_changes.h"

namespace zonedesk {

class DomainListModel final : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column : int
    {
        ServerColumn,
        DomainColumn,
        StatusColumn,
        // then a column per result field, where core::ResultFields puts it
        ColumnCount = StatusColumn + 1 + core::ListedFieldCount,
    };

    explicit DomainListModel(core::DomainTable& table, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    /// Pixel width of each column; the view fits the dates to its font.
    static int columnWidth(int column);

    /// One row per record of the table, showing server and domain only; with `sayWaiting` (a list
    /// opened from the history) a row still to be looked up says so in its status cell.
    void fillRows(bool sayWaiting = false);

    /// Rows still to be looked up say so in their status cell (after a stopped run), or not.
    void setSayWaiting(bool sayWaiting);

    /// The records of `rows` (table indices) had their results cleared: their rows show them
    /// waiting, without the changes of their last lookup.
    void clearRows(const std::vector<std::size_t>& rows);

    /// What the shown rows came to.
    struct Tally
    {
        int registered = 0;
        int notRegistered = 0;
        int errors = 0;
        int nearExpiry = 0;
        int changed = 0; // rows with a change since their name's previous lookup
        int dropped = 0;
    };

    Tally tally() const;

    /// Marks every newly done record shown and signals its row; returns how many records are done.
    /// Signals row by row while few changed, one range when more than half of the rows did.
    int refreshFinishedRows();

    /// Rows near expiry (finished, expiring within `warnDays` days from today, expired included),
    /// and names on hold, in redemption or pending delete, are drawn in red while `redDisplay` is on.
    void setNearExpiry(bool redDisplay, int warnDays);

    /// The day count of the red display in effect.
    int warnDays() const { return m_warnDays; }

    /// Shown rows drawn red now.
    int nearExpiryCount() const;

    /// What the list sorts by: dates as calendar days (unreadable ones after them), the status by
    /// its meaning, everything else as shown; invalid for a blank cell, which sorts last either way.
    static constexpr int SortRole = Qt::UserRole + 1;
    /// The sort key of a date cell whose text holds no readable date: after every date.
    static constexpr qint64 UnreadableDate = std::numeric_limits<qint64>::max();

    /// What changed for `row` since the name's previous lookup: said in the status cell's tool
    /// tip, and a drop draws the row bold.
    void setChanges(int row, const std::vector<history::Change>& changes);

private:
    /// On a shown record's status cell: the transport its answer came over, an Error's reason and
    /// the changes since the previous lookup.
    QVariant toolTip(int row, const core::DomainRecord& record, int column) const;

    bool dropped(int row) const;

    /// A date's calendar form (calendarText).
    static QString dateText(const core::DomainRecord& record, const core::ResultField& field);

    /// The registry's own text, and on the expiry the days left or gone.
    QVariant dateToolTip(const core::DomainRecord& record, const core::ResultField& field) const;

    /// Red for a row near expiry; grey for a value the registry withheld.
    QVariant foreground(const core::DomainRecord& record, int column) const;

    bool isNear(const core::DomainRecord& record) const;
    QVariant sortKey(const core::DomainRecord& record, const QModelIndex& index) const;

    std::vector<std::vector<history::Change>> m_changes; // per row; empty until a run's history says
    bool m_redDisplay = false;
    int m_warnDays = 0;
    bool m_sayWaiting = false;

    core::DomainTable& m_table;
    int m_rows = 0;
};

} // namespace zonedesk
