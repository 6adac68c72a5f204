// SPDX-License-Identifier: MIT
// zonedesk-cli watch LIST: looks the list up and tells the user, once per run, what needs them:
// names dropped, expiring soon, changed for the worse or failing again. Also sets up the timer
// that runs it.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/import_report.h"
#include "cli/lookup_options.h"
#include "cli/lookup_with_history.h"
#include "cli/result_writers.h"
#include "core/calendar_date.h"
#include "core/domain_table.h"
#include "core/text.h"
#include "history/history_store.h"
#include "listfile/renewal_calendar.h"
#include "watch/delivery.h"
#include "watch/notify_target.h"
#include "watch/password_file.h"
#include "watch/watch_config.h"
#include "watch/watch_message.h"
#include "watch/watch_report.h"
#include "watch/watch_timer.h"

namespace zonedesk::cli {

namespace {

using namespace std::chrono_literals;

constexpr const char* PasswordVariable = "ZONEDESK_SMTP_PASSWORD";

class WatchCommand final : public Command
{
public:
    std::string_view name() const override { return "watch"; }

    std::string_view summary() const override
    {
        return "Look a list up and send one message about drops, near-expiry names and changes";
    }

    void declare(CLI::App& app) override
    {
        m_app = &app;
        app.add_option("LIST", m_list, "The list file, one name per line")->type_name("FILE");
        app.add_option(
               "--config", m_configPath, "Read the list, days, targets and mail settings from this file")
            ->type_name("watch.ini");
        addWarnDaysOption(app, m_warnDays)->description("Tell of names expiring within N days (default 30)");
        app.add_option("--notify", m_targets, "Where the message goes (several allowed; default -)")
            ->type_name("desktop|mailto:ADDR|https://URL|-")
            ->allow_extra_args(false);
        app.add_flag("--always", m_always, "Send a message even when all names are fine");
        std::vector<std::string> tellKeys;
        for (const std::string_view key : watch::tellKeys())
            tellKeys.emplace_back(key);
        app.add_option("--tell", m_tell, "Tell only these kinds, comma-separated (default: all)")
            ->type_name("KIND,...")
            ->delimiter(',')
            ->check(CLI::IsMember(tellKeys));
        app.add_flag("--attach-calendar",
                     m_attachCalendar,
                     "Attach the names' renewal calendar (renewals.ics) to the mail");
        app.add_option("--smtp", m_smtp, "The mail server for mailto: targets")
            ->type_name("smtps://HOST:PORT");
        app.add_option("--smtp-user", m_smtpUser, "Log in to the mail server as USER")->type_name("USER");
        app.add_option("--smtp-password-file",
                       m_smtpPasswordFile,
                       "The mail server's password: the first line of FILE (or $ZONEDESK_SMTP_PASSWORD)")
            ->type_name("FILE");
        app.add_option("--smtp-from",
                       m_smtpFrom,
                       "The sender's address (default: the SMTP user when it is an address, else USER@HOST)")
            ->type_name("ADDR");
        app.add_option("--webhook-format", m_webhookFormat, "The webhooks' JSON shape (default json)")
            ->type_name("json|slack|ntfy")
            ->check(CLI::IsMember({"json", "slack", "ntfy"}));
        app.add_option("--notify-timeout", m_notifySeconds, "Give up a delivery after SECONDS (default 30)")
            ->type_name("SECONDS")
            ->check(CLI::Range(0.1, 600.0));
        app.add_option(
               "--install-timer", m_install, "Run this watch daily or weekly (systemd user timer or cron)")
            ->type_name("daily|weekly")
            ->check(CLI::IsMember({"daily", "weekly"}));
        app.add_option("--timer-name", m_timerName, "The timer's name (default: the list file's name)")
            ->type_name("NAME");
        app.add_option("--remove-timer", m_remove, "Disable and remove the timer NAME")->type_name("NAME");
        app.add_flag("--list-timers", m_listTimers, "List the installed watch timers");
        app.add_flag("-q,--quiet", m_quiet, "No progress line and no summary; only errors");
        m_options.declare(app);
        app.footer(
            "Looks LIST up as lookup does, keeping the history, then sends one message listing the names\n"
            "dropped since their previous lookup, the names expiring within --warn-days days (with the\n"
            "days left and the registrar), the names whose registrar, owner or expiry moved back, and the\n"
            "names that failed (ERR!) for the second run in a row, after the security changes told first\n"
            "(a transfer lock lifted or set, other name servers, DNSSEC off or on, a hold, a redemption or\n"
            "pending delete, and back) and the names still on hold or being deleted. --tell chooses the\n"
            "kinds: security, at-risk, dropped, near-expiry, expiry-moved-back, registrar-changed,\n"
            "owner-changed, failing-again, or one security change (transfer-lock-lifted, transfer-lock-set,\n"
            "name-servers-changed, dnssec-off, dnssec-on, put-on-hold, hold-released, entered-redemption,\n"
            "left-redemption). Nothing to say, no message (--always:\n"
            "\"all N names fine\"). Targets: desktop (a desktop notification over D-Bus), mailto:ADDR\n"
            "(needs --smtp; user and password from --smtp-user and --smtp-password-file or\n"
            "$ZONEDESK_SMTP_PASSWORD, never on the command line), https://URL (a JSON POST; http only to\n"
            "a loopback address), - (standard output, the default). A failed delivery is tried once more.\n"
            "--attach-calendar: the mail carries renewals.ics, the list's calendar as zonedesk-cli calendar\n"
            "writes it (its reminders --warn-days days before); the other targets go without it.\n"
            "--config FILE reads [watch] list=, warn-days=, notify= (targets separated by blanks), smtp=,\n"
            "smtp-user=, smtp-password-file=, smtp-from=, webhook-format=, always=, tell=, "
            "attach-calendar=,\n"
            "notify-timeout=, db=,\n"
            "prefer-rdap=, ten-registries=, jobs=, encoding=, connect-timeout=, timeout=, endpoint=,\n"
            "rdap-endpoint=, quiet=; options given on the command line win. --install-timer writes every\n"
            "option given to ~/.config/zonedesk/watch-NAME.ini and a\n"
            "systemd user service and timer (Persistent=true) and enables them, or prints a crontab line.\n"
            "Exit codes as lookup (0, 3 a name near expiry, 4 a lookup failed), 5 when a message could\n"
            "not be delivered, 1 usage, 2 file error, 130 interrupted.");
    }

