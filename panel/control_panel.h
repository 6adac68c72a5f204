// SPDX-License-Identifier: MIT
// The side panel's dialog: the two settings, Import, Start and Export, and the web pane.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QWidget>

#include "core/desktop_settings.h"
#include "listfile/domain_import.h"
#include "panel/web_pane.h"
#include "ui/app_state.h"

namespace zonedesk {

class ControlPanel final : public QWidget
{
    Q_OBJECT

public:
    /// The template's size in dialog units.
    static constexpr int TemplateWidth = 225;
    static constexpr int TemplateHeight = 361;

    /// The near-expiry day count's range: a registration runs ten years at most.
    static constexpr int MinWarnDays = 0;
    static constexpr int MaxWarnDays = 3650;

    /// Why Import and Start can't be used during a run.
    static QString runningTip();

    explicit ControlPanel(AppState& state, QWidget* parent = nullptr);

    /// Shows the settings and creates the web pane.
    void initialize();

    /// What the Start, Import and Export buttons (and their links on the start page) do.
    void startLookups();
    void importList();
    void exportList();

    /// Import's work on a chosen file: the list it holds replaces the table's, what it left out
    /// and a file that can't be read are said in a message box. Nothing during a run.
    void importFile(const QString& path);

    /// File choosers; tests replace them (an empty path means "cancelled").
    std::function<QString()> chooseImportFile;
    std::function<QString()> chooseExportFile;

    /// The list's rows as the user sees them: table indices in the table's order.
    struct ListRows
    {
        std::vector<std::size_t> selected;
        std::vector<std::size_t> shown; // by the filter
    };

    /// Set by the window that holds the list; without it nothing is selected and every row shows.
    std::function<ListRows()> listRows;

    /// The export's choices, asked before the file; tests replace it (nullopt means "cancelled").
    std::function<std::optional<core::ExportChoice>(const core::ExportChoice& last, const ListRows& rows)>
        chooseExportChoice;

    QCheckBox* redDisplayBox() const { return m_redDisplay; }

    QSpinBox* daysBox() const { return m_days; }

    QPushButton* importButton() const { return m_import; }

    QPushButton* startButton() const { return m_start; }

    QPushButton* exportButton() const { return m_export; }

    WebPane* webPane() const { return m_webPane; }

    /// The list file imported last, as an absolute path; empty before any import.
    QString lastImportedFile() const { return m_lastImportedFile; }

    /// Start and Import enabled again (the run is over); Start only for a list with names.
    void enableStart();

    /// Start as the window's Start action stands (one action, one state); no change during a run.
    void allowStart(bool allowed);

protected:
    /// The web pane fills the panel's width, and its height down to the bottom.
    void resizeEvent(QResizeEvent* event) override;

Q_SIGNALS:
    /// Start was clicked: the settings are read.
    void lookupsRequested();

    /// A list was imported into the table.
    void listImported();

    void aboutRequested();

    /// The red display box was ticked or unticked.
    void redDisplayChanged(bool on);

    /// A new near-expiry day count is in effect (already in the settings).
    void warnDaysChanged(int days);

private:
    void toggleRedDisplay();
    void fitWebPane();
    void followAppLink(const QString& rest);
    /// The check box's state (the day count is in the settings as soon as it changes).
    void readSettings();
    /// Records whose lookup is over (their `done` seen).
    std::int32_t finishedCount() const;
    QRect fromDialogUnits(int x, int y, int width, int height) const;
    QString askImportFile();
    QString askExportFile();
    std::optional<core::ExportChoice> askExportChoice(const ListRows& rows);
    /// What an import left out and why reading stopped early; empty when nothing was.
    static QStringList importReasons(const listfile::ImportReport& report);

    AppState& m_state;
    int m_baseX = 0; // the dialog font's average character width, pixels
    int m_baseY = 0; // its height
    QGroupBox* m_group = nullptr;
    QCheckBox* m_redDisplay = nullptr;
    QSpinBox* m_days = nullptr;
    QLabel* m_daysLabel = nullptr;
    QPushButton* m_import = nullptr;
    QPushButton* m_start = nullptr;
    QPushButton* m_export = nullptr;
    QLabel* m_placeholder = nullptr;
    WebPane* m_webPane = nullptr;
    bool m_runInProgress = false; // from Start until the run's end enables it again
    QString m_lastImportedFile;
};

} // namespace zonedesk
