// SPDX-License-Identifier: MIT
#include "view/domain_filter_model.h"

#include "core/result_fields.h"
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
    using core::Field;
    for (const int column : {int{DomainListModel::DomainColumn},
                             core::resultField(Field::Owner).listColumn,
                             core::resultField(Field::Registrar).listColumn,
                             core::resultField(Field::Email).listColumn}) {
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
    // Rows with nothing to sort by stay at the bottom whichever way the list is sorted: the proxy
    // reverses the comparison for a descending sort, so they count as least there.
    if (!a.isValid() || !b.isValid())
        return a.isValid() != b.isValid() && !a.isValid() == (sortOrder() == Qt::DescendingOrder);
    if (a.typeId() == QMetaType::LongLong && b.typeId() == QMetaType::LongLong)
        return a.toLongLong() < b.toLongLong();
    return QString::localeAwareCompare(a.toString(), b.toString()) < 0;
}

} // namespace zonedesk
