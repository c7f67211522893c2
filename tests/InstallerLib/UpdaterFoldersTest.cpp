#include "InstallerLib/UpdaterFolders.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace stubsetup {
namespace {

using test::IsolatedHome;
using test::TempFolder;

std::string FolderOf(int kind, bool create = false)
{
    std::string path = "untouched";
    return GetSpecialFolder(kind, path, create) ? path : "failed:" + path;
}

TEST(JoinPath, AddsOneSeparatorUnlessThereIsOne)
{
    EXPECT_EQ(JoinPath("/data", "x.txt"), "/data/x.txt");
    EXPECT_EQ(JoinPath("/data/", "x.txt"), "/data/x.txt");
    EXPECT_EQ(JoinPath("/data", "/x.txt"), "/data//x.txt");
    EXPECT_EQ(JoinPath("", "x.txt"), "x.txt");
}

TEST(ParentPath, StripsTheLastComponentWithItsTrailingSeparator)
{
    EXPECT_EQ(ParentPath("/a/b"), "/a");
    EXPECT_EQ(ParentPath("/a/b/"), "/a");
    EXPECT_EQ(ParentPath("/a/b//"), "/a");
    EXPECT_EQ(ParentPath("a/b"), "a");
    EXPECT_EQ(ParentPath("/a"), "");
    EXPECT_EQ(ParentPath("/"), "");
    EXPECT_EQ(ParentPath("name"), "");
    const std::string nearLimit = "/a/" + std::string(kPathLimit - 4, 'b');
    EXPECT_EQ(ParentPath(nearLimit), "/a");
    EXPECT_EQ(ParentPath(nearLimit + "c"), "");
}

TEST(CreateDirectoryTree, CreatesEveryMissingLevelButNotThroughAFile)
{
    TempFolder folder;
    EXPECT_TRUE(CreateDirectoryTree(folder / "a/b/c"));
    EXPECT_TRUE(std::filesystem::is_directory(folder / "a/b/c"));
    EXPECT_TRUE(CreateDirectoryTree(folder / "a/b/c"));
    EXPECT_TRUE(CreateSingleDirectory(folder / "a"));
    EXPECT_FALSE(CreateSingleDirectory(folder / "missing/new"));

    test::WriteFile(folder / "file", "x");
    EXPECT_TRUE(PathExists(folder / "file"));
    EXPECT_FALSE(CreateSingleDirectory(folder / "file"));
    EXPECT_FALSE(CreateDirectoryTree(folder / "file/d/e"));
    EXPECT_FALSE(PathExists(folder / "file/d"));
}

TEST(GetSpecialFolder, MapsKindsToHomeFallbacksAndSystemFolders)
{
    IsolatedHome isolated;
    const std::string home = isolated.home();
    EXPECT_EQ(FolderOf(0), "/tmp/");
    EXPECT_EQ(FolderOf(1), "/tmp/");
    EXPECT_EQ(FolderOf(2), home + "/Desktop");
    EXPECT_EQ(FolderOf(3), home + "/Documents");
    EXPECT_EQ(FolderOf(4), home + "/.cache");
    EXPECT_EQ(FolderOf(5), home + "/.local/share");
    EXPECT_EQ(FolderOf(6), home + "/.local/share");
    EXPECT_EQ(FolderOf(7), "/var/lib");
    EXPECT_EQ(FolderOf(8), home + "/Public");
    EXPECT_EQ(FolderOf(9), home + "/.local/share/fonts");
    EXPECT_EQ(FolderOf(10), "/usr");
    EXPECT_EQ(FolderOf(11), "/opt");
    EXPECT_EQ(FolderOf(12), "failed:untouched");
    EXPECT_EQ(FolderOf(-1), "failed:untouched");
}

TEST(GetSpecialFolder, TakesAbsoluteXdgVariablesAndUserDirs)
{
    IsolatedHome isolated;
    auto &environment = isolated.environment();
    environment.set("TMPDIR", "/var/tmp");
    environment.set("XDG_CACHE_HOME", "/srv/cache");
    environment.set("XDG_DATA_HOME", "relative/data");
    environment.set("XDG_CONFIG_HOME", isolated.scratch(""));
    test::WriteFile(isolated.scratch("user-dirs.dirs"),
                    "# written by xdg-user-dirs-update\n"
                    "XDG_DESKTOP_DIR=\"$HOME/Schreib\\\"tisch\"\n"
                    "XDG_DOCUMENTS_DIR=\"/srv/docs\"\n"
                    "XDG_PUBLICSHARE_DIR=\"shared\"\n");
    EXPECT_EQ(FolderOf(0), "/var/tmp/");
    EXPECT_EQ(FolderOf(2), isolated.home() + "/Schreib\"tisch");
    EXPECT_EQ(FolderOf(3), "/srv/docs");
    EXPECT_EQ(FolderOf(4), "/srv/cache");
    EXPECT_EQ(FolderOf(5), isolated.home() + "/.local/share");
    EXPECT_EQ(FolderOf(8), isolated.home() + "/Public");

    environment.set("XDG_DATA_HOME", "");
    EXPECT_EQ(FolderOf(9), isolated.home() + "/.local/share/fonts");
}

TEST(GetSpecialFolder, FailsWithoutHomeOrXdgVariables)
{
    IsolatedHome isolated;
    isolated.environment().unset("HOME");
    for (int kind : {2, 3, 4, 5, 6, 8, 9})
        EXPECT_EQ(FolderOf(kind), "failed:untouched") << "kind " << kind;
    isolated.environment().set("XDG_DATA_HOME", isolated.scratch("data"));
    EXPECT_EQ(FolderOf(6), isolated.scratch("data"));
}

TEST(GetSpecialFolder, CreatesTheLastLevelOrEveryPrivateXdgLevel)
{
    IsolatedHome isolated;
    const std::string home = isolated.home();
    EXPECT_EQ(FolderOf(2, true), home + "/Desktop");
    EXPECT_TRUE(std::filesystem::is_directory(home + "/Desktop"));
    EXPECT_EQ(FolderOf(9, true), "failed:untouched"); // .local/share is missing

    const mode_t previousMask = ::umask(022);
    EXPECT_EQ(FolderOf(5, true), home + "/.local/share");
    ::umask(previousMask);
    EXPECT_EQ(test::ModeOf(home + "/.local"), 0700u);
    EXPECT_EQ(test::ModeOf(home + "/.local/share"), 0700u);

    isolated.environment().set("HOME", isolated.scratch("missing-home"));
    EXPECT_EQ(FolderOf(3, true), "failed:untouched");
    isolated.environment().set("TMPDIR", isolated.scratch("tmp"));
    EXPECT_EQ(FolderOf(0, false), isolated.scratch("tmp/"));
    EXPECT_FALSE(PathExists(isolated.scratch("tmp")));
    EXPECT_EQ(FolderOf(0, true), isolated.scratch("tmp/"));
    EXPECT_TRUE(std::filesystem::is_directory(isolated.scratch("tmp")));
}

TEST(GetUpdaterFolder, CreatesCorvaneUpdaterBelowTheUserData)
{
    IsolatedHome isolated;
    std::string path;
    ASSERT_TRUE(GetUpdaterFolder(path));
    EXPECT_EQ(path, isolated.home() + "/.local/share/Corvane/Updater");
    EXPECT_TRUE(std::filesystem::is_directory(path));

    isolated.environment().set("XDG_DATA_HOME", isolated.scratch("file"));
    test::WriteFile(isolated.scratch("file"), "in the way");
    path = "untouched";
    EXPECT_FALSE(GetUpdaterFolder(path));
    EXPECT_EQ(path, "untouched");
}

} // namespace
} // namespace stubsetup
