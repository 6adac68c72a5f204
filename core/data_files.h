// SPDX-License-Identifier: MIT
// Where the shipped reference data and the user's cached copies live, and bounded reads and atomic
// writes of such files.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zonedesk::core {

/// The variable that names the data folder outright.
inline constexpr const char* DataDirVariable = "ZONEDESK_DATA_DIR";

/// The folder of the running program, from /proc/self/exe; empty when it can't be read.
std::filesystem::path executableDir();

/// The data folder: `variable` when it is set and not empty, else `exeDir`/data when that is a
/// folder (the build folder and a portable copy), else `exeDir`/../share/zonedesk when that is a
/// folder (an installed program), else the first `<dir>`/zonedesk of `xdgDataDirs` that holds
/// rdap-dns.json (a program moved away from its data; the user's data folder holds the history
/// too, so a bare folder does not count). Without any, `exeDir`/../share/zonedesk: reading from
/// it then says what is missing.
std::filesystem::path dataDirFor(const char* variable,
                                 const std::filesystem::path& exeDir,
                                 const std::vector<std::filesystem::path>& xdgDataDirs = {});

/// The XDG data folders in their order: $XDG_DATA_HOME (default ~/.local/share), then each of
/// $XDG_DATA_DIRS (default /usr/local/share:/usr/share); relative entries are left out.
std::vector<std::filesystem::path> xdgDataDirs();

/// dataDirFor with $ZONEDESK_DATA_DIR, the running program's folder and the XDG data folders.
std::filesystem::path dataDir();

/// The folder of the user's cached copies: $XDG_CACHE_HOME/zonedesk when XDG_CACHE_HOME is an
/// absolute path, else ~/.cache/zonedesk. Not created here.
std::filesystem::path cacheDir();

/// The whole file, when it is a regular file of at most `cap` bytes; nullopt with a one-line
/// reason otherwise. `missing` (when given) tells a file that is not there from one that is bad.
std::optional<std::string> readBoundedFile(const std::filesystem::path& path,
                                           std::size_t cap,
                                           std::string& error,
                                           bool* missing = nullptr);

/// Writes `bytes` to a new file beside `path`, flushes it and renames it over `path`, making the
/// folder when needed: readers see the old file or the new one, never a part. The new file has
/// `permissions` from its start (made for the owner alone, then widened). False with a reason.
bool writeFileAtomically(const std::filesystem::path& path,
                         std::string_view bytes,
                         std::string& error,
                         std::filesystem::perms permissions = std::filesystem::perms::owner_read |
                                                              std::filesystem::perms::owner_write |
                                                              std::filesystem::perms::group_read |
                                                              std::filesystem::perms::others_read);

} // namespace zonedesk::core