    int run() override
    {
        if (m_listTimers)
            return listTimers();
        if (!m_remove.empty())
            return removeTimer();
        if (!m_configPath.empty()) {
            const int configured = applyConfig();
            if (configured != ExitOk)
                return configured;
        }
        if (m_list.empty())
            return usageError("give a LIST or --config FILE");
        const std::int32_t warnDays = m_warnDays.value_or(DefaultWarnDays);
        if (m_targets.empty())
            m_targets.emplace_back("-");
        std::vector<watch::NotifyTarget> targets;
        for (const std::string& text : m_targets) {
            std::string why;
            auto target = watch::parseNotifyTarget(text, why);
            if (!target)
                return usageError("--notify " + text + ": " += why);
            if (target->kind == watch::NotifyTarget::Kind::Mail && m_smtp.empty())
                return usageError("--notify " + text + " needs --smtp smtps://HOST:PORT");
            if (target->kind == watch::NotifyTarget::Kind::Mail && !m_smtp.starts_with("smtps://") &&
                !m_smtp.starts_with("smtp://"))
                return usageError("--smtp " + m_smtp + ": give smtps://HOST:PORT or smtp://HOST:PORT");
            targets.push_back(std::move(*target));
        }
        m_delivery.timeout = notifyTimeout();
        m_delivery.webhookFormat =
            watch::webhookFormatNamed(m_webhookFormat).value_or(watch::WebhookFormat::Json);
        // The mail's sender and password are checked before a timer is set up with them.
        if (!prepareMail(targets))
            return ExitUsage;
        if (!m_install.empty())
            return installTimer(warnDays);
        std::string why;
        const auto endpoints = m_options.resolve(why);
        if (!endpoints)
            return usageError(why);

        const auto table = importForCommand(m_list, m_options.encoding, true);
        if (!table)
            return ExitFile;
        if (table->count() == 0) {
            std::cerr << "zonedesk-cli: the list holds no name to look up\n";
            return ExitFile;
        }
        LookupWithHistory lookup(*table, m_options, *endpoints);
        const LookupWithHistory::End end = lookup.run(true, m_quiet);
        if (end == LookupWithHistory::End::Stopped)
            return ExitInterrupted; // a part of the list tells nothing: no message

        std::unique_ptr<history::HistoryStore> store;
        if (lookup.runHistory() != nullptr) {
            const std::string db =
                m_options.dbPath.empty() ? history::defaultHistoryPath() : m_options.dbPath;
            store = history::HistoryStore::open(db, why);
            if (!store)
                std::cerr << "zonedesk-cli: the names failing again are not known: " << why << "\n";
        } else {
            std::cerr << "zonedesk-cli: without the history only the names near expiry are known\n";
        }
        why.clear();
        watch::WatchReport report =
            watch::buildWatchReport(*table, lookup.runHistory(), store.get(), warnDays, core::today(), why);
        if (!why.empty())
            std::cerr << "zonedesk-cli: the history could not be read to its end: " << why << "\n";
        // The exit status tells of the names, whatever the message was asked to tell.
        const bool near = report.count(watch::NoticeKind::NearExpiry) > 0;
        watch::keepTold(report, m_tell);

        if (m_attachCalendar)
            attachCalendar(*table, warnDays, targets);
        std::size_t failed = 0;
        if (!report.empty() || m_always) {
            for (const watch::NotifyTarget& target : targets)
                failed += deliver(report, target) ? 0U : 1U;
        }
        if (!m_quiet)
            std::cerr << "watch: " << watch::messageSubject(report).substr(10) << "; "
                      << (report.empty() && !m_always
                              ? std::string("no message")
                              : "message sent to " + std::to_string(targets.size() - failed) + " of " +
                                    std::to_string(targets.size()) + " targets")
                      << "\n";
        if (failed > 0)
            return ExitNotifyFailed;
        if (near)
            return ExitNearExpiry;
        return end == LookupWithHistory::End::NotStarted || anyFailed(*table) ? ExitLookupFailed : ExitOk;
    }

private:
    /// Takes what the command line left unsaid from the settings file: ExitFile when it can't
    /// be read, ExitUsage when it holds a wrong value.
    int applyConfig()
    {
        std::error_code error;
        if (!std::filesystem::is_regular_file(m_configPath, error))
            return fileError("cannot read the settings file " + m_configPath);
        std::string why;
        const auto config = watch::readWatchConfig(m_configPath, why);
        if (!config) {
            std::cerr << "zonedesk-cli watch: " << why << "\n";
            return ExitUsage;
        }
        const auto fill = [](std::string& value, const std::string& from) {
            if (value.empty())
                value = from;
        };
        fill(m_list, config->list);
        fill(m_smtp, config->smtp);
        fill(m_smtpUser, config->smtpUser);
        fill(m_smtpPasswordFile, config->smtpPasswordFile);
        fill(m_smtpFrom, config->smtpFrom);
        fill(m_webhookFormat, config->webhookFormat);
        fill(m_options.dbPath, config->db);
        if (!m_warnDays)
            m_warnDays = config->warnDays;
        if (m_targets.empty())
            m_targets = config->targets;
        m_always = m_always || config->always;
        if (m_tell.empty())
            m_tell = config->tell;
        const std::vector<std::string_view> known = watch::tellKeys();
        for (const std::string& key : m_tell) {
            if (std::find(known.begin(), known.end(), key) == known.end()) {
                std::cerr << "zonedesk-cli watch: tell= names no kind: " << key << "\n";
                return ExitUsage;
            }
        }
        m_attachCalendar = m_attachCalendar || config->attachCalendar;
        m_quiet = m_quiet || config->quiet;
        m_options.session.preferRdap = m_options.session.preferRdap || config->preferRdap;
        m_options.tenRegistries = m_options.tenRegistries || config->tenRegistries;
        const auto unset = [this](const char* option) { return m_app->count(option) == 0; };
        if (unset("--jobs") && config->jobs)
            m_options.jobs = *config->jobs;
        if (unset("--notify-timeout") && config->notifyTimeout)
            m_notifySeconds = *config->notifyTimeout;
        if (!m_options.connectSeconds)
            m_options.connectSeconds = config->connectTimeout;
        if (!m_options.exchangeSeconds)
            m_options.exchangeSeconds = config->timeout;
        if (m_options.endpointArgs.empty())
            m_options.endpointArgs = config->endpoints;
        if (m_options.rdapEndpointArgs.empty())
            m_options.rdapEndpointArgs = config->rdapEndpoints;
        if (unset("--encoding") && !config->encoding.empty())
            m_options.encoding = parseEncoding(config->encoding).value_or(m_options.encoding);
        if (!watch::webhookFormatNamed(m_webhookFormat)) {
            std::cerr << "zonedesk-cli watch: " << m_configPath
                      << ": webhook-format must be json, slack or ntfy\n";
            return ExitUsage;
        }
        return ExitOk;
    }

