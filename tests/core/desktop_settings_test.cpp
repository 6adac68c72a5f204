// SPDX-License-Identifier: MIT
#include "core/desktop_settings.h"

#include <string>

#include <gtest/gtest.h>

#include "core/settings_file.h"
#include "tests/support/temp_dir.h"

namespace zonedesk::core {
namespace {

TEST(DesktopSettings, RoundTripKeepsTheUserSectionByteForByte)
{
    test::TempDir dir;
    const auto path = dir.write("config.ini", std::string(DefaultConfigBytes));
    DesktopSettings settings;
    settings.normal = {-40, 80, 900, 600};
    settings.maximized = false;
    settings.importFolder = "/home/u/域名 lists";
    settings.exportFolder = std::string(300, 'x');
    ASSERT_TRUE(saveDesktopSettings(path, settings));
    const std::string text = test::readFile(path);
    EXPECT_TRUE(text.starts_with(DefaultConfigBytes)) << text;
    EXPECT_EQ(loadSettings(path).expiryWarnDays, 30);

    const DesktopSettings back = loadDesktopSettings(path);
    EXPECT_EQ(back.normal, settings.normal);
    EXPECT_FALSE(back.maximized);
    EXPECT_EQ(back.importFolder, settings.importFolder);
    EXPECT_EQ(back.exportFolder, settings.exportFolder); // longer than the user settings' limit

    settings.maximized = true;
    ASSERT_TRUE(saveDesktopSettings(path, settings));
    EXPECT_TRUE(loadDesktopSettings(path).maximized);
    EXPECT_EQ(test::readFile(path).find("[desktop]"), test::readFile(path).rfind("[desktop]"));
}

TEST(DesktopSettings, MissingOrMalformedValuesReadAsNotRemembered)
{
    const auto read = [](std::string_view text) { return desktopSettingsFromProfile(text); };
    EXPECT_FALSE(read("").normal.valid());
    EXPECT_TRUE(read("").maximized);
    EXPECT_TRUE(read("").importFolder.empty());
    EXPECT_FALSE(read("[desktop]\r\nx=1\r\ny=2\r\nwidth=300\r\n").normal.valid());
    EXPECT_FALSE(read("[desktop]\r\nx=1\r\ny=2\r\nwidth=300\r\nheight=0\r\n").normal.valid());
    EXPECT_FALSE(read("[desktop]\r\nx=1\r\ny=2\r\nwidth=3e2\r\nheight=200\r\n").normal.valid());
    EXPECT_FALSE(read("[desktop]\r\nx=1\r\ny=2\r\nwidth=99999999999\r\nheight=200\r\n").normal.valid());
    EXPECT_FALSE(read("[user]\r\nx=1\r\ny=2\r\nwidth=300\r\nheight=200\r\n").normal.valid());
    EXPECT_EQ(read("[desktop]\r\nX=1\r\ny=2\r\nwidth=300\r\nheight=200\r\n").normal,
              (WindowGeometry{1, 2, 300, 200}));
    EXPECT_FALSE(read("[desktop]\r\nmaximized=0\r\n").maximized);
    EXPECT_TRUE(read("[desktop]\r\nmaximized=yes\r\n").maximized);
    EXPECT_TRUE(read("[desktop]\r\nimportFolder=" + std::string(MaxFolderLength + 1, 'a') + "\r\n")
                    .importFolder.empty());
}

TEST(DesktopSettings, AFolderThatCouldNotBeReadBackIsLeftOut)
{
    DesktopSettings settings;
    settings.importFolder = "/tmp/two\nlines";
    settings.exportFolder = std::string(MaxFolderLength + 1, 'a');
    const std::string text = withDesktopSettings("", settings);
    EXPECT_EQ(text.find("importFolder"), std::string::npos);
    EXPECT_EQ(text.find("exportFolder"), std::string::npos);
    EXPECT_TRUE(text.starts_with("[desktop]\r\nmaximized=1\r\nexportFormat=")) << text;
}

TEST(DesktopSettings, TheExportChoiceIsKeptAcrossRuns)
{
    test::TempDir dir;
    const auto path = dir.write("config.ini", std::string(DefaultConfigBytes));
    DesktopSettings settings;
    settings.exportChoice = {.original = false,
                             .header = false,
                             .allColumns = true,
                             .isoDates = false,
                             .daysLeft = true,
                             .utf8Bom = false,
                             .rows = ExportRows::Shown};
    ASSERT_TRUE(saveDesktopSettings(path, settings));
    EXPECT_EQ(loadDesktopSettings(path).exportChoice, settings.exportChoice);

    // Back to the defaults: written over, not left behind.
    settings.exportChoice = {};
    ASSERT_TRUE(saveDesktopSettings(path, settings));
    EXPECT_EQ(loadDesktopSettings(path).exportChoice, ExportChoice{});
    for (const ExportRows rows : {ExportRows::Selected, ExportRows::All}) {
        settings.exportChoice.rows = rows;
        ASSERT_TRUE(saveDesktopSettings(path, settings));
        EXPECT_EQ(loadDesktopSettings(path).exportChoice.rows, rows);
    }
}

TEST(DesktopSettings, AMalformedExportChoiceReadsAsTheDefault)
{
    const auto read = [](std::string_view text) { return desktopSettingsFromProfile(text).exportChoice; };
    EXPECT_EQ(read(""), ExportChoice{});
    EXPECT_TRUE(read("[desktop]\r\nexportFormat=spreadsheet\r\n").original);
    EXPECT_FALSE(read("[desktop]\r\nexportFormat=sheet\r\n").original);
    EXPECT_TRUE(read("[user]\r\nexportFormat=sheet\r\n").original);
    EXPECT_TRUE(read("[desktop]\r\nexportHeader=yes\r\n").header);
    EXPECT_TRUE(read("[desktop]\r\nexportBom=00\r\n").utf8Bom);
    EXPECT_FALSE(read("[desktop]\r\nexportBom=0\r\n").utf8Bom);
    EXPECT_FALSE(read("[desktop]\r\nexportIsoDates=0\r\n").isoDates);
    EXPECT_TRUE(read("[desktop]\r\nexportIsoDates=0\r\n").daysLeft);
    EXPECT_EQ(read("[desktop]\r\nexportRows=2\r\n").rows, ExportRows::All);
    EXPECT_EQ(read("[desktop]\r\nexportRows=selected\r\n").rows, ExportRows::Selected);
    EXPECT_EQ(read("[desktop]\r\nexportRows=shown\r\n").rows, ExportRows::Shown);
}

} // namespace
} // namespace zonedesk::core
