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

void DomainFilterModel::setRowTest(std::function<bool(int)> test)
{
    m_rowTest = std::move(test);
    invalidateRowsFilter();
}

bool DomainFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const
{
    if (m_rowTest && !m_rowTest(sourceRow))
        return false;
    if (m_text.isEmpty())
        return true;
    using core::Field;
    for (const int column : {int{DomainListModel::DomainColumn},
                             core::resultField(Field::Owner).listColumn,
                             core::resultField(Field::Registrar).listColumn,
                             core::resultField(Field::Email).listColumn,
                             core::resultField(Field::Statuses).listColumn,
                             core::resultField(Field::NameServers).listColumn}) {
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
    // Rows with nothing to sort by stay at the bottom whichever way the list is sorted, and a text
    // that holds no readable date just above them: the proxy reverses the comparison for a
    // descending sort, so there the order of these tiers is turned round first.
    const auto tier = [](const QVariant& key) {
        if (!key.isValid())
            return 2;
        return key.typeId() == QMetaType::LongLong && key.toLongLong() == DomainListModel::UnreadableDate ? 1
                                                                                                          : 0;
    };
    if (const int ta = tier(a), tb = tier(b); ta != 0 || tb != 0)
        return ta != tb && (ta < tb) != (sortOrder() == Qt::DescendingOrder);
    if (a.typeId() == QMetaType::LongLong && b.typeId() == QMetaType::LongLong)
        return a.toLongLong() < b.toLongLong();
    return QString::localeAwareCompare(a.toString(), b.toString()) < 0;
}

} // namespace zonedesk
