// SPDX-License-Identifier: MIT
#include "core/desktop_settings.h"

#include <string>
#include <vector>

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

TEST(DesktopSettings, TheListAndThePanelComeBackAsLeft)
{
    test::TempDir dir;
    const auto path = dir.write("config.ini", std::string(DefaultConfigBytes));
    DesktopSettings settings;
    settings.columnWidths = {150, 0, 90, 100, 100, 150, 150, 150, 2000, 150, 0};
    settings.columnsLanguage = "en";
    settings.columnOrder = {1, 0, 2, 3, 8, 4, 5, 6, 7, 10, 9};
    settings.hiddenColumns = {0, 6};
    settings.sortColumn = 3;
    settings.sortDescending = true;
    settings.filter = "  例子 \"ltd\" ";
    settings.panelSide = PanelSide::Right;
    settings.panelWidth = 420;
    settings.panelFloating = true;
    settings.panelFloat = {-10, 20, 380, 760};
    ASSERT_TRUE(saveDesktopSettings(path, settings));
    const DesktopSettings back = loadDesktopSettings(path);
    EXPECT_EQ(back.columnWidths, settings.columnWidths);
    EXPECT_EQ(back.columnsLanguage, "en");
    EXPECT_EQ(back.columnOrder, settings.columnOrder);
    EXPECT_EQ(back.hiddenColumns, settings.hiddenColumns);
    EXPECT_EQ(back.sortColumn, 3);
    EXPECT_TRUE(back.sortDescending);
    EXPECT_EQ(back.filter, settings.filter); // blanks at its ends and quotes inside kept
    EXPECT_EQ(back.panelSide, PanelSide::Right);
    EXPECT_EQ(back.panelWidth, 420);
    EXPECT_TRUE(back.panelFloating);
    EXPECT_EQ(back.panelFloat, settings.panelFloat);

    // Shown again, unsorted, unfiltered, docked left: each is written over the last run's.
    settings.hiddenColumns.clear();
    settings.sortColumn = -1;
    settings.filter = "two\nlines"; // could not be read back: not kept, nor the last run's
    settings.panelSide = PanelSide::Left;
    settings.panelFloating = false;
    ASSERT_TRUE(saveDesktopSettings(path, settings));
    const DesktopSettings again = loadDesktopSettings(path);
    EXPECT_TRUE(again.hiddenColumns.empty());
    EXPECT_EQ(again.sortColumn, -1);
    EXPECT_TRUE(again.filter.empty());
    EXPECT_EQ(again.panelSide, PanelSide::Left);
    EXPECT_FALSE(again.panelFloating);
}

TEST(DesktopSettings, MalformedListAndPanelValuesReadAsNotRemembered)
{
    const auto read = [](const std::string& lines) {
        return desktopSettingsFromProfile("[desktop]\r\n" + lines);
    };
    // Widths: exactly one per column, none negative or absurd.
    EXPECT_TRUE(read("columnWidths=150,150,150\r\n").columnWidths.empty());
    EXPECT_TRUE(read("columnWidths=1,2,3,4,5,6,7,8,9,10\r\n").columnWidths.empty());
    EXPECT_TRUE(read("columnWidths=1,2,3,4,5,6,7,8,9,10,11,12\r\n").columnWidths.empty());
    EXPECT_TRUE(read("columnWidths=1,2,3,4,5,6,7,8,9,10,-9\r\n").columnWidths.empty());
    EXPECT_TRUE(read("columnWidths=1,2,3,4,5,6,7,8,9999\r\n").columnWidths.empty());
    EXPECT_TRUE(read("columnWidths=1,2,3,4,5,6,7,8,9,10,\r\n").columnWidths.empty());
    EXPECT_TRUE(read("columnWidths=1,2,3,4,5,6,7,8,9,10,x\r\n").columnWidths.empty());
    EXPECT_EQ(read("columnWidths=1,2,3,4,5,6,7,8,9,10,11\r\n").columnWidths.size(), 11U);
    // Order: every column exactly once.
    EXPECT_TRUE(read("columnOrder=0,1,2,3,4,5,6,7,8,9,9\r\n").columnOrder.empty());
    EXPECT_TRUE(read("columnOrder=1,2,3,4,5,6,7,8,9,10,11\r\n").columnOrder.empty());
    EXPECT_TRUE(read("columnOrder=0,1,2,3,4,5,6,7,8,9\r\n").columnOrder.empty());
    EXPECT_EQ(read("columnOrder=10,9,8,7,6,5,4,3,2,1,0\r\n").columnOrder.front(), 10);
    // Hidden: real columns, each once, never all of them.
    EXPECT_TRUE(read("hiddenColumns=11\r\n").hiddenColumns.empty());
    EXPECT_TRUE(read("hiddenColumns=3,3\r\n").hiddenColumns.empty());
    EXPECT_TRUE(read("hiddenColumns=0,1,2,3,4,5,6,7,8,9,10\r\n").hiddenColumns.empty());
    EXPECT_EQ(read("hiddenColumns=8,3\r\n").hiddenColumns, (std::vector<int>{8, 3}));
    // Written before the status and name server columns: nine each, read with those two hidden
    // (and of their own width), the rest as left.
    const DesktopSettings earlier = read("columnWidths=1,2,3,4,5,6,7,8,9\r\ncolumnOrder=8,7,6,5,4,3,2,1,0\r\n"
                                         "hiddenColumns=3\r\n");
    EXPECT_EQ(earlier.columnWidths, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0}));
    EXPECT_EQ(earlier.columnOrder, (std::vector<int>{8, 7, 6, 5, 4, 3, 2, 1, 0, 9, 10}));
    EXPECT_EQ(earlier.hiddenColumns, (std::vector<int>{3, 9, 10}));
    EXPECT_TRUE(read("columnOrder=0,1,2,3,4,5,6,7,7\r\n").hiddenColumns.empty());
    // Sort: a real column; any order word but "descending" is ascending.
    EXPECT_EQ(read("sortColumn=11\r\nsortOrder=descending\r\n").sortColumn, -1);
    EXPECT_EQ(read("sortColumn=two\r\n").sortColumn, -1);
    EXPECT_FALSE(read("sortColumn=2\r\nsortOrder=down\r\n").sortDescending);
    // Filter: nothing too long to have been written whole.
    EXPECT_TRUE(read("filter=" + std::string(MaxFilterLength + 1, 'a') + "\r\n").filter.empty());
    EXPECT_EQ(read("filter=" + std::string(MaxFilterLength, 'a') + "\r\n").filter.size(), MaxFilterLength);
    // Panel: left unless "right"; a width above zero; a whole floating frame.
    EXPECT_EQ(read("panelSide=top\r\n").panelSide, PanelSide::Left);
    EXPECT_EQ(read("panelWidth=0\r\n").panelWidth, 0);
    EXPECT_EQ(read("panelWidth=12px\r\n").panelWidth, 0);
    EXPECT_FALSE(read("panelFloating=yes\r\n").panelFloating);
    EXPECT_FALSE(read("panelFloatX=1\r\npanelFloatY=2\r\npanelFloatWidth=300\r\n").panelFloat.valid());
    EXPECT_TRUE(read("[user]\r\ncolumnWidths=1,2,3,4,5,6,7,8,9\r\n").columnWidths.empty());
}

} // namespace
} // namespace zonedesk::core
