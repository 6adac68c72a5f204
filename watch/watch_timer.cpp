// SPDX-License-Identifier: MIT
#include "watch/watch_timer.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <system_error>

#include <fcntl.h>
#include <poll.h>
#include <pwd.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/encodings.h"
#include "core/settings_file.h"
#include "core/text.h"
#include "core/unique_fd.h"

extern char** environ; // NOLINT(readability-redundant-declaration): POSIX leaves it undeclared

namespace zonedesk::watch {

namespace {

constexpr std::size_t MaxNameLength = 64;
constexpr std::string_view UnitPrefix = "zonedesk-watch-";
constexpr std::string_view EnvProgram = "/usr/bin/env";

bool nameByte(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
}

/// $XDG_CONFIG_HOME when it is an absolute path (the XDG rule: anything else is ignored), else
/// ~/.config.
std::filesystem::path configHome()
{
    // Read only; nothing in the program sets the environment once threads run.
    const char* xdg = std::getenv("XDG_CONFIG_HOME"); // NOLINT(concurrency-mt-unsafe)
    if (xdg != nullptr && xdg[0] == '/')
        return xdg;
    std::filesystem::path home;
    const char* env = std::getenv("HOME"); // NOLINT(concurrency-mt-unsafe)
    if (env != nullptr && env[0] != '\0')
        home = env;
    else if (const passwd* user = ::getpwuid(::getuid()); user != nullptr) // NOLINT(concurrency-mt-unsafe)
        home = user->pw_dir;
    return home / ".config";
}

std::string unitName(std::string_view name, std::string_view suffix)
{
    return std::string(UnitPrefix) + std::string(name) + std::string(suffix);
}

std::string_view scheduleWord(Schedule schedule)
{
    return schedule == Schedule::Weekly ? "weekly" : "daily";
}

/// A word of systemd's ExecStart: inside double quotes, C escapes for "\", """ and control bytes,
/// "%" doubled so that no specifier is expanded, and in the arguments (not the program, which
/// systemd never expands) "$" doubled so that no variable is.
std::string systemdQuoted(std::string_view word, bool program)
{
    std::string out = "\"";
    for (const char c : word) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\' || c == '"') {
            out += '\\';
            out += c;
        } else if (c == '%' || (c == '$' && !program)) {
            out += c;
            out += c;
        } else if (byte < 0x20 || byte == 0x7f) {
            constexpr std::string_view Hex = "0123456789abcdef";
            out += "\\x";
            out += Hex[byte >> 4];
            out += Hex[byte & 0xf];
        } else {
            out += c;
        }
    }
    return out + "\"";
}

/// systemd refuses a program whose path holds a quote or a backslash, even escaped; env runs it.
bool needsEnv(const std::filesystem::path& program)
{
    return program.string().find_first_of("\"'\\") != std::string::npos;
}

/// One argument for the shell cron runs: in single quotes, a quote as '\''. Cron itself turns an
/// unescaped "%" into a line break, so each "%" is written "\%", which cron gives the shell as "%".
std::string cronQuoted(std::string_view argument)
{
    std::string out = "'";
    for (const char c : argument) {
        if (c == '\'')
            out += "'\\''";
        else if (c == '%')
            out += "\\%";
        else
            out += c;
    }
    return out + "'";
}

std::vector<std::string> commandOf(const TimerPlan& plan)
{
    return {plan.cli.string(), "watch", "--config", plan.config.string()};
}

/// Why `path` can't stand in a unit's command line and a crontab line alike; empty when it can.
std::string unusablePath(std::string_view what, const std::filesystem::path& path)
{
    const std::string text = path.string();
    if (!path.is_absolute())
        return "the " + std::string(what) + " path \"" + text + "\" is not absolute";
    if (std::any_of(text.begin(), text.end(), [](char c) {
            return static_cast<unsigned char>(c) < 0x20 || c == 0x7f;
        }))
        return "the " + std::string(what) + " path holds a control character, which a crontab line can't";
    return {};
}

