// SPDX-License-Identifier: MIT
#include "view/domain_list_model.h"

#include <limits>
#include <vector>

#include <QColor>
#include <QFont>

#include "core/calendar_date.h"
#include "core/confusable_names.h"
#include "core/encodings.h"
#include "core/error_reason.h"
#include "core/field_copy.h"
#include "core/lookup_status.h"
#include "core/result_fields.h"
#include "core/service_choice.h"
#include "core/status_words.h"
#include "core/whois_query_name.h"
#include "core/withheld_value.h"
#include "lookup/run_with_history.h"
#include "ui/calendar_text.h"
#include "ui/core_text.h"
#include "ui/ui_language.h"

namespace zonedesk {

namespace {

/// Pixel widths of the list's columns; the domain's is narrower.
constexpr int ColumnWidth = 150;
constexpr int DomainColumnWidth = 120;

/// The date field shown in `column`; none for the other columns.
const core::ResultField* dateAt(int column)
{
    const core::ResultField* field = core::fieldAtListColumn(column);
    return field != nullptr && field->isDate() ? field : nullptr;
}

/// A name found not registered, or whose lookup failed, has no results to show: whatever its
/// fields hold (an old layout's "N/A" among them) is left out of the list, not out of the record.
bool showsNoResults(const core::DomainRecord& record)
{
    return record.status == static_cast<std::int32_t>(core::LookupStatus::NotRegistered) ||
           record.status == static_cast<std::int32_t>(core::LookupStatus::Error);
}

/// Record text (GBK) for the screen.
QString fromGbk(std::string_view gbk)
{
    const std::string utf8 = core::gbkToUtf8(gbk);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

/// Words of the screen's language.
QString inLanguage(const core::StatusWords& words)
{
    return QString::fromUtf8(uiLanguage() == UiLanguage::English ? words.en : words.zh);
}

/// The status codes in a few words, the most pressing first, then the registry's own words.
QString statusesCellText(const core::DomainRecord& record)
{
    QStringList words;
    for (const core::StatusWords& group : core::statusSummary(record.statusCodes))
        words << inLanguage(group);
    for (const std::string& own : core::recordStatuses(record).own)
        words << fromGbk(own);
    return words.join(uiLanguage() == UiLanguage::English ? QStringLiteral(", ") : QStringLiteral("、"));
}

/// Every code with what it means, the registry's own words, and whether the name is signed.
QString statusesToolTip(const core::DomainRecord& record)
{
    QStringList lines;
    const core::DomainStatuses statuses = core::recordStatuses(record);
    for (const core::EppStatusRow& row : core::EppStatuses) {
        if ((statuses.codes & core::statusBit(row.code)) != 0)
            lines << QStringLiteral("%1 — %2").arg(QString::fromUtf8(row.name),
                                                   inLanguage(core::statusMeaning(row.code)));
    }
    for (const std::string& own : statuses.own)
        lines << DomainListModel::tr("%1 — 注册局自己的说法").arg(fromGbk(own));
    const auto dnssec = static_cast<core::Dnssec>(record.dnssec);
    if (dnssec != core::Dnssec::NotStated)
        lines << (dnssec == core::Dnssec::Signed ? DomainListModel::tr("DNSSEC：已签名")
                                                 : DomainListModel::tr("DNSSEC：未签名"));
    return lines.join(QLatin1Char('\n'));
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
    return column == DomainColumn ? DomainColumnWidth : ColumnWidth;
}

QVariant DomainListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= ColumnCount)
        return {};
    const core::ResultField* field = core::fieldAtListColumn(section);
    const std::string_view title =
        field != nullptr ? field->title : core::LeadingColumnTitles[static_cast<std::size_t>(section)];
    return coreText(title);
}

QVariant DomainListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows)
        return {};
    const core::DomainRecord& record = m_table[static_cast<std::size_t>(index.row())];
    if (role == Qt::ToolTipRole) {
        const core::ResultField* field = core::fieldAtListColumn(index.column());
        if (record.shown == 0 || field == nullptr)
            return toolTip(index.row(), record, index.column());
        if (showsNoResults(record))
            return {};
        if (field->isDate())
            return dateToolTip(record, *field);
        if (field->kind == core::FieldKind::Statuses)
            return statusesToolTip(record);
        if (field->kind == core::FieldKind::NameServers)
            return fromGbk(field->record.text(record)).replace(QLatin1Char(' '), QLatin1Char('\n'));
        return {};
    }
    if (role == Qt::FontRole && record.shown != 0 && dropped(index.row())) {
        QFont bold;
        bold.setBold(true);
        return bold;
    }
    if (role == Qt::ForegroundRole)
        return foreground(record, index.column());
    if (role == SortRole)
        return sortKey(record, index);
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case ServerColumn: return fromGbk(core::fieldText(record.server));
    case DomainColumn: {
        // A name that may pass for another shows what is really asked beside it.
        const std::string_view domain = core::fieldText(record.domain);
        const auto aLabel = core::confusableALabel(domain);
        return aLabel ? QStringLiteral("%1 (%2)").arg(fromGbk(domain), QString::fromStdString(*aLabel))
                      : fromGbk(domain);
    }
    default: break;
    }
    // Results only once written into the row; `shown` is set after `done` was seen (acquire).
    if (record.shown == 0)
        return m_sayWaiting && index.column() == StatusColumn
                   ? coreTextFromGbk(core::recordStatusText(record))
                   : QString();
    if (index.column() == StatusColumn)
        return coreTextFromGbk(core::statusText(record.status));
    const core::ResultField* field = core::fieldAtListColumn(index.column());
    if (field == nullptr)
        return {};
    if (showsNoResults(record))
        return QString();
    if (field->kind == core::FieldKind::Statuses)
        return statusesCellText(record);
    return field->isDate() ? dateText(record, *field) : fromGbk(field->record.text(record));
}

