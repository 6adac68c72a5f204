// SPDX-License-Identifier: MIT
// A watch's settings in a file (watch.ini), so that a timer runs one short command:
//   [watch]
//   list=/home/me/domains.txt
//   warn-days=30
//   notify=desktop mailto:me@example.com
//   smtp=smtps://mail.example.com:465
//   smtp-user=me@example.com
//   smtp-password-file=/home/me/.config/zonedesk/smtp-password
//   smtp-from=me@example.com
//   webhook-format=json
//   always=0
//   tell=security at-risk near-expiry (the kinds told; none: all)
//   notify-timeout=30
//   attach-calendar=1 (the mail carries the names' renewal calendar, renewals.ics)
// and how the names are looked up, the lookup options of the same names:
//   prefer-rdap=1
//   ten-registries=0
//   jobs=32
//   encoding=utf-8
//   connect-timeout=3
//   timeout=60
//   endpoint=whois.example.com=127.0.0.1:4343 (several separated by blanks; rdap-endpoint too)
//   quiet=1
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace zonedesk::watch {

struct WatchConfig
{
    std::string list; // the list file (absolute when written by an install)
    std::optional<std::int32_t> warnDays;
    std::vector<std::string> targets; // as given to --notify
    std::string smtp;
    std::string smtpUser;
    std::string smtpPasswordFile;
    std::string smtpFrom;
    std::string webhookFormat; // json, slack or ntfy; empty: json
    bool always = false;
    std::vector<std::string> tell; // watch::tellKeys; empty: all
    bool attachCalendar = false;
    std::string db;                      // the history database; empty: the default one
    std::optional<double> notifyTimeout; // seconds

    bool preferRdap = false;
    bool tenRegistries = false;
    bool quiet = false;
    std::optional<std::int32_t> jobs;
    std::string encoding;                   // gbk or utf-8; empty: told from the bytes
    std::optional<double> connectTimeout;   // seconds
    std::optional<double> timeout;          // seconds, a whole exchange
    std::vector<std::string> endpoints;     // HOST=ADDR[:PORT]
    std::vector<std::string> rdapEndpoints; // SUFFIX=URL
    std::string schedule;                   // "daily" or "weekly", as installed: what a crontab watch runs on

    bool operator==(const WatchConfig&) const = default;
};

/// The settings in `path`; none, with `why` in a sentence, when the file can't be read, has no
/// [watch] section, or holds a value of the wrong kind or out of its range (warn-days or jobs not
/// a whole number, a time not a number of seconds, a switch not 0/1).
std::optional<WatchConfig> readWatchConfig(const std::filesystem::path& path, std::string& why);

/// Writes `config` to `path` (made beside it, then renamed; its folder made when missing).
bool writeWatchConfig(const std::filesystem::path& path, const WatchConfig& config, std::string& why);

} // namespace zonedesk::watch
