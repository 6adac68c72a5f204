// SPDX-License-Identifier: MIT
#include "watch/watch_config.h"

#include <charconv>
#include <string_view>

#include "core/settings_file.h"
#include "core/text.h"
#include "watch/password_file.h"

namespace zonedesk::watch {

namespace {

constexpr std::string_view Section = "watch";

/// Paths and URLs are kept whole up to this length; a longer value is refused, never cut.
constexpr std::size_t MaxValueLength = 4096;

/// The day count the desktop program's own setting allows: a registration runs ten years at most.
constexpr std::int32_t MaxWarnDays = 3650;

struct TextKey
{
    std::string_view key;
    std::string WatchConfig::*field;
};

// Every key whose value is kept as written; warn-days, notify and always are read apart.
constexpr TextKey TextKeys[] = {
    {"list", &WatchConfig::list},
    {"smtp", &WatchConfig::smtp},
    {"smtp-user", &WatchConfig::smtpUser},
    {"smtp-password-file", &WatchConfig::smtpPasswordFile},
    {"smtp-from", &WatchConfig::smtpFrom},
    {"webhook-format", &WatchConfig::webhookFormat},
    {"db", &WatchConfig::db},
};

bool hasSection(std::string_view text)
{
    for (const std::string_view line : core::splitLines(text)) {
        const std::string_view trimmed = core::trim(line);
        if (trimmed.starts_with('[') && trimmed.ends_with(']') &&
            core::asciiLower(core::trim(trimmed.substr(1, trimmed.size() - 2))) == Section)
            return true;
    }
    return false;
}

/// The value as the reader gives it back: the reader drops surrounding blanks and one pair of
/// enclosing quotes, so a value that has either at its ends is written inside a pair of quotes.
std::string quotedForReading(std::string_view value)
{
    const auto special = [](char c) {
        return core::WhiteSpace.find(c) != std::string_view::npos || c == '"' || c == '\'';
    };
    if (!value.empty() && (special(value.front()) || special(value.back())))
        return "\"" + std::string(value) + "\"";
    return std::string(value);
}

/// Why `value` can't be written so that it reads back the same; empty when it can.
std::string unwritable(std::string_view key, std::string_view value)
{
    if (value.size() > MaxValueLength)
        return "the value of " + std::string(key) + " is longer than " + std::to_string(MaxValueLength) +
               " bytes";
    if (value.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos)
        return "the value of " + std::string(key) + " holds a line break or a NUL byte";
    return {};
}

std::vector<std::string> splitTargets(std::string_view text)
{
    std::vector<std::string> targets;
    while (!(text = core::trim(text)).empty()) {
        const std::size_t end = text.find_first_of(core::WhiteSpace);
        targets.emplace_back(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end);
    }
    return targets;
}

} // namespace

std::optional<WatchConfig> readWatchConfig(const std::filesystem::path& path, std::string& why)
{
    if (!core::fileExists(path)) {
        why = "the watch settings file " + path.string() + " can't be read";
        return std::nullopt;
    }
    const std::string text = core::readWholeFile(path);
    if (!hasSection(text)) {
        why = "the watch settings file " + path.string() + " has no [watch] section";
        return std::nullopt;
    }
    // One byte past the longest value tells a value that was cut from one that fits.
    const auto value = [&text](std::string_view key) {
        return core::profileValue(text, Section, key, MaxValueLength + 1);
    };

    WatchConfig config;
    for (const TextKey& entry : TextKeys) {
        std::string read = value(entry.key);
        if (read.size() > MaxValueLength) {
            why = unwritable(entry.key, read);
            return std::nullopt;
        }
        config.*entry.field = std::move(read);
    }

    const std::string days = value("warn-days");
    if (!days.empty()) {
        std::int32_t number = -1;
        const auto [end, error] = std::from_chars(days.data(), days.data() + days.size(), number);
        if (error != std::errc() || end != days.data() + days.size() || number < 0 || number > MaxWarnDays) {
            why = "warn-days must be a whole number of days from 0 to " + std::to_string(MaxWarnDays) +
                  ", not \"" + days + "\"";
            return std::nullopt;
        }
        config.warnDays = number;
    }

    const std::string always = value("always");
    if (!always.empty() && always != "0" && always != "1") {
        why = "always must be 0 or 1, not \"" + always + "\"";
        return std::nullopt;
    }
    config.always = always == "1";

    if (!config.webhookFormat.empty() && config.webhookFormat != "json" && config.webhookFormat != "slack" &&
        config.webhookFormat != "ntfy") {
        why = "webhook-format must be json, slack or ntfy, not \"" + config.webhookFormat + "\"";
        return std::nullopt;
    }

    const std::string notify = value("notify");
    if (notify.size() > MaxValueLength) {
        why = unwritable("notify", notify);
        return std::nullopt;
    }
    config.targets = splitTargets(notify);
    return config;
}

bool writeWatchConfig(const std::filesystem::path& path, const WatchConfig& config, std::string& why)
{
    std::string text;
    const auto put = [&text, &why](std::string_view key, std::string_view value) {
        if (value.empty())
            return true;
        why = unwritable(key, value);
        if (!why.empty())
            return false;
        text = core::withProfileValue(text, Section, key, quotedForReading(value));
        return true;
    };

    std::string notify;
    for (const std::string& target : config.targets) {
        if (target.empty() || target.find_first_of(core::WhiteSpace) != std::string::npos) {
            why = "a notify target must be one word without blanks, not \"" + target + "\"";
            return false;
        }
        notify += (notify.empty() ? "" : " ") + target;
    }

    if (config.warnDays && (*config.warnDays < 0 || *config.warnDays > MaxWarnDays)) {
        why = "warn-days must be a whole number of days from 0 to " + std::to_string(MaxWarnDays);
        return false;
    }

    text = "[watch]\r\n";
    if (!put("list", config.list) ||
        !put("warn-days", config.warnDays ? std::to_string(*config.warnDays) : std::string()) ||
        !put("notify", notify))
        return false;
    for (const TextKey& entry : TextKeys) {
        if (entry.key != "list" && !put(entry.key, config.*entry.field))
            return false;
    }
    if (!put("always", config.always ? "1" : ""))
        return false;

    // Webhook URLs carry their tokens: the file is its owner's alone.
    if (!writePrivateFile(path, text, why)) {
        why = "can't write the watch settings file: " + why;
        return false;
    }
    return true;
}

} // namespace zonedesk::watch
