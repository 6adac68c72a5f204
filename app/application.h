// SPDX-License-Identifier: MIT
// The application object: start-up (folder, table, settings, main window) and shut-down.
#pragma once

#include <filesystem>
#include <memory>

#include "app/main_window.h"
#include "ui/app_state.h"

namespace zonedesk {

class CMakeHtmlApp
{
public:
    CMakeHtmlApp();
    ~CMakeHtmlApp();
    CMakeHtmlApp(const CMakeHtmlApp&) = delete;
    CMakeHtmlApp& operator=(const CMakeHtmlApp&) = delete;

    /// Folder of the executable, table, config.ini, settings, main window shown maximised. False
    /// (after telling the user) when the table's memory cannot be had.
    bool InitInstance();

    /// Stops the workers, frees the table and writes the settings back. Returns the exit code.
    int ExitInstance(int code = 0);

    /// Uses `folder` instead of the executable's (tests start the program in a folder of their own).
    void setProgramDir(std::filesystem::path folder) { m_programDir = std::move(folder); }

    const std::filesystem::path& programDir() const { return m_programDir; }

    const std::filesystem::path& configPath() const { return m_configPath; }

    AppState* state() { return m_state.get(); }

    CMainFrame* mainFrame() { return m_mainFrame.get(); }

private:
    std::filesystem::path m_programDir;
    std::filesystem::path m_configPath;
    std::unique_ptr<core::DomainTable> m_table;
    std::unique_ptr<AppState> m_state;
    std::unique_ptr<CMainFrame> m_mainFrame;
};

/// The folder that holds the running executable (from /proc/self/exe), ending without a slash.
std::filesystem::path executableFolder();

} // namespace zonedesk
