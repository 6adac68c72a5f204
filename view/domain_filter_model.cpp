// SPDX-License-Identifier: MIT
#include "view/domain_filter_model.h"

#include "view/domain_list_model.h"

namespace zonedesk {

DomainFilterModel::DomainFilterModel(QObject* parent)
    : QSortFilterProxyModel(parent)
{
    setSortRole(DomainListModel::SortRole);
}

void DomainFilterModel::setFilterText(const QString& text)
{
    if (text == m_text)
        return;
    m_text = text;
    invalidateRowsFilter();
}

bool DomainFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const
{
    if (m_text.isEmpty())
        return true;
    for (const int column : {DomainListModel::DomainColumn,
                             DomainListModel::OwnerColumn,
                             DomainListModel::RegistrarColumn,
                             DomainListModel::EmailColumn}) {
        const QString text = sourceModel()->index(sourceRow, column, sourceParent).data().toString();
        if (text.contains(m_text, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

bool DomainFilterModel::lessThan(const QModelIndex& left, const QModelIndex& right) const
{
    const QVariant a = left.data(sortRole());
    const QVariant b = right.data(sortRole());
    if (a.typeId() == QMetaType::LongLong && b.typeId() == QMetaType::LongLong)
        return a.toLongLong() < b.toLongLong();
    return QString::localeAwareCompare(a.toString(), b.toString()) < 0;
}

} // namespace zonedesk
