// SPDX-License-Identifier: MIT
#include "view/domain_list_model.h"

#include <vector>

#include "core/encodings.h"
#include "core/error_reason.h"
#include "core/field_copy.h"
#include "core/lookup_status.h"
#include "lookup/lookup_run.h"

namespace zonedesk {

namespace {

struct ColumnHeader
{
    const char* title; // UTF-8
    int width;
};

constexpr ColumnHeader Columns[DomainListModel::ColumnCount] = {
    {"whois服务器",    150},
    {"域名",            120},
    {"当前状态",      150},
    {"过期日期",      150},
    {"注册日期",      150},
    {"所有人",         150},
    {"联系Email",       150},
    {"注册商",         150},
    {"whois更新日期", 150},
};

/// Record text (GBK) for the screen.
QString fromGbk(std::string_view gbk)
{
    const std::string utf8 = core::gbkToUtf8(gbk);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

} // namespace

DomainListModel::DomainListModel(core::DomainTable& table, QObject* parent)
    : QAbstractTableModel(parent)
    , m_table(table)
{}

int DomainListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int DomainListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

int DomainListModel::columnWidth(int column)
{
    return Columns[column].width;
}

QVariant DomainListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= ColumnCount)
        return {};
    return QString::fromUtf8(Columns[section].title);
}

QVariant DomainListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows)
        return {};
    const core::DomainRecord& record = m_table[static_cast<std::size_t>(index.row())];
    if (role == Qt::ToolTipRole)
        return toolTip(record, index.column());
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case ServerColumn: return fromGbk(core::fieldText(record.server));
    case DomainColumn: return fromGbk(core::fieldText(record.domain));
    default: break;
    }
    // Results only once written into the row; `shown` is set after `done` was seen (acquire).
    if (record.shown == 0)
        return QString();
    switch (index.column()) {
    case StatusColumn: return fromGbk(core::statusText(record.status));
    case ExpiryColumn: return fromGbk(core::fieldText(record.expiryDate));
    case RegistrationColumn: return fromGbk(core::fieldText(record.registrationDate));
    case OwnerColumn: return fromGbk(core::fieldText(record.owner));
    case EmailColumn: return fromGbk(core::fieldText(record.email));
    case RegistrarColumn: return fromGbk(core::fieldText(record.registrar));
    case UpdatedColumn: return fromGbk(core::fieldText(record.updatedDate));
    default: return {};
    }
}

QVariant DomainListModel::toolTip(const core::DomainRecord& record, int column)
{
    // "ERR!" alone says nothing: its tool tip says why; every answer says where it came from.
    if (column != StatusColumn || record.shown == 0 ||
        record.status == static_cast<std::int32_t>(core::LookupStatus::NoServer))
        return {};
    QString tip = core::resultSource(record) == core::ResultSource::Rdap ? QStringLiteral("查询方式：RDAP")
                                                                         : QStringLiteral("查询方式：WHOIS");
    const std::string_view reason = core::errorReasonTextZh(core::errorReasonOf(record));
    if (record.status == static_cast<std::int32_t>(core::LookupStatus::Error) && !reason.empty())
        tip.prepend(QString::fromUtf8(reason.data(), static_cast<qsizetype>(reason.size())) +
                    QLatin1Char('\n'));
    return tip;
}

void DomainListModel::fillRows()
{
    // A reset is right here: every row is replaced by the new table.
    beginResetModel();
    m_rows = m_table.count();
    endResetModel();
}

int DomainListModel::refreshFinishedRows()
{
    // Records past the rows (none unless the table changed without fillRows) still count as done.
    const lookup::FinishedRecords finished = lookup::collectFinished(m_table, m_rows);
    const std::vector<int>& changed = finished.newlyFinished;
    if (changed.size() * 2 > static_cast<std::size_t>(m_rows)) {
        Q_EMIT dataChanged(
            index(changed.front(), 0), index(changed.back(), ColumnCount - 1), {Qt::DisplayRole});
    } else {
        for (const int row : changed)
            Q_EMIT dataChanged(index(row, StatusColumn), index(row, ColumnCount - 1), {Qt::DisplayRole});
    }
    return finished.done;
}

} // namespace zonedesk
