// SPDX-License-Identifier: MIT
#include "core/settings_file.h"

#include <string>

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace zonedesk::core {
namespace {

TEST(SettingsFile, FirstStartCreatesTheExactDefaults)
{
    test::TempDir dir;
    const auto path = dir.path() / "config.ini";
    ASSERT_TRUE(ensureConfigFile(path));
    EXPECT_EQ(test::readFile(path), "[user]\r\nchkgq=1\r\ngqts=30\r\n");
    EXPECT_EQ(test::readFile(path).size(), 26U);
    const core::UserSettings settings = loadSettings(path);
    EXPECT_EQ(settings.redDisplay, 1);
    EXPECT_EQ(settings.expiryWarnDays, 30);
}

TEST(SettingsFile, AnExistingFileIsNotRewritten)
{
    test::TempDir dir;
    const auto path = dir.write("config.ini", "[user]\ngqts=7\n");
    ASSERT_TRUE(ensureConfigFile(path));
    EXPECT_EQ(test::readFile(path), "[user]\ngqts=7\n");
    EXPECT_EQ(loadSettings(path).redDisplay, 1); // missing key reads as on
}

TEST(SettingsFile, ValuesFollowTheCLibraryReadingRules)
{
    EXPECT_EQ(redDisplayFromText("0"), 0);
    for (const char* on : {"1", "00", "no", "", " 0"})
        EXPECT_EQ(redDisplayFromText(on), 1) << on;

    struct Case
    {
        const char* text;
        std::int32_t expected;
    };

    // clang-format off
    const Case cases[] = {
        {"15days",       15       },
        {"-5",           -5       },
        {"abc",          0        },
        {"",             0        },
        {" \t+7",        7        },
        {"99999999999",  INT32_MAX},
        {"-99999999999", INT32_MIN},
        {"- 5",          0        },
    };
    // clang-format on
    for (const Case& c : cases)
        EXPECT_EQ(expiryWarnDaysFromText(c.text), c.expected) << c.text;
}

TEST(ProfileValue, FindsKeysLikeThePrivateProfileFunctions)
{
    const std::string text = "; comment gqts=1\r\n"
                             "[other]\r\ngqts=1\r\n"
                             "[ USER ]\r\n  GQTS =  \"45\"  \r\nchkgq=\r\n";
    EXPECT_EQ(profileValue(text, "user", "gqts"), "45");
    EXPECT_EQ(profileValue(text, "user", "chkgq"), "");
    EXPECT_EQ(profileValue(text, "user", "missing"), "");
    EXPECT_EQ(profileValue(text, "absent", "gqts"), "");
    EXPECT_EQ(profileValue("[user]\ngqts=" + std::string(150, '9'), "user", "gqts").size(), MaxSettingLength);
}

TEST(WithProfileValue, KeepsEverythingElseAndEndsLinesWithCrLf)
{
    struct Case
    {
        const char* why;
        const char* before;
        const char* after;
    };

    const Case cases[] = {
        {"replaces in place",
         "; mine\n[user]\nchkgq=1\ngqts=30\n[more]\nx=y",
         "; mine\r\n[user]\r\nchkgq=1\r\ngqts=5\r\n[more]\r\nx=y\r\n"},
        {"adds a missing key at the end of its section",
         "[User]\nchkgq=0\n\n[more]\nx=y\n",
         "[User]\r\nchkgq=0\r\ngqts=5\r\n\r\n[more]\r\nx=y\r\n"},
        {"adds a missing section", "[more]\r\nx=y\r\n", "[more]\r\nx=y\r\n[user]\r\ngqts=5\r\n"},
        {"creates from nothing", "", "[user]\r\ngqts=5\r\n"},
        {"a key of the same name elsewhere is left alone",
         "[more]\ngqts=1\n[user]\n",
         "[more]\r\ngqts=1\r\n[user]\r\ngqts=5\r\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(withProfileValue(c.before, "user", "gqts", "5"), c.after) << c.why;
}

TEST(SettingsFile, SaveWritesBothKeysAndKeepsTheRest)
{
    test::TempDir dir;
    const auto path =
        dir.write("config.ini", "[user]\r\n; note\r\nchkgq=yes\r\ngqts=abc\r\n[window]\r\nmax=1\r\n");
    ASSERT_TRUE(saveSettings(path, {-3, 0, false, {}, false}));
    EXPECT_EQ(test::readFile(path), "[user]\r\n; note\r\nchkgq=0\r\ngqts=-3\r\n[window]\r\nmax=1\r\n");
    const core::UserSettings back = loadSettings(path);
    EXPECT_EQ(back.expiryWarnDays, -3);
    EXPECT_EQ(back.redDisplay, 0);
}

TEST(SettingsFile, TransportIsReadAndLeftAsTheUserWroteIt)
{
    test::TempDir dir;
    const auto path = dir.write("config.ini", "[user]\r\nchkgq=1\r\ngqts=30\r\nTransport = RDAP\r\n");
    EXPECT_TRUE(loadSettings(path).preferRdap);
    ASSERT_TRUE(saveSettings(path, {30, 1, true, {}, false}));
    EXPECT_EQ(test::readFile(path), "[user]\r\nchkgq=1\r\ngqts=30\r\nTransport = RDAP\r\n");
    EXPECT_FALSE(loadSettings(dir.write("config.ini", "[user]\r\ntransport=whois\r\n")).preferRdap);
    // The history's keys are read the same way, and never written.
    const auto history = dir.write(
        "config.ini", "[user]\r\nchkgq=1\r\ngqts=30\r\nhistoryDb=/data/h.sqlite3\r\nrestoreLast=1\r\n");
    const core::UserSettings read = loadSettings(history);
    EXPECT_EQ(read.historyDb, "/data/h.sqlite3");
    EXPECT_TRUE(read.restoreLast);
    ASSERT_TRUE(saveSettings(history, read));
    EXPECT_EQ(test::readFile(history),
              "[user]\r\nchkgq=1\r\ngqts=30\r\nhistoryDb=/data/h.sqlite3\r\nrestoreLast=1\r\n");
}

TEST(SettingsFile, LanguageNamesChineseOrEnglishElseFollowsTheSystem)
{
    const struct
    {
        std::string_view text;
        LanguageChoice choice;
        // clang-format off
    } rows[] = {
        {"zh",      LanguageChoice::Chinese},
        {" ZH_cn ", LanguageChoice::Chinese},
        {"zh-Hans", LanguageChoice::Chinese},
        {"en",      LanguageChoice::English},
        {"EN-us",   LanguageChoice::English},
        {"",        LanguageChoice::System }, // no key
        {"de",      LanguageChoice::System },
        {"eng",     LanguageChoice::System }, // a prefix is no language
        {"zhx",     LanguageChoice::System },
        {"_en",     LanguageChoice::System },
    };

    // clang-format on

    for (const auto& row : rows)
        EXPECT_EQ(languageFromText(row.text), row.choice) << row.text;

    // Read from [user] only, and never written: the file keeps the user's bytes.
    test::TempDir dir;
    const auto path = dir.write(
        "config.ini", "[user]\r\nchkgq=1\r\ngqts=30\r\nLanguage = \"en\"\r\n[other]\r\nlanguage=zh\r\n");
    const core::UserSettings read = loadSettings(path);
    EXPECT_EQ(read.language, LanguageChoice::English);
    ASSERT_TRUE(saveSettings(path, read));
    EXPECT_EQ(test::readFile(path),
              "[user]\r\nchkgq=1\r\ngqts=30\r\nLanguage = \"en\"\r\n[other]\r\nlanguage=zh\r\n");
    EXPECT_EQ(loadSettings(dir.write("config.ini", "[other]\r\nlanguage=en\r\n")).language,
              LanguageChoice::System);
}

TEST(SettingsFile, FolderWhereNothingCanBeCreatedStillReadsDefaults)
{
    test::TempDir dir;
    const auto path = dir.path() / "no-such-folder" / "config.ini";
    EXPECT_FALSE(ensureConfigFile(path));
    const core::UserSettings settings = loadSettings(path);
    EXPECT_EQ(settings.redDisplay, 1);
    EXPECT_EQ(settings.expiryWarnDays, 0);
    EXPECT_FALSE(saveSettings(path, settings));
    EXPECT_FALSE(std::filesystem::exists(path.parent_path()));
}

} // namespace
} // namespace zonedesk::core
