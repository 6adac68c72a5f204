// SPDX-License-Identifier: MIT
// 定期检查: a list looked up daily or weekly in the background by zonedesk-cli's watch, set up as a
// systemd user timer (or, without a user manager, as a crontab line the user adds), and removed.
#pragma once

#include <atomic>
#include <functional>
#include <optional>
#include <string>

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QThread>
#include <QTreeWidget>

#include "watch/watch_config.h"
#include "watch/watch_timer.h"

namespace zonedesk {

class WatchDialog final : public QDialog
{
    Q_OBJECT

public:
    /// Opens on `listFile` (empty: none known) and `warnDays`.
    WatchDialog(const QString& listFile, int warnDays, QWidget* parent = nullptr);
    ~WatchDialog() override;

    WatchDialog(const WatchDialog&) = delete;
    WatchDialog& operator=(const WatchDialog&) = delete;
    WatchDialog(WatchDialog&&) = delete;
    WatchDialog& operator=(WatchDialog&&) = delete;

    /// While systemctl is waited for, Esc and the window's close cancel the wait instead.
    void reject() override;

    /// The zonedesk-cli the timer runs: the one beside the running program unless set otherwise.
    void setCliPath(const QString& path) { m_cli = path; }

    /// The list file chooser; tests replace it (an empty path means "cancelled").
    std::function<QString()> chooseListFile;

private:
    void browse();
    /// The watches there are, one row each: name, schedule, channel and list.
    void listWatches();
    /// A row picked: its list and settings shown, for 设置 to change or 移除 to remove.
    void pickWatch();
    /// The fields as the watch of the list's name has them, when there is one.
    void showExisting();
    /// The chosen channel's fields enabled, the timer's name shown, 移除 only for a timer there is.
    void updateFields();
    /// 设置: the timer written and enabled, or the reason a field is wrong said in the dialog.
    void install();
    /// 移除: the timer of the list's name disabled and its files removed.
    void remove();
    /// The settings the fields describe; none when a field is wrong (the reason is shown).
    std::optional<watch::WatchConfig> readFields();
    QString listPath() const;
    /// The name of the watch the dialog is about: the row picked, while its list is in the field,
    /// else the list's.
    std::string timerName() const;
    void showProblem(const QString& text);
    /// Runs `work` (which may call systemctl: up to its limit each time) on a thread of its own,
    /// the dialog saying that it waits and its 取消 ending the wait; `done` gets the outcome on the
    /// UI thread.
    void runOffThread(std::function<watch::TimerOutcome(const watch::Cancel*)> work,
                      std::function<void(const watch::TimerOutcome&)> done);
    void installed(const watch::TimerOutcome& outcome, bool weekly, const QString& list);
    void removed(const watch::TimerOutcome& outcome, const std::string& name);

    QString m_cli;
    QTreeWidget* m_watches = nullptr;
    QLineEdit* m_list = nullptr;
    QLabel* m_name = nullptr;
    QSpinBox* m_days = nullptr;
    QRadioButton* m_daily = nullptr;
    QRadioButton* m_weekly = nullptr;
    QRadioButton* m_desktop = nullptr;
    QRadioButton* m_mail = nullptr;
    QRadioButton* m_webhook = nullptr;
    QLineEdit* m_mailAddress = nullptr;
    QLineEdit* m_smtpUrl = nullptr;
    QLineEdit* m_smtpUser = nullptr;
    QLineEdit* m_smtpPassword = nullptr;
    QLineEdit* m_webhookUrl = nullptr;
    QComboBox* m_webhookFormat = nullptr;
    QLabel* m_problem = nullptr;
    QLabel* m_outcome = nullptr;
    QLineEdit* m_crontab = nullptr;
    QPushButton* m_set = nullptr;
    QPushButton* m_remove = nullptr;
    QPushButton* m_cancel = nullptr;
    QLabel* m_waiting = nullptr;
    std::string m_picked; // the name of the row picked, while its list is in the field
    QString m_pickedList;
    QThread* m_worker = nullptr; // while systemctl is waited for
    watch::Cancel m_cancelWait{false};
};

} // namespace zonedesk
