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
    EXPECT_EQ(text, "[desktop]\r\nmaximized=1\r\n");
}

} // namespace
} // namespace zonedesk::core