    /// The mail settings with the password, when a target is an address; false after saying why.
    bool prepareMail(const std::vector<watch::NotifyTarget>& targets)
    {
        const bool mail = std::any_of(targets.begin(), targets.end(), [](const watch::NotifyTarget& target) {
            return target.kind == watch::NotifyTarget::Kind::Mail;
        });
        if (!mail)
            return true;
        watch::SmtpSettings& settings = m_delivery.mail;
        settings.url = m_smtp;
        settings.user = m_smtpUser;
        settings.from = watch::mailSender(m_smtpFrom, m_smtpUser);
        std::string why;
        if (settings.from.empty() || !watch::parseNotifyTarget("mailto:" + settings.from, why)) {
            std::cerr << "zonedesk-cli watch: mail needs a sender: --smtp-from ADDR"
                      << (settings.from.empty() ? "" : " (" + settings.from + " is not one)")
                      << (why.empty() ? "" : ": " + why) << "\n";
            return false;
        }
        if (!m_smtpPasswordFile.empty()) {
            bool othersCanRead = false;
            const auto password = watch::readPasswordFile(m_smtpPasswordFile, othersCanRead, why);
            if (!password) {
                std::cerr << "zonedesk-cli watch: " << why << "\n";
                return false;
            }
            if (othersCanRead)
                std::cerr << "zonedesk-cli: warning: others can read the SMTP password file "
                          << m_smtpPasswordFile << " (chmod 600 it)\n";
            settings.password = *password;
        } else if (const char* password = std::getenv(PasswordVariable)) { // NOLINT(concurrency-mt-unsafe)
            settings.password = password;
        }
        settings.timeout = m_delivery.timeout;
        return true;
    }

