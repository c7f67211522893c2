#include "common/platform/Paths.h"
#include "TestSupport.h"
#include "common/platform/GuardedPath.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <utility>

namespace stubsetup::platform {
namespace {

TEST(SplitFolderAndName, NamesTheFolderEveryPathIsOpenedFrom)
{
    const std::pair<std::string, FolderAndName> cases[] = {
        {"/a/b", {"/a", "b"}}, {"/a", {"/", "a"}},
        {"//a", {"/", "a"}},   {"a", {".", "a"}},
        {"a/b/", {"a", "b/"}}, {"a/", {".", "a/"}},
        {"", {"", ""}},        {"/" + std::string(kPathLimit, 'x'), {"", ""}},
    };
    for (const auto &[path, expected] : cases) {
        const FolderAndName split = SplitFolderAndName(path);
        EXPECT_EQ(split.folder, expected.folder) << path;
        EXPECT_EQ(split.name, expected.name) << path;
    }
}

// A file is never opened in place of the folder a trailing '/' names, and a
// path the system would refuse whole is refused, not walked from elsewhere.
TEST(TrustingFolderOf, RefusesFoldersAndPathsTooLongToOpen)
{
    const test::TempFolder folder;
    std::filesystem::create_directory(folder / "sub");
    FolderEntry entry;
    EXPECT_EQ(OpenFolderEntry(TrustingFolderOf(folder / "sub/"), entry).error(), EISDIR);
    EXPECT_EQ(
        OpenFolderEntry(TrustingFolderOf(folder / std::string(kPathLimit, 'x')), entry).error(),
        ENAMETOOLONG);
    ASSERT_TRUE(OpenFolderEntry(TrustingFolderOf(folder / "sub/file"), entry).ok());
    EXPECT_EQ(entry.name, "file");
}

} // namespace
} // namespace stubsetup::platform
