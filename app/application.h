// SPDX-License-Identifier: MIT
// The application object: start-up (folder, table, settings, main window) and shut-down.
#pragma once

#include <filesystem>
#include <memory>

#include <QStringList>

#include "app/main_window.h"
#include "ui/app_state.h"
#include "ui/settings_path.h"

namespace zonedesk {

class Application
{
public:
    Application();
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    /// Folder of the executable, table, config.ini, settings, main window shown maximised. False
    /// (after telling the user) when the table's memory cannot be had.
    bool initialize();

    /// Stops the workers, frees the table and writes the settings back. Returns the exit code.
    int shutDown(int code = 0);

    /// Uses `folder` instead of the executable's (tests start the program in a folder of their own).
    void setProgramDir(std::filesystem::path folder) { m_programDir = std::move(folder); }

    const std::filesystem::path& programDir() const { return m_programDir; }

    /// The program's command-line arguments (without its name): one list file, imported once the
    /// window is up as the Import button would; more than one is refused with a message.
    void setArguments(QStringList arguments) { m_arguments = std::move(arguments); }

    const std::filesystem::path& configPath() const { return m_configPath; }

    AppState* state() { return m_state.get(); }

    MainWindow* mainWindow() { return m_mainWindow.get(); }

private:
    /// Imports the list file given as the only argument, or says why none was.
    void openArguments();

    std::filesystem::path m_programDir;
    std::filesystem::path m_configPath;
    std::unique_ptr<core::DomainTable> m_table;
    std::unique_ptr<AppState> m_state;
    std::unique_ptr<MainWindow> m_mainWindow;
    QStringList m_arguments;
};

/// The folder that holds the running executable (from /proc/self/exe), ending without a slash.
std::filesystem::path executableFolder();

} // namespace zonedesk
