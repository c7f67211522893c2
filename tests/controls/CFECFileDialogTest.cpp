#include "FileEditTestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>

namespace stubsetup::test {
namespace {

const QString kAllFiles = "All Files (*.*)|*.*||";

class FileDialogTest : public testing::Test {
protected:
    QString Folder() const { return m_temp.path() + '/'; }

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

    QTemporaryDir m_temp;
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

TEST_F(FileDialogTest, AcceptButtonReadsOkInEveryMode)
{
    for (const auto kind :
         {CFECFileDialog::Kind::Open, CFECFileDialog::Kind::Save, CFECFileDialog::Kind::Folder}) {
        const auto dialog = Dialog(kind, 0);
        QString label;
        AnswerNextDialog([&](CFECFileDialog &shown) {
            label = shown.labelText(QFileDialog::Accept);
            shown.reject();
        });
        EXPECT_EQ(dialog->RunModal(), QDialog::Rejected);
        EXPECT_EQ(label, "OK");
        EXPECT_FALSE(dialog->FirstFile());
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
    AnswerNextDialog([&](CFECFileDialog &shown) {
        AnswerNextModal<QMessageBox>([&](QMessageBox &box) {
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
    AnswerNextDialog([&](CFECFileDialog &shown) {
        AnswerNextModal<QMessageBox>([&](QMessageBox &box) {
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
