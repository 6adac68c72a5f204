// SPDX-License-Identifier: MIT
#include "core/data_files.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/scoped_variable.h"
#include "tests/support/temp_dir.h"

namespace zonedesk::core {
namespace {

using test::readFile;
using test::TempDir;

TEST(DataDir, TheVariableThenBesideTheProgramThenTheInstalledShareFolder)
{
    const TempDir dir;
    std::filesystem::create_directories(dir.path() / "bin" / "data");
    EXPECT_EQ(dataDirFor("/somewhere/else", dir.path() / "bin"), "/somewhere/else");
    EXPECT_EQ(dataDirFor("", dir.path() / "bin"), dir.path() / "bin" / "data");
    EXPECT_EQ(dataDirFor(nullptr, dir.path() / "bin"), dir.path() / "bin" / "data");
    EXPECT_EQ(dataDirFor(nullptr, "/opt/zonedesk/bin"), "/opt/zonedesk/share/zonedesk");
    EXPECT_EQ(dataDirFor(nullptr, dir.path() / "lib"), dir.path() / "share" / "zonedesk");

    // The build puts the data beside the programs, and the tests find the program folder.
    EXPECT_TRUE(std::filesystem::is_regular_file(dataDirFor(nullptr, ZONEDESK_BINARY_DIR) / "rdap-dns.json"));
    EXPECT_TRUE(std::filesystem::is_regular_file(executableDir() / "core_tests"));
}

TEST(DataDir, AProgramAwayFromItsDataLooksInTheXdgDataFolders)
{
    const TempDir dir;
    const auto bin = dir.path() / "opt" / "bin";
    std::filesystem::create_directories(bin);
    // The user's data folder holds the history: a zonedesk folder without the data is passed over.
    std::filesystem::create_directories(dir.path() / "home" / "zonedesk");
    std::filesystem::create_directories(dir.path() / "usr" / "zonedesk");
    dir.write("usr/zonedesk/rdap-dns.json", "{}");
    const std::vector<std::filesystem::path> xdg{dir.path() / "home", dir.path() / "usr"};
    EXPECT_EQ(dataDirFor(nullptr, bin, xdg), dir.path() / "usr" / "zonedesk");
    EXPECT_EQ(dataDirFor(nullptr, bin, {dir.path() / "home"}), dir.path() / "opt" / "share" / "zonedesk");

    // The program's own installed folder comes first, even without the file (it then says so).
    std::filesystem::create_directories(dir.path() / "opt" / "share" / "zonedesk");
    EXPECT_EQ(dataDirFor(nullptr, bin, xdg), dir.path() / "opt" / "share" / "zonedesk");
}

TEST(XdgDataDirs, TheUsersFolderThenTheSystemsLeavingOutRelativeEntries)
{
    {
        const test::ScopedVariable dataHome("XDG_DATA_HOME", "/d/home");
        const test::ScopedVariable dataDirs("XDG_DATA_DIRS", "/a:relative::/b/");
        EXPECT_EQ(xdgDataDirs(), (std::vector<std::filesystem::path>{"/d/home", "/a", "/b/"}));
    }
    const test::ScopedVariable home("HOME", "/home/u");
    const test::ScopedVariable dataHome("XDG_DATA_HOME", "share");
    const test::ScopedVariable dataDirs("XDG_DATA_DIRS", nullptr);
    EXPECT_EQ(xdgDataDirs(),
              (std::vector<std::filesystem::path>{"/home/u/.local/share", "/usr/local/share", "/usr/share"}));
}

TEST(ReadBoundedFile, ReadsUpToTheCapAndTellsMissingFromBad)
{
    const TempDir dir;
    const auto file = dir.write("f", std::string("a\0b", 3));
    std::string error;
    bool missing = true;
    EXPECT_EQ(readBoundedFile(file, 3, error, &missing), std::string("a\0b", 3));
    EXPECT_FALSE(missing);

    EXPECT_FALSE(readBoundedFile(file, 2, error, &missing));
    EXPECT_EQ(error, file.string() + " is larger than 2 bytes");
    EXPECT_FALSE(missing);

    EXPECT_FALSE(readBoundedFile(dir.path() / "none", 10, error, &missing));
    EXPECT_TRUE(missing);
    EXPECT_NE(error.find("cannot open"), std::string::npos);

    EXPECT_FALSE(readBoundedFile(dir.path(), 10, error, &missing));
    EXPECT_FALSE(missing);
    EXPECT_EQ(error, dir.path().string() + " is not a regular file");
    EXPECT_FALSE(readBoundedFile("/dev/zero", 10, error));
}

TEST(WriteFileAtomically, ReplacesWholeMakesFoldersAndLeavesNothingBehindOnFailure)
{
    const TempDir dir;
    const auto file = dir.path() / "a" / "b" / "data.json";
    std::string error;
    ASSERT_TRUE(writeFileAtomically(file, "first version", error)) << error;
    ASSERT_TRUE(writeFileAtomically(file, "second", error)) << error;
    EXPECT_EQ(readFile(file), "second");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(file.parent_path()),
                            std::filesystem::directory_iterator()),
              1);

    const auto plain = dir.write("plain", "kept");
    EXPECT_FALSE(writeFileAtomically(plain / "inside", "x", error));
    EXPECT_NE(error.find("cannot make the folder"), std::string::npos) << error;
    EXPECT_EQ(readFile(plain), "kept");

    // A folder in the way of the rename: the old entry stays and the temporary file goes.
    std::filesystem::create_directories(dir.path() / "taken" / "inner");
    EXPECT_FALSE(writeFileAtomically(dir.path() / "taken", "x", error));
    EXPECT_NE(error.find("cannot write"), std::string::npos) << error;
    EXPECT_EQ(
        std::distance(std::filesystem::directory_iterator(dir.path()), std::filesystem::directory_iterator()),
        3); // a, plain, taken
}

} // namespace
} // namespace zonedesk::core
