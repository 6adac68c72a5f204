// SPDX-License-Identifier: MIT
// A small reader and writer of the private-profile format, enough for config.ini.
#include "core/settings_file.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/data_files.h"
#include "core/text.h"
#include "core/unique_file.h"

namespace zonedesk::core {

namespace {

constexpr std::string_view UserSection = "user";
constexpr std::string_view RedDisplayKey = "chkgq";
constexpr std::string_view ExpiryWarnDaysKey = "gqts";
constexpr std::string_view TransportKey = "transport";
constexpr std::string_view HistoryDbKey = "historyDb";
constexpr std::string_view RestoreLastKey = "restoreLast";
constexpr std::string_view EveryRegistryKey = "everyRegistry";
constexpr std::string_view JobsKey = "jobs";
constexpr std::string_view LanguageKey = "language";

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        const auto lower = [](char c) {
            return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        };
        return lower(x) == lower(y);
    });
}

/// The section name of a "[name]" line, or nullopt for any other line.
std::optional<std::string_view> sectionName(std::string_view line)
{
    line = core::trim(line);
    if (!line.starts_with('['))
        return std::nullopt;
    line.remove_prefix(1);
    return core::trim(line.substr(0, line.find(']')));
}

struct KeyLine
{
    std::string_view key;
    std::string_view value;
};

/// The key and value of a "key=value" line; comments (";") and lines without "=" are not keys.
std::optional<KeyLine> keyLine(std::string_view line)
{
    const std::string_view trimmed = core::trim(line);
    const std::size_t equals = trimmed.find('=');
    if (trimmed.starts_with(';') || equals == std::string_view::npos)
        return std::nullopt;
    return KeyLine{core::trim(trimmed.substr(0, equals)), core::trim(trimmed.substr(equals + 1))};
}

} // namespace

/// The file's bytes; empty when it can't be read (a missing config.ini reads as an empty one).
std::string readWholeFile(const std::filesystem::path& path)
{
    std::string text;
    const core::UniqueFile file(std::fopen(path.c_str(), "rbe"));
    if (!file)
        return text;
    char buffer[4096];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof(buffer), file.get())) > 0)
        text.append(buffer, n);
    return text;
}

/// writeFileAtomically into a folder that is there, keeping the permissions of the file it
/// replaces (the user's choice).
bool replaceFileAtomically(const std::filesystem::path& path, std::string_view bytes)
{
    std::error_code error;
    if (path.has_parent_path() && !std::filesystem::is_directory(path.parent_path(), error))
        return false;
    const std::filesystem::file_status old = std::filesystem::status(path, error);
    std::string unwritten;
    return std::filesystem::is_regular_file(old)
               ? writeFileAtomically(path, bytes, unwritten, old.permissions())
               : writeFileAtomically(path, bytes, unwritten);
}

bool fileExists(const std::filesystem::path& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;

    struct stat info
    {};

    const bool regular = ::fstat(fd, &info) == 0 && !S_ISDIR(info.st_mode);
    ::close(fd);
    return regular;
}

bool ensureConfigFile(const std::filesystem::path& path)
{
    if (fileExists(path))
        return true;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(DefaultConfigBytes.data(), static_cast<std::streamsize>(DefaultConfigBytes.size()));
    out.close();
    return !out.fail();
}

std::string
profileValue(std::string_view text, std::string_view section, std::string_view key, std::size_t maxLength)
{
    bool inSection = false;
    for (const std::string_view line : core::splitLines(text)) {
        if (const auto name = sectionName(line)) {
            inSection = equalsIgnoringCase(*name, section);
            continue;
        }
        const auto entry = keyLine(line);
        if (!inSection || !entry || !equalsIgnoringCase(entry->key, key))
            continue;
        std::string_view value = entry->value;
        if (value.size() >= 2 && ((value.front() == '"' && value.back() == '"') ||
                                  (value.front() == '\'' && value.back() == '\'')))
            value = value.substr(1, value.size() - 2);
        return std::string(value.substr(0, maxLength));
    }
    return {};
}

