// SPDX-License-Identifier: MIT
// The file that keeps the mail server's password for a watch: its first line, readable by its
// owner alone. The dialog writes it; the watch reads it.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace zonedesk::watch {

/// The password: the file's first line without its line end. None, with `why`, when the file
/// can't be read; `othersCanRead` tells whether its group or others have any permission on it.
std::optional<std::string>
readPasswordFile(const std::filesystem::path& path, bool& othersCanRead, std::string& why);

/// Writes `bytes` to `path` (its folder made when missing), never readable by others, even for a
/// moment: the file is made with the owner's permissions alone and replaced whole. For the files
/// that hold secrets: the password, and the watch's settings (webhook URLs carry their tokens).
bool writePrivateFile(const std::filesystem::path& path, std::string_view bytes, std::string& why);

/// writePrivateFile for the password.
bool writePasswordFile(const std::filesystem::path& path, const std::string& password, std::string& why);

} // namespace zonedesk::watch
