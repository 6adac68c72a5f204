// SPDX-License-Identifier: MIT
// The list's model: reads the domain table in place; a row shows results once its record is shown.
#pragma once

#include <QAbstractTableModel>

#include "core/domain_table.h"

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
        ExpiryColumn,
        RegistrationColumn,
        OwnerColumn,
        EmailColumn,
        RegistrarColumn,
        UpdatedColumn,
        ColumnCount,
    };

    explicit DomainListModel(core::DomainTable& table, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    /// Pixel width of each column.
    static int columnWidth(int column);

    /// One row per record of the table, showing server and domain only.
    void fillRows();

    /// Marks every newly done record shown and signals its row; returns how many records are done.
    /// Signals row by row while few changed, one range when more than half of the rows did.
    int refreshFinishedRows();

private:
    /// On a shown record's status cell: the transport its answer came over, and an Error's reason.
    static QVariant toolTip(const core::DomainRecord& record, int column);

    core::DomainTable& m_table;
    int m_rows = 0;
};

} // namespace zonedesk