bool removeFile(const std::filesystem::path& path, TimerOutcome& outcome)
{
    std::error_code error;
    if (std::filesystem::remove(path, error)) {
        outcome.written.push_back(path.string());
        return true;
    }
    if (error) {
        outcome.message += "Can't remove " + path.string() + ": " + error.message() + ". ";
        return false;
    }
    return true;
}

/// The first line of what a command printed, without its line end.
std::string firstLine(std::string_view output)
{
    return std::string(core::trim(output.substr(0, output.find('\n'))));
}

/// Runs `program` (found on PATH unless its name holds a slash; no shell) with `args`, keeping the
/// first 4 KiB of what it prints in `output`, and waits at most `limit`, then kills it with anything
/// it started. True when it exited with 0; otherwise false with `why`: its own first line of output,
/// or that it was not found or did not answer.
bool runProgram(const std::string& program,
                const std::vector<std::string>& args,
                std::chrono::milliseconds limit,
                std::string& output,
                std::string& why,
                const Cancel* cancel = nullptr)
{
    std::string command = program;
    std::vector<std::string> words = {program};
    for (const std::string& arg : args) {
        words.push_back(arg);
        command += " " + arg;
    }
    std::vector<char*> argv;
    argv.reserve(words.size() + 1);
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    int ends[2] = {-1, -1};
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        why = "can't run " + command + ": " + std::strerror(errno); // NOLINT(concurrency-mt-unsafe)
        return false;
    }
    const core::UniqueFd readEnd(ends[0]);
    core::UniqueFd writeEnd(ends[1]);

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    ::posix_spawn_file_actions_adddup2(&actions, writeEnd.get(), 1);
    ::posix_spawn_file_actions_adddup2(&actions, writeEnd.get(), 2);
    ::posix_spawnattr_init(&attributes);
    // A group of its own, so that a kill reaches whatever it started too; signals as a new
    // program expects them.
    sigset_t none;
    sigset_t defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    ::posix_spawnattr_setpgroup(&attributes, 0);
    ::posix_spawnattr_setsigmask(&attributes, &none);
    ::posix_spawnattr_setsigdefault(&attributes, &defaults);
    ::posix_spawnattr_setflags(&attributes,
                               POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t pid = 0;
    const int spawned = ::posix_spawnp(&pid, program.c_str(), &actions, &attributes, argv.data(), environ);
    ::posix_spawn_file_actions_destroy(&actions);
    ::posix_spawnattr_destroy(&attributes);
    writeEnd.reset();
    if (spawned != 0) {
        why = spawned == ENOENT
                  ? program + " was not found"
                  : "can't run " + program + ": " + std::string(std::strerror(spawned)); // NOLINT
        return false;
    }

    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + limit;
    const auto cancelled = [cancel] { return cancel != nullptr && cancel->load(std::memory_order_acquire); };
    const auto msLeft = [&deadline, &cancelled] {
        if (cancelled())
            return 0;
        return static_cast<int>(std::max<std::int64_t>(
            0, std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count()));
    };
    // Waits are cut into slices, so that a cancel is seen within one.
    constexpr int SliceMs = 100;
    bool open = true;
    while (open && msLeft() > 0) {
        pollfd watch{readEnd.get(), POLLIN, 0};
        const int ready = ::poll(&watch, 1, std::min(msLeft(), SliceMs));
        if (ready < 0 && errno != EINTR)
            break;
        if (ready <= 0)
            continue;
        char buffer[1024];
        const ssize_t n = ::read(readEnd.get(), buffer, sizeof(buffer));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            open = false;
        } else if (output.size() < 4096) {
            output.append(buffer, static_cast<std::size_t>(n));
        }
    }
    int status = 0;
    pid_t reaped = 0;
    while ((reaped = ::waitpid(pid, &status, WNOHANG)) == 0 && msLeft() > 0)
        ::poll(nullptr, 0, 10);
    if (reaped == 0) {
        ::kill(-pid, SIGKILL);
        ::waitpid(pid, &status, 0);
        why = cancelled() ? command + " was cancelled"
                          : command + " did not answer within " +
                                std::to_string(std::chrono::ceil<std::chrono::seconds>(limit).count()) + " s";
        return false;
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        return true;
    why = firstLine(output);
    if (why.empty())
        why = command + (WIFEXITED(status) ? " failed with status " + std::to_string(WEXITSTATUS(status))
                                           : " was killed by signal " + std::to_string(WTERMSIG(status)));
    return false;
}

