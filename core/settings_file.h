// SPDX-License-Identifier: MIT
// config.ini: a private-profile file ("[section]" and "key=value" lines, CR LF) beside the executable
// or in the user's configuration folder (core/config_location.h).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "core/user_settings.h"

namespace zonedesk::core {

/// The exact bytes of a new config.ini.
inline constexpr std::string_view DefaultConfigBytes = "[user]\r\nchkgq=1\r\ngqts=30\r\n";

/// The longest value a read returns; longer values are cut.
inline constexpr std::size_t MaxSettingLength = 99;

/// True when the file exists and can be opened for reading.
bool fileExists(const std::filesystem::path& path);

/// Creates config.ini with the default bytes when it is absent. False (and nothing else happens)
/// when it can't be created, e.g. in a read-only folder.
bool ensureConfigFile(const std::filesystem::path& path);

/// The value of `key` in `section` of the profile text (names compared without regard to ASCII
/// case, surrounding blanks and one pair of enclosing quotes removed, cut to `maxLength` bytes).
/// Empty when the section or key is missing.
std::string profileValue(std::string_view text,
                         std::string_view section,
                         std::string_view key,
                         std::size_t maxLength = MaxSettingLength);

/// The profile text with `key` of `section` set to `value`: every other section, key and comment is
/// kept, a missing key or section is added, and every line ends in CR LF.
std::string withProfileValue(std::string_view text,
                             std::string_view section,
                             std::string_view key,
                             std::string_view value);

/// The whole file at `path`; empty when it can't be read.
std::string readWholeFile(const std::filesystem::path& path);

/// Replaces the file at `path` with `text` (written beside it, then renamed). False on failure.
bool replaceFileAtomically(const std::filesystem::path& path, std::string_view text);

/// "chkgq": off only for exactly "0".
std::int32_t redDisplayFromText(std::string_view text);

/// "gqts": the C library's decimal conversion of the leading part (blanks, sign, digits), 0 when
/// there are no digits; clamped to the 32-bit range.
std::int32_t expiryWarnDaysFromText(std::string_view text);

/// "language": the part before "_" or "-", without regard to letter case: "zh" or "en", else
/// System.
core::LanguageChoice languageFromText(std::string_view text);

/// The two settings from config.ini at `path` (missing keys read as empty text).
core::UserSettings loadSettings(const std::filesystem::path& path);

/// Writes both keys back; false when the file can't be written (not reported to the user).
bool saveSettings(const std::filesystem::path& path, const core::UserSettings& settings);

} // namespace zonedesk::core
