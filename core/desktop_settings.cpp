// SPDX-License-Identifier: MIT
#include "core/desktop_settings.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <functional>
#include <optional>

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

bool printable(std::string_view text)
{
    return std::none_of(
        text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
}

bool storable(std::string_view folder)
{
    return !folder.empty() && folder.size() <= MaxFolderLength && printable(folder);
}

bool storableFilter(std::string_view filter)
{
    return filter.size() <= MaxFilterLength && printable(filter);
}

bool isColumn(int column)
{
    return column >= 0 && column < ListColumnCount;
}

/// "a,b,c" as numbers; nullopt when any item is not a number. Empty text is an empty list.
std::optional<std::vector<int>> readList(std::string_view text)
{
    std::vector<int> list;
    while (!text.empty()) {
        const std::size_t comma = text.find(',');
        int value = 0;
        if (!readInt(text.substr(0, comma), value))
            return std::nullopt;
        list.push_back(value);
        if (comma == std::string_view::npos)
            break;
        text.remove_prefix(comma + 1);
        if (text.empty())
            return std::nullopt; // a trailing comma
    }
    return list;
}

std::string listText(const std::vector<int>& list)
{
    std::string text;
    for (const int value : list)
        text += (text.empty() ? "" : ",") + std::to_string(value);
    return text;
}

bool wholeWidths(const std::vector<int>& widths)
{
    return widths.size() == static_cast<std::size_t>(ListColumnCount) &&
           std::all_of(widths.begin(), widths.end(), [](int w) { return w >= 0 && w <= MaxColumnWidth; });
}

/// Every column once.
bool wholeOrder(const std::vector<int>& order)
{
    std::vector<int> sorted = order;
    std::sort(sorted.begin(), sorted.end());
    for (std::size_t i = 0; i < sorted.size(); ++i) {
        if (sorted[i] != static_cast<int>(i))
            return false;
    }
    return sorted.size() == static_cast<std::size_t>(ListColumnCount);
}

/// Columns each at most once, and not all of them.
bool validHidden(const std::vector<int>& hidden)
{
    std::vector<int> sorted = hidden;
    std::sort(sorted.begin(), sorted.end());
    return std::all_of(sorted.begin(), sorted.end(), isColumn) &&
           std::adjacent_find(sorted.begin(), sorted.end()) == sorted.end() &&
           sorted.size() < static_cast<std::size_t>(ListColumnCount);
}

/// The geometry under the four keys (x, y, width, height); not valid when any is missing or malformed.
WindowGeometry readGeometry(const std::function<std::string(std::string_view)>& value,
                            const std::array<std::string_view, 4>& keys)
{
    WindowGeometry geometry;
    if (readInt(value(keys[0]), geometry.x) && readInt(value(keys[1]), geometry.y) &&
        readInt(value(keys[2]), geometry.width) && readInt(value(keys[3]), geometry.height) &&
        geometry.valid())
        return geometry;
    return {};
}

constexpr std::string_view RowsNames[] = {"all", "selected", "shown"}; // by ExportRows

/// The export choice's flags and their keys.
constexpr std::pair<std::string_view, bool ExportChoice::*> ExportFlags[] = {
    {"exportHeader", &ExportChoice::header},
    {"exportAllColumns", &ExportChoice::allColumns},
    {"exportIsoDates", &ExportChoice::isoDates},
    {"exportDaysLeft", &ExportChoice::daysLeft},
    {"exportBom", &ExportChoice::utf8Bom},
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
    const std::function<std::string(std::string_view)> valueOf = [&](std::string_view key) {
        return value(key);
    };
    settings.normal = readGeometry(valueOf, {"x", "y", "width", "height"});
    settings.maximized = value("maximized") != "0";
    // One byte over the limit tells a cut value from a whole one.
    for (auto [key, folder] : {std::pair{"importFolder", &settings.importFolder},
                               std::pair{"exportFolder", &settings.exportFolder}}) {
        std::string read = value(key, MaxFolderLength + 1);
        if (storable(read))
            *folder = std::move(read);
    }
    settings.exportChoice = readExportChoice(text);

    // Eleven numbers of four digits fit with room to spare; a longer list is cut, and so malformed.
    constexpr std::size_t ListLength = 200;
    // Lists written before the status and name server columns have nine: those follow, hidden.
    const auto earlier = [](const std::optional<std::vector<int>>& list) {
        return list && list->size() == static_cast<std::size_t>(EarlierListColumnCount);
    };
    if (auto widths = readList(value("columnWidths", ListLength))) {
        if (earlier(widths))
            widths->resize(static_cast<std::size_t>(ListColumnCount), 0);
        if (wholeWidths(*widths))
            settings.columnWidths = std::move(*widths);
    }
    if (const std::string language = value("columnsLanguage"); language == "zh" || language == "en")
        settings.columnsLanguage = language;
    auto order = readList(value("columnOrder", ListLength));
    const bool earlierOrder = earlier(order);
    for (int column = EarlierListColumnCount; earlierOrder && column < ListColumnCount; ++column)
        order->push_back(column);
    if (order && wholeOrder(*order))
        settings.columnOrder = std::move(*order);
    if (auto hidden = readList(value("hiddenColumns", ListLength)); hidden && validHidden(*hidden))
        settings.hiddenColumns = std::move(*hidden);
    if (earlierOrder && !settings.columnOrder.empty()) {
        for (int column = EarlierListColumnCount; column < ListColumnCount; ++column)
            settings.hiddenColumns.push_back(column);
    }
    if (int column = -1; readInt(value("sortColumn"), column) && isColumn(column)) {
        settings.sortColumn = column;
        settings.sortDescending = value("sortOrder") == "descending";
    }
    if (std::string filter = value("filter", MaxFilterLength + 1); storableFilter(filter))
        settings.filter = std::move(filter);

    settings.panelSide = value("panelSide") == "right" ? PanelSide::Right : PanelSide::Left;
    if (int width = 0; readInt(value("panelWidth"), width) && width > 0)
        settings.panelWidth = width;
    settings.panelFloating = value("panelFloating") == "1";
    settings.panelFloat =
        readGeometry(valueOf, {"panelFloatX", "panelFloatY", "panelFloatWidth", "panelFloatHeight"});
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

    if (wholeWidths(settings.columnWidths))
        set("columnWidths", listText(settings.columnWidths));
    if (settings.columnsLanguage == "zh" || settings.columnsLanguage == "en")
        set("columnsLanguage", settings.columnsLanguage);
    if (wholeOrder(settings.columnOrder))
        set("columnOrder", listText(settings.columnOrder));
    if (validHidden(settings.hiddenColumns))
        set("hiddenColumns", listText(settings.hiddenColumns));
    set("sortColumn", std::to_string(isColumn(settings.sortColumn) ? settings.sortColumn : -1));
    set("sortOrder", settings.sortDescending ? "descending" : "ascending");
    // Quoted, so that blanks at either end are read back; one that could not be is not kept
    // either, rather than an earlier run's.
    set("filter", "\"" + (storableFilter(settings.filter) ? settings.filter : std::string()) + "\"");

    set("panelSide", settings.panelSide == PanelSide::Right ? "right" : "left");
    if (settings.panelWidth > 0)
        set("panelWidth", std::to_string(settings.panelWidth));
    set("panelFloating", settings.panelFloating ? "1" : "0");
    if (settings.panelFloat.valid()) {
        set("panelFloatX", std::to_string(settings.panelFloat.x));
        set("panelFloatY", std::to_string(settings.panelFloat.y));
        set("panelFloatWidth", std::to_string(settings.panelFloat.width));
        set("panelFloatHeight", std::to_string(settings.panelFloat.height));
    }
    return out;
}

bool saveDesktopSettings(const std::filesystem::path& path, const DesktopSettings& settings)
{
    return replaceFileAtomically(path, withDesktopSettings(readWholeFile(path), settings));
}

DesktopSettings loadDesktopSettings(const std::filesystem::path& path)
{
    return desktopSettingsFromProfile(readWholeFile(path));
}

} // namespace zonedesk::core
