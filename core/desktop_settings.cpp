// SPDX-License-Identifier: MIT
#include "core/desktop_settings.h"

#include <algorithm>
#include <charconv>

#include "core/settings_file.h"

namespace zonedesk::core {

namespace {

/// A whole decimal number, sign allowed, within ±1,000,000 (no screen is larger).
bool readInt(std::string_view text, int& out)
{
    int value = 0;
    const auto* end = text.data() + text.size();
    const auto [next, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || next != end || text.empty() || value < -1'000'000 || value > 1'000'000)
        return false;
    out = value;
    return true;
}

bool storable(std::string_view folder)
{
    return !folder.empty() && folder.size() <= MaxFolderLength &&
           std::none_of(folder.begin(), folder.end(), [](char c) {
               return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
           });
}

constexpr std::string_view RowsNames[] = {"all", "selected", "shown"}; // by ExportRows

/// The export choice's flags and their keys.
constexpr std::pair<std::string_view, bool ExportChoice::*> ExportFlags[] = {
    {"exportHeader",     &ExportChoice::header    },
    {"exportAllColumns", &ExportChoice::allColumns},
    {"exportIsoDates",   &ExportChoice::isoDates  },
    {"exportDaysLeft",   &ExportChoice::daysLeft  },
    {"exportBom",        &ExportChoice::utf8Bom   },
};

/// Anything but the words written reads as the default.
ExportChoice readExportChoice(std::string_view text)
{
    const auto value = [&](std::string_view key) { return profileValue(text, DesktopSection, key); };
    ExportChoice choice;
    if (value("exportFormat") == "sheet")
        choice.original = false;
    for (const auto& [key, flag] : ExportFlags) {
        const std::string read = value(key);
        if (read == "0" || read == "1")
            choice.*flag = read == "1";
    }
    const std::string rows = value("exportRows");
    for (std::size_t i = 0; i < std::size(RowsNames); ++i) {
        if (rows == RowsNames[i])
            choice.rows = static_cast<ExportRows>(i);
    }
    return choice;
}

} // namespace

DesktopSettings desktopSettingsFromProfile(std::string_view text)
{
    const auto value = [&](std::string_view key, std::size_t maxLength = MaxSettingLength) {
        return profileValue(text, DesktopSection, key, maxLength);
    };
    DesktopSettings settings;
    WindowGeometry normal;
    if (readInt(value("x"), normal.x) && readInt(value("y"), normal.y) &&
        readInt(value("width"), normal.width) && readInt(value("height"), normal.height) && normal.valid())
        settings.normal = normal;
    settings.maximized = value("maximized") != "0";
    // One byte over the limit tells a cut value from a whole one.
    for (auto [key, folder] : {
             std::pair{"importFolder", &settings.importFolder},
             std::pair{"exportFolder", &settings.exportFolder}
    }) {
        std::string read = value(key, MaxFolderLength + 1);
        if (storable(read))
            *folder = std::move(read);
    }
    settings.exportChoice = readExportChoice(text);
    return settings;
}

std::string withDesktopSettings(std::string_view text, const DesktopSettings& settings)
{
    std::string out(text);
    const auto set = [&](std::string_view key, std::string_view value) {
        out = withProfileValue(out, DesktopSection, key, value);
    };
    if (settings.normal.valid()) {
        set("x", std::to_string(settings.normal.x));
        set("y", std::to_string(settings.normal.y));
        set("width", std::to_string(settings.normal.width));
        set("height", std::to_string(settings.normal.height));
    }
    set("maximized", settings.maximized ? "1" : "0");
    if (storable(settings.importFolder))
        set("importFolder", settings.importFolder);
    if (storable(settings.exportFolder))
        set("exportFolder", settings.exportFolder);
    const ExportChoice& choice = settings.exportChoice;
    set("exportFormat", choice.original ? "original" : "sheet");
    for (const auto& [key, flag] : ExportFlags)
        set(key, choice.*flag ? "1" : "0");
    set("exportRows", RowsNames[static_cast<std::size_t>(choice.rows)]);
    return out;
}

bool saveDesktopSettings(const std::filesystem::path& path, const DesktopSettings& settings)
{
    return replaceProfileFile(path, withDesktopSettings(readProfileFile(path), settings));
}

DesktopSettings loadDesktopSettings(const std::filesystem::path& path)
{
    return desktopSettingsFromProfile(readProfileFile(path));
}

} // namespace zonedesk::core
