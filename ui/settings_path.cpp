// SPDX-License-Identifier: MIT
#include "ui/settings_path.h"

namespace zonedesk {

namespace {

std::filesystem::path& chosenPath()
{
    static std::filesystem::path path;
    return path;
}

} // namespace

std::filesystem::path settingsFilePath()
{
    return chosenPath();
}

void setSettingsFilePath(const std::filesystem::path& path)
{
    chosenPath() = path;
}

} // namespace zonedesk