QVariant DomainListModel::foreground(const core::DomainRecord& record, int column) const
{
    if (record.shown == 0)
        return {};
    // A name on hold, in redemption or pending delete needs the holder as much as one near expiry.
    if (isNear(record) || (m_redDisplay && !showsNoResults(record) && core::atRisk(record.statusCodes)))
        return QColor(Qt::red);
    // A value the registry withheld is no data: it is drawn dimmed, as the history counts it no change.
    const core::ResultField* field = core::fieldAtListColumn(column);
    if (field != nullptr && !field->isDate() && core::isWithheld(field->record.text(record)))
        return QColor(Qt::gray);
    return {};
}

void DomainListModel::setChanges(int row, const std::vector<history::Change>& changes)
{
    if (row < 0 || row >= m_rows)
        return;
    const auto at = static_cast<std::size_t>(row);
    if (m_changes.size() < static_cast<std::size_t>(m_rows))
        m_changes.resize(static_cast<std::size_t>(m_rows));
    if (m_changes[at] == changes)
        return;
    m_changes[at] = changes;
    Q_EMIT dataChanged(index(row, 0), index(row, ColumnCount - 1), {Qt::ToolTipRole, Qt::FontRole});
}

bool DomainListModel::dropped(int row) const
{
    const auto at = static_cast<std::size_t>(row);
    if (at >= m_changes.size())
        return false;
    for (const history::Change& change : m_changes[at]) {
        if (change.kind == history::ChangeKind::Dropped)
            return true;
    }
    return false;
}

QVariant DomainListModel::toolTip(int row, const core::DomainRecord& record, int column) const
{
    // "ERR!" alone says nothing: its tool tip says why; every answer says where it came from.
    if (column != StatusColumn || record.shown == 0)
        return {};
    if (record.status == static_cast<std::int32_t>(core::LookupStatus::NoServer)) {
        const std::string_view why = core::errorReasonTextZh(core::errorReasonOf(record));
        return why.empty() ? QVariant() : QVariant(coreText(why));
    }
    QString tip =
        core::resultSource(record) == core::ResultSource::Rdap ? tr("查询方式：RDAP") : tr("查询方式：WHOIS");
    // A name beyond the ten registries is asked as its registrable domain: say so where it differs.
    const std::string_view domain = core::fieldText(record.domain);
    if (const auto asked = core::askedName(domain, core::defaultServiceData());
        asked && asked->name != core::whoisQueryName(domain))
        tip += tr("\n查询名称：%1").arg(QString::fromStdString(asked->name));
    const std::string_view reason = core::errorReasonTextZh(core::errorReasonOf(record));
    if (record.status == static_cast<std::int32_t>(core::LookupStatus::Error) && !reason.empty())
        tip.prepend(coreText(reason) + QLatin1Char('\n'));
    const auto at = static_cast<std::size_t>(row);
    if (at < m_changes.size() && !m_changes[at].empty()) {
        tip += tr("\n变化：");
        for (const history::Change& change : m_changes[at])
            tip += QLatin1Char('\n') + changeTextOnScreen(change);
    }
    return tip;
}

QString DomainListModel::dateText(const core::DomainRecord& record, const core::ResultField& field)
{
    return calendarText(
        fromGbk(field.record.text(record)), core::recordDate(record, field.field), field.field);
}

