// SPDX-License-Identifier: MIT
#include "core/config_location.h"

#include <cstdlib>
#include <system_error>

#include <unistd.h>

namespace zonedesk::core {

bool folderWritable(const std::filesystem::path& folder)
{
    return ::access(folder.c_str(), W_OK) == 0;
}

bool installedLayout(const std::filesystem::path& programDir)
{
    std::error_code failed;
    return !std::filesystem::is_directory(programDir / "data", failed) &&
           std::filesystem::is_directory(programDir / ".." / "share" / "zonedesk", failed);
}

std::filesystem::path configPathFor(const std::filesystem::path& programDir,
                                    bool besideProgram,
                                    const char* configHome,
                                    const char* home)
{
    if (besideProgram)
        return programDir / ConfigFileName;
    // XDG base directories must be absolute: a relative XDG_CONFIG_HOME is ignored.
    if (configHome != nullptr && *configHome == '/')
        return std::filesystem::path(configHome) / "zonedesk" / ConfigFileName;
    const std::filesystem::path base(home != nullptr && *home != '\0' ? home : "/tmp");
    return base / ".config" / "zonedesk" / ConfigFileName;
}

std::filesystem::path configPath(const std::filesystem::path& programDir)
{
    const bool beside = folderWritable(programDir) && !installedLayout(programDir);
    const char* configHome = std::getenv("XDG_CONFIG_HOME"); // NOLINT(concurrency-mt-unsafe): at start-up
    const char* home = std::getenv("HOME");                  // NOLINT(concurrency-mt-unsafe)
    std::filesystem::path path = configPathFor(programDir, beside, configHome, home);
    if (!beside) {
        std::error_code ignored;
        std::filesystem::create_directories(path.parent_path(), ignored);
    }
    return path;
}

} // namespace zonedesk::core
