#include "FileEditTestSupport.h"

#include "controls/platform/Shortcut.h"
#include "framework/CDataExchange.h"
#include "framework/Window.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>

#include <stdexcept>

namespace stubsetup::test {
namespace {

using Ctrl = CFileEditCtrl;

class ParseTest : public FileEditTest {
protected:
    QStringList Paths(std::uint32_t options, const QString &text)
    {
        EXPECT_TRUE(m_control.SetOptions(options));
        m_control.setText(text);
        QStringList paths;
        for (Ctrl::Position position = m_control.BeginPaths(); position;)
            paths << m_control.NextPath(position);
        return paths;
    }
};

TEST_F(ParseTest, MultiSelectTakesEveryEntryAgainstTheFirstEntrysFolder)
{
    const QString text = "/dir/a.txt; b.txt; /x/c.txt";
    EXPECT_EQ(Paths(Ctrl::OpenFiles | Ctrl::MultiSelect, text),
              QStringList({"/dir/a.txt", "/dir/b.txt", "/x/c.txt"}));
    EXPECT_EQ(Paths(Ctrl::OpenFiles, text), QStringList({"/dir/a.txt"}));
    EXPECT_EQ(Paths(Ctrl::SaveFiles | Ctrl::MultiSelect, ""), QStringList());
    EXPECT_EQ(Paths(Ctrl::SaveFiles | Ctrl::MultiSelect, " ; ;  "), QStringList());
}

TEST_F(ParseTest, WhiteSpaceAndEmptyEntriesAreSkippedButInnerSpacesStay)
{
    EXPECT_EQ(Paths(Ctrl::OpenFiles | Ctrl::MultiSelect, "  ;; /my dir/a b.txt \t;  ;c d.txt  ;"),
              QStringList({"/my dir/a b.txt", "/my dir/c d.txt"}));
}

TEST_F(ParseTest, RelativeEntriesFollowTheFolderAndAbsoluteOnesDoNot)
{
    const CurrentDirectory current(QString::fromStdString(m_temp.path()));
    EXPECT_EQ(
        Paths(Ctrl::OpenFiles | Ctrl::MultiSelect, "/dir/a.txt;sub/c.txt;/c.txt;sub/../d.txt"),
        QStringList({"/dir/a.txt", "/dir/sub/c.txt", "/c.txt", "/dir/d.txt"}));
    // A first entry without a directory leaves the folder empty, so every
    // entry is taken against the current directory.
    EXPECT_EQ(Paths(Ctrl::OpenFiles | Ctrl::MultiSelect, "a.txt; sub/b.txt"),
              QStringList({Folder() + "a.txt", Folder() + "sub/b.txt"}));
}

TEST_F(ParseTest, FolderModeTakesTheFirstEntryWithOrWithoutItsSlash)
{
    EXPECT_EQ(Paths(Ctrl::PickFolder, "/dir/; /other"), QStringList({"/dir"}));
    EXPECT_EQ(Paths(Ctrl::PickFolder | Ctrl::FolderSlash, "/dir"), QStringList({"/dir/"}));
    EXPECT_EQ(Paths(Ctrl::PickFolder | Ctrl::FolderSlash, "/dir/"), QStringList({"/dir/"}));
    EXPECT_EQ(Paths(Ctrl::PickFolder, "/"), QStringList({"/"}));
    const CurrentDirectory current(QString::fromStdString(m_temp.path()));
    EXPECT_EQ(Paths(Ctrl::PickFolder, " sub/ "), QStringList({Folder() + "sub"}));
}

TEST_F(ParseTest, WildcardsExpandToMatchingFilesOnly)
{
    for (const char *name : {"a1.txt", "a2.txt", "b.txt", "[x].txt", "x.txt"})
        WriteFile(Folder() + name);
    ASSERT_TRUE(QDir(Folder()).mkdir("a3.txt"));
    const QString pattern = Folder() + "a*.txt";

    EXPECT_EQ(Paths(Ctrl::OpenFiles | Ctrl::MultiSelect | Ctrl::ExpandWildcards, pattern),
              QStringList({Folder() + "a1.txt", Folder() + "a2.txt"}));
    EXPECT_EQ(Paths(Ctrl::OpenFiles | Ctrl::ExpandWildcards, pattern),
              QStringList({Folder() + "a1.txt"}));
    EXPECT_EQ(Paths(Ctrl::OpenFiles | Ctrl::MultiSelect, pattern), QStringList({pattern}));
    EXPECT_EQ(Paths(Ctrl::OpenFiles | Ctrl::ExpandWildcards, Folder() + "z*"), QStringList());
    // Brackets are plain characters, and a later entry expands in the folder.
    EXPECT_EQ(Paths(Ctrl::OpenFiles | Ctrl::MultiSelect | Ctrl::ExpandWildcards,
                    Folder() + "b.txt; [x]?txt"),
              QStringList({Folder() + "b.txt", Folder() + "[x].txt"}));
}

TEST_F(ParseTest, ShortcutsResolveOnlyWhenOpeningFilesWithoutKeepShortcuts)
{
    WriteFile(Folder() + "target.txt");
    WriteShortcut(Folder() + "x.LNK", Folder() + "target.txt", {});
    const QString shortcut = Folder() + "x.LNK";

    EXPECT_EQ(Paths(Ctrl::OpenFiles, shortcut), QStringList({Folder() + "target.txt"}));
    EXPECT_EQ(Paths(Ctrl::OpenFiles | Ctrl::KeepShortcuts, shortcut), QStringList({shortcut}));
    EXPECT_EQ(Paths(Ctrl::SaveFiles, shortcut), QStringList({shortcut}));
}

TEST_F(ParseTest, ShortcutTargetsFallBackToTheRelativePathAndMustExist)
{
    ASSERT_TRUE(QDir(Folder()).mkdir("links"));
    WriteFile(Folder() + "target.txt");
    WriteShortcut(Folder() + "links/relative.pif", "/nowhere/target.txt", "..\\target.txt");
    WriteShortcut(Folder() + "links/missing.lnk", Folder() + "gone.txt", "..\\gone.txt");
    WriteFile(Folder() + "links/broken.lnk", "not a shortcut");

    EXPECT_EQ(Paths(Ctrl::OpenFiles | Ctrl::MultiSelect,
                    Folder() + "links/relative.pif; missing.lnk; broken.lnk"),
              QStringList({Folder() + "target.txt", Folder() + "links/missing.lnk",
                           Folder() + "links/broken.lnk"}));
}

TEST(ShortcutReaderTest, ReadsTheLinksOfAShortcutWrittenByTheTests)
{
    const TempFolder temp;
    const QString path = QString::fromStdString(temp / "both.lnk");
    WriteShortcut(path, "/data/file.bin", "..\\data\\file.bin");
    const auto links = platform::readShortcut(path);
    ASSERT_TRUE(links);
    EXPECT_EQ(links->localPath, "/data/file.bin");
    EXPECT_EQ(links->relativePath, "..\\data\\file.bin");
    EXPECT_FALSE(platform::readShortcut(QString::fromStdString(temp / "absent.lnk")));
}

TEST_F(ParseTest, NextPathNeedsAPosition)
{
    Ctrl::Position none;
    EXPECT_THROW(m_control.NextPath(none), std::invalid_argument);
}

TEST_F(ParseTest, SetOptionsRejectsAnythingButExactlyOneMode)
{
    ASSERT_TRUE(m_control.SetOptions(Ctrl::OpenFiles | Ctrl::MultiSelect));
    for (std::uint32_t rejected :
         {Ctrl::PickFolder | Ctrl::OpenFiles, Ctrl::PickFolder | Ctrl::SaveFiles,
          Ctrl::OpenFiles | Ctrl::SaveFiles, std::uint32_t(Ctrl::MultiSelect), 0u}) {
        EXPECT_FALSE(m_control.SetOptions(rejected)) << rejected;
        EXPECT_EQ(m_control.GetOptions(), Ctrl::OpenFiles | Ctrl::MultiSelect);
    }
    EXPECT_TRUE(m_control.SetOptions(Ctrl::PickFolder));
    EXPECT_EQ(m_control.FileDialog()->GetKind(), CFECFileDialog::Kind::Folder);
    EXPECT_TRUE(m_control.SetOptions(Ctrl::SaveFiles | Ctrl::KeepShortcuts));
    EXPECT_EQ(m_control.FileDialog()->GetKind(), CFECFileDialog::Kind::Save);
    EXPECT_EQ(m_control.FileDialog()->windowTitle(), "Browse for File");
    EXPECT_EQ(m_control.FileDialog()->Flags() &
                  (CFECFileDialog::OverwritePrompt | CFECFileDialog::FileMustExist),
              CFECFileDialog::OverwritePrompt);
    EXPECT_EQ(m_control.GetOptions(), Ctrl::SaveFiles | Ctrl::KeepShortcuts);
}

} // namespace
} // namespace stubsetup::test

