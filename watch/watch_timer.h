// SPDX-License-Identifier: MIT
// A watch that runs on its own: a systemd user service and timer
// ($XDG_CONFIG_HOME/systemd/user/zonedesk-watch-NAME.{service,timer}, Persistent=true), enabled
// with systemctl --user where there is a user manager, else a crontab line for the user to add.
// The watch's settings go to $XDG_CONFIG_HOME/zonedesk/watch-NAME.ini, which the service names.
#pragma once

#include <atomic>
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "watch/watch_config.h"

namespace zonedesk::watch {

enum class Schedule
{
    Daily,
    Weekly,
};

struct TimerPlan
{
    std::string name; // [A-Za-z0-9_-], at most 64 bytes
    Schedule schedule = Schedule::Daily;
    std::filesystem::path cli;    // the absolute path of zonedesk-cli
    std::filesystem::path config; // the watch's settings file
};

/// A timer name from a list file's name: its stem with each run of other bytes as one "-" and none
/// at the ends ("my list.txt" → "my-list"), cut to 64 bytes; "watch" when nothing is left.
std::string timerNameFor(const std::filesystem::path& list);

/// True for a name timerNameFor could give.
bool validTimerName(std::string_view name);

/// $XDG_CONFIG_HOME/systemd/user (~/.config/systemd/user).
std::filesystem::path userUnitFolder();

/// $XDG_CONFIG_HOME/zonedesk/watch-NAME.ini.
std::filesystem::path watchConfigPath(std::string_view name);

/// $XDG_CONFIG_HOME/zonedesk/smtp-password: the SMTP password the desktop program saves for its
/// watches, removed with the last watch that names it.
std::filesystem::path savedPasswordPath();

/// The unit files' text; paths quoted as systemd reads them ("%" and "$" escaped).
std::string serviceUnit(const TimerPlan& plan);
std::string timerUnit(const TimerPlan& plan);

/// The crontab line that runs the same command ("17 6 * * * …" or weekly on Mondays), paths
/// quoted for the shell cron runs.
std::string crontabLine(const TimerPlan& plan);

struct TimerOutcome
{
    bool ok = false;
    bool enabled = false;             // systemctl --user enabled and started the timer
    std::vector<std::string> written; // the files written (or removed)
    std::string crontab;              // when not enabled: the line to add to the crontab
    std::string message;              // what happened, in a sentence or two (English)
    bool crontabMayRemain = false;    // removed where no user manager answered: a crontab line stays
};

/// Set from another thread, it ends a wait for systemctl at once (its processes killed).
using Cancel = std::atomic<bool>;

/// Writes the settings file, the service and the timer, then enables the timer with
/// `systemctl --user` when a user manager answers; otherwise gives the crontab line.
TimerOutcome installTimer(const TimerPlan& plan, const WatchConfig& config, const Cancel* cancel = nullptr);

/// Disables the timer (where systemctl --user answers) and removes its three files, and the saved
/// SMTP password when no other watch names it. A watch of a settings file alone (one a crontab
/// runs) is removed too.
TimerOutcome removeTimer(std::string_view name, const Cancel* cancel = nullptr);

struct InstalledTimer
{
    std::string name;
    Schedule schedule = Schedule::Daily;
    std::string list; // from the settings file; empty when unreadable
    std::filesystem::path config;
    std::vector<std::string> targets; // the settings file's notify targets
    bool timer = true;                // false: a settings file alone, run by a crontab line
};

/// Every watch, by name: the zonedesk-watch-*.timer files in userUnitFolder() and the watch-*.ini
/// settings files without a timer (a watch a crontab line runs, its schedule the file's own).
std::vector<InstalledTimer> listTimers();

/// How long one systemctl call may take before it is killed.
inline constexpr std::chrono::seconds SystemctlLimit{20};

/// Runs `systemctl --user ARGS…` (found on PATH, no shell, its output kept) and waits at most
/// `limit`, then kills it with anything it started. True when it exited with 0; otherwise false
/// with `why`: its own first line of output, or that it was not found or did not answer.
bool runUserSystemctl(const std::vector<std::string>& args,
                      std::chrono::milliseconds limit,
                      std::string& why,
                      const Cancel* cancel = nullptr);

} // namespace zonedesk::watch
