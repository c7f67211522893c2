#include "app/gui/CDialogDuplicateAndAppend.h"
#include "app/gui/CInstallerDlg.h"

#include "controls/CFileEditCtrl.h"
#include "framework/Window.h"

#include "ModalDriver.h"
#include "ShownBoxAnswerer.h"
#include "TestSupport.h"

#include <QLabel>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>

namespace stubsetup {
namespace {

namespace fs = std::filesystem;
using Dialog = CDialogDuplicateAndAppend;
using test::click;
using test::ReadFile;
using test::WriteFile;

// Every byte value, so that a shifted or repeated block shows.
std::string patternOf(std::size_t size, unsigned seed)
{
    std::string bytes(size, '\0');
    for (std::size_t index = 0; index < size; ++index)
        bytes[index] = static_cast<char>((index * 7 + seed) % 251);
    return bytes;
}

// Copies a stand-in for the running program, which no test may harm.
class DialogWithProgram : public Dialog {
public:
    explicit DialogWithProgram(std::string program) : m_program(std::move(program)) {}

protected:
    std::string ProgramFile() const override { return m_program; }

private:
    std::string m_program;
};

struct Outcome {
    int result; // IDCANCEL: OK left the dialog open
    std::optional<test::ShownBoxAnswerer::Shown> message;
};

// Fills both fields, presses OK, and Cancel if the dialog is still open.
Outcome runWith(Dialog &dialog, const std::string &output, const std::string &append)
{
    test::ShownBoxAnswerer answerer;
    test::whenModal([&](QWidget &window) {
        setWindowText(&requireControl(&window, Dialog::IDC_OUTPUT_FILE),
                      QString::fromStdString(output));
        setWindowText(&requireControl(&window, Dialog::IDC_APPEND_FILE),
                      QString::fromStdString(append));
        answerer.arm();
        click(window, IDOK);
        if (window.isVisible())
            click(window, IDCANCEL);
    });
    const int result = dialog.DoModal();
    return {result, answerer.shown()};
}

class DuplicateAndAppendDialogTest : public testing::Test {
protected:
    static constexpr fs::perms kProgramPermissions =
        fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec;
    static constexpr rlim_t kSizeLimit = 8192;

    void SetUp() override
    {
        WriteFile(m_program, m_programBytes);
        fs::permissions(m_program, kProgramPermissions);
    }

    std::string pathOf(const char *name) const { return m_folder / name; }

    // In a child process: the file size limit stops the append part way.
    [[noreturn]] void exitAfterAppendingPastTheSizeLimit()
    {
        std::signal(SIGXFSZ, SIG_IGN); // the write fails with EFBIG instead
        const rlimit limit{kSizeLimit, kSizeLimit};
        setrlimit(RLIMIT_FSIZE, &limit);
        DialogWithProgram dialog(m_program);
        const Outcome run = runWith(dialog, m_output, pathOf("data.bin"));
        const bool keptOpenWithMessage =
            run.result == IDCANCEL && run.message &&
            run.message->text.toStdString() == "Disk full while accessing " + m_output + "." &&
            run.message->icon == QMessageBox::Critical && fs::file_size(m_output) == kSizeLimit;
        fs::remove_all(m_folder.path()); // exit skips the destructor
        std::exit(keptOpenWithMessage ? 0 : 1);
    }