/// Why systemd would not run the units of `plan`; empty when it would, or when that can't be told.
/// systemd reads a unit file as UTF-8 and ignores a line that is not; systemd-analyze, where it is
/// installed, says what else it would refuse. Only its complaints about these units count: one
/// about the machine (no manager to ask) says nothing of them.
std::string
unitComplaint(const TimerPlan& plan, const std::filesystem::path& service, const std::filesystem::path& timer)
{
    for (const auto& [what, path] :
         {std::pair{"zonedesk-cli", plan.cli}, std::pair{"settings", plan.config}}) {
        if (!core::isUtf8(path.string()))
            return std::string("systemd reads unit files as UTF-8 only, and the ") + what +
                   " path is not UTF-8";
    }
    for (const char* analyze : {"/usr/bin/systemd-analyze", "/bin/systemd-analyze"}) {
        std::error_code error;
        if (!std::filesystem::exists(analyze, error))
            continue;
        std::string output;
        std::string why;
        if (runProgram(analyze, {"verify", service.string(), timer.string()}, SystemctlLimit, output, why))
            return {};
        for (const std::string_view line : core::EachLine(output)) {
            if (line.find(service.filename().string()) != std::string_view::npos ||
                line.find(timer.filename().string()) != std::string_view::npos)
                return "systemd-analyze verify: " + std::string(core::trim(line));
        }
        return {};
    }
    return {};
}

} // namespace

std::string timerNameFor(const std::filesystem::path& list)
{
    std::string name;
    bool dash = false;
    for (const char c : list.stem().string()) {
        if (nameByte(c) && c != '-') {
            if (dash && !name.empty())
                name += '-';
            dash = false;
            name += c;
        } else {
            dash = true;
        }
    }
    if (name.size() > MaxNameLength)
        name.resize(MaxNameLength);
    while (name.ends_with('-'))
        name.pop_back();
    return name.empty() ? "watch" : name;
}

bool validTimerName(std::string_view name)
{
    return !name.empty() && name.size() <= MaxNameLength && std::all_of(name.begin(), name.end(), nameByte);
}

std::filesystem::path userUnitFolder()
{
    return configHome() / "systemd" / "user";
}

std::filesystem::path watchConfigPath(std::string_view name)
{
    return configHome() / "zonedesk" / ("watch-" + std::string(name) + ".ini");
}

std::filesystem::path savedPasswordPath()
{
    return configHome() / "zonedesk" / "smtp-password";
}

std::string serviceUnit(const TimerPlan& plan)
{
    std::vector<std::string> command = commandOf(plan);
    if (needsEnv(plan.cli))
        command.insert(command.begin(), std::string(EnvProgram));
    std::string exec;
    for (const std::string& word : command)
        exec += (exec.empty() ? "" : " ") + systemdQuoted(word, exec.empty());
    return "[Unit]\n"
           "Description=zonedesk watch " +
           plan.name +
           ": looks the list up and reports what changed\n"
           "\n"
           "[Service]\n"
           "Type=oneshot\n"
           "ExecStart=" +
           exec + "\n";
}

std::string timerUnit(const TimerPlan& plan)
{
    return "[Unit]\n"
           "Description=zonedesk watch " +
           plan.name + ", " + std::string(scheduleWord(plan.schedule)) +
           "\n"
           "\n"
           "[Timer]\n"
           "OnCalendar=" +
           std::string(scheduleWord(plan.schedule)) +
           "\n"
           // A run missed while the machine was off happens at the next start.
           "Persistent=true\n"
           // Registries see many watches at midnight; spread them.
           "RandomizedDelaySec=15min\n"
           "\n"
           "[Install]\n"
           "WantedBy=timers.target\n";
}

std::string crontabLine(const TimerPlan& plan)
{
    std::string line = plan.schedule == Schedule::Weekly ? "17 6 * * 1" : "17 6 * * *";
    for (const std::string& argument : commandOf(plan))
        line += " " + cronQuoted(argument);
    return line;
}

