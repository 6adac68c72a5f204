// SPDX-License-Identifier: MIT
// Where the running desktop program keeps config.ini: chosen once at start-up, shown by the
// About box.
#pragma once

#include <filesystem>

namespace zonedesk {

/// The config.ini start-up chose; empty before.
std::filesystem::path settingsFilePath();

/// Start-up's choice (UI thread).
void setSettingsFilePath(const std::filesystem::path& path);

} // namespace zonedesk
