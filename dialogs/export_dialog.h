// SPDX-License-Identifier: MIT
// The export's choices: the program's own CSV, or a layout for spreadsheets and which rows it holds.
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QRadioButton>

#include "core/desktop_settings.h"

namespace zonedesk {

class ExportDialog final : public QDialog
{
    Q_OBJECT

public:
    /// Opens on `last`; "only the selected rows" is offered only with a selection, "only the rows
    /// shown" only while the filter shows one.
    ExportDialog(const core::ExportChoice& last, bool hasSelection, bool hasShown, QWidget* parent = nullptr);

    core::ExportChoice choice() const;

private:
    /// The layout's options apply only while the spreadsheet layout is chosen.
    void updateEnabled();

    bool m_hasSelection;
    bool m_hasShown;
    QRadioButton* m_original = nullptr;
    QRadioButton* m_sheet = nullptr;
    QGroupBox* m_options = nullptr;
    QCheckBox* m_header = nullptr;
    QCheckBox* m_allColumns = nullptr;
    QCheckBox* m_isoDates = nullptr;
    QCheckBox* m_daysLeft = nullptr;
    QCheckBox* m_utf8Bom = nullptr;
    QRadioButton* m_allRows = nullptr;
    QRadioButton* m_selectedRows = nullptr;
    QRadioButton* m_shownRows = nullptr;
};

} // namespace zonedesk
