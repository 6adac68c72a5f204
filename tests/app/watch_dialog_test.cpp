// SPDX-License-Identifier: MIT
// 文件 > 定期检查… as the user meets it: the last imported list and the program's day count offered,
// the timer set up with systemctl --user (a fake one of the test's), or the crontab line shown
// where there is none, a wrong mail address refused in the dialog, and the timer removed.
// Needs an X server (scripts/run-gui-test).
#include "dialogs/watch_dialog.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <sys/stat.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTreeWidget>

#include "app/application.h"
#include "tests/support/fake_systemctl.h"
#include "tests/support/gui_test_main.h"
#include "tests/support/program_fixture.h"
#include "tests/support/scoped_variable.h"
#include "tests/support/temp_dir.h"
#include "watch/watch_config.h"
#include "watch/watch_timer.h"

namespace zonedesk {

namespace {

using test::FakeSystemctl;
using test::MessageBoxCloser;
using test::ModalWatcher;

/// The default settings but a near-expiry day count of 45, which the dialog should offer.
constexpr std::string_view FortyFiveDays = "[user]\r\nchkgq=1\r\ngqts=45\r\neveryRegistry=0\r\n";

template <typename T> T* child(QWidget* dialog, const char* name)
{
    T* widget = dialog->findChild<T*>(QLatin1String(name));
    if (widget == nullptr)
        qFatal("the watch dialog has no %s", name);
    return widget;
}

/// A click where a radio button takes it: on its indicator, whatever its width.
void click(QAbstractButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

void typeInto(QLineEdit* field, const QString& text)
{
    field->setFocus();
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(field, text);
}

} // namespace

class WatchDialogTest final
    : public QObject
    , private test::ProgramFixture
{
    Q_OBJECT

private:
    /// The program started with a list imported from "my list.txt", under a configuration folder
    /// of the test's own.
    void start()
    {
        m_home = std::make_unique<test::TempDir>();
        m_configHome =
            std::make_unique<test::ScopedVariable>("XDG_CONFIG_HOME", (m_home->path() / "config").c_str());
        QVERIFY(startProgram(FortyFiveDays));
        QVERIFY(QTest::qWaitForWindowExposed(&mainWindow()));
        m_list = m_dir->write("my list.txt", "a.com\nb.com\n");
        panel().chooseImportFile = [this] { return QString::fromStdString(m_list.string()); };
        QTest::mouseClick(panel().importButton(), Qt::LeftButton);
        QTRY_COMPARE(mainWindow().view().model()->rowCount(), 2);
        m_cli = m_home->write("zonedesk-cli", "#!/bin/sh\nexit 0\n");
        std::filesystem::permissions(m_cli, std::filesystem::perms::owner_all);
    }

    /// Opens 文件 > 定期检查… from the keyboard and lets `answer` handle the real dialog.
    void openWith(const std::function<void(WatchDialog*)>& answer)
    {
        ModalWatcher<WatchDialog> watcher([&answer](WatchDialog* dialog) {
            if (!QTest::qWaitForWindowActive(dialog))
                qWarning("the watch dialog did not become active");
            answer(dialog);
            if (dialog->isVisible()) // a check failed on the way, or the dialog stays open by intent
                dialog->reject();
        });
        MessageBoxCloser closer;
        QVERIFY(activateMainWindow());
        QMenu* file = mainWindow().menuBar()->actions().value(0)->menu();
        QVERIFY(file != nullptr);
        QVERIFY(file->actions().contains(mainWindow().action(QStringLiteral("scheduleWatch"))));
        QTest::keyClick(&mainWindow(), Qt::Key_F, Qt::AltModifier);
        QTRY_VERIFY(file->isVisible());
        QTest::keyClick(file, Qt::Key_P);
        QTRY_VERIFY(watcher.seen);
        QTRY_VERIFY(QApplication::activeModalWidget() == nullptr);
        m_said = closer.texts;
    }

    std::filesystem::path units() const { return m_home->path() / "config" / "systemd" / "user"; }

    std::unique_ptr<test::TempDir> m_home;
    std::unique_ptr<test::ScopedVariable> m_configHome;
    std::filesystem::path m_list;
    std::filesystem::path m_cli;
    QStringList m_said;

private Q_SLOTS:

    void cleanup()
    {
        dropProgram();
        m_configHome.reset();
        m_home.reset();
    }

    void aWeeklyDesktopWatchIsSetUpAndEnabledThenRemoved()
    {
        start();
        const FakeSystemctl systemctl;
        openWith([this](WatchDialog* dialog) {
            QCOMPARE(child<QLineEdit>(dialog, "listFile")->text(), QString::fromStdString(m_list.string()));
            QCOMPARE(child<QSpinBox>(dialog, "warnDays")->value(), 45);
            QCOMPARE(child<QLabel>(dialog, "timerName")->text(), QStringLiteral("my-list"));
            QVERIFY(child<QRadioButton>(dialog, "desktop")->isChecked());
            QVERIFY(!child<QLineEdit>(dialog, "mailAddress")->isEnabled());
            QVERIFY(!child<QPushButton>(dialog, "remove")->isEnabled());
            auto* days = child<QSpinBox>(dialog, "warnDays");
            days->setFocus();
            QTest::keyClick(days, Qt::Key_Up);
            click(child<QRadioButton>(dialog, "weekly"));
            dialog->setCliPath(QString::fromStdString(m_cli.string()));
            QTest::mouseClick(child<QPushButton>(dialog, "set"), Qt::LeftButton);
            QTRY_VERIFY(!dialog->isVisible());
        });
        QCOMPARE(m_said.size(), 1);
        QVERIFY2(m_said[0].startsWith(QStringLiteral("已设置定期检查：每周")), qPrintable(m_said[0]));
        QCOMPARE(systemctl.calls(),
                 (std::vector<std::string>{"--user daemon-reload",
                                           "--user enable --now zonedesk-watch-my-list.timer"}));

        const auto config = m_home->path() / "config" / "zonedesk" / "watch-my-list.ini";
        QCOMPARE(test::readFile(config),
                 "[watch]\r\nlist=" + m_list.string() +
                     "\r\nwarn-days=46\r\nnotify=desktop\r\nschedule=weekly\r\n");
        const std::string timer = test::readFile(units() / "zonedesk-watch-my-list.timer");
        QVERIFY2(timer.find("OnCalendar=weekly\n") != std::string::npos, timer.c_str());
        const std::string service = test::readFile(units() / "zonedesk-watch-my-list.service");
        QVERIFY2(service.find("ExecStart=\"" + m_cli.string() + "\" \"watch\" \"--config\" \"" +
                              config.string() + "\"\n") != std::string::npos,
                 service.c_str());

        // Opened again, on another list: the watches there are are listed; picked, one shows its
        // settings and is there to remove.
        openWith([this](WatchDialog* dialog) {
            typeInto(child<QLineEdit>(dialog, "listFile"), QStringLiteral("/elsewhere/other.txt"));
            auto* remove = child<QPushButton>(dialog, "remove");
            QVERIFY(!remove->isEnabled());
            auto* watches = child<QTreeWidget>(dialog, "watches");
            QCOMPARE(watches->topLevelItemCount(), 1);
            QTreeWidgetItem* row = watches->topLevelItem(0);
            QCOMPARE(QStringList({row->text(0), row->text(1), row->text(2), row->text(3)}),
                     QStringList({QStringLiteral("my-list"),
                                  QStringLiteral("每周"),
                                  QStringLiteral("桌面通知"),
                                  QString::fromStdString(m_list.string())}));
            QTest::mouseClick(watches->viewport(), Qt::LeftButton, {}, watches->visualItemRect(row).center());
            QTRY_VERIFY(row->isSelected());
            QCOMPARE(child<QLineEdit>(dialog, "listFile")->text(), QString::fromStdString(m_list.string()));
            QVERIFY(child<QRadioButton>(dialog, "weekly")->isChecked());
            QCOMPARE(child<QSpinBox>(dialog, "warnDays")->value(), 46);
            QVERIFY(remove->isEnabled());
            QTest::mouseClick(remove, Qt::LeftButton);
            QTRY_COMPARE(watches->topLevelItemCount(), 0);
            QVERIFY(!remove->isEnabled());
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        QCOMPARE(m_said, QStringList{QStringLiteral("已移除定期检查“my-list”。")});
        QCOMPARE(systemctl.calls().at(2), std::string("--user disable --now zonedesk-watch-my-list.timer"));
        QVERIFY(!std::filesystem::exists(config));
        QVERIFY(!std::filesystem::exists(units() / "zonedesk-watch-my-list.timer"));
        QVERIFY(!std::filesystem::exists(units() / "zonedesk-watch-my-list.service"));
    }

    void aWrongMailAddressIsRefusedInTheDialogAndWithoutAUserManagerTheCrontabLineIsShown()
    {
        start();
        const FakeSystemctl absent(FakeSystemctl::Answer::Absent);
        const auto other = m_dir->write("客户 domains.txt", "c.com\n");
        std::string shown;
        openWith([&](WatchDialog* dialog) {
            dialog->chooseListFile = [&other] { return QString::fromStdString(other.string()); };
            QTest::mouseClick(child<QPushButton>(dialog, "browse"), Qt::LeftButton);
            QCOMPARE(child<QLabel>(dialog, "timerName")->text(), QStringLiteral("domains"));
            dialog->setCliPath(QString::fromStdString(m_cli.string()));

            click(child<QRadioButton>(dialog, "mail"));
            auto* address = child<QLineEdit>(dialog, "mailAddress");
            QVERIFY(address->isEnabled());
            typeInto(address, QStringLiteral("me at example.com"));
            typeInto(child<QLineEdit>(dialog, "smtpUrl"), QStringLiteral("smtps://mail.example.com:465"));
            QTest::mouseClick(child<QPushButton>(dialog, "set"), Qt::LeftButton);
            QVERIFY(dialog->isVisible());
            auto* problem = child<QLabel>(dialog, "problem");
            QVERIFY(problem->isVisible());
            QVERIFY2(problem->text().contains(QStringLiteral("name@example.com")),
                     qPrintable(problem->text()));
            QVERIFY(!std::filesystem::exists(watch::watchConfigPath("domains")));

            typeInto(address, QStringLiteral("me@example.com"));
            typeInto(child<QLineEdit>(dialog, "smtpUser"), QStringLiteral("sender@example.com"));
            typeInto(child<QLineEdit>(dialog, "smtpPassword"), QStringLiteral("s3cret"));
            QTest::keyClick(dialog, Qt::Key_Return);
            QVERIFY(dialog->isVisible());
            QVERIFY(!problem->isVisible());
            auto* line = child<QLineEdit>(dialog, "crontabLine");
            QTRY_VERIFY(line->isVisible());
            QVERIFY(line->isReadOnly());
            QCOMPARE(line->selectedText(), line->text());
            shown = line->text().toStdString();
            QCOMPARE(child<QPushButton>(dialog, "cancel")->text(), QStringLiteral("关闭"));
            QTest::mouseClick(child<QPushButton>(dialog, "cancel"), Qt::LeftButton);
        });
        QVERIFY2(m_said.isEmpty(), qPrintable(m_said.join(QLatin1Char('\n'))));

        watch::TimerPlan plan;
        plan.name = "domains";
        plan.cli = m_cli;
        plan.config = watch::watchConfigPath("domains");
        QCOMPARE(shown, watch::crontabLine(plan));
        std::string why;
        const auto config = watch::readWatchConfig(plan.config, why);
        QVERIFY2(config.has_value(), why.c_str());
        QCOMPARE(config->list, other.string());
        QCOMPARE(config->targets, std::vector<std::string>{"mailto:me@example.com"});
        QCOMPARE(config->smtp, std::string("smtps://mail.example.com:465"));
        QCOMPARE(config->smtpUser, std::string("sender@example.com"));
        QCOMPARE(config->smtpFrom, std::string()); // the watch's one sender rule decides
        QCOMPARE(test::readFile(config->smtpPasswordFile), std::string("s3cret"));

        struct stat info
        {};

        QCOMPARE(::stat(config->smtpPasswordFile.c_str(), &info), 0);
        QCOMPARE(info.st_mode & 0777, 0600U);

        // Removed, it says the crontab line stays (only its owner can take it out), and the
        // saved password goes with the last watch that used it.
        openWith([](WatchDialog* dialog) {
            auto* watches = child<QTreeWidget>(dialog, "watches");
            QCOMPARE(watches->topLevelItemCount(), 1);
            QCOMPARE(watches->topLevelItem(0)->text(2), QStringLiteral("邮件 me@example.com"));
            watches->topLevelItem(0)->setSelected(true);
            QTest::mouseClick(child<QPushButton>(dialog, "remove"), Qt::LeftButton);
            QTRY_COMPARE(watches->topLevelItemCount(), 0);
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        QCOMPARE(m_said.size(), 1);
        QVERIFY2(m_said[0].contains(QStringLiteral("crontab -e")), qPrintable(m_said[0]));
        QVERIFY(!std::filesystem::exists(config->smtpPasswordFile));
    }

    void aHungUserManagerLeavesTheWindowAnsweringAndCancelEndsTheWait()
    {
        start();
        FakeSystemctl systemctl;
        systemctl.hangOn("daemon-reload");
        openWith([this, &systemctl](WatchDialog* dialog) {
            dialog->setCliPath(QString::fromStdString(m_cli.string()));
            QTest::mouseClick(child<QPushButton>(dialog, "set"), Qt::LeftButton);
            // The dialog is drawn and answers while systemctl hangs.
            auto* waiting = child<QLabel>(dialog, "waiting");
            QTRY_VERIFY(waiting->isVisible());
            QVERIFY(!child<QPushButton>(dialog, "set")->isEnabled());
            QTRY_VERIFY(!systemctl.calls().empty());
            QTest::keyClick(dialog, Qt::Key_Escape);
            QVERIFY(dialog->isVisible());
            // Cancelled, the wait ends as one without a user manager: the crontab line is given.
            QTRY_VERIFY_WITH_TIMEOUT(child<QLineEdit>(dialog, "crontabLine")->isVisible(), 10000);
            QVERIFY(!waiting->isVisible());
            QTest::mouseClick(child<QPushButton>(dialog, "cancel"), Qt::LeftButton);
        });
        QCOMPARE(systemctl.calls(), std::vector<std::string>{"--user daemon-reload"});
    }

    void withoutZonedeskCliBesideTheProgramNothingIsSetUp()
    {
        start();
        const FakeSystemctl systemctl;
        openWith([](WatchDialog* dialog) {
            click(child<QRadioButton>(dialog, "webhook"));
            typeInto(child<QLineEdit>(dialog, "webhookUrl"), QStringLiteral("http://example.com/hook"));
            QTest::mouseClick(child<QPushButton>(dialog, "set"), Qt::LeftButton);
            QVERIFY(child<QLabel>(dialog, "problem")->text().contains(QStringLiteral("https://")));
            typeInto(child<QLineEdit>(dialog, "webhookUrl"), QStringLiteral("https://hooks.example.com/x"));
            QTest::mouseClick(child<QPushButton>(dialog, "set"), Qt::LeftButton);
            QVERIFY(dialog->isVisible());
        });
        QCOMPARE(m_said.size(), 1);
        QVERIFY2(m_said[0].contains(QCoreApplication::applicationDirPath() + QStringLiteral("/zonedesk-cli")),
                 qPrintable(m_said[0]));
        QVERIFY(systemctl.calls().empty());
        QVERIFY(!std::filesystem::exists(units()));
        QVERIFY(!std::filesystem::exists(watch::watchConfigPath("my-list")));
    }
};

} // namespace zonedesk

int main(int argc, char** argv)
{
    return zonedesk::test::runGuiTest<zonedesk::WatchDialogTest>(argc, argv);
}

#include "watch_dialog_test.moc"