std::string withProfileValue(std::string_view text,
                             std::string_view section,
                             std::string_view key,
                             std::string_view value)
{
    std::vector<std::string> lines;
    for (const std::string_view line : core::splitLines(text))
        lines.emplace_back(line);
    const std::string newLine = std::string(key) + "=" + std::string(value);

    const auto isWanted = [&](const std::string& line) {
        const auto name = sectionName(line);
        return name && equalsIgnoringCase(*name, section);
    };
    const auto header = std::find_if(lines.begin(), lines.end(), isWanted);
    if (header == lines.end()) {
        lines.push_back("[" + std::string(section) + "]");
        lines.push_back(newLine);
    } else {
        auto end = std::find_if(std::next(header), lines.end(), [](const std::string& line) {
            return sectionName(line).has_value();
        });
        const auto existing = std::find_if(std::next(header), end, [&](const std::string& line) {
            const auto entry = keyLine(line);
            return entry && equalsIgnoringCase(entry->key, key);
        });
        if (existing != end) {
            *existing = newLine;
        } else {
            // A new key goes after the section's last non-blank line, before blank separator lines.
            while (end != std::next(header) && core::trim(*std::prev(end)).empty())
                --end;
            lines.insert(end, newLine);
        }
    }

    std::string out;
    for (const std::string& line : lines)
        out.append(line).append("\r\n");
    return out;
}

std::int32_t redDisplayFromText(std::string_view text)
{
    return text == "0" ? 0 : 1;
}

std::int32_t expiryWarnDaysFromText(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && core::WhiteSpace.find(text[i]) != std::string_view::npos)
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    std::int64_t magnitude = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        magnitude = std::min<std::int64_t>(magnitude * 10 + (text[i] - '0'), std::int64_t{INT32_MAX} + 1);
    const std::int64_t value = negative ? -magnitude : magnitude;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, INT32_MIN, INT32_MAX));
}

core::LanguageChoice languageFromText(std::string_view text)
{
    const std::string value = core::asciiLower(core::trim(text));
    const std::string_view language = std::string_view(value).substr(0, value.find_first_of("_-"));
    if (language == "zh")
        return LanguageChoice::Chinese;
    if (language == "en")
        return LanguageChoice::English;
    return LanguageChoice::System;
}

core::UserSettings loadSettings(const std::filesystem::path& path)
{
    const std::string text = readWholeFile(path);
    core::UserSettings settings;
    settings.redDisplay = redDisplayFromText(profileValue(text, UserSection, RedDisplayKey));
    settings.expiryWarnDays = expiryWarnDaysFromText(profileValue(text, UserSection, ExpiryWarnDaysKey));
    settings.preferRdap =
        core::asciiLower(core::trim(profileValue(text, UserSection, TransportKey))) == "rdap";
    settings.historyDb = profileValue(text, UserSection, HistoryDbKey, 4096);
    settings.restoreLast = core::trim(profileValue(text, UserSection, RestoreLastKey)) == "1";
    settings.everyRegistry = core::trim(profileValue(text, UserSection, EveryRegistryKey)) != "0";
    const std::string jobs(core::trim(profileValue(text, UserSection, JobsKey)));
    const std::int32_t count = expiryWarnDaysFromText(jobs); // the same decimal reading
    settings.jobs =
        jobs.empty() || count < 1 ? UserSettings::DefaultJobs : std::min(count, UserSettings::MaxJobs);
    settings.language = languageFromText(profileValue(text, UserSection, LanguageKey));
    return settings;
}

bool saveSettings(const std::filesystem::path& path, const core::UserSettings& settings)
{
    std::string text = readWholeFile(path);
    text = withProfileValue(text, UserSection, RedDisplayKey, settings.redDisplay != 0 ? "1" : "0");
    text = withProfileValue(text, UserSection, ExpiryWarnDaysKey, std::to_string(settings.expiryWarnDays));
    return replaceFileAtomically(path, text);
}

} // namespace zonedesk::core