    test::TempFolder m_folder;
    const std::string m_program = pathOf("Setup.exe");
    const std::string m_programBytes = patternOf(5000, 1);
    const std::string m_output = pathOf("Setup.out.exe");
};

TEST(DuplicateAndAppendNamingTest, EveryExeGetsOutInsertedAndOtherNamesGetOutAppended)
{
    EXPECT_EQ(Dialog::ProposedOutputFile("/opt/Tools/Setup.exe"), "/opt/Tools/Setup.out.exe");
    EXPECT_EQ(Dialog::ProposedOutputFile("/d/my.exe.files/a.exe"), "/d/my.out.exe.files/a.out.exe");
    EXPECT_EQ(Dialog::ProposedOutputFile("/x/a.exe.exe"), "/x/a.out.exe.out.exe");
    EXPECT_EQ(Dialog::ProposedOutputFile("/usr/bin/StubSetup"), "/usr/bin/StubSetup.out");
    // Names are case-sensitive: ".EXE" is not ".exe", and nothing is lower-cased.
    EXPECT_EQ(Dialog::ProposedOutputFile("/Apps/SETUP.EXE"), "/Apps/SETUP.EXE.out");
    EXPECT_EQ(Dialog::ProposedOutputFile(""), "");
}

TEST_F(DuplicateAndAppendDialogTest, OpensFromItsTemplateAndProposesTheNameAfreshEachTime)
{
    DialogWithProgram dialog(m_program);
    EXPECT_EQ(dialog.windowTitle(), "Dialog");
    EXPECT_EQ(dialog.size(),
              QSize(dialog.BaseUnits().toPixelsX(267), dialog.BaseUnits().toPixelsY(129)));
    QStringList labels;
    for (const QLabel *label : dialog.findChildren<QLabel *>())
        labels << label->text();
    EXPECT_TRUE(labels.contains("This utility allows you to duplicate the current installer and "
                                "append arbitrary data to the end of the PE module."));
    for (int opening = 0; opening < 2; ++opening) {
        test::whenModal([this](QWidget &window) {
            QWidget &output = requireControl(&window, Dialog::IDC_OUTPUT_FILE);
            EXPECT_EQ(windowText(&output).toStdString(), m_output);
            auto *append = qobject_cast<CFileEditCtrl *>(findControl(&window, 1014));
            EXPECT_TRUE(append && append->GetOptions() == CFileEditCtrl::OpenFiles);
            setWindowText(&output, "edited, then cancelled");
            test::pressKey(window, Qt::Key_Escape);
        });
        EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    }
    EXPECT_FALSE(fs::exists(m_output));
}

TEST(DuplicateAndAppendRealProgramTest, AnEmptyFieldMakesAPlainCopyOfTheRunningProgram)
{
    const std::string program = fs::read_symlink("/proc/self/exe");
    const test::TempFolder folder;
    const std::string output = folder / "copy";
    Dialog dialog;
    test::whenModal([&](QWidget &window) {
        EXPECT_EQ(windowText(&requireControl(&window, Dialog::IDC_OUTPUT_FILE)).toStdString(),
                  Dialog::ProposedOutputFile(program));
    });
    const Outcome run = runWith(dialog, output, "");
    EXPECT_EQ(run.result, IDOK);
    EXPECT_FALSE(run.message);
    EXPECT_TRUE(ReadFile(output) == ReadFile(program));
    EXPECT_EQ(fs::status(output).permissions(), fs::status(program).permissions());
}

TEST_F(DuplicateAndAppendDialogTest, AppendsTheChosenBytesOnceToAFreshCopyOnEveryRun)
{
    const std::string appended = patternOf(3 << 20, 2); // several blocks
    WriteFile(pathOf("data.bin"), appended);
    WriteFile(m_output, patternOf(9000, 3)); // an older, longer output is replaced
    DialogWithProgram dialog(m_program);
    for (int run = 0; run < 2; ++run) {
        CFECFileDialog::setNextSelection({QString::fromStdString(pathOf("data.bin"))});
        test::whenModal([this](QWidget &window) {
            setWindowText(&requireControl(&window, Dialog::IDC_OUTPUT_FILE),
                          QString::fromStdString(m_output));
            QTest::keyClick(&requireControl(&window, Dialog::IDC_APPEND_FILE), Qt::Key_Period,
                            Qt::ControlModifier); // browses
            click(window, IDOK);
        });
        EXPECT_EQ(dialog.DoModal(), IDOK);
        EXPECT_TRUE(ReadFile(m_output) == m_programBytes + appended) << "run " << run;
        EXPECT_EQ(fs::status(m_output).permissions(), kProgramPermissions);
    }
}

TEST_F(DuplicateAndAppendDialogTest, NothingToAppendLeavesAPlainCopyAndClosesSilently)
{
    WriteFile(pathOf("empty"), "");
    ASSERT_EQ(mkfifo(pathOf("fifo").c_str(), 0600), 0);
    for (const char *append : {"empty", "missing", "fifo", "."}) {
        SCOPED_TRACE(append);
        fs::remove(m_output);
        DialogWithProgram dialog(m_program);
        const Outcome run = runWith(dialog, m_output, pathOf(append));
        EXPECT_EQ(run.result, IDOK);
        EXPECT_FALSE(run.message);
        EXPECT_TRUE(ReadFile(m_output) == m_programBytes);
    }
}

TEST_F(DuplicateAndAppendDialogTest, RefusalsShowTheirMessageAndKeepTheDialogOpen)
{
    const std::string copyFailed = "Unable to open output file for writing";
    const std::string reopenFailed = "The output file could not be created.  Check that all "
                                     "paths and permissions are proper.";
    fs::create_symlink(m_program, pathOf("link"));
    fs::create_hard_link(m_program, pathOf("hard link"));
    WriteFile(pathOf("data.bin"), "appended");
    const struct {
        std::string output, append, message;
    } cases[] = {
        {m_program, pathOf("data.bin"), copyFailed},
        {pathOf("link"), pathOf("data.bin"), copyFailed},
        {pathOf("hard link"), pathOf("data.bin"), copyFailed},
        {pathOf("no folder/copy"), pathOf("data.bin"), copyFailed},
        {m_output, m_output, reopenFailed}, // the plain copy stays
    };
    for (const auto &refused : cases) {
        SCOPED_TRACE(refused.output);
        DialogWithProgram dialog(m_program);
        const Outcome run = runWith(dialog, refused.output, refused.append);
        EXPECT_EQ(run.result, IDCANCEL);
        EXPECT_EQ(run.message ? run.message->text.toStdString() : "none", refused.message);
        EXPECT_TRUE(ReadFile(m_program) == m_programBytes);
        EXPECT_EQ(fs::status(m_program).permissions(), kProgramPermissions);
    }
    EXPECT_TRUE(ReadFile(m_output) == m_programBytes);
}

// Copying the program over the file to append would destroy the user's file.
TEST_F(DuplicateAndAppendDialogTest, AnOutputThatIsTheFileToAppendIsRefusedAndLeftAlone)
{
    const std::string userFile = pathOf("user.bin");
    const std::string userBytes = patternOf(1 << 20, 3);
    WriteFile(userFile, userBytes);
    fs::create_directory(pathOf("sub"));
    fs::create_symlink(userFile, pathOf("link.bin"));
    for (const std::string &spelling :
         {userFile, pathOf("link.bin"), pathOf("sub") + "/../user.bin"}) {
        SCOPED_TRACE(spelling);
        DialogWithProgram dialog(m_program);
        testing::internal::CaptureStderr();
        const Outcome run = runWith(dialog, userFile, spelling);
        // Qt's offscreen platform may add lines of its own.
        EXPECT_NE(testing::internal::GetCapturedStderr().find(
                      "stubsetup: cannot duplicate the program: " + userFile +
                      ": it is the file to append\n"),
                  std::string::npos);
        EXPECT_EQ(run.result, IDCANCEL);
        EXPECT_EQ(run.message ? run.message->text.toStdString() : "none",
                  "The output file and the file to append are the same file.");
        EXPECT_TRUE(ReadFile(userFile) == userBytes);
    }
}

// In a Latin-1 locale a path's text names the file with the Latin-1 bytes, be
// it proposed, typed or chosen in the file dialog (which names files by what
// Qt decodes).
TEST_F(DuplicateAndAppendDialogTest, PathsNameTheFilesInTheLocalesCharset)
{
    const test::BuiltLocale latin1("ISO-8859-1");
    if (!latin1.active())
        GTEST_SKIP() << "localedef cannot build en_US.ISO-8859-1 here (package locales)";
    const std::string folder = m_folder.path() + "/";
    const std::string program = folder + "Gr\xFC\xDF"
                                         "e.exe";
    const std::string output = folder + "Gr\xFC\xDF"
                                        "e.out.exe";
    WriteFile(program, m_programBytes);
    WriteFile(folder + "typed-\xE9", "typed");
    WriteFile(folder + "chosen-\xC3\xA9", "chosen"); // Qt's "chosen-é"
    DialogWithProgram dialog(program);

    test::whenModal([&](QWidget &window) {
        EXPECT_EQ(windowText(&requireControl(&window, Dialog::IDC_OUTPUT_FILE)),
                  QString::fromStdString(folder) + QString::fromUtf8("Grüße.out.exe"));
        setWindowText(&requireControl(&window, Dialog::IDC_APPEND_FILE),
                      QString::fromStdString(folder) + QString::fromUtf8("typed-é"));
        click(window, IDOK);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_TRUE(ReadFile(output) == m_programBytes + "typed");

    CFECFileDialog::setNextSelection(
        {QString::fromStdString(folder) + QString::fromUtf8("chosen-é")});
    test::whenModal([](QWidget &window) {
        QTest::keyClick(&requireControl(&window, Dialog::IDC_APPEND_FILE), Qt::Key_Period,
                        Qt::ControlModifier); // browses
        click(window, IDOK);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_TRUE(ReadFile(output) == m_programBytes + "chosen");
}

TEST_F(DuplicateAndAppendDialogTest, AFailedWriteIsShownWithTheFileNameAndKeepsTheDialogOpen)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    WriteFile(pathOf("data.bin"), patternOf(kSizeLimit * 4, 2));
    EXPECT_EXIT(exitAfterAppendingPastTheSizeLimit(), testing::ExitedWithCode(0), "");
}

TEST(DuplicateAndGrowButtonTest, OpensTheToolAndLeavesTheProgressDialogAsItWas)
{
    CInstallerDlg progress;
    progress.m_strMessage = "kept";
    bool toolOpened = false;
    test::whenModal([&toolOpened](QWidget &window) {
        test::whenModal([&toolOpened](QWidget &tool) {
            toolOpened = dynamic_cast<Dialog *>(&tool) != nullptr;
            test::pressKey(tool, Qt::Key_Escape);
        });
        click(window, CInstallerDlg::IDC_DUPLICATE_AND_GROW);
        EXPECT_EQ(windowText(findControl(&window, CInstallerDlg::IDC_MESSAGE)), "kept");
        click(window, IDOK);
    });
    EXPECT_EQ(progress.DoModal(), IDOK);
    EXPECT_TRUE(toolOpened);
    EXPECT_EQ(progress.m_strMessage, "kept");
}

} // namespace
} // namespace stubsetup