    /// The list's renewal calendar for the mail to carry; the other targets have no use for it.
    void attachCalendar(const core::DomainTable& table,
                        std::int32_t warnDays,
                        const std::vector<watch::NotifyTarget>& targets)
    {
        if (std::none_of(targets.begin(), targets.end(), [](const watch::NotifyTarget& target) {
                return target.kind == watch::NotifyTarget::Kind::Mail;
            }))
            return;
        listfile::RenewalCalendar calendar =
            listfile::renewalCalendar(table, {warnDays, std::int64_t{std::time(nullptr)}, core::today()});
        if (calendar.text.empty()) {
            std::cerr << "zonedesk-cli: no calendar (" << calendar.error << "): the mail goes without it\n";
            return;
        }
        m_delivery.attachment = watch::MailAttachment{
            "renewals.ics", "text/calendar; charset=utf-8; method=PUBLISH", std::move(calendar.text)};
    }

    std::chrono::milliseconds notifyTimeout() const
    {
        return std::chrono::milliseconds(std::lround(m_notifySeconds * 1000));
    }

    /// Sends the message to one target (tried twice); says on stderr when it did not arrive.
    bool deliver(const watch::WatchReport& report, const watch::NotifyTarget& target)
    {
        std::string why;
        if (watch::deliver(report, target, m_delivery, std::cout, why))
            return true;
        // A server's own words may be in the reason.
        std::cerr << "zonedesk-cli: the message did not reach " << core::safeToShow(watch::targetText(target))
                  << ": " << core::safeToShow(why) << "\n";
        return false;
    }