QVariant DomainListModel::dateToolTip(const core::DomainRecord& record, const core::ResultField& field) const
{
    QString tip = fromGbk(field.record.text(record)); // the registry's own text
    if (field.field == core::Field::ExpiryDate) {
        if (const auto left = core::daysLeft(record, core::today())) {
            tip += QLatin1Char('\n') +
                   (*left >= 0 ? tr("还有 %1 天到期", nullptr, static_cast<int>(*left)).arg(*left)
                               : tr("已过期 %1 天", nullptr, static_cast<int>(-*left)).arg(-*left));
        }
    }
    return tip;
}

bool DomainListModel::isNear(const core::DomainRecord& record) const
{
    return m_redDisplay && core::nearExpiry(record, m_warnDays, core::today());
}

QVariant DomainListModel::sortKey(const core::DomainRecord& record, const QModelIndex& index) const
{
    // No key (an invalid value) for a blank cell: kept below the rest in either order.
    if ((record.shown == 0 && index.column() > DomainColumn) ||
        (showsNoResults(record) && core::fieldAtListColumn(index.column()) != nullptr))
        return {};
    if (const core::ResultField* field = dateAt(index.column())) {
        // A text that holds no readable date sorts after every date.
        const auto date = core::recordDate(record, field->field);
        return QVariant::fromValue(date ? qint64{date->dayNumber()} : UnreadableDate);
    }
    if (index.column() == StatusColumn) {
        // By meaning: registered, available, failed, without a server.
        constexpr qint64 Rank[] = {3, 0, 1, 2};
        const auto status = static_cast<std::size_t>(record.status);
        return QVariant::fromValue(status < std::size(Rank) ? Rank[status] : qint64{4});
    }
    const QString text = data(index, Qt::DisplayRole).toString();
    return text.isEmpty() ? QVariant() : QVariant(text);
}

void DomainListModel::setNearExpiry(bool redDisplay, int warnDays)
{
    if (redDisplay == m_redDisplay && warnDays == m_warnDays)
        return;
    m_redDisplay = redDisplay;
    m_warnDays = warnDays;
    if (m_rows > 0)
        Q_EMIT dataChanged(index(0, 0), index(m_rows - 1, ColumnCount - 1), {Qt::ForegroundRole});
}

int DomainListModel::nearExpiryCount() const
{
    int near = 0;
    for (int i = 0; i < m_rows; ++i) {
        const core::DomainRecord& record = m_table[static_cast<std::size_t>(i)];
        near += record.shown != 0 && isNear(record) ? 1 : 0;
    }
    return near;
}

void DomainListModel::fillRows(bool sayWaiting)
{
    // A reset is right here: every row is replaced by the new table.
    beginResetModel();
    m_sayWaiting = sayWaiting;
    m_rows = m_table.count();
    m_changes.clear();
    endResetModel();
}

void DomainListModel::setSayWaiting(bool sayWaiting)
{
    if (sayWaiting == m_sayWaiting)
        return;
    m_sayWaiting = sayWaiting;
    if (m_rows > 0)
        Q_EMIT dataChanged(index(0, StatusColumn), index(m_rows - 1, StatusColumn), {Qt::DisplayRole});
}

void DomainListModel::clearRows(const std::vector<std::size_t>& rows)
{
    for (const std::size_t row : rows) {
        if (row >= static_cast<std::size_t>(m_rows))
            continue;
        if (row < m_changes.size())
            m_changes[row].clear();
        const int at = static_cast<int>(row);
        Q_EMIT dataChanged(index(at, 0), index(at, ColumnCount - 1));
    }
}

DomainListModel::Tally DomainListModel::tally() const
{
    Tally tally;
    for (int i = 0; i < m_rows; ++i) {
        const core::DomainRecord& record = m_table[static_cast<std::size_t>(i)];
        if (record.shown == 0)
            continue;
        switch (static_cast<core::LookupStatus>(record.status)) {
        case core::LookupStatus::Success: ++tally.registered; break;
        case core::LookupStatus::NotRegistered: ++tally.notRegistered; break;
        case core::LookupStatus::Error: ++tally.errors; break;
        case core::LookupStatus::NoServer: break;
        }
        tally.nearExpiry += isNear(record) ? 1 : 0;
        const auto at = static_cast<std::size_t>(i);
        tally.changed += at < m_changes.size() && !m_changes[at].empty() ? 1 : 0;
        tally.dropped += dropped(i) ? 1 : 0;
    }
    return tally;
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
