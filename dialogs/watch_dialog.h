// SPDX-License-Identifier: MIT
// 定期检查: a list looked up daily or weekly in the background by zonedesk-cli's watch, set up as a
// systemd user timer (or, without a user manager, as a crontab line the user adds), and removed.
#pragma once

#include <functional>
#include <optional>

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include "watch/watch_config.h"

namespace zonedesk {

class WatchDialog final : public QDialog
{
    Q_OBJECT

public:
    /// Opens on `listFile` (empty: none known) and `warnDays`.
    WatchDialog(const QString& listFile, int warnDays, QWidget* parent = nullptr);

    /// The zonedesk-cli the timer runs: the one beside the running program unless set otherwise.
    void setCliPath(const QString& path) { m_cli = path; }

    /// The list file chooser; tests replace it (an empty path means "cancelled").
    std::function<QString()> chooseListFile;

private:
    void browse();
    /// The fields as the timer of the list's name has them, when there is one.
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
    std::string timerName() const;
    void showProblem(const QString& text);

    QString m_cli;
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
};

} // namespace zonedesk