TimerOutcome installTimer(const TimerPlan& plan, const WatchConfig& given, const Cancel* cancel)
{
    WatchConfig config = given;
    config.schedule = plan.schedule == Schedule::Weekly ? "weekly" : "daily";
    TimerOutcome outcome;
    if (!validTimerName(plan.name)) {
        outcome.message =
            "\"" + plan.name + R"(" can't name a timer: use 1 to 64 letters, digits, "-" and "_".)";
        return outcome;
    }
    // env would read a program path with "=" as a variable to set.
    const std::string envClash =
        needsEnv(plan.cli) && plan.cli.string().find('=') != std::string::npos
            ? "the zonedesk-cli path holds a quote or a backslash and a \"=\", which systemd can't run"
            : std::string();
    for (const std::string& why :
         {unusablePath("zonedesk-cli", plan.cli), unusablePath("settings", plan.config), envClash}) {
        if (!why.empty()) {
            outcome.message = "Can't set the timer up: " + why + ".";
            return outcome;
        }
    }

    std::string why;
    if (!writeWatchConfig(plan.config, config, why)) {
        outcome.message = "Can't set the timer up: " + why + ".";
        return outcome;
    }
    outcome.written.push_back(plan.config.string());

    const std::filesystem::path folder = userUnitFolder();
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        outcome.message = "Can't make the folder " + folder.string() + ": " + error.message() + ".";
        return outcome;
    }
    const std::string timer = unitName(plan.name, ".timer");
    const std::filesystem::path serviceFile = folder / unitName(plan.name, ".service");
    const std::filesystem::path timerFile = folder / timer;
    for (const auto& [file, text] :
         {std::pair{serviceFile, serviceUnit(plan)}, std::pair{timerFile, timerUnit(plan)}}) {
        if (!core::replaceFileAtomically(file, text)) {
            outcome.message = "Can't write " + file.string() + ".";
            return outcome;
        }
        outcome.written.push_back(file.string());
    }

    outcome.ok = true;
    // A unit systemd would ignore must not be said to run: cron runs the same command.
    if (const std::string complaint = unitComplaint(plan, serviceFile, timerFile); !complaint.empty()) {
        outcome.written.resize(1);
        std::filesystem::remove(serviceFile, error);
        std::filesystem::remove(timerFile, error);
        outcome.crontab = crontabLine(plan);
        outcome.message = "systemd would not run the timer (" + complaint + "). To run the watch " +
                          std::string(scheduleWord(plan.schedule)) +
                          " with cron instead, add this line to your crontab (crontab -e).";
        return outcome;
    }
    outcome.enabled = runUserSystemctl({"daemon-reload"}, SystemctlLimit, why, cancel) &&
                      runUserSystemctl({"enable", "--now", timer}, SystemctlLimit, why, cancel);
    if (outcome.enabled) {
        outcome.message = "The timer " + timer + " runs the watch " +
                          std::string(scheduleWord(plan.schedule)) +
                          "; a run missed while the computer was off happens at the next start.";
        return outcome;
    }
    outcome.crontab = crontabLine(plan);
    outcome.message = "The unit files are written, but systemd's user manager is not reachable (" + why +
                      "). To run the watch " + std::string(scheduleWord(plan.schedule)) +
                      " with cron instead, add this line to your crontab (crontab -e).";
    return outcome;
}