    int installTimer(std::int32_t warnDays)
    {
        std::error_code error;
        const std::filesystem::path list = std::filesystem::absolute(m_list, error);
        if (error || !std::filesystem::is_regular_file(list, error))
            return fileError("cannot read the list " + m_list);
        const std::string name = m_timerName.empty() ? watch::timerNameFor(list) : m_timerName;
        if (!watch::validTimerName(name))
            return usageError("a timer name holds letters, digits, - and _ only (at most 64): " + name);
        // NOLINTBEGIN(concurrency-mt-unsafe): no thread of this program sets the environment
        if (std::getenv(PasswordVariable) != nullptr && m_smtpPasswordFile.empty())
            std::cerr << "zonedesk-cli: warning: the timer does not see $" << PasswordVariable
                      << "; give --smtp-password-file for mail\n";
        for (const char* routes : {lookup::EndpointsVariable, lookup::RdapEndpointsVariable}) {
            if (std::getenv(routes) != nullptr)
                std::cerr << "zonedesk-cli: warning: the timer does not see $" << routes
                          << "; give its routes as --endpoint or --rdap-endpoint\n";
        }
        // NOLINTEND(concurrency-mt-unsafe)
        watch::WatchConfig config;
        config.list = list.string();
        config.warnDays = warnDays;
        config.targets = m_targets;
        config.smtp = m_smtp;
        config.smtpUser = m_smtpUser;
        if (!m_smtpPasswordFile.empty())
            config.smtpPasswordFile = std::filesystem::absolute(m_smtpPasswordFile, error).string();
        config.smtpFrom = m_smtpFrom;
        config.webhookFormat = m_webhookFormat;
        config.always = m_always;
        config.tell = m_tell;
        config.attachCalendar = m_attachCalendar;
        config.quiet = m_quiet;
        if (m_app->count("--notify-timeout") > 0)
            config.notifyTimeout = m_notifySeconds;
        config.preferRdap = m_options.session.preferRdap;
        config.tenRegistries = m_options.tenRegistries;
        if (m_app->count("--jobs") > 0)
            config.jobs = m_options.jobs;
        if (m_options.encoding != listfile::ListEncoding::Auto)
            config.encoding = core::asciiLower(listfile::encodingName(m_options.encoding));
        config.connectTimeout = m_options.connectSeconds;
        config.timeout = m_options.exchangeSeconds;
        config.endpoints = m_options.endpointArgs;
        config.rdapEndpoints = m_options.rdapEndpointArgs;
        if (!m_options.dbPath.empty())
            config.db = std::filesystem::absolute(m_options.dbPath, error).string();
        watch::TimerPlan plan;
        plan.name = name;
        plan.schedule = m_install == "weekly" ? watch::Schedule::Weekly : watch::Schedule::Daily;
        plan.cli = std::filesystem::read_symlink("/proc/self/exe", error);
        plan.config = watch::watchConfigPath(name);
        const watch::TimerOutcome outcome = watch::installTimer(plan, config);
        for (const std::string& file : outcome.written)
            std::cout << file << "\n";
        if (!outcome.crontab.empty())
            std::cout << outcome.crontab << "\n";
        std::cerr << "zonedesk-cli: " << outcome.message << "\n";
        return outcome.ok ? ExitOk : ExitFile;
    }

    int removeTimer()
    {
        if (!watch::validTimerName(m_remove))
            return usageError("no timer can be named " + m_remove);
        const watch::TimerOutcome outcome = watch::removeTimer(m_remove);
        for (const std::string& file : outcome.written)
            std::cout << file << "\n";
        std::cerr << "zonedesk-cli: " << outcome.message << "\n";
        return outcome.ok ? ExitOk : ExitFile;
    }

    static int listTimers()
    {
        for (const watch::InstalledTimer& timer : watch::listTimers())
            std::cout << timer.name << '\t'
                      << (timer.schedule == watch::Schedule::Weekly ? "weekly" : "daily") << '\t'
                      << timer.list << '\t' << timer.config.string() << '\n';
        return ExitOk;
    }

    static int fileError(const std::string& message)
    {
        std::cerr << "zonedesk-cli watch: " << message << "\n";
        return ExitFile;
    }

    static int usageError(const std::string& message)
    {
        std::cerr << "zonedesk-cli watch: " << message
                  << "\nTry 'zonedesk-cli watch --help' for more information.\n";
        return ExitUsage;
    }

    std::string m_list;
    std::string m_configPath;
    std::optional<std::int32_t> m_warnDays;
    std::vector<std::string> m_targets;
    bool m_always = false;
    std::vector<std::string> m_tell; // notice or change keys; empty: all
    bool m_attachCalendar = false;
    std::string m_smtp;
    std::string m_smtpUser;
    std::string m_smtpPasswordFile;
    std::string m_smtpFrom;
    std::string m_webhookFormat;
    double m_notifySeconds = 30;
    std::string m_install;
    std::string m_timerName;
    std::string m_remove;
    bool m_listTimers = false;
    bool m_quiet = false;
    LookupOptions m_options;
    watch::DeliverySettings m_delivery;
    const CLI::App* m_app = nullptr;
};

} // namespace

std::unique_ptr<Command> makeWatchCommand()
{
    return std::make_unique<WatchCommand>();
}

} // namespace zonedesk::cli
