// SPDX-License-Identifier: MIT
// The desktop program's own memory in config.ini, in a section of its own ("[desktop]") so that
// the two user settings stay exactly as they are: the main window's normal geometry and maximised
// state, the folder each file dialog last used, the export dialog's last choice, the list's
// columns, sort and filter, and where the side panel was.
#pragma once

#include <cstdint>
#include <filesystem>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "core/result_fields.h"

namespace zonedesk::core {

inline constexpr std::string_view DesktopSection = "desktop";

/// Folder paths are kept up to this length; a longer one is not remembered.
inline constexpr std::size_t MaxFolderLength = 4096;

/// The list's columns: server, domain, status, then one per result field.
inline constexpr int ListColumnCount = static_cast<int>(std::size(LeadingColumnTitles)) + ListedFieldCount;

/// The list's columns before the status codes and name servers had theirs: settings written then
/// are read with those two hidden.
inline constexpr int EarlierListColumnCount = 9;

/// A column is never remembered wider than this, in pixels.
inline constexpr int MaxColumnWidth = 2000;

/// The filter's text is kept up to this length (bytes of UTF-8); a longer one is not remembered.
inline constexpr std::size_t MaxFilterLength = 200;

struct WindowGeometry
{
    int x = 0;
    int y = 0;
    int width = 0; // 0: none remembered
    int height = 0;

    bool valid() const { return width > 0 && height > 0; }

    bool operator==(const WindowGeometry&) const = default;
};

/// The rows a spreadsheet export writes: all, those selected, those the filter shows.
enum class ExportRows
{
    All,
    Selected,
    Shown,
};

/// What the export dialog was last told.
struct ExportChoice
{
    bool original = true; // the program's own CSV, whole; the rest applies to the spreadsheet layout
    bool header = true;
    bool allColumns = true;
    bool isoDates = true;
    bool daysLeft = true;
    bool utf8Bom = true;
    ExportRows rows = ExportRows::All;

    bool operator==(const ExportChoice&) const = default;
};

/// Where the side panel was docked.
enum class PanelSide : std::uint8_t
{
    Left,
    Right,
};

struct DesktopSettings
{
    WindowGeometry normal;
    bool maximized = true;
    std::string importFolder; // empty: none remembered
    std::string exportFolder;
    ExportChoice exportChoice;

    // The list, by the model's column numbers. Empty lists: none remembered.
    std::vector<int> columnWidths; // ListColumnCount pixel widths; 0: the column's own default
    std::string columnsLanguage;   // the screen's language the widths were set in: "zh", "en" or unknown
    std::vector<int> columnOrder;  // the columns from left to right, each once
    std::vector<int> hiddenColumns;
    int sortColumn = -1; // -1: the table's order
    bool sortDescending = false;
    std::string filter; // UTF-8

    PanelSide panelSide = PanelSide::Left;
    int panelWidth = 0; // docked; 0: none remembered
    bool panelFloating = false;
    WindowGeometry panelFloat; // the floating panel's frame
};

/// Reads the section from profile text; anything missing or malformed reads as not remembered.
DesktopSettings desktopSettingsFromProfile(std::string_view text);

/// The profile text with the section written; every other section is kept. A folder that is too
/// long or holds a control character (it could not be read back), and column lists that are not
/// whole, are left out; such a filter is written empty.
std::string withDesktopSettings(std::string_view text, const DesktopSettings& settings);

/// Writes the section into config.ini at `path`, replacing the file whole. False on failure.
bool saveDesktopSettings(const std::filesystem::path& path, const DesktopSettings& settings);

/// Reads the section from config.ini at `path`.
DesktopSettings loadDesktopSettings(const std::filesystem::path& path);

} // namespace zonedesk::core
