// SPDX-License-Identifier: MIT
#include "watch/watch_config.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace zonedesk::watch {
namespace {

WatchConfig listed(const std::string& list)
{
    WatchConfig config;
    config.list = list;
    return config;
}

TEST(WatchConfig, ASettingsFileReadsAsWritten)
{
    test::TempDir dir;
    const auto path = dir.write("watch.ini",
                                "; written by hand\n"
                                "[other]\nlist=/not/this\n"
                                "[Watch]\n"
                                "LIST = /home/me/domains.txt\n"
                                "warn-days=30\n"
                                "notify=desktop  mailto:me@example.com\thttps://hooks.example.com/x\n"
                                "smtp=smtps://mail.example.com:465\n"
                                "smtp-user=me@example.com\n"
                                "smtp-password-file=/home/me/.config/zonedesk/smtp-password\n"
                                "smtp-from=me@example.com\n"
                                "webhook-format=ntfy\n"
                                "always=1\n"
                                "colour=blue\n");
    std::string why;
    const auto config = readWatchConfig(path, why);
    ASSERT_TRUE(config) << why;
    EXPECT_EQ(config->list, "/home/me/domains.txt");
    EXPECT_EQ(config->warnDays, 30);
    EXPECT_EQ(config->targets,
              (std::vector<std::string>{"desktop", "mailto:me@example.com", "https://hooks.example.com/x"}));
    EXPECT_EQ(config->smtp, "smtps://mail.example.com:465");
    EXPECT_EQ(config->smtpUser, "me@example.com");
    EXPECT_EQ(config->smtpPasswordFile, "/home/me/.config/zonedesk/smtp-password");
    EXPECT_EQ(config->smtpFrom, "me@example.com");
    EXPECT_EQ(config->webhookFormat, "ntfy");
    EXPECT_TRUE(config->always);
    EXPECT_EQ(config->db, "");

    // Absent keys: no day count (the command's default), no target, always off.
    const auto bare = readWatchConfig(dir.write("bare.ini", "[watch]\r\nlist=a.txt\r\n"), why);
    ASSERT_TRUE(bare) << why;
    EXPECT_EQ(*bare, listed("a.txt"));
}

TEST(WatchConfig, AwkwardValuesSurviveAWriteAndARead)
{
    test::TempDir dir;
    WatchConfig config;
    // Blanks and quotes at the ends, which the reader would otherwise strip; an "=", a ";", a "#"
    // and Chinese inside; longer than the reader's default cut of 99 bytes.
    config.list = " \"/home/me/my lists/中文 a=b;c #d.txt' " + std::string(200, 'x');
    config.warnDays = 0;
    config.targets = {"desktop", "mailto:me@example.com"};
    config.smtp = "smtp://127.0.0.1:2525";
    config.smtpPasswordFile = "'quoted'";
    config.db = "\t/var/db/history.sqlite";
    config.always = true;
    config.attachCalendar = true;
    config.notifyTimeout = 0.1;
    config.preferRdap = true;
    config.jobs = 256;
    config.encoding = "gbk";
    config.timeout = 3600;
    config.endpoints = {"whois.example=127.0.0.1:4343", "whois.example.net=[::1]:43"};
    const auto path = dir.path() / "made" / "here" / "watch.ini";
    std::string why;
    ASSERT_TRUE(writeWatchConfig(path, config, why)) << why;
    const auto back = readWatchConfig(path, why);
    ASSERT_TRUE(back) << why;
    EXPECT_EQ(*back, config);

    // A plain one is written as a person would write it.
    WatchConfig plain = listed("/home/me/domains.txt");
    plain.warnDays = 14;
    plain.targets = {"desktop", "-"};
    ASSERT_TRUE(writeWatchConfig(path, plain, why)) << why;
    EXPECT_EQ(test::readFile(path),
              "[watch]\r\nlist=/home/me/domains.txt\r\nwarn-days=14\r\nnotify=desktop -\r\n");
    // Webhook URLs carry their tokens: the file is its owner's alone.
    EXPECT_EQ(std::filesystem::status(path).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST(WatchConfig, ABadValueIsRefusedNamingItsKey)
{
    struct Case
    {
        const char* line;
        const char* key;
    };

    const Case cases[] = {
        {"warn-days=thirty", "warn-days"},
        {"warn-days=12x", "warn-days"},
        {"warn-days=-1", "warn-days"},
        {"warn-days=3651", "warn-days"},
        {"warn-days=99999999999", "warn-days"},
        {"always=yes", "always"},
        {"webhook-format=xml", "webhook-format"},
        {"jobs=0", "jobs"},
        {"jobs=257", "jobs"},
        {"timeout=0.5", "timeout"},
        {"notify-timeout=soon", "notify-timeout"},
        {"connect-timeout=nan", "connect-timeout"},
        {"prefer-rdap=true", "prefer-rdap"},
        {"encoding=latin1", "encoding"},
    };
    test::TempDir dir;
    for (const Case& c : cases) {
        std::string why;
        EXPECT_FALSE(
            readWatchConfig(dir.write("bad.ini", std::string("[watch]\nlist=a\n") + c.line + "\n"), why))
            << c.line;
        EXPECT_NE(why.find(c.key), std::string::npos) << why;
    }

    std::string why;
    EXPECT_FALSE(readWatchConfig(dir.write("other.ini", "[user]\ngqts=30\n"), why));
    EXPECT_NE(why.find("[watch]"), std::string::npos) << why;
    EXPECT_FALSE(readWatchConfig(dir.path() / "missing.ini", why));
    EXPECT_NE(why.find("can't be read"), std::string::npos) << why;
    // A value the reader would have to cut is refused rather than read as a shorter path.
    EXPECT_FALSE(
        readWatchConfig(dir.write("long.ini", "[watch]\nlist=/" + std::string(5000, 'a') + "\n"), why));
    EXPECT_NE(why.find("list"), std::string::npos) << why;
}

TEST(WatchConfig, AValueThatCouldNotBeReadBackIsNotWritten)
{
    test::TempDir dir;
    const auto path = dir.path() / "watch.ini";
    std::vector<WatchConfig> refused = {listed("/a\nwarn-days=1"), listed("/" + std::string(5000, 'a'))};
    refused.emplace_back(listed("/a")).smtpFrom = "me@example.com\r\nBcc: x";
    refused.emplace_back(listed("/a")).targets = {"mailto:a@example.com desktop"};
    refused.emplace_back(listed("/a")).targets = {""};
    refused.emplace_back(listed("/a")).warnDays = -3;
    for (const WatchConfig& config : refused) {
        std::string why;
        EXPECT_FALSE(writeWatchConfig(path, config, why)) << config.list;
        EXPECT_FALSE(why.empty());
        EXPECT_FALSE(std::filesystem::exists(path));
    }
}

TEST(WatchConfig, AFileThatCantBeWrittenIsSaid)
{
    test::TempDir dir;
    std::string why;
    // A folder stands where the file goes; a file stands where its folder goes.
    std::filesystem::create_directory(dir.path() / "watch.ini");
    EXPECT_FALSE(writeWatchConfig(dir.path() / "watch.ini", listed("/a"), why));
    EXPECT_NE(why.find("watch.ini"), std::string::npos) << why;
    const auto file = dir.write("plain", "x");
    EXPECT_FALSE(writeWatchConfig(file / "watch.ini", listed("/a"), why));
    EXPECT_NE(why.find("plain"), std::string::npos) << why;
}

} // namespace
} // namespace zonedesk::watch
