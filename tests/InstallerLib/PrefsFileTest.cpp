#include "InstallerLib/PrefsFile.h"
#include "ExpectedReport.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>

namespace stubsetup {
namespace {

using test::kXmlDeclaration;
using test::ReadFile;
using test::TempFolder;
using test::WriteFile;

std::string Document(const std::string &body)
{
    return kXmlDeclaration + body;
}

class PrefsFileTest : public testing::Test {
protected:
    std::string path() const { return m_folder / "prefs.xml"; }
    std::string folder() const { return m_folder.path(); }
    // The file holds `content`, and the folder holds no leftovers.
    void expectUntouched(const std::string &content) const
    {
        EXPECT_EQ(ReadFile(path()), content);
        EXPECT_EQ(test::FolderEntries(folder()), std::set<std::string>{"prefs.xml"});
    }

private:
    TempFolder m_folder;
};

TEST_F(PrefsFileTest, WritesNothingUntilAValueIsSet)
{
    PrefsFile store(path(), "R");
    EXPECT_FALSE(std::filesystem::exists(path()));
    ASSERT_TRUE(store.setString("V", "x"));
    EXPECT_EQ(ReadFile(path()), Document("<R>\n<V>x</V>\n</R>\n"));
    EXPECT_EQ(test::FolderEntries(folder()), std::set<std::string>{"prefs.xml"});
}

TEST_F(PrefsFileTest, ReplacesTheFirstMatchInPlaceAndMatchesCase)
{
    WriteFile(path(), Document("<R>\n<A>1</A>\n<V>old</V>\n<v>lower</v>\n<V>second</V>\n</R>\n"));
    PrefsFile store(path(), "R");
    std::string value;
    EXPECT_TRUE(store.getString("V", value, "default"));
    EXPECT_EQ(value, "old");
    ASSERT_TRUE(store.setString("V", "new"));
    ASSERT_TRUE(store.setString("V", "newer"));
    ASSERT_TRUE(store.setInt("Z", -5));
    EXPECT_EQ(ReadFile(path()), Document("<R>\n<A>1</A>\n<V>newer</V>\n<v>lower</v>\n"
                                         "<V>second</V>\n<Z>-5</Z>\n</R>\n"));
}

TEST_F(PrefsFileTest, ReadsIntegersAndFallsBackToDefaults)
{
    WriteFile(path(), Document("<R><Twelve> 12 </Twelve><Empty></Empty><Word>abc</Word>"
                               "<Trailing>7x</Trailing></R>"));
    PrefsFile store(path(), "R");
    std::int32_t value = 0;
    EXPECT_TRUE(store.getInt("Twelve", value, 4));
    EXPECT_EQ(value, 12);
    EXPECT_TRUE(store.getInt("Empty", value, 4));
    EXPECT_EQ(value, 4);
    value = 0;
    EXPECT_TRUE(store.getInt("Missing", value, 4));
    EXPECT_EQ(value, 4);
    EXPECT_FALSE(store.getInt("Word", value, 4));
    EXPECT_FALSE(store.getInt("Trailing", value, 4));
    std::string text;
    EXPECT_TRUE(store.getString("Empty", text, "fallback"));
    EXPECT_EQ(text, "fallback");
}

TEST_F(PrefsFileTest, PrefValuesBindNameDefaultAndStore)
{
    PrefsFile store(path(), "R");
    StringPrefValue text(&store, "T", "none");
    std::string value;
    EXPECT_TRUE(text.get(value));
    EXPECT_EQ(value, "none");
    EXPECT_TRUE(text.isDefault("none"));
    EXPECT_FALSE(text.isDefault("None"));
    ASSERT_TRUE(text.set("a<b"));
    EXPECT_EQ(ReadFile(path()), Document("<R>\n<T>a&lt;b</T>\n</R>\n"));
}

TEST_F(PrefsFileTest, LoadsAnEmptyFileAndRefusesBlankOrForeignOnes)
{
    WriteFile(path(), "");
    EXPECT_NO_THROW(PrefsFile(path(), "R"));

    for (const std::string &content :
         {std::string("\n"), Document("<Other>\n<V>1</V>\n</Other>\n"), std::string("not xml")}) {
        WriteFile(path(), content);
        try {
            PrefsFile store(path(), "R");
            ADD_FAILURE() << "loaded: " << content;
        } catch (const std::invalid_argument &error) {
            EXPECT_STREQ(error.what(), "Unable to parse settings file");
        }
        expectUntouched(content);
    }
}

TEST_F(PrefsFileTest, NeedsAPathToLoadOrSave)
{
    PrefsFile store("", "R");
    EXPECT_FALSE(store.setString("V", "x"));
    try {
        store.load("");
        ADD_FAILURE() << "loaded an empty path";
    } catch (const std::runtime_error &error) {
        EXPECT_STREQ(error.what(), "Prefs file unable to lock file for reading!");
    }
}

TEST_F(PrefsFileTest, RefusesDirectoriesAndFifosWithoutBlocking)
{
    std::filesystem::create_directory(path());
    EXPECT_THROW(PrefsFile(path(), "R"), std::invalid_argument);
    std::filesystem::remove(path());
    ASSERT_EQ(::mkfifo(path().c_str(), 0600), 0);
    EXPECT_THROW(PrefsFile(path(), "R"), std::invalid_argument);
}

TEST_F(PrefsFileTest, KeepsTheFileWhenTheDiskIsFull)
{
    const std::string before = Document("<R>\n<V>old</V>\n</R>\n");
    WriteFile(path(), before);
    const bool saved = test::RunInChild([this] {
        PrefsFile store(path(), "R");
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{50, 50};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        return store.setString("V", std::string(100, 'n'));
    });
    EXPECT_FALSE(saved);
    expectUntouched(before);
}

TEST_F(PrefsFileTest, KeepsAReadOnlyFileEvenAsRoot)
{
    const std::string before = Document("<R>\n<V>7</V>\n</R>\n");
    WriteFile(path(), before);
    ::chmod(path().c_str(), 0444);
    ::chmod(folder().c_str(), 0777); // so that only the file's own bits stop the write
    const bool loadedButNotSaved = test::RunInChild(
        [this] {
            PrefsFile store(path(), "R");
            std::int32_t value = 0;
            return store.getInt("V", value, 0) && value == 7 && !store.setInt("V", 8);
        },
        true);
    EXPECT_TRUE(loadedButNotSaved);
    expectUntouched(before);
}

TEST_F(PrefsFileTest, KeepsModeAndSymlinkAndHonoursTheUmaskForNewFiles)
{
    const std::string target = folder() + "/target.xml";
    WriteFile(target, Document("<R/>\n"));
    ::chmod(target.c_str(), 0640);
    std::filesystem::create_symlink("target.xml", path());
    ASSERT_TRUE(PrefsFile(path(), "R").setString("V", "x"));
    EXPECT_TRUE(std::filesystem::is_symlink(path()));
    EXPECT_EQ(ReadFile(target), Document("<R>\n<V>x</V>\n</R>\n"));
    EXPECT_EQ(test::ModeOf(target), 0640u);

    const std::string fresh = folder() + "/fresh.xml";
    const mode_t previousMask = ::umask(027);
    const bool saved = PrefsFile(fresh, "R").setString("V", "x");
    ::umask(previousMask);
    ASSERT_TRUE(saved);
    EXPECT_EQ(test::ModeOf(fresh), 0640u);
}

} // namespace
} // namespace stubsetup
