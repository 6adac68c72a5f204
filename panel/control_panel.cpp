// SPDX-License-Identifier: MIT
#include "panel/control_panel.h"

#include <algorithm>
#include <memory>
#include <numeric>

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>

#include "core/calendar_date.h"
#include "core/domain_table.h"
#include "core/service_choice.h"
#include "dialogs/export_dialog.h"
#include "listfile/csv_export.h"
#include "listfile/domain_import.h"
#include "ui/core_text.h"
#include "ui/dialog_font.h"
#include "ui/message_box.h"

namespace zonedesk {

namespace {

std::filesystem::path localPath(const QString& path)
{
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

/// Where a file dialog opens: the folder it last used while that folder still exists, else home.
QString startFolder(const std::string& remembered)
{
    const QString folder = QFile::decodeName(QByteArray::fromStdString(remembered));
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QDir::homePath();
}

void rememberFolder(std::string& remembered, const QString& chosenFile)
{
    if (!chosenFile.isEmpty())
        remembered = QFile::encodeName(QFileInfo(chosenFile).absolutePath()).toStdString();
}

/// Table indices 0..count-1.
std::vector<std::size_t> allRecords(std::int32_t count)
{
    std::vector<std::size_t> records(static_cast<std::size_t>(std::max(count, 0)));
    std::iota(records.begin(), records.end(), std::size_t{0});
    return records;
}

QString errorText(int error)
{
    return QString::fromLocal8Bit(std::error_code(error, std::generic_category()).message());
}

} // namespace

QString ControlPanel::runningTip()
{
    return tr("查询正在进行，请先停止查询（Esc）。");
}

ControlPanel::ControlPanel(AppState& state, QWidget* parent)
    : QWidget(parent)
    , m_state(state)
{
    setFont(dialogFont());
    // Dialog units: x in quarters of the font's average character width, y in eighths of its
    // height. The template was drawn for 宋体, whose Latin letters are exactly half an ideograph
    // wide; a fallback CJK font has wider, proportional Latin letters, so the x unit comes from its
    // ideograph to keep the template's widths. Its height is taken as it is, so no text is cut.
    const QFontMetrics metrics(font());
    m_baseX = metrics.horizontalAdvance(QChar(0x4E2D)) / 2; // half of 中
    m_baseY = metrics.height();

    // The template's order is the tab order; the group box only frames the settings.
    m_group = new QGroupBox(tr("运行参数"), this);
    m_group->setGeometry(fromDialogUnits(6, 7, 214, 72));
    m_redDisplay = new QCheckBox(tr("红色显示"), this);
    m_redDisplay->setGeometry(fromDialogUnits(29, 28, 44, 10));
    m_days = new QSpinBox(this);
    m_days->setRange(MinWarnDays, MaxWarnDays);
    m_days->setAlignment(Qt::AlignCenter);
    m_days->setGeometry(fromDialogUnits(76, 28, 24, 12));
    m_import = new QPushButton(tr("导入域名"), this);
    m_import->setGeometry(fromDialogUnits(33, 85, 59, 14));
    m_start = new QPushButton(tr("开始查询"), this);
    m_start->setGeometry(fromDialogUnits(98, 85, 59, 14));
    m_export = new QPushButton(tr("导出数据"), this);
    m_export->setGeometry(fromDialogUnits(161, 85, 59, 14));
    m_placeholder = new QLabel(QStringLiteral("Static"), this);
    m_placeholder->setGeometry(fromDialogUnits(6, 182, 214, 160));
    m_daysLabel = new QLabel(tr("天内到期的域名"), this);
    m_daysLabel->setAlignment(Qt::AlignRight | Qt::AlignTop);
    m_daysLabel->setGeometry(fromDialogUnits(104, 29, 57, 8));
    // The box holds its largest value whole in the panel's font ("365" was shown as "65"); the
    // label beside it moves over by what it grew.
    if (const int wider = m_days->sizeHint().width() - m_days->width(); wider > 0) {
        m_days->resize(m_days->sizeHint().width(), m_days->height());
        m_daysLabel->move(m_daysLabel->x() + wider, m_daysLabel->y());
    }
    for (QPushButton* button : {m_import, m_start, m_export})
        button->setAutoDefault(false);
    setTabOrder(m_redDisplay, m_days);
    setTabOrder(m_days, m_import);
    setTabOrder(m_import, m_start);
    setTabOrder(m_start, m_export);
    // The bar keeps the panel filling it at any size; what does not fit is cut off.
    resize(fromDialogUnits(0, 0, TemplateWidth, TemplateHeight).size());

    connect(m_start, &QPushButton::clicked, this, &ControlPanel::startLookups);
    connect(m_export, &QPushButton::clicked, this, &ControlPanel::exportList);
    connect(m_import, &QPushButton::clicked, this, &ControlPanel::importList);
    connect(m_redDisplay, &QCheckBox::clicked, this, &ControlPanel::toggleRedDisplay);
    connect(m_days, &QSpinBox::valueChanged, this, [this](int days) {
        m_state.settings.expiryWarnDays = days;
        Q_EMIT warnDaysChanged(days);
    });
}

QRect ControlPanel::fromDialogUnits(int x, int y, int width, int height) const
{
    return {x * m_baseX / 4, y * m_baseY / 8, width * m_baseX / 4, height * m_baseY / 8};
}

void ControlPanel::initialize()
{
    const QSignalBlocker quiet(m_days);
    m_days->setValue(m_state.settings.expiryWarnDays); // clamped to the box's range
    m_redDisplay->setChecked(m_state.settings.redDisplay != 0);
    toggleRedDisplay();
    m_webPane = new WebPane(this);
    m_webPane->onAppLink = [this](const QString& rest) { followAppLink(rest); };
    m_webPane->replacePlaceholder(m_placeholder);
    m_placeholder = nullptr;
    fitWebPane();
}

void ControlPanel::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    fitWebPane();
}

void ControlPanel::fitWebPane()
{
    if (m_webPane == nullptr)
        return;
    // The template's margin on the left, the same on the right and below; never shorter than the
    // template's pane (what does not fit is cut off, as the rest of the panel is).
    const int margin = m_webPane->x();
    m_webPane->resize(std::max(0, width() - 2 * margin),
                      std::max(WebPane::WebPaneHeight, height() - m_webPane->y() - margin));
}

void ControlPanel::toggleRedDisplay()
{
    m_state.settings.redDisplay = m_redDisplay->isChecked() ? 1 : 0;
    m_days->setEnabled(m_redDisplay->isChecked());
    Q_EMIT redDisplayChanged(m_redDisplay->isChecked());
}

void ControlPanel::readSettings()
{
    m_state.settings.expiryWarnDays = m_days->value();
    m_state.settings.redDisplay = m_redDisplay->isChecked() ? 1 : 0;
}

void ControlPanel::startLookups()
{
    // An empty list has nothing to ask: Start is off for it, and a link's start does nothing.
    if (m_state.table.count() == 0)
        return;
    readSettings();
    m_runInProgress = true;
    Q_EMIT lookupsRequested();
    m_start->setEnabled(false);
    // The table must not change under running workers.
    m_import->setEnabled(false);
    for (QPushButton* button : {m_start, m_import})
        button->setToolTip(runningTip());
}

void ControlPanel::enableStart()
{
    m_runInProgress = false;
    m_start->setEnabled(m_state.table.count() > 0);
    m_import->setEnabled(true);
    for (QPushButton* button : {m_start, m_import})
        button->setToolTip(QString());
}

void ControlPanel::allowStart(bool allowed)
{
    if (!m_runInProgress)
        m_start->setEnabled(allowed);
}

QString ControlPanel::askImportFile()
{
    if (chooseImportFile)
        return chooseImportFile();
    const QString path = QFileDialog::getOpenFileName(
        this, QString(), startFolder(m_state.desktop.importFolder), tr("文本文件 (*.txt);;所有文件 (*)"));
    rememberFolder(m_state.desktop.importFolder, path);
    return path;
}

QString ControlPanel::askExportFile()
{
    if (chooseExportFile)
        return chooseExportFile();
    QFileDialog dialog(this);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDirectory(startFolder(m_state.desktop.exportFolder));
    dialog.setNameFilters({tr("Excel文件 (*.csv)"), tr("所有文件 (*)")});
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    dialog.selectFile(QStringLiteral("export.csv"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    const QString path = dialog.selectedFiles().constFirst();
    rememberFolder(m_state.desktop.exportFolder, path);
    return path;
}

std::optional<core::ExportChoice> ControlPanel::askExportChoice(const ListRows& rows)
{
    if (chooseExportChoice)
        return chooseExportChoice(m_state.desktop.exportChoice, rows);
    ExportDialog dialog(m_state.desktop.exportChoice, !rows.selected.empty(), !rows.shown.empty(), this);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.choice();
}

void ControlPanel::importList()
{
    if (!m_import->isEnabled())
        return;
    const QString path = askImportFile();
    if (!path.isEmpty())
        importFile(path);
}

void ControlPanel::importFile(const QString& path)
{
    if (!m_import->isEnabled())
        return;
    // The file is read into a table of its own first: the list on screen gives way only to a
    // list that holds at least one name.
    const std::unique_ptr<core::DomainTable> staged = core::DomainTable::allocate();
    if (!staged) {
        tell(this, tr("内存不足，无法导入。"));
        return;
    }
    const listfile::ImportReport report = listfile::importDomains(*staged, localPath(path));
    if (report.outcome == listfile::ImportOutcome::InvalidFile) {
        // Which file, and why: a name missing from a command line is not found by guessing.
        tell(this,
             tr("文件无效！") + QLatin1Char('\n') +
                 tr("无法读取“%1”：%2").arg(path, errorText(report.error)));
        return;
    }
    if (report.outcome == listfile::ImportOutcome::NotAFile) {
        tell(this, tr("“%1”不是普通文件（管道或设备），无法导入。").arg(path));
        return;
    }
    if (report.count == 0) {
        QStringList why = importReasons(report);
        if (why.isEmpty())
            why << tr("文件中没有域名。");
        why.prepend(tr("“%1”中没有可导入的域名，列表保持不变。").arg(path));
        tell(this, why.join(QLatin1Char('\n')));
        return;
    }
    if (m_state.settings.everyRegistry)
        core::assignOtherServices(*staged, core::defaultServiceData());
    m_state.table.clear();
    m_state.table.setCount(staged->count());
    std::copy(staged->inUse().begin(), staged->inUse().end(), m_state.table.inUse().begin());
    m_lastImportedFile = QFileInfo(path).absoluteFilePath();
    Q_EMIT listImported();
    QStringList notes = importReasons(report);
    if (!notes.isEmpty()) {
        notes.prepend(tr("导入了 %1 个域名（%2 编码）。", nullptr, report.count)
                          .arg(report.count)
                          .arg(QString::fromUtf8(listfile::encodingName(report.encoding))));
        tell(this, notes.join(QLatin1Char('\n')));
    }
}

QStringList ControlPanel::importReasons(const listfile::ImportReport& report)
{
    using listfile::ListReader;
    QStringList notes;
    for (std::size_t i = 0; i < listfile::SkipReasonCount; ++i) {
        if (report.skipped[i] > 0)
            notes << tr("%1 行%2，未导入。", nullptr, report.skipped[i])
                         .arg(report.skipped[i])
                         .arg(coreText(listfile::skipReasonTextZh(static_cast<listfile::SkipReason>(i))));
    }
    if (report.fullAtLine > 0)
        notes << tr("已达 %1 个域名的上限：从第 %2 行起未读取。")
                     .arg(core::TableCapacity)
                     .arg(report.fullAtLine);
    if (report.stoppedAtLine > 0 && report.linesAfterStop > 0)
        notes << tr("第 %1 行是空行，列表到此结束；其后的 %2 行未导入。", nullptr, report.linesAfterStop)
                     .arg(report.stoppedAtLine)
                     .arg(report.linesAfterStop);
    switch (report.end) {
    case ListReader::End::Binary: notes << tr("文件含有空字节，不是文本列表，读取已停止。"); break;
    case ListReader::End::ReadLimit:
        notes << tr("已读取 %1 MB，读取已停止。").arg(ListReader::ReadLimit >> 20);
        break;
    case ListReader::End::ReadError:
        notes << tr("读取文件时出错（%1），只导入了前 %2 个域名。", nullptr, report.count)
                     .arg(errorText(report.error))
                     .arg(report.count);
        break;
    case ListReader::End::None:
    case ListReader::End::EndOfFile: break;
    }
    return notes;
}

void ControlPanel::exportList()
{
    if (!m_export->isEnabled())
        return;
    const std::int32_t total = m_state.table.count();
    if (total == 0) {
        tell(this, tr("列表中没有域名，没有可导出的数据。"));
        return;
    }
    if (m_runInProgress &&
        !ask(this,
             tr("查询正在进行：%1 个域名中已完成 %2 个，其余的导出时没有结果。\n仍要导出吗？", nullptr, total)
                 .arg(total)
                 .arg(finishedCount())))
        return;
    const ListRows rows = listRows ? listRows() : ListRows{{}, allRecords(total)};
    const std::optional<core::ExportChoice> choice = askExportChoice(rows);
    if (!choice)
        return;
    m_state.desktop.exportChoice = *choice;
    const QString path = askExportFile();
    if (path.isEmpty())
        return;
    m_export->setEnabled(false);
    const std::vector<std::size_t> records = choice->original || choice->rows == core::ExportRows::All
                                                 ? allRecords(total)
                                             : choice->rows == core::ExportRows::Selected ? rows.selected
                                                                                          : rows.shown;
    const auto exported = static_cast<std::int32_t>(records.size());
    // Counted before the file is written: a row a worker finishes meanwhile may be in it or not.
    const auto finished = static_cast<std::int32_t>(std::count_if(
        records.begin(), records.end(), [&](std::size_t i) { return core::isDone(m_state.table[i]); }));
    listfile::ExportReport report;
    if (choice->original) {
        report = listfile::exportCsv(m_state.table, localPath(path));
    } else {
        const listfile::CsvExportOptions options{.header = choice->header,
                                                 .allColumns = choice->allColumns,
                                                 .isoDates = choice->isoDates,
                                                 .daysLeft = choice->daysLeft,
                                                 .utf8Bom = choice->utf8Bom,
                                                 .today = core::today()};
        report = listfile::exportCsv(m_state.table, localPath(path), options, records);
    }
    if (!report.ok)
        tell(this, tr("无法写入文件“%1”：%2").arg(path, errorText(report.error)));
    else if (finished == exported)
        tell(this, tr("共导出了 %1 条有效记录！", nullptr, exported).arg(exported));
    else
        tell(this,
             tr("共导出了 %1 条记录，其中 %2 条已查询完成，%3 条未查询。", nullptr, exported)
                 .arg(exported)
                 .arg(finished)
                 .arg(exported - finished));
    m_export->setEnabled(true);
}

std::int32_t ControlPanel::finishedCount() const
{
    return m_state.table.doneCount();
}

void ControlPanel::followAppLink(const QString& rest)
{
    const QString command = rest.trimmed().toLower();
    // A link never does nothing: what a run forbids is said.
    if (m_runInProgress && (command == QLatin1String("import") || command == QLatin1String("start")))
        tell(this, runningTip());
    else if (command == QLatin1String("import"))
        importList();
    else if (command == QLatin1String("start") && m_start->isEnabled())
        startLookups();
    else if (command == QLatin1String("export"))
        exportList();
    else if (command == QLatin1String("about"))
        Q_EMIT aboutRequested();
}

} // namespace zonedesk
