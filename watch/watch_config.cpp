// SPDX-License-Identifier: MIT
#include "watch/watch_config.h"

#include <array>
#include <charconv>
#include <string_view>

#include "core/settings_file.h"
#include "core/text.h"
#include "core/user_settings.h"
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

// Every key whose value is kept as written.
constexpr TextKey TextKeys[] = {
    {"list", &WatchConfig::list},
    {"smtp", &WatchConfig::smtp},
    {"smtp-user", &WatchConfig::smtpUser},
    {"smtp-password-file", &WatchConfig::smtpPasswordFile},
    {"smtp-from", &WatchConfig::smtpFrom},
    {"webhook-format", &WatchConfig::webhookFormat},
    {"db", &WatchConfig::db},
    {"encoding", &WatchConfig::encoding},
};

struct SwitchKey
{
    std::string_view key;
    bool WatchConfig::*field;
};

constexpr SwitchKey SwitchKeys[] = {
    {"always", &WatchConfig::always},
    {"prefer-rdap", &WatchConfig::preferRdap},
    {"ten-registries", &WatchConfig::tenRegistries},
    {"quiet", &WatchConfig::quiet},
};

// Words separated by blanks: notify targets and routes.
struct ListKey
{
    std::string_view key;
    std::vector<std::string> WatchConfig::*field;
};

constexpr ListKey ListKeys[] = {
    {"notify", &WatchConfig::targets},
    {"endpoint", &WatchConfig::endpoints},
    {"rdap-endpoint", &WatchConfig::rdapEndpoints},
};

struct CountKey
{
    std::string_view key;
    std::optional<std::int32_t> WatchConfig::*field;
    std::int32_t least;
    std::int32_t most;
    std::string_view unit;
};

constexpr CountKey CountKeys[] = {
    {"warn-days", &WatchConfig::warnDays, 0, MaxWarnDays, "days"},
    {"jobs", &WatchConfig::jobs, 1, core::UserSettings::MaxJobs, "servers"},
};

// The ranges the command line allows for the same options.
struct SecondsKey
{
    std::string_view key;
    std::optional<double> WatchConfig::*field;
    double least;
    double most;
};

constexpr SecondsKey SecondsKeys[] = {
    {"notify-timeout", &WatchConfig::notifyTimeout, 0.1, 600},
    {"connect-timeout", &WatchConfig::connectTimeout, 0.1, 600},
    {"timeout", &WatchConfig::timeout, 1, 3600},
};

std::string countRange(const CountKey& entry)
{
    return std::string(entry.key) + " must be a whole number of " + std::string(entry.unit) + " from " +
           std::to_string(entry.least) + " to " + std::to_string(entry.most);
}

std::string secondsRange(const SecondsKey& entry)
{
    const auto shown = [](double value) {
        std::string text = std::to_string(value);
        text.erase(text.find_last_not_of('0') + 1);
        if (text.ends_with('.'))
            text.pop_back();
        return text;
    };
    return std::string(entry.key) + " must be a number of seconds from " + shown(entry.least) + " to " +
           shown(entry.most);
}

/// `text` as a number of the type of `number`, the whole of it; false when it is none.
template <typename Number> bool readNumber(std::string_view text, Number& number)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    return error == std::errc() && end == text.data() + text.size();
}

/// A number as written back: the shortest form that reads as the same value.
std::string numberText(double value)
{
    std::array<char, 32> buffer{};
    const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return error == std::errc() ? std::string(buffer.data(), end) : std::string();
}

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
    for (const ListKey& entry : ListKeys) {
        const std::string read = value(entry.key);
        if (read.size() > MaxValueLength) {
            why = unwritable(entry.key, read);
            return std::nullopt;
        }
        config.*entry.field = splitTargets(read);
    }
    for (const SwitchKey& entry : SwitchKeys) {
        const std::string read = value(entry.key);
        if (!read.empty() && read != "0" && read != "1") {
            why = std::string(entry.key) + " must be 0 or 1, not \"" + read + "\"";
            return std::nullopt;
        }
        config.*entry.field = read == "1";
    }
    for (const CountKey& entry : CountKeys) {
        const std::string read = value(entry.key);
        std::int32_t number = 0;
        if (read.empty())
            continue;
        if (!readNumber(read, number) || number < entry.least || number > entry.most) {
            why = countRange(entry) + ", not \"" + read + "\"";
            return std::nullopt;
        }
        config.*entry.field = number;
    }
    for (const SecondsKey& entry : SecondsKeys) {
        const std::string read = value(entry.key);
        double number = 0;
        if (read.empty())
            continue;
        if (!readNumber(read, number) || !(number >= entry.least && number <= entry.most)) {
            why = secondsRange(entry) + ", not \"" + read + "\"";
            return std::nullopt;
        }
        config.*entry.field = number;
    }

    if (!config.webhookFormat.empty() && config.webhookFormat != "json" && config.webhookFormat != "slack" &&
        config.webhookFormat != "ntfy") {
        why = "webhook-format must be json, slack or ntfy, not \"" + config.webhookFormat + "\"";
        return std::nullopt;
    }
    if (const std::string encoding = core::asciiLower(config.encoding);
        !encoding.empty() && encoding != "gbk" && encoding != "utf-8" && encoding != "utf8") {
        why = "encoding must be gbk or utf-8, not \"" + config.encoding + "\"";
        return std::nullopt;
    }
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

    text = "[watch]\r\n";
    if (!put("list", config.list))
        return false;
    for (const CountKey& entry : CountKeys) {
        const std::optional<std::int32_t> number = config.*entry.field;
        if (number && (*number < entry.least || *number > entry.most)) {
            why = countRange(entry);
            return false;
        }
        if (!put(entry.key, number ? std::to_string(*number) : std::string()))
            return false;
    }
    for (const ListKey& entry : ListKeys) {
        std::string words;
        for (const std::string& word : config.*entry.field) {
            if (word.empty() || word.find_first_of(core::WhiteSpace) != std::string::npos) {
                why = "a value of " + std::string(entry.key) + " must be one word without blanks, not \"" +
                      word + "\"";
                return false;
            }
            words += (words.empty() ? "" : " ") + word;
        }
        if (!put(entry.key, words))
            return false;
    }
    for (const SecondsKey& entry : SecondsKeys) {
        const std::optional<double> number = config.*entry.field;
        if (number && !(*number >= entry.least && *number <= entry.most)) {
            why = secondsRange(entry);
            return false;
        }
        if (!put(entry.key, number ? numberText(*number) : std::string()))
            return false;
    }
    for (const TextKey& entry : TextKeys) {
        if (entry.key != "list" && !put(entry.key, config.*entry.field))
            return false;
    }
    for (const SwitchKey& entry : SwitchKeys) {
        if (!put(entry.key, config.*entry.field ? "1" : ""))
            return false;
    }

    // Webhook URLs carry their tokens: the file is its owner's alone.
    if (!writePrivateFile(path, text, why)) {
        why = "can't write the watch settings file: " + why;
        return false;
    }
    return true;
}

} // namespace zonedesk::watch
