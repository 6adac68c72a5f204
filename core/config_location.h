// SPDX-License-Identifier: MIT
// Where the desktop program keeps config.ini: beside itself when it may, else in the user's
// configuration folder.
#pragma once

#include <filesystem>

namespace zonedesk::core {

/// The file's name, wherever it lives.
inline constexpr const char* ConfigFileName = "config.ini";

/// True when this process may create files in `folder` (access(2) with W_OK: for root, any folder
/// on a writable file system).
bool folderWritable(const std::filesystem::path& folder);

/// True when `programDir` is the bin folder of an installed copy: no data/ folder beside the
/// program, and the shipped data in ../share/zonedesk. Root can write to /usr/bin, but the settings
/// of an installed program belong to the user, not to the package's folder.
bool installedLayout(const std::filesystem::path& programDir);

/// config.ini beside the program when `besideProgram`, else `configHome`/zonedesk/config.ini when
/// `configHome` is an absolute path (XDG_CONFIG_HOME), else `home`/.config/zonedesk/config.ini
/// (/tmp when `home` is unset or empty, as the cache folder does).
std::filesystem::path configPathFor(const std::filesystem::path& programDir,
                                    bool besideProgram,
                                    const char* configHome,
                                    const char* home);

/// configPathFor with the program's folder writable and not an installed layout, and
/// $XDG_CONFIG_HOME and $HOME. The folder of a path in the user's configuration folder is made
/// here; when that fails the path is still given and the settings read as absent, as in a
/// read-only program folder. Call from the UI thread at start-up (reads the environment).
std::filesystem::path configPath(const std::filesystem::path& programDir);

} // namespace zonedesk::core
