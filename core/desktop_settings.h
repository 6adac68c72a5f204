// SPDX-License-Identifier: MIT
// The desktop program's own memory in config.ini, in a section of its own ("[desktop]") so that
// the two user settings stay exactly as they are: the main window's normal geometry and maximised
// state, the folder each file dialog last used and the export dialog's last choice.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace zonedesk::core {

inline constexpr std::string_view DesktopSection = "desktop";

/// Folder paths are kept up to this length; a longer one is not remembered.
inline constexpr std::size_t MaxFolderLength = 4096;

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

struct DesktopSettings
{
    WindowGeometry normal;
    bool maximized = true;
    std::string importFolder; // empty: none remembered
    std::string exportFolder;
    ExportChoice exportChoice;
};

/// Reads the section from profile text; anything missing or malformed reads as not remembered.
DesktopSettings desktopSettingsFromProfile(std::string_view text);

/// The profile text with the section written; every other section is kept. A folder that is
/// too long or holds a control character (it could not be read back) is left out.
std::string withDesktopSettings(std::string_view text, const DesktopSettings& settings);

/// Writes the section into config.ini at `path`, replacing the file whole. False on failure.
bool saveDesktopSettings(const std::filesystem::path& path, const DesktopSettings& settings);

/// Reads the section from config.ini at `path`.
DesktopSettings loadDesktopSettings(const std::filesystem::path& path);

} // namespace zonedesk::core
