// SPDX-License-Identifier: MIT
#include "app/application.h"

#include <algorithm>

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include "core/config_location.h"
#include "core/desktop_settings.h"
#include "core/settings_file.h"
#include "panel/web_pane.h"
#include "ui/message_box.h"
#include "ui/settings_path.h"
#include "ui/ui_language.h"

// The resources live in a static library: nothing would pull their registration in otherwise.
static void initResources()
{
    Q_INIT_RESOURCE(zonedesk);
}

namespace zonedesk {

std::filesystem::path executableFolder()
{
    std::error_code error;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::current_path() : exe.parent_path();
}

Application::Application() = default;

Application::~Application()
{
    if (m_table)
        shutDown();
}

bool Application::initialize()
{
    initResources();
    WebPane::installAppSchemeHandler();
    if (m_programDir.empty())
        m_programDir = executableFolder();
    m_configPath = core::configPath(m_programDir);
    setSettingsFilePath(m_configPath);
    // Before the first text is shown, the memory box's too.
    installUiLanguage(chooseUiLanguage(core::loadSettings(m_configPath).language));
    m_table = core::DomainTable::allocate();
    if (!m_table) {
        QMessageBox::critical(
            nullptr,
            emptyCaption(),
            QCoreApplication::translate("zonedesk::Application",
                                        "内存不足：无法为 %1 个域名分配 %2 字节的表格，程序无法启动。")
                .arg(core::TableCapacity)
                .arg(sizeof(core::DomainRecord) * core::TableCapacity));
        return false;
    }
    // A folder where config.ini can't be created still starts, with the settings read as absent.
    core::ensureConfigFile(m_configPath);
    m_state = std::make_unique<AppState>(AppState{
        *m_table, core::loadSettings(m_configPath), {}, core::loadDesktopSettings(m_configPath), {}, {}});
    // A day count beyond the panel's range (an edited file) is taken at the range's nearest end.
    m_state->settings.expiryWarnDays = std::clamp<std::int32_t>(
        m_state->settings.expiryWarnDays, ControlPanel::MinWarnDays, ControlPanel::MaxWarnDays);
    if (!m_state->endpoints.addFromEnvironment())
        qWarning("zonedesk: ZONEDESK_WHOIS_ENDPOINTS or ZONEDESK_RDAP_ENDPOINTS is malformed; "
                 "their well-formed entries are used");

    m_mainWindow = std::make_unique<MainWindow>(*m_state);
    m_mainWindow->showAtStart();
    m_mainWindow->restoreLayout();
    if (m_state->settings.restoreLast)
        m_mainWindow->openLastResults(true);
    openArguments();
    return true;
}

void Application::openArguments()
{
    if (m_arguments.isEmpty())
        return;
    MainWindow* window = m_mainWindow.get();
    // After the window shows: a box about the file then opens over the program, not before it.
    if (m_arguments.size() > 1) {
        const QString text =
            QCoreApplication::translate("zonedesk::Application",
                                        "只能打开一个域名列表文件，收到了 %1 个：\n%2\n没有导入任何文件。")
                .arg(m_arguments.size())
                .arg(m_arguments.join(QLatin1Char('\n')));
        QTimer::singleShot(0, window, [window, text] { tell(window, text); });
        return;
    }
    const QString path = m_arguments.constFirst();
    QTimer::singleShot(0, window, [window, path] { window->panel().importFile(path); });
}

int Application::shutDown(int code)
{
    if (m_mainWindow) {
        m_mainWindow->run().stop();
        m_mainWindow->rememberPlacement(m_state->desktop);
        m_mainWindow->rememberLayout(m_state->desktop);
    }
    m_mainWindow.reset();
    if (m_table) {
        const core::UserSettings settings = m_state->settings;
        const core::DesktopSettings desktop = m_state->desktop;
        m_state.reset();
        m_table.reset();
        core::saveSettings(m_configPath, settings);
        core::saveDesktopSettings(m_configPath, desktop);
    }
    return code;
}

} // namespace zonedesk
