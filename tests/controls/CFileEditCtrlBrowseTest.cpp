#include "FileEditTestSupport.h"
#include "TestSupport.h"

#include <QLineEdit>
#include <QMimeData>
#include <QTest>
#include <QUrl>

namespace stubsetup::test {
namespace {

using Ctrl = CFileEditCtrl;

class BrowseTest : public FileEditTest {
protected:
    void SendDrop(const QStringList &files)
    {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString &file : files)
            urls << QUrl::fromLocalFile(file);
        data.setUrls(urls);
        // As a drag does it: the drop reaches only a widget that took the entry.
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&m_control, &enter);
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&m_control, &drop);
    }
};

TEST_F(BrowseTest, DropTextSharesTheFirstFilesFolderCaseSensitively)
{
    const QStringList files = {"/dir/a.txt", "/dir/b.txt", "/Dir/c.txt"};
    ASSERT_TRUE(m_control.SetOptions(Ctrl::OpenFiles | Ctrl::MultiSelect));
    m_control.DropFiles(files);
    EXPECT_EQ(m_control.text(), "/dir/a.txt; b.txt; /Dir/c.txt");

    ASSERT_TRUE(m_control.SetOptions(Ctrl::OpenFiles));
    m_control.DropFiles(files);
    EXPECT_EQ(m_control.text(), "/dir/a.txt");

    ASSERT_TRUE(m_control.SetOptions(Ctrl::SaveFiles));
    m_control.DropFiles(files);
    EXPECT_EQ(m_control.text(), "/dir/a.txt; b.txt; /Dir/c.txt");

    ASSERT_TRUE(m_control.SetOptions(Ctrl::PickFolder));
    m_control.DropFiles({"/x", "/y"});
    EXPECT_EQ(m_control.text(), "/x");
}

TEST_F(BrowseTest, DroppedShortcutsResolveWhenOpeningFiles)
{
    WriteFile(Folder() + "target.txt");
    WriteShortcut(Folder() + "t.lnk", Folder() + "target.txt", {});
    ASSERT_TRUE(m_control.SetOptions(Ctrl::OpenFiles));
    m_control.DropFiles({Folder() + "t.lnk"});
    EXPECT_EQ(m_control.text(), Folder() + "target.txt");
    ASSERT_TRUE(m_control.SetOptions(Ctrl::OpenFiles | Ctrl::KeepShortcuts));
    m_control.DropFiles({Folder() + "t.lnk"});
    EXPECT_EQ(m_control.text(), Folder() + "t.lnk");
}

TEST_F(BrowseTest, OnlyADropTargetTakesDroppedFiles)
{
    ASSERT_TRUE(m_control.SetOptions(Ctrl::OpenFiles | Ctrl::MultiSelect));
    SendDrop({"/dir/a.txt"});
    EXPECT_EQ(m_control.text(), "");
    EXPECT_TRUE(m_received.empty());

    m_control.setAcceptDrops(true);
    SendDrop({"/dir/a.txt", "/dir/b.txt"});
    EXPECT_EQ(m_control.text(), "/dir/a.txt; b.txt");
    ASSERT_EQ(m_received.size(), 1u);
    EXPECT_EQ(m_received[0].code, Ctrl::AfterDrop);
    EXPECT_EQ(m_received[0].text, "/dir/a.txt; b.txt");
}

TEST_F(BrowseTest, TheParentVetoesOrRewritesTheNewText)
{
    ASSERT_TRUE(m_control.SetOptions(Ctrl::OpenFiles | Ctrl::MultiSelect));
    m_control.setText("kept");
    m_answers[Ctrl::AfterDrop] = 1;
    m_control.DropFiles({"/dir/a.txt"});
    EXPECT_EQ(m_control.text(), "kept");

    m_answers[Ctrl::AfterBrowse] = 0;
    m_rewrite = "/chosen/by/parent.txt";
    CFECFileDialog::setNextSelection({"/d/a.txt", "/d/b.txt"});
    m_control.StartBrowse();
    EXPECT_EQ(m_control.text(), "/chosen/by/parent.txt");
    ASSERT_EQ(ReceivedCodes(),
              std::vector<int>({Ctrl::AfterDrop, Ctrl::BeforeBrowse, Ctrl::AfterBrowse}));
    EXPECT_FALSE(m_received[1].text);
    EXPECT_EQ(m_received[2].text, "/d/a.txt; b.txt");
}

TEST_F(BrowseTest, AVetoBeforeBrowsingShowsNoPicker)
{
    ASSERT_TRUE(m_control.SetOptions(Ctrl::OpenFiles));
    m_answers[Ctrl::BeforeBrowse] = 1;
    CFECFileDialog::setNextCancel();
    m_control.StartBrowse();
    EXPECT_EQ(ReceivedCodes(), std::vector<int>({Ctrl::BeforeBrowse}));

    // The cancel answer is still waiting: the next browse without the veto
    // takes it and reports the cancel without a text.
    m_answers[Ctrl::BeforeBrowse] = 0;
    m_control.StartBrowse();
    ASSERT_EQ(ReceivedCodes(),
              std::vector<int>({Ctrl::BeforeBrowse, Ctrl::BeforeBrowse, Ctrl::AfterBrowse}));
    EXPECT_FALSE(m_received[2].text);
}

