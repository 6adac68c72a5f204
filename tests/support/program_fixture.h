// SPDX-License-Identifier: MIT
// What the desktop program's GUI tests share: the program started in a folder of the test's own,
// reached through its main window, and watchers that answer the modal boxes and dialogs it opens.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string_view>

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include "app/application.h"
#include "tests/support/temp_dir.h"

namespace zonedesk::test {

/// The default settings, with names beyond the ten registries left without a server: a test of
/// the ten's behaviour never sends a name anywhere but its loopback servers.
inline constexpr std::string_view TenRegistriesOnly = "[user]\r\nchkgq=1\r\ngqts=30\r\neveryRegistry=0\r\n";

class ProgramFixture
{
protected:
    MainWindow& mainWindow() { return *m_app->mainWindow(); }

    ControlPanel& panel() { return mainWindow().panel(); }

    AppState& state() { return *m_app->state(); }

    /// Brings the main window to the front and waits until it has the keyboard. A window manager
    /// may hand focus elsewhere when a modal box closes, so the window asks for it again.
    bool activateMainWindow()
    {
        for (int attempt = 0; attempt < 3; ++attempt) {
            mainWindow().raise();
            mainWindow().activateWindow();
            if (QTest::qWaitForWindowActive(&mainWindow()))
                return true;
        }
        return false;
    }

    /// Starts the program in the test's folder (made at the first start; an earlier start's
    /// config.ini stays), with `config` as its config.ini when given. False when it did not start.
    bool startProgram(std::string_view config = {})
    {
        if (!m_dir)
            m_dir = std::make_unique<TempDir>();
        if (!config.empty())
            m_dir->write("config.ini", config);
        m_app = std::make_unique<Application>();
        m_app->setProgramDir(m_dir->path());
        if (!m_app->initialize())
            return false;
        // The export dialog is answered with the remembered choice (the program's own CSV unless a
        // test chose otherwise); its own tests reset this to meet the real dialog.
        panel().chooseExportChoice = [](const core::ExportChoice& last, const ControlPanel::ListRows&) {
            return std::optional<core::ExportChoice>(last);
        };
        return true;
    }

    /// Closes the window and ends the program as the user's Quit does (answering 停止并关闭 when
    /// a run is in progress); its folder stays.
    void stopProgram()
    {
        if (!m_app)
            return;
        closeMidRun();
        m_app->shutDown();
        m_app.reset();
    }

    /// Closes the window, answering the question a run in progress asks with 停止并关闭.
    void closeMidRun()
    {
        QTimer answer;
        QObject::connect(&answer, &QTimer::timeout, [] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                for (QAbstractButton* button : box->buttons()) {
                    if (button->text() == QStringLiteral("停止并关闭"))
                        button->click();
                }
            }
        });
        answer.start(20);
        mainWindow().close();
    }

    /// Ends the program and removes its folder.
    void dropProgram()
    {
        m_app.reset();
        m_dir.reset();
    }

    std::unique_ptr<TempDir> m_dir;
    std::unique_ptr<Application> m_app;
};

/// Runs `act` on the next modal widget of type T that opens (polling), once.
template <typename T> class ModalWatcher final : public QObject
{
public:
    explicit ModalWatcher(std::function<void(T*)> act)
        : m_act(std::move(act))
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            if (auto* widget = qobject_cast<T*>(QApplication::activeModalWidget()); widget && !seen) {
                seen = true;
                m_act(widget);
            }
        });
        m_timer.start(20);
    }

    bool seen = false;

private:
    std::function<void(T*)> m_act;
    QTimer m_timer;
};

/// Closes every message box that opens (polling), recording its text.
class MessageBoxCloser final : public QObject
{
public:
    explicit MessageBoxCloser(QObject* parent = nullptr)
        : QObject(parent)
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                texts << box->text();
                box->accept();
            }
        });
        m_timer.start(20);
    }

    QStringList texts;

private:
    QTimer m_timer;
};

} // namespace zonedesk::test
