#include "FileEditTestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QTest>

namespace stubsetup::test {
namespace {

const QString kAllFiles = "All Files (*.*)|*.*||";

class FileDialogTest : public testing::Test {
protected:
    QString Folder() const { return QString::fromStdString(m_temp.path()) + '/'; }

    std::unique_ptr<CFECFileDialog> Dialog(CFECFileDialog::Kind kind, std::uint32_t flags)
    {
        auto dialog =
            std::make_unique<CFECFileDialog>(kind, QString(), QString(), flags, kAllFiles, nullptr);
        dialog->SetInitialFolder(Folder());
        return dialog;
    }

    static QStringList Files(const CFECFileDialog &dialog)
    {
        QStringList files;
        for (CFECFileDialog::Position position = dialog.FirstFile(); position;)
            files << dialog.NextFile(position);
        return files;
    }

    static void TypeAndAccept(CFECFileDialog &dialog, const QString &names)
    {
        dialog.findChild<QLineEdit *>("fileNameEdit")->setText(names);
        QMetaObject::invokeMethod(&dialog, "accept");
    }

    TempFolder m_temp;
};

TEST_F(FileDialogTest, FiltersTakeQtsFormAndKeepTheirDescriptions)
{
    EXPECT_EQ(CFECFileDialog::QtNameFilters(kAllFiles), QStringList({"All Files (*.*) (*)"}));
    EXPECT_EQ(CFECFileDialog::QtNameFilters("Logs (*.log;*.txt)|*.log;*.txt|All Files (*.*)|*.*||"),
              QStringList({"Logs (*.log;*.txt) (*.log *.txt)", "All Files (*.*) (*)"}));

    const auto dialog = Dialog(CFECFileDialog::Kind::Open, 0);
    const auto *types = dialog->findChild<QComboBox *>("fileTypeCombo");
    ASSERT_TRUE(types);
    EXPECT_EQ(types->itemText(0), "All Files (*.*)");
}

// The accept buttons as a person sees them: the visible ones that accept.
std::vector<const QAbstractButton *> AcceptButtons(const QFileDialog &dialog)
{
    const auto *box = dialog.findChild<QDialogButtonBox *>("buttonBox");
    std::vector<const QAbstractButton *> buttons;
    for (QAbstractButton *button : box->buttons())
        if (box->buttonRole(button) == QDialogButtonBox::AcceptRole && button->isVisible())
            buttons.push_back(button);
    return buttons;
}

QString AcceptButtonText(const QFileDialog &dialog)
{
    QStringList texts;
    for (const QAbstractButton *button : AcceptButtons(dialog))
        texts << button->text();
    return texts.join('|');
}

TEST_F(FileDialogTest, AcceptButtonReadsOkInEveryModeAndState)
{
    ASSERT_TRUE(QDir(Folder()).mkdir("sub"));
    for (const auto kind :
         {CFECFileDialog::Kind::Open, CFECFileDialog::Kind::Save, CFECFileDialog::Kind::Folder}) {
        SCOPED_TRACE(int(kind));
        const auto dialog = Dialog(kind, CFECFileDialog::FileMustExist);
        std::vector<QString> texts;
        whenModal<CFECFileDialog>([&](CFECFileDialog &shown) {
            texts.push_back(AcceptButtonText(shown));
            // Qt still decides when accepting is possible: not for a missing file.
            auto *name = shown.findChild<QLineEdit *>("fileNameEdit");
            name->setText("missing.txt");
            EXPECT_EQ(AcceptButtons(shown).front()->isEnabled(),
                      kind == CFECFileDialog::Kind::Save);
            // A folder selected in the list: Qt's own button would offer to open it.
            auto *list = shown.findChild<QListView *>("listView");
            ASSERT_TRUE(QTest::qWaitFor(
                [list] { return list->model()->rowCount(list->rootIndex()) == 1; }));
            list->setCurrentIndex(list->model()->index(0, 0, list->rootIndex()));
            texts.push_back(AcceptButtonText(shown));
            // A folder's path typed and entered: the file modes go into it.
            name->setText(Folder() + "sub");
            if (kind != CFECFileDialog::Kind::Folder)
                QTest::keyClick(name, Qt::Key_Return);
            texts.push_back(AcceptButtonText(shown));
            shown.reject();
        });
        EXPECT_EQ(dialog->RunModal(), QDialog::Rejected);
        EXPECT_FALSE(dialog->FirstFile());

        // Browsing again, as from a field that names a missing file.
        dialog->SetInitialFolder(Folder() + "sub");
        dialog->SetInitialFileName(kind == CFECFileDialog::Kind::Save ? "missing.txt" : "");
        whenModal<CFECFileDialog>([&](CFECFileDialog &shown) {
            texts.push_back(AcceptButtonText(shown));
            shown.reject();
        });
        EXPECT_EQ(dialog->RunModal(), QDialog::Rejected);
        EXPECT_EQ(texts, std::vector<QString>(4, "OK"));
    }
}

TEST_F(FileDialogTest, OpeningRequiresExistingFilesAndYieldsFullPaths)
{
    WriteFile(Folder() + "a.txt");
    WriteFile(Folder() + "b.txt");
    const auto dialog = Dialog(CFECFileDialog::Kind::Open,
                               CFECFileDialog::FileMustExist | CFECFileDialog::AllowMultiSelect);
    bool warned = false;
    bool stayedOpen = false;
    whenModal<CFECFileDialog>([&](CFECFileDialog &shown) {
        whenModal<QMessageBox>([&](QMessageBox &box) {
            warned = true;
            box.accept();
        });
        TypeAndAccept(shown, "missing.txt");
        stayedOpen = shown.isVisible();
        TypeAndAccept(shown, "\"b.txt\" \"a.txt\"");
    });
    ASSERT_EQ(dialog->RunModal(), QDialog::Accepted);
    EXPECT_TRUE(warned);
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(Files(*dialog), QStringList({Folder() + "b.txt", Folder() + "a.txt"}));
}

TEST_F(FileDialogTest, SavingOverAFileAsksFirst)
{
    WriteFile(Folder() + "old.txt");
    const auto dialog = Dialog(CFECFileDialog::Kind::Save, CFECFileDialog::OverwritePrompt);
    QString question;
    whenModal<CFECFileDialog>([&](CFECFileDialog &shown) {
        whenModal<QMessageBox>([&](QMessageBox &box) {
            question = box.text();
            box.button(QMessageBox::Yes)->click();
        });
        TypeAndAccept(shown, "old.txt");
    });
    ASSERT_EQ(dialog->RunModal(), QDialog::Accepted);
    EXPECT_TRUE(question.contains("old.txt"));
    EXPECT_EQ(Files(*dialog), QStringList({Folder() + "old.txt"}));
}

} // namespace
} // namespace stubsetup::test
