// SPDX-License-Identifier: MIT
// The list as the user orders and narrows it: a proxy over the table's model that never changes
// the table, so the export keeps the table's order.
#pragma once

#include <functional>

#include <QSortFilterProxyModel>

namespace zonedesk {

class DomainFilterModel final : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    explicit DomainFilterModel(QObject* parent = nullptr);

    /// Keeps only the rows whose domain, owner, registrar, e-mail, status or name servers contain `text`
    /// (letter case ignored); empty keeps every row.
    void setFilterText(const QString& text);

    /// Keeps, besides, only the table's rows `test` passes (the renewal calendar's month); an empty
    /// test keeps every row.
    void setRowTest(std::function<bool(int)> test);

    bool hasRowTest() const { return static_cast<bool>(m_rowTest); }

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    QString m_text;
    std::function<bool(int)> m_rowTest;
};

} // namespace zonedesk
