// SPDX-License-Identifier: MIT
#include "dialogs/export_dialog.h"

#include <QButtonGroup>
#include <QLabel>
#include <QVBoxLayout>

#include "ui/dialog_font.h"

namespace zonedesk {

namespace {

QCheckBox* addBox(QVBoxLayout* layout, const QString& text, const char* name, bool checked)
{
    auto* box = new QCheckBox(text);
    box->setObjectName(QLatin1String(name));
    box->setChecked(checked);
    layout->addWidget(box);
    return box;
}

QRadioButton* addRadio(QLayout* layout, QButtonGroup* group, const QString& text, const char* name)
{
    auto* button = new QRadioButton(text);
    button->setObjectName(QLatin1String(name));
    group->addButton(button);
    layout->addWidget(button);
    return button;
}

} // namespace

ExportDialog::ExportDialog(const core::ExportChoice& last, bool hasSelection, bool hasShown, QWidget* parent)
    : QDialog(parent)
    , m_hasSelection(hasSelection)
    , m_hasShown(hasShown)
{
    setFont(dialogFont());
    setWindowTitle(tr("导出数据"));
    auto* layout = new QVBoxLayout(this);

    auto* formats = new QButtonGroup(this);
    m_original = addRadio(layout, formats, tr("原格式（默认）"), "original");
    m_sheet = addRadio(layout, formats, tr("自定义格式："), "sheet");
    (last.original ? m_original : m_sheet)->setChecked(true);

    m_options = new QGroupBox(this);
    auto* options = new QVBoxLayout(m_options);
    m_header = addBox(options, tr("包含标题行"), "header", last.header);
    m_allColumns = addBox(options, tr("全部九列"), "allColumns", last.allColumns);
    m_isoDates = addBox(options, tr("日期用 ISO 格式 (YYYY-MM-DD)"), "isoDates", last.isoDates);
    m_daysLeft = addBox(options, tr("剩余天数"), "daysLeft", last.daysLeft);
    m_utf8Bom = addBox(options, tr("UTF-8 带 BOM"), "utf8Bom", last.utf8Bom);
    auto* rowsLayout = new QHBoxLayout;
    rowsLayout->addWidget(new QLabel(tr("行："), m_options));
    auto* rows = new QButtonGroup(this);
    m_allRows = addRadio(rowsLayout, rows, tr("全部行"), "allRows");
    m_selectedRows = addRadio(rowsLayout, rows, tr("仅所选行"), "selectedRows");
    m_shownRows = addRadio(rowsLayout, rows, tr("仅筛选显示的行"), "shownRows");
    options->addLayout(rowsLayout);
    layout->addWidget(m_options);
    // A remembered subset that is empty now falls back to every row.
    QRadioButton* lastRows = last.rows == core::ExportRows::Selected && hasSelection ? m_selectedRows
                             : last.rows == core::ExportRows::Shown && hasShown      ? m_shownRows
                                                                                     : m_allRows;
    lastRows->setChecked(true);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_sheet, &QRadioButton::toggled, this, &ExportDialog::updateEnabled);
    updateEnabled();
}

void ExportDialog::updateEnabled()
{
    m_options->setEnabled(m_sheet->isChecked());
    m_selectedRows->setEnabled(m_hasSelection);
    m_shownRows->setEnabled(m_hasShown);
}

core::ExportChoice ExportDialog::choice() const
{
    core::ExportChoice choice;
    choice.original = m_original->isChecked();
    choice.header = m_header->isChecked();
    choice.allColumns = m_allColumns->isChecked();
    choice.isoDates = m_isoDates->isChecked();
    choice.daysLeft = m_daysLeft->isChecked();
    choice.utf8Bom = m_utf8Bom->isChecked();
    choice.rows = m_selectedRows->isChecked() ? core::ExportRows::Selected
                  : m_shownRows->isChecked()  ? core::ExportRows::Shown
                                              : core::ExportRows::All;
    return choice;
}

} // namespace zonedesk