TEST_F(BrowseTest, CtrlPeriodBrowsesAndPeriodAloneTypes)
{
    ASSERT_TRUE(m_control.SetOptions(Ctrl::SaveFiles));
    m_answers[Ctrl::BeforeBrowse] = 1;
    QTest::keyClick(&m_control, Qt::Key_Period, Qt::ControlModifier);
    QTest::keyClick(&m_control, Qt::Key_Period, Qt::ControlModifier | Qt::KeypadModifier);
    EXPECT_EQ(ReceivedCodes(), std::vector<int>({Ctrl::BeforeBrowse, Ctrl::BeforeBrowse}));
    QTest::keyClick(&m_control, Qt::Key_Period);
    EXPECT_EQ(m_control.text(), ".");
    EXPECT_EQ(m_received.size(), 2u);
}

TEST_F(BrowseTest, AChosenFolderGetsItsSlashWhenAsked)
{
    ASSERT_TRUE(m_control.SetOptions(Ctrl::PickFolder | Ctrl::FolderSlash));
    CFECFileDialog::setNextSelection({"/chosen"});
    m_control.StartBrowse();
    EXPECT_EQ(m_control.text(), "/chosen/");
}

TEST_F(BrowseTest, TheFolderPickerOpensAtTheTypedFolder)
{
    ASSERT_TRUE(QDir(Folder()).mkdir("sub"));
    ASSERT_TRUE(m_control.SetOptions(Ctrl::PickFolder));
    m_control.setText(Folder() + "sub/");
    QString shownFolder;
    QString acceptLabel;
    whenModal<CFECFileDialog>([&](CFECFileDialog &dialog) {
        shownFolder = dialog.directory().absolutePath();
        acceptLabel = dialog.labelText(QFileDialog::Accept);
        dialog.reject();
    });
    m_control.StartBrowse();
    EXPECT_EQ(shownFolder, QString::fromStdString(m_temp.path()));
    EXPECT_EQ(acceptLabel, "OK");
    EXPECT_EQ(m_control.text(), Folder() + "sub/");
}

TEST_F(BrowseTest, TheFileDialogStartsNearTheTypedFile)
{
    ASSERT_TRUE(QDir(Folder()).mkdir("sub"));
    struct Shown {
        QString folder;
        QString name;
    };
    auto browse = [&](std::uint32_t options, const QString &text) {
        EXPECT_TRUE(m_control.SetOptions(options));
        m_control.setText(text);
        Shown shown;
        whenModal<CFECFileDialog>([&](CFECFileDialog &dialog) {
            shown = {dialog.directory().absolutePath(),
                     dialog.findChild<QLineEdit *>("fileNameEdit")->text()};
            dialog.reject();
        });
        m_control.StartBrowse();
        return shown;
    };
    const QString missing = Folder() + "sub/gone/missing.txt";

    const Shown save = browse(Ctrl::SaveFiles, missing);
    EXPECT_EQ(save.folder, Folder() + "sub");
    EXPECT_EQ(save.name, "missing.txt");
    // A file that must exist but does not starts with an empty name.
    const Shown open = browse(Ctrl::OpenFiles, missing);
    EXPECT_EQ(open.folder, Folder() + "sub");
    EXPECT_EQ(open.name, "");
    // An open dialog in between leaves no requirement behind for a save.
    EXPECT_EQ(browse(Ctrl::SaveFiles, missing).name, "missing.txt");
    const Shown folder = browse(Ctrl::SaveFiles, Folder() + "sub");
    EXPECT_EQ(folder.folder, Folder() + "sub");
    EXPECT_EQ(folder.name, "");
    // A missing name right below the root starts in the root.
    EXPECT_EQ(browse(Ctrl::SaveFiles, "/stubsetup-missing.txt").folder, "/");
}

// The text is the locale's: in Latin-1 a folder Qt calls "é" (UTF-8 bytes on
// disk) reads "Ã©", whether the name comes from Qt or goes back to it.
TEST_F(BrowseTest, NamesCrossBetweenQtAndTheTextByTheirBytes)
{
    const BuiltLocale latin1("ISO-8859-1");
    if (!latin1.active())
        GTEST_SKIP() << "localedef cannot build en_US.ISO-8859-1 here (package locales)";
    const QString qtFolder = Folder() + QString::fromUtf8("é");
    const QString textFolder = Folder() + QString::fromUtf8("Ã©");
    ASSERT_TRUE(QDir(Folder()).mkdir(QString::fromUtf8("é")));
    WriteFile(qtFolder + "/f.txt");
    ASSERT_TRUE(m_control.SetOptions(Ctrl::OpenFiles | Ctrl::ExpandWildcards));

    m_control.setAcceptDrops(true);
    SendDrop({qtFolder + "/f.txt"});
    EXPECT_EQ(m_control.text(), textFolder + "/f.txt");

    m_control.setText(textFolder + "/*.txt");
    Ctrl::Position position = m_control.BeginPaths();
    ASSERT_TRUE(position);
    EXPECT_EQ(m_control.NextPath(position), textFolder + "/f.txt");

    m_control.setText(textFolder + "/missing.txt");
    QString shownFolder;
    whenModal<CFECFileDialog>([&](CFECFileDialog &dialog) {
        shownFolder = dialog.directory().absolutePath();
        dialog.reject();
    });
    m_control.StartBrowse();
    EXPECT_EQ(shownFolder, qtFolder);
}

} // namespace
} // namespace stubsetup::test
