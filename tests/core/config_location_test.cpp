// SPDX-License-Identifier: MIT
#include "core/config_location.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "tests/support/scoped_variable.h"
#include "tests/support/temp_dir.h"

namespace zonedesk::core {
namespace {

using test::ScopedVariable;
using test::TempDir;

TEST(ConfigPathFor, BesideTheProgramElseTheUsersConfigurationFolder)
{
    EXPECT_EQ(configPathFor("/build/default", true, "/home/u/.cfg", "/home/u"), "/build/default/config.ini");
    EXPECT_EQ(configPathFor("/usr/bin", false, "/home/u/.cfg", "/home/u"),
              "/home/u/.cfg/zonedesk/config.ini");
    // An unset, empty or relative XDG_CONFIG_HOME falls back to ~/.config.
    for (const char* configHome : {static_cast<const char*>(nullptr), "", "relative/cfg"})
        EXPECT_EQ(configPathFor("/usr/bin", false, configHome, "/home/u"),
                  "/home/u/.config/zonedesk/config.ini");
    EXPECT_EQ(configPathFor("/usr/bin", false, nullptr, nullptr), "/tmp/.config/zonedesk/config.ini");
}

TEST(ConfigPath, AWritableBuildFolderKeepsItsConfigBesideTheProgram)
{
    const TempDir dir;
    const TempDir configHome;
    const ScopedVariable variable("XDG_CONFIG_HOME", configHome.path().c_str());
    std::filesystem::create_directories(dir.path() / "build" / "data");
    EXPECT_EQ(configPath(dir.path() / "build"), dir.path() / "build" / "config.ini");
    // A test's or a user's bare folder, without data beside it, too.
    EXPECT_EQ(configPath(dir.path()), dir.path() / "config.ini");
    EXPECT_FALSE(std::filesystem::exists(configHome.path() / "zonedesk"));
}

TEST(ConfigPath, AnInstalledProgramUsesTheUsersFolderAndMakesIt)
{
    const TempDir prefix;
    const TempDir configHome;
    const ScopedVariable variable("XDG_CONFIG_HOME", configHome.path().c_str());
    std::filesystem::create_directories(prefix.path() / "bin");
    std::filesystem::create_directories(prefix.path() / "share" / "zonedesk");
    // Writable (a user's ~/.local, or root's /usr), yet the settings stay out of the bin folder.
    ASSERT_TRUE(folderWritable(prefix.path() / "bin"));
    EXPECT_TRUE(installedLayout(prefix.path() / "bin"));
    const auto path = configPath(prefix.path() / "bin");
    EXPECT_EQ(path, configHome.path() / "zonedesk" / "config.ini");
    EXPECT_TRUE(std::filesystem::is_directory(configHome.path() / "zonedesk"));

    // A portable copy carries its data beside the program: it keeps its settings there.
    std::filesystem::create_directories(prefix.path() / "bin" / "data");
    EXPECT_FALSE(installedLayout(prefix.path() / "bin"));
    EXPECT_EQ(configPath(prefix.path() / "bin"), prefix.path() / "bin" / "config.ini");
}

TEST(ConfigPath, AFolderTheUserCannotWriteSendsTheSettingsToTheConfigurationFolder)
{
    const TempDir dir;
    const TempDir configHome;
    const ScopedVariable variable("XDG_CONFIG_HOME", configHome.path().c_str());
    const auto bin = dir.path() / "bin";
    std::filesystem::create_directories(bin);
    ASSERT_EQ(::chmod(bin.c_str(), 0555), 0);
    const bool writable = folderWritable(bin);
    const auto path = configPath(bin);
    ASSERT_EQ(::chmod(bin.c_str(), 0755), 0);
    if (writable)
        GTEST_SKIP() << "root writes to any folder";
    EXPECT_EQ(path, configHome.path() / "zonedesk" / "config.ini");
}

} // namespace
} // namespace zonedesk::core
