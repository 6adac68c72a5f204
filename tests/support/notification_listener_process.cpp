// SPDX-License-Identifier: MIT
#include "tests/support/notification_listener_process.h"

#include <array>
#include <chrono>
#include <csignal>
#include <fstream>
#include <string>
#include <thread>

#include <gio/gio.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ; // NOLINT(readability-redundant-declaration): posix_spawn passes it on

namespace zonedesk::test {

namespace {

constexpr auto StartLimit = std::chrono::seconds(10);

/// Reads `fd` until "ready" and a line end arrive, it closes, or the limit passes.
bool waitForReady(int fd)
{
    const auto deadline = std::chrono::steady_clock::now() + StartLimit;
    std::string said;
    std::array<char, 256> buffer{};
    while (said.find("ready\n") == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        pollfd in{fd, POLLIN, 0};
        if (::poll(&in, 1, static_cast<int>(left.count())) <= 0)
            continue;
        const ssize_t n = ::read(fd, buffer.data(), buffer.size());
        if (n <= 0)
            return false;
        said.append(buffer.data(), static_cast<std::size_t>(n));
    }
    return true;
}

} // namespace

NotificationListenerProcess::NotificationListenerProcess(std::filesystem::path log, bool hang)
    : m_log(std::move(log))
{
    std::array<int, 2> out{-1, -1};
    if (::pipe(out.data()) != 0)
        return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, out[1]);
    std::string program = ZONEDESK_NOTIFICATION_LISTENER_PATH;
    std::string hangFlag = "--hang";
    std::string logPath = m_log.string();
    std::array<char*, 4> argv{program.data(), logPath.data(), nullptr, nullptr};
    if (hang)
        argv = {program.data(), hangFlag.data(), logPath.data(), nullptr};
    if (::posix_spawn(&m_pid, program.c_str(), &actions, nullptr, argv.data(), environ) != 0)
        m_pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (m_pid > 0)
        m_ready = waitForReady(out[0]);
    ::close(out[0]);
}

NotificationListenerProcess::~NotificationListenerProcess()
{
    if (m_pid <= 0)
        return;
    ::kill(m_pid, SIGTERM);
    int status = 0;
    ::waitpid(m_pid, &status, 0);
    const auto deadline = std::chrono::steady_clock::now() + StartLimit;
    while (notificationNameOwned() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

std::vector<nlohmann::json> NotificationListenerProcess::calls() const
{
    std::vector<nlohmann::json> calls;
    std::ifstream in(m_log);
    std::string line;
    while (std::getline(in, line))
        calls.push_back(nlohmann::json::parse(line));
    return calls;
}

bool notificationNameOwned()
{
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS"); // NOLINT(concurrency-mt-unsafe)
    if (address == nullptr)
        return false;
    g_autoptr(GDBusConnection) bus = g_dbus_connection_new_for_address_sync(
        address,
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr,
        nullptr,
        nullptr);
    if (bus == nullptr)
        return false;
    g_autoptr(GVariant) reply =
        g_dbus_connection_call_sync(bus,
                                    "org.freedesktop.DBus",
                                    "/org/freedesktop/DBus",
                                    "org.freedesktop.DBus",
                                    "NameHasOwner",
                                    g_variant_new("(s)", "org.freedesktop.Notifications"),
                                    G_VARIANT_TYPE("(b)"),
                                    G_DBUS_CALL_FLAGS_NONE,
                                    5000,
                                    nullptr,
                                    nullptr);
    gboolean owned = FALSE;
    if (reply != nullptr)
        g_variant_get(reply, "(b)", &owned);
    g_dbus_connection_close_sync(bus, nullptr, nullptr);
    return owned != FALSE;
}

} // namespace zonedesk::test