namespace stubsetup::test {
namespace {

TEST(ExchangeFileEditTest, TheFirstExchangeTakesTheEditsPlaceAndSetsTheOptions)
{
    QWidget dialog;
    CFileEditCtrl control;
    auto *edit = new QLineEdit("/d/a.txt", &dialog);
    setControlId(edit, 1014);
    setControlId(new QLabel(&dialog), 1015);

    CDataExchange fill(dialog, false);
    ExchangeFileEdit(fill, 1014, control, CFileEditCtrl::OpenFiles);
    EXPECT_EQ(findControl(&dialog, 1014), &control);
    EXPECT_EQ(control.GetOptions(), CFileEditCtrl::OpenFiles);
    EXPECT_EQ(control.text(), "/d/a.txt");

    // Later exchanges keep the control and its options.
    control.setText("/e/b.txt");
    CDataExchange save(dialog, true);
    ExchangeFileEdit(save, 1014, control, CFileEditCtrl::SaveFiles);
    EXPECT_EQ(control.GetOptions(), CFileEditCtrl::OpenFiles);
    CFileEditCtrl::Position position = control.BeginPaths();
    ASSERT_TRUE(position);
    EXPECT_EQ(control.NextPath(position), "/e/b.txt");

    CFileEditCtrl other;
    EXPECT_THROW(ExchangeFileEdit(fill, 1015, other, CFileEditCtrl::OpenFiles), std::logic_error);
    auto *second = new QLineEdit(&dialog);
    setControlId(second, 1016);
    EXPECT_THROW(
        ExchangeFileEdit(fill, 1016, other, CFileEditCtrl::OpenFiles | CFileEditCtrl::SaveFiles),
        std::logic_error);
}

} // namespace
} // namespace stubsetup::test
