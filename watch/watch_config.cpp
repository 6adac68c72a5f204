// SPDX-License-Identifier: MIT
#include "watch/watch_config.h"

#include <array>
#include <charconv>
#include <string_view>
#include <variant>

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

// The kinds of value a key holds, each with the field it fills.
struct Text
{
    std::string WatchConfig::*field; // kept as written
};

struct Switch
{
    bool WatchConfig::*field; // 0 or 1
};

struct Words
{
    std::vector<std::string> WatchConfig::*field; // separated by blanks: notify targets and routes
};

struct Count
{
    std::optional<std::int32_t> WatchConfig::*field;
    std::int32_t least;
    std::int32_t most;
    std::string_view unit;
};

struct Seconds
{
    std::optional<double> WatchConfig::*field; // the ranges the command line allows
    double least;
    double most;
};

struct Key
{
    std::string_view name;
    std::variant<Text, Switch, Words, Count, Seconds> kind;
};

// Every key, in the order the file is written.
const Key Keys[] = {
    {"list", Text{&WatchConfig::list}},
    {"warn-days", Count{&WatchConfig::warnDays, 0, MaxWarnDays, "days"}},
    {"jobs", Count{&WatchConfig::jobs, 1, core::UserSettings::MaxJobs, "servers"}},
    {"notify", Words{&WatchConfig::targets}},
    {"tell", Words{&WatchConfig::tell}},
    {"endpoint", Words{&WatchConfig::endpoints}},
    {"rdap-endpoint", Words{&WatchConfig::rdapEndpoints}},
    {"notify-timeout", Seconds{&WatchConfig::notifyTimeout, 0.1, 600}},
    {"connect-timeout", Seconds{&WatchConfig::connectTimeout, 0.1, 600}},
    {"timeout", Seconds{&WatchConfig::timeout, 1, 3600}},
    {"smtp", Text{&WatchConfig::smtp}},
    {"smtp-user", Text{&WatchConfig::smtpUser}},
    {"smtp-password-file", Text{&WatchConfig::smtpPasswordFile}},
    {"smtp-from", Text{&WatchConfig::smtpFrom}},
    {"webhook-format", Text{&WatchConfig::webhookFormat}},
    {"db", Text{&WatchConfig::db}},
    {"encoding", Text{&WatchConfig::encoding}},
    {"schedule", Text{&WatchConfig::schedule}},
    {"always", Switch{&WatchConfig::always}},
    {"attach-calendar", Switch{&WatchConfig::attachCalendar}},
    {"prefer-rdap", Switch{&WatchConfig::preferRdap}},
    {"ten-registries", Switch{&WatchConfig::tenRegistries}},
    {"quiet", Switch{&WatchConfig::quiet}},
};

template <typename... Kinds> struct Overloaded : Kinds...
{
    using Kinds::operator()...;
};

template <typename... Kinds> Overloaded(Kinds...) -> Overloaded<Kinds...>;

std::string countRange(std::string_view key, const Count& entry)
{
    return std::string(key) + " must be a whole number of " + std::string(entry.unit) + " from " +
           std::to_string(entry.least) + " to " + std::to_string(entry.most);
}

std::string secondsRange(std::string_view key, const Seconds& entry)
{
    const auto shown = [](double value) {
        std::string text = std::to_string(value);
        text.erase(text.find_last_not_of('0') + 1);
        if (text.ends_with('.'))
            text.pop_back();
        return text;
    };
    return std::string(key) + " must be a number of seconds from " + shown(entry.least) + " to " +
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

/// Sets the field of `key` from `read`, its value in the file; false with `why` when it is not
/// a value of the key's kind.
bool readKey(const Key& key, const std::string& read, WatchConfig& config, std::string& why)
{
    if (read.size() > MaxValueLength) {
        why = unwritable(key.name, read);
        return false;
    }
    return std::visit(Overloaded{
                          [&](const Text& kind) {
                              config.*kind.field = read;
                              return true;
                          },
                          [&](const Words& kind) {
                              config.*kind.field = splitTargets(read);
                              return true;
                          },
                          [&](const Switch& kind) {
                              if (!read.empty() && read != "0" && read != "1") {
                                  why = std::string(key.name) + " must be 0 or 1, not \"" + read + "\"";
                                  return false;
                              }
                              config.*kind.field = read == "1";
                              return true;
                          },
                          [&](const Count& kind) {
                              std::int32_t number = 0;
                              if (read.empty())
                                  return true;
                              if (!readNumber(read, number) || number < kind.least || number > kind.most) {
                                  why = countRange(key.name, kind) + ", not \"" + read + "\"";
                                  return false;
                              }
                              config.*kind.field = number;
                              return true;
                          },
                          [&](const Seconds& kind) {
                              double number = 0;
                              if (read.empty())
                                  return true;
                              if (!readNumber(read, number) ||
                                  !(number >= kind.least && number <= kind.most)) {
                                  why = secondsRange(key.name, kind) + ", not \"" + read + "\"";
                                  return false;
                              }
                              config.*kind.field = number;
                              return true;
                          },
                      },
                      key.kind);
}

/// The field of `key` as the file holds it, empty when unset; none with `why` when it is out of
/// the key's range or can't be written as one value.
std::optional<std::string> keyText(const Key& key, const WatchConfig& config, std::string& why)
{
    return std::visit(
        Overloaded{
            [&](const Text& kind) -> std::optional<std::string> { return config.*kind.field; },
            [&](const Switch& kind) -> std::optional<std::string> { return config.*kind.field ? "1" : ""; },
            [&](const Words& kind) -> std::optional<std::string> {
                std::string words;
                for (const std::string& word : config.*kind.field) {
                    if (word.empty() || word.find_first_of(core::WhiteSpace) != std::string::npos) {
                        why = "a value of " + std::string(key.name) +
                              " must be one word without blanks, not \"" + word + "\"";
                        return std::nullopt;
                    }
                    words += (words.empty() ? "" : " ") + word;
                }
                return words;
            },
            [&](const Count& kind) -> std::optional<std::string> {
                const std::optional<std::int32_t> number = config.*kind.field;
                if (number && (*number < kind.least || *number > kind.most)) {
                    why = countRange(key.name, kind);
                    return std::nullopt;
                }
                return number ? std::to_string(*number) : std::string();
            },
            [&](const Seconds& kind) -> std::optional<std::string> {
                const std::optional<double> number = config.*kind.field;
                if (number && !(*number >= kind.least && *number <= kind.most)) {
                    why = secondsRange(key.name, kind);
                    return std::nullopt;
                }
                return number ? numberText(*number) : std::string();
            },
        },
        key.kind);
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
    for (const Key& key : Keys) {
        if (!readKey(key, value(key.name), config, why))
            return std::nullopt;
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
    for (const Key& key : Keys) {
        const std::optional<std::string> written = keyText(key, config, why);
        if (!written || !put(key.name, *written))
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
