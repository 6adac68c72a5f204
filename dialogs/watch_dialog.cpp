// SPDX-License-Identifier: MIT
#include "dialogs/watch_dialog.h"

#include <algorithm>
#include <string>
#include <string_view>

#include <QButtonGroup>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "ui/dialog_font.h"
#include "ui/message_box.h"
#include "watch/notify_target.h"
#include "watch/password_file.h"
#include "watch/watch_timer.h"

namespace zonedesk {

namespace {

QString fromLocal(const std::string& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string toLocal(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

bool hasBlankOrControl(std::string_view text)
{
    return std::any_of(
        text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) <= 0x20 || c == 0x7f; });
}

/// Why `address` can't be mailed to; empty when it can. The watch's own reading of a target
/// decides, so that the dialog never writes a target the watch would refuse.
QString mailAddressProblem(std::string_view address)
{
    std::string why;
    if (watch::parseNotifyTarget("mailto:" + std::string(address), why))
        return {};
    const std::size_t at = address.rfind('@');
    if (at == std::string_view::npos || at == 0 || at + 1 == address.size())
        return WatchDialog::tr("邮件地址应当形如 name@example.com。");
    if (hasBlankOrControl(address) || address.find_first_of("<>,;\"") != std::string_view::npos)
        return WatchDialog::tr("邮件地址中不能有空格、控制字符或 <>,;\" 这些字符。");
    return WatchDialog::tr("邮件地址应当形如 name@example.com。");
}

/// Why `url` can't take a webhook's POST; empty when it can: https, or http to this computer only.
QString webhookUrlProblem(std::string_view url)
{
    std::string why;
    const auto target = watch::parseNotifyTarget(url, why);
    if (target && target->kind == watch::NotifyTarget::Kind::Webhook)
        return {};
    if (hasBlankOrControl(url))
        return WatchDialog::tr("Webhook 地址中不能有空格或控制字符。");
    return WatchDialog::tr("Webhook 地址应以 https:// 开头（http:// 只能用于本机）。");
}

QString smtpUrlProblem(std::string_view url)
{
    const bool plain = url.starts_with("smtp://") && url.size() > 7;
    const bool tls = url.starts_with("smtps://") && url.size() > 8;
    if (hasBlankOrControl(url) || (!plain && !tls))
        return WatchDialog::tr(
            "SMTP 服务器应当形如 smtps://mail.example.com:465 或 smtp://mail.example.com:587。");
    return {};
}

QRadioButton* addRadio(QButtonGroup* group, const QString& text, const char* name)
{
    auto* button = new QRadioButton(text);
    button->setObjectName(QLatin1String(name));
    group->addButton(button);
    return button;
}

/// Where a watch's notices go, in a few words.
QString channelText(const std::vector<std::string>& targets)
{
    const std::string target = targets.empty() ? std::string() : targets.front();
    if (target.starts_with("mailto:"))
        return WatchDialog::tr("邮件 %1").arg(QString::fromStdString(target.substr(7)));
    if (target.starts_with("http"))
        return QStringLiteral("Webhook");
    return target == "desktop" ? WatchDialog::tr("桌面通知") : QString::fromStdString(target);
}

QLineEdit* addField(QFormLayout* form, const QString& label, const char* name)
{
    auto* field = new QLineEdit;
    field->setObjectName(QLatin1String(name));
    form->addRow(label, field);
    return field;
}

} // namespace

WatchDialog::WatchDialog(const QString& listFile, int warnDays, QWidget* parent)
    : QDialog(parent)
    , m_cli(QCoreApplication::applicationDirPath() + QStringLiteral("/zonedesk-cli"))
{
    setFont(dialogFont());
    setWindowTitle(tr("定期检查"));
    auto* layout = new QVBoxLayout(this);
    m_watches = new QTreeWidget;
    m_watches->setObjectName(QStringLiteral("watches"));
    m_watches->setHeaderLabels({tr("名称"), tr("频率"), tr("通知方式"), tr("列表文件")});
    m_watches->setRootIsDecorated(false);
    m_watches->setSelectionMode(QAbstractItemView::SingleSelection);
    m_watches->setMaximumHeight(fontMetrics().height() * 8);
    layout->addWidget(new QLabel(tr("已设置的定期检查（选中一项可修改或移除）：")));
    layout->addWidget(m_watches);
    auto* form = new QFormLayout;
    layout->addLayout(form);

    auto* listRow = new QHBoxLayout;
    m_list = new QLineEdit(listFile);
    m_list->setObjectName(QStringLiteral("listFile"));
    m_list->setMinimumWidth(320);
    auto* browse = new QPushButton(tr("浏览..."));
    browse->setObjectName(QStringLiteral("browse"));
    listRow->addWidget(m_list);
    listRow->addWidget(browse);
    form->addRow(tr("域名列表文件："), listRow);
    m_name = new QLabel;
    m_name->setObjectName(QStringLiteral("timerName"));
    form->addRow(tr("名称："), m_name);

    m_days = new QSpinBox;
    m_days->setObjectName(QStringLiteral("warnDays"));
    m_days->setRange(0, 3650);
    m_days->setValue(warnDays);
    m_days->setSuffix(tr(" 天"));
    form->addRow(tr("提前提醒天数："), m_days);

    auto* schedules = new QButtonGroup(this);
    auto* scheduleRow = new QHBoxLayout;
    m_daily = addRadio(schedules, tr("每天"), "daily");
    m_weekly = addRadio(schedules, tr("每周"), "weekly");
    m_daily->setChecked(true);
    scheduleRow->addWidget(m_daily);
    scheduleRow->addWidget(m_weekly);
    scheduleRow->addStretch();
    form->addRow(tr("频率："), scheduleRow);

    auto* channels = new QGroupBox(tr("通知方式"));
    auto* channelLayout = new QVBoxLayout(channels);
    auto* channelGroup = new QButtonGroup(this);
    m_desktop = addRadio(channelGroup, tr("桌面通知"), "desktop");
    m_mail = addRadio(channelGroup, tr("邮件"), "mail");
    m_webhook = addRadio(channelGroup, tr("Webhook"), "webhook");
    m_desktop->setChecked(true);
    channelLayout->addWidget(m_desktop);
    channelLayout->addWidget(m_mail);
    auto* mailForm = new QFormLayout;
    mailForm->setContentsMargins(24, 0, 0, 0);
    m_mailAddress = addField(mailForm, tr("收件地址："), "mailAddress");
    m_smtpUrl = addField(mailForm, tr("SMTP 服务器："), "smtpUrl");
    m_smtpUrl->setPlaceholderText(QStringLiteral("smtps://mail.example.com:465"));
    m_smtpUser = addField(mailForm, tr("用户名："), "smtpUser");
    m_smtpPassword = addField(mailForm, tr("密码："), "smtpPassword");
    m_smtpPassword->setEchoMode(QLineEdit::Password);
    m_smtpPassword->setPlaceholderText(tr("留空则沿用已保存的密码"));
    channelLayout->addLayout(mailForm);
    channelLayout->addWidget(m_webhook);
    auto* webhookForm = new QFormLayout;
    webhookForm->setContentsMargins(24, 0, 0, 0);
    m_webhookUrl = addField(webhookForm, tr("网址："), "webhookUrl");
    m_webhookUrl->setPlaceholderText(QStringLiteral("https://"));
    m_webhookFormat = new QComboBox;
    m_webhookFormat->setObjectName(QStringLiteral("webhookFormat"));
    m_webhookFormat->addItem(QStringLiteral("JSON"), QStringLiteral("json"));
    m_webhookFormat->addItem(QStringLiteral("Slack / Mattermost"), QStringLiteral("slack"));
    m_webhookFormat->addItem(QStringLiteral("ntfy"), QStringLiteral("ntfy"));
    webhookForm->addRow(tr("格式："), m_webhookFormat);
    channelLayout->addLayout(webhookForm);
    layout->addWidget(channels);

    m_problem = new QLabel;
    m_problem->setObjectName(QStringLiteral("problem"));
    m_problem->setWordWrap(true);
    m_problem->setStyleSheet(QStringLiteral("color: #c00000"));
    m_problem->hide();
    layout->addWidget(m_problem);
    m_outcome = new QLabel;
    m_outcome->setObjectName(QStringLiteral("outcome"));
    m_outcome->setWordWrap(true);
    m_outcome->hide();
    layout->addWidget(m_outcome);
    // Selectable and copyable, but not to be edited: the line as cron must read it.
    m_crontab = new QLineEdit;
    m_crontab->setObjectName(QStringLiteral("crontabLine"));
    m_crontab->setReadOnly(true);
    m_crontab->hide();
    layout->addWidget(m_crontab);
    m_waiting = new QLabel(tr("正在等待 systemd 的用户服务管理器回应…（可按“取消”停止等待）"));
    m_waiting->setObjectName(QStringLiteral("waiting"));
    m_waiting->setWordWrap(true);
    m_waiting->hide();
    layout->addWidget(m_waiting);

    auto* buttons = new QDialogButtonBox(this);
    m_set = buttons->addButton(tr("设置"), QDialogButtonBox::AcceptRole);
    m_set->setObjectName(QStringLiteral("set"));
    m_remove = buttons->addButton(tr("移除"), QDialogButtonBox::DestructiveRole);
    m_remove->setObjectName(QStringLiteral("remove"));
    m_cancel = buttons->addButton(tr("取消"), QDialogButtonBox::RejectRole);
    m_cancel->setObjectName(QStringLiteral("cancel"));
    m_set->setDefault(true);
    layout->addWidget(buttons);

    connect(browse, &QPushButton::clicked, this, &WatchDialog::browse);
    connect(m_set, &QPushButton::clicked, this, &WatchDialog::install);
    connect(m_remove, &QPushButton::clicked, this, &WatchDialog::remove);
    connect(m_cancel, &QPushButton::clicked, this, &WatchDialog::reject);
    connect(m_watches, &QTreeWidget::itemSelectionChanged, this, &WatchDialog::pickWatch);
    connect(m_list, &QLineEdit::textChanged, this, &WatchDialog::updateFields);
    for (QRadioButton* channel : {m_desktop, m_mail, m_webhook})
        connect(channel, &QRadioButton::toggled, this, &WatchDialog::updateFields);
    listWatches();
    showExisting();
    updateFields();
}

WatchDialog::~WatchDialog()
{
    // The wait ends within a slice of it: its systemctl is killed.
    m_cancelWait.store(true, std::memory_order_release);
    if (m_worker != nullptr) {
        m_worker->wait();
        delete m_worker;
    }
}

void WatchDialog::reject()
{
    if (m_worker != nullptr) {
        m_cancelWait.store(true, std::memory_order_release);
        m_waiting->setText(tr("正在停止等待…"));
        return;
    }
    QDialog::reject();
}

void WatchDialog::listWatches()
{
    const QSignalBlocker quiet(m_watches);
    m_watches->clear();
    for (const watch::InstalledTimer& timer : watch::listTimers()) {
        auto* row = new QTreeWidgetItem(m_watches,
                                        {QString::fromStdString(timer.name),
                                         timer.schedule == watch::Schedule::Weekly ? tr("每周") : tr("每天"),
                                         channelText(timer.targets),
                                         fromLocal(timer.list)});
        row->setData(0, Qt::UserRole, fromLocal(timer.list));
    }
    for (int column = 0; column < m_watches->columnCount(); ++column)
        m_watches->resizeColumnToContents(column);
}

void WatchDialog::pickWatch()
{
    const QList<QTreeWidgetItem*> picked = m_watches->selectedItems();
    if (picked.isEmpty())
        return;
    m_picked = picked.front()->text(0).toStdString();
    m_pickedList = picked.front()->data(0, Qt::UserRole).toString();
    m_list->setText(m_pickedList);
    showExisting();
    updateFields();
}

QString WatchDialog::listPath() const
{
    const QString text = m_list->text().trimmed();
    return text.isEmpty() ? text : QFileInfo(text).absoluteFilePath();
}

std::string WatchDialog::timerName() const
{
    if (!m_picked.empty() && m_list->text() == m_pickedList)
        return m_picked;
    return watch::timerNameFor(toLocal(listPath()));
}

void WatchDialog::browse()
{
    const QString path = chooseListFile ? chooseListFile()
                                        : QFileDialog::getOpenFileName(this,
                                                                       QString(),
                                                                       QFileInfo(listPath()).absolutePath(),
                                                                       tr("文本文件 (*.txt);;所有文件 (*)"));
    if (path.isEmpty())
        return;
    m_list->setText(path);
    showExisting();
}

void WatchDialog::showExisting()
{
    const std::string name = timerName();
    const std::vector<watch::InstalledTimer> timers = watch::listTimers();
    const auto timer =
        std::find_if(timers.begin(), timers.end(), [&name](const watch::InstalledTimer& installed) {
            return installed.name == name;
        });
    std::string why;
    const std::optional<watch::WatchConfig> config =
        timer == timers.end() ? std::nullopt : watch::readWatchConfig(timer->config, why);
    if (!config)
        return;

    (timer->schedule == watch::Schedule::Weekly ? m_weekly : m_daily)->setChecked(true);
    if (config->warnDays)
        m_days->setValue(*config->warnDays);
    const std::string target = config->targets.empty() ? std::string() : config->targets.front();
    if (target.starts_with("mailto:")) {
        m_mail->setChecked(true);
        m_mailAddress->setText(QString::fromStdString(target.substr(7)));
        m_smtpUrl->setText(QString::fromStdString(config->smtp));
        m_smtpUser->setText(QString::fromStdString(config->smtpUser));
    } else if (target.starts_with("http")) {
        m_webhook->setChecked(true);
        m_webhookUrl->setText(QString::fromStdString(target));
        const int format = m_webhookFormat->findData(QString::fromStdString(config->webhookFormat));
        m_webhookFormat->setCurrentIndex(std::max(format, 0));
    } else {
        m_desktop->setChecked(true);
    }
}

void WatchDialog::updateFields()
{
    for (QLineEdit* field : {m_mailAddress, m_smtpUrl, m_smtpUser, m_smtpPassword})
        field->setEnabled(m_mail->isChecked());
    m_webhookUrl->setEnabled(m_webhook->isChecked());
    m_webhookFormat->setEnabled(m_webhook->isChecked());
    const std::string name = timerName();
    m_name->setText(QString::fromStdString(name));
    // The watch the fields are about is the row shown picked.
    {
        const QSignalBlocker quiet(m_watches);
        for (int row = 0; row < m_watches->topLevelItemCount(); ++row) {
            QTreeWidgetItem* item = m_watches->topLevelItem(row);
            item->setSelected(item->text(0).toStdString() == name);
        }
    }
    const std::vector<watch::InstalledTimer> timers = watch::listTimers();
    m_remove->setEnabled(
        m_worker == nullptr &&
        std::any_of(timers.begin(), timers.end(), [&name](const watch::InstalledTimer& timer) {
            return timer.name == name;
        }));
    m_set->setEnabled(m_worker == nullptr);
}

void WatchDialog::showProblem(const QString& text)
{
    m_problem->setText(text);
    m_problem->setVisible(!text.isEmpty());
}

std::optional<watch::WatchConfig> WatchDialog::readFields()
{
    const QString list = listPath();
    if (list.isEmpty()) {
        showProblem(tr("请选择要定期检查的域名列表文件。"));
        return std::nullopt;
    }
    if (!QFileInfo(list).isFile()) {
        showProblem(tr("找不到列表文件“%1”。").arg(list));
        return std::nullopt;
    }
    watch::WatchConfig config;
    config.list = toLocal(list);
    config.warnDays = m_days->value();
    if (m_desktop->isChecked())
        config.targets = {"desktop"};

    if (m_mail->isChecked()) {
        const std::string address = m_mailAddress->text().trimmed().toStdString();
        const std::string url = m_smtpUrl->text().trimmed().toStdString();
        QString why = mailAddressProblem(address);
        if (why.isEmpty())
            why = smtpUrlProblem(url);
        if (!why.isEmpty()) {
            showProblem(why);
            return std::nullopt;
        }
        config.targets = {"mailto:" + address};
        config.smtp = url;
        config.smtpUser = m_smtpUser->text().trimmed().toStdString();
        // No sender is written: the watch takes the one rule of watch::mailSender.
        const std::filesystem::path passwordFile = watch::savedPasswordPath();
        const QString password = m_smtpPassword->text();
        std::string unwritten;
        if (!password.isEmpty() &&
            !watch::writePasswordFile(passwordFile, password.toStdString(), unwritten)) {
            showProblem(tr("无法保存 SMTP 密码到“%1”。").arg(fromLocal(passwordFile.string())));
            return std::nullopt;
        }
        if (!config.smtpUser.empty() && std::filesystem::exists(passwordFile))
            config.smtpPasswordFile = passwordFile.string();
    }

    if (m_webhook->isChecked()) {
        const std::string url = m_webhookUrl->text().trimmed().toStdString();
        if (const QString why = webhookUrlProblem(url); !why.isEmpty()) {
            showProblem(why);
            return std::nullopt;
        }
        config.targets = {url};
        config.webhookFormat = m_webhookFormat->currentData().toString().toStdString();
    }
    return config;
}

void WatchDialog::install()
{
    showProblem({});
    const std::optional<watch::WatchConfig> config = readFields();
    if (!config)
        return;
    if (!QFileInfo(m_cli).isExecutable()) {
        tell(this,
             tr("找不到 zonedesk-cli（%1）：定期检查由它在后台查询。请把它装在本程序旁边。").arg(m_cli));
        return;
    }

    watch::TimerPlan plan;
    plan.name = timerName();
    plan.schedule = m_weekly->isChecked() ? watch::Schedule::Weekly : watch::Schedule::Daily;
    plan.cli = toLocal(QFileInfo(m_cli).absoluteFilePath());
    plan.config = watch::watchConfigPath(plan.name);
    const bool weekly = m_weekly->isChecked();
    const QString list = fromLocal(config->list);
    runOffThread(
        [plan, config = *config](const watch::Cancel* cancel) {
            return watch::installTimer(plan, config, cancel);
        },
        [this, weekly, list](const watch::TimerOutcome& outcome) { installed(outcome, weekly, list); });
}

void WatchDialog::installed(const watch::TimerOutcome& outcome, bool weekly, const QString& list)
{
    listWatches();
    if (!outcome.ok) {
        showProblem(tr("无法设置定期检查：%1").arg(QString::fromStdString(outcome.message)));
        return;
    }
    if (outcome.enabled) {
        tell(
            this,
            weekly
                ? tr("已设置定期检查：每周检查一次“%1”。电脑关机时错过的检查，会在下次开机后补上。").arg(list)
                : tr("已设置定期检查：每天检查一次“%1”。电脑关机时错过的检查，会在下次开机后补上。")
                      .arg(list));
        accept();
        return;
    }
    m_outcome->setText(weekly ? tr("设置已保存，但连不上 systemd 的用户服务管理器，计时器没有启用。"
                                   "要让系统每周检查一次，请运行 crontab -e，加入下面这一行：")
                              : tr("设置已保存，但连不上 systemd 的用户服务管理器，计时器没有启用。"
                                   "要让系统每天检查一次，请运行 crontab -e，加入下面这一行："));
    m_outcome->setToolTip(QString::fromStdString(outcome.message));
    m_outcome->show();
    m_crontab->setText(QString::fromStdString(outcome.crontab));
    m_crontab->show();
    m_crontab->setFocus();
    m_crontab->selectAll();
    m_cancel->setText(tr("关闭"));
    updateFields();
}

void WatchDialog::remove()
{
    const std::string name = timerName();
    runOffThread([name](const watch::Cancel* cancel) { return watch::removeTimer(name, cancel); },
                 [this, name](const watch::TimerOutcome& outcome) { removed(outcome, name); });
}

void WatchDialog::removed(const watch::TimerOutcome& outcome, const std::string& name)
{
    m_picked.clear();
    listWatches();
    updateFields();
    if (!outcome.ok) {
        tell(this, tr("无法移除定期检查：%1").arg(QString::fromStdString(outcome.message)));
        return;
    }
    QString text = tr("已移除定期检查“%1”。").arg(QString::fromStdString(name));
    // Only its owner can take a line out of a crontab.
    if (outcome.crontabMayRemain)
        text += tr("如果你把它的那一行加进了 crontab，那一行还在：请运行 crontab -e 删除它。");
    tell(this, text);
}

void WatchDialog::runOffThread(std::function<watch::TimerOutcome(const watch::Cancel*)> work,
                               std::function<void(const watch::TimerOutcome&)> done)
{
    if (m_worker != nullptr)
        return;
    m_cancelWait.store(false, std::memory_order_release);
    m_waiting->setText(tr("正在等待 systemd 的用户服务管理器回应…（可按“取消”停止等待）"));
    m_waiting->show();
    m_cancel->setText(tr("取消"));
    m_worker = QThread::create([this, work = std::move(work), done = std::move(done)]() mutable {
        watch::TimerOutcome outcome = work(&m_cancelWait);
        QMetaObject::invokeMethod(
            this,
            [this, outcome = std::move(outcome), done = std::move(done)] {
                m_worker->wait();
                delete m_worker;
                m_worker = nullptr;
                m_waiting->hide();
                done(outcome);
                updateFields();
            },
            Qt::QueuedConnection);
    });
    updateFields();
    m_worker->start();
}

} // namespace zonedesk
