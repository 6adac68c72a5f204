// SPDX-License-Identifier: MIT
#include "dialogs/history_dialog.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QSplitter>
#include <QVBoxLayout>

#include "core/calendar_date.h"
#include "core/encodings.h"
#include "core/error_reason.h"
#include "core/lookup_status.h"
#include "core/result_fields.h"
#include "core/whois_servers.h"
#include "history/record_changes.h"
#include "ui/calendar_text.h"
#include "ui/core_text.h"

namespace zonedesk {

namespace {

QString resultText(std::int32_t status)
{
    return coreTextFromGbk(core::statusText(status));
}

/// A reply as text: UTF-8 when it is, otherwise GBK (the registries' other encoding here).
QString replyText(const std::string& raw)
{
    if (raw.empty())
        return HistoryDialog::tr("（没有保存回复）");
    return QString::fromStdString(core::isUtf8(raw) ? raw : core::gbkToUtf8(raw));
}

/// A lookup's value as the list shows it: a date in its calendar form, nothing for a name found
/// not registered or a failed lookup.
QString valueText(const history::HistoryEntry& entry, const core::ResultField& field)
{
    const std::string& value = entry.values[field.field];
    if (entry.status != static_cast<std::int32_t>(core::LookupStatus::Success))
        return {};
    if (!field.isDate())
        return QString::fromStdString(value);
    return calendarText(
        QString::fromStdString(value), core::readDate(value, core::serverForHost(entry.server)), field.field);
}

} // namespace

HistoryDialog::HistoryDialog(std::vector<history::HistoryEntry> entries,
                             const std::string& domain,
                             QWidget* parent)
    : QDialog(parent)
    , m_entries(std::move(entries))
    , m_lookups(new QTableWidget(this))
    , m_reply(new QPlainTextEdit(this))
{
    setWindowTitle(tr("查询历史 - %1").arg(QString::fromStdString(domain)));
    using core::Field;
    constexpr Field Shown[] = {Field::ExpiryDate, Field::Registrar, Field::Owner};
    QStringList titles = {tr("查询时间"), tr("当前状态"), tr("查询方式")};
    for (const Field field : Shown)
        titles << coreText(core::resultField(field).title);
    titles << tr("变化");
    m_lookups->setColumnCount(static_cast<int>(titles.size()));
    m_lookups->setHorizontalHeaderLabels(titles);
    m_lookups->setRowCount(static_cast<int>(m_entries.size()));
    m_lookups->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_lookups->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_lookups->setSelectionMode(QAbstractItemView::SingleSelection);
    m_lookups->verticalHeader()->setVisible(false);
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        const history::HistoryEntry& entry = m_entries[i];
        QString changes;
        if (i + 1 < m_entries.size()) { // newest first: the one after is the lookup before
            for (const history::Change& change : history::changesBetween(m_entries[i + 1], entry))
                changes += (changes.isEmpty() ? QString() : tr("；")) + changeTextOnScreen(change);
        }
        // The reason in the words of the list's tool tip; a key this version doesn't know, as stored.
        const std::string_view reason = core::errorReasonTextZh(core::errorReasonOfKey(entry.error));
        const QString status = entry.error.empty()
                                   ? resultText(entry.status)
                                   : resultText(entry.status) +
                                         tr("（%1）").arg(reason.empty() ? QString::fromStdString(entry.error)
                                                                         : coreText(reason));
        QStringList cells = {
            QDateTime::fromSecsSinceEpoch(entry.time).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
            status,
            entry.source == "rdap" ? QStringLiteral("RDAP")
            : entry.source.empty() ? QString()
                                   : QStringLiteral("WHOIS"),
        };
        for (const Field field : Shown)
            cells << valueText(entry, core::resultField(field));
        cells << changes;
        for (int column = 0; column < cells.size(); ++column)
            m_lookups->setItem(static_cast<int>(i), column, new QTableWidgetItem(cells[column]));
    }
    m_lookups->resizeColumnsToContents();
    // The changes are what the dialog is opened for: never cut off, whatever the rest take.
    m_lookups->horizontalHeader()->setSectionResizeMode(m_lookups->columnCount() - 1,
                                                        QHeaderView::ResizeToContents);
    m_reply->setReadOnly(true);
    m_reply->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_reply->setFont(QFont(QStringLiteral("monospace")));

    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(m_lookups);
    splitter->addWidget(m_reply);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    if (m_entries.empty())
        layout->addWidget(new QLabel(tr("这个域名还没有查询记录。"), this));
    layout->addWidget(splitter);
    layout->addWidget(buttons);
    resize(900, 600);

    connect(m_lookups, &QTableWidget::currentCellChanged, this, [this](int row) { showReply(row); });
    if (!m_entries.empty())
        m_lookups->selectRow(0);
}

void HistoryDialog::showReply(int row)
{
    if (row < 0 || static_cast<std::size_t>(row) >= m_entries.size())
        return;
    m_reply->setPlainText(replyText(m_entries[static_cast<std::size_t>(row)].raw));
}

} // namespace zonedesk