TimerOutcome removeTimer(std::string_view name, const Cancel* cancel)
{
    TimerOutcome outcome;
    if (!validTimerName(name)) {
        outcome.message = "\"" + std::string(name) + "\" can't name a timer.";
        return outcome;
    }
    const std::string timer = unitName(name, ".timer");
    const std::filesystem::path folder = userUnitFolder();
    const std::filesystem::path settings = watchConfigPath(name);
    std::error_code error;
    const bool hasTimer = std::filesystem::exists(folder / timer, error);
    if (!hasTimer && !std::filesystem::exists(settings, error)) {
        outcome.message = "There is no watch timer named " + std::string(name) + ".";
        return outcome;
    }
    std::string why;
    const std::optional<WatchConfig> config = readWatchConfig(settings, why);

    bool answered = false;
    bool removed = true;
    if (hasTimer) {
        answered = runUserSystemctl({"disable", "--now", timer}, SystemctlLimit, why, cancel);
        removed = removeFile(folder / timer, outcome);
        removed = removeFile(folder / unitName(name, ".service"), outcome) && removed;
    }
    removed = removeFile(settings, outcome) && removed;
    if (answered)
        runUserSystemctl({"daemon-reload"}, SystemctlLimit, why, cancel);

    // The password the desktop program saved goes with the last watch that names it; a file the
    // user named on the command line is theirs, and stays.
    const std::filesystem::path password = savedPasswordPath();
    const auto namesPassword = [&password](const InstalledTimer& other) {
        std::string unread;
        const std::optional<WatchConfig> read = readWatchConfig(other.config, unread);
        return read && std::filesystem::path(read->smtpPasswordFile) == password;
    };
    if (config && std::filesystem::path(config->smtpPasswordFile) == password) {
        const std::vector<InstalledTimer> others = listTimers();
        if (std::none_of(others.begin(), others.end(), namesPassword) &&
            std::filesystem::exists(password, error))
            removed = removeFile(password, outcome) && removed;
    }

    outcome.ok = removed;
    if (removed)
        outcome.message = hasTimer ? "The timer " + timer + " is removed."
                                   : "The watch " + std::string(name) + " is removed.";
    if (!answered) {
        outcome.crontabMayRemain = true;
        outcome.message += hasTimer ? " systemd's user manager was not reachable (" + why + ");" : "";
        outcome.message += " If you added the watch's line to your crontab, remove it there (crontab -e).";
    }
    return outcome;
}

std::vector<InstalledTimer> listTimers()
{
    std::vector<InstalledTimer> timers;
    std::error_code error;
    const auto add = [&timers](const std::string& name, bool hasTimer, std::optional<Schedule> schedule) {
        InstalledTimer timer;
        timer.name = name;
        timer.timer = hasTimer;
        timer.config = watchConfigPath(name);
        std::string why;
        if (const auto config = readWatchConfig(timer.config, why)) {
            timer.list = config->list;
            timer.targets = config->targets;
            if (!schedule && config->schedule == "weekly")
                schedule = Schedule::Weekly;
        }
        timer.schedule = schedule.value_or(Schedule::Daily);
        timers.push_back(std::move(timer));
    };
    for (const auto& entry : std::filesystem::directory_iterator(userUnitFolder(), error)) {
        const std::string file = entry.path().filename().string();
        if (!file.starts_with(UnitPrefix) || !file.ends_with(".timer"))
            continue;
        const std::string name = file.substr(UnitPrefix.size(), file.size() - UnitPrefix.size() - 6);
        if (!validTimerName(name))
            continue;
        const std::string text = core::readWholeFile(entry.path());
        add(name,
            true,
            core::profileValue(text, "Timer", "OnCalendar") == "weekly" ? Schedule::Weekly : Schedule::Daily);
    }
    // A settings file without a timer: a watch a crontab line runs.
    for (const auto& entry : std::filesystem::directory_iterator(watchConfigPath("x").parent_path(), error)) {
        const std::string file = entry.path().filename().string();
        if (!file.starts_with("watch-") || !file.ends_with(".ini"))
            continue;
        const std::string name = file.substr(6, file.size() - 6 - 4);
        const bool known = std::any_of(timers.begin(), timers.end(), [&name](const InstalledTimer& timer) {
            return timer.name == name;
        });
        if (validTimerName(name) && !known)
            add(name, false, std::nullopt);
    }
    std::sort(timers.begin(), timers.end(), [](const InstalledTimer& a, const InstalledTimer& b) {
        return a.name < b.name;
    });
    return timers;
}

bool runUserSystemctl(const std::vector<std::string>& args,
                      std::chrono::milliseconds limit,
                      std::string& why,
                      const Cancel* cancel)
{
    std::vector<std::string> words = {"--user"};
    words.insert(words.end(), args.begin(), args.end());
    std::string output;
    return runProgram("systemctl", words, limit, output, why, cancel);
}

} // namespace zonedesk::watch
