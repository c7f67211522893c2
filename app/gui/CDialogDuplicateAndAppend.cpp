#include "app/gui/CDialogDuplicateAndAppend.h"

#include "app/StandardErrorUserInterface.h"
#include "app/gui/ProgramIcon.h"
#include "app/gui/platform/FileCopy.h"
#include "app/platform/Process.h"

#include "framework/CWaitCursor.h"
#include "framework/LocalText.h"
#include "framework/MessageBox.h"
#include "framework/Window.h"

#include <cerrno>
#include <cstring>
#include <iostream>

namespace stubsetup {
namespace {

constexpr char kCopyFailed[] = "Unable to open output file for writing";
constexpr char kSameFile[] = "The output file and the file to append are the same file.";
constexpr char kReopenFailed[] =
    "The output file could not be created.  Check that all paths and permissions are proper.";

// The box text for a failed file operation: what went wrong, and where.
QString fileErrorMessage(const std::error_code &error, const std::string &file)
{
    const QString name = toQString(file);
    if (error == std::errc::no_space_on_device || error == std::errc::file_too_large)
        return QStringLiteral("Disk full while accessing %1.").arg(name);
    if (error == std::errc::io_error)
        return QStringLiteral("A hardware I/O error was reported while accessing %1.").arg(name);
    return QStringLiteral("An error occurred while accessing %1.\n%2")
        .arg(name, toQString(error.message()));
}

// The box keeps its fixed text; the line on standard error says where and why.
void sayWhy(const std::string &path, const std::string &reason)
{
    std::cerr << kDiagnosticPrefix << "cannot duplicate the program: " << path << ": " << reason
              << std::endl;
}

std::string systemReason(int error)
{
    return std::strerror(error);
}

} // namespace

const DialogTemplate &CDialogDuplicateAndAppend::Template()
{
    using namespace WindowStyle;
    constexpr std::uint32_t kField = kBorder | kEditAutoHScroll | kTabStop;
    static const DialogTemplate dialog{
        "Dialog",
        267,
        129,
        kShellDialogFont,
        8,
        {
            {IDOK, ControlKind::DefaultPushButton, "OK", kTabStop, 0, 210, 108, 50, 14},
            {IDCANCEL, ControlKind::PushButton, "Cancel", kTabStop, 0, 155, 108, 50, 14},
            {kNoControlId, ControlKind::StaticText,
             "This utility allows you to duplicate the current installer and append arbitrary "
             "data to the end of the PE module.",
             kStaticLeft, 0, 42, 7, 218, 22},
            {kNoControlId, ControlKind::StaticText, "Output File:", kStaticLeft, 0, 7, 71, 39, 8},
            {IDC_OUTPUT_FILE, ControlKind::Edit, "", kField, 0, 7, 81, 253, 13},
            {kNoControlId, ControlKind::StaticText, "File to Append to Output:", kStaticLeft, 0, 7,
             40, 83, 8},
            {IDC_APPEND_FILE, ControlKind::Edit, "", kField, 0, 7, 50, 253, 13},
            {kNoControlId, ControlKind::SeparatorLine, "", kStaticSunken, 0, 6, 102, 253, 1},
            {kNoControlId, ControlKind::StaticIcon, kProgramIconResource, kStaticIcon, 0, 7, 7, 20,
             20},
        },
    };
    return dialog;
}

CDialogDuplicateAndAppend::CDialogDuplicateAndAppend(QWidget *parent) : CDialog(Template(), parent)
{}

std::string CDialogDuplicateAndAppend::ProposedOutputFile(const std::string &programFile)
{
    static const std::string extension = ".exe";
    static const std::string replacement = ".out.exe";
    std::string proposal = programFile;
    bool replaced = false;
    for (auto found = proposal.find(extension); found != std::string::npos;
         found = proposal.find(extension, found + replacement.size())) {
        proposal.replace(found, extension.size(), replacement);
        replaced = true;
    }
    if (!replaced && !proposal.empty())
        proposal += ".out";
    return proposal;
}

std::string CDialogDuplicateAndAppend::ProgramFile() const
{
    return platform::OwnExecutablePath();
}

bool CDialogDuplicateAndAppend::OnInitDialog()
{
    CDialog::OnInitDialog();
    // The caption says little; robots find the tool by what it is.
    setAccessibleName(QStringLiteral("Duplicate && Grow"));
    m_strOutputFile = ProposedOutputFile(ProgramFile());
    UpdateData(false);
    return true;
}

void CDialogDuplicateAndAppend::DoDataExchange(CDataExchange &dx)
{
    DDX_Text(dx, IDC_OUTPUT_FILE, m_strOutputFile);
    ExchangeFileEdit(dx, IDC_APPEND_FILE, m_ctlAppendFile, CFileEditCtrl::OpenFiles);
}

void CDialogDuplicateAndAppend::OnOK()
{
    UpdateData(true);
    // Copying the program over the file to append would destroy that file
    // before it is read.
    const std::string appendFile = LastAppendFile();
    if (!appendFile.empty() && platform::areSameFile(m_strOutputFile, appendFile)) {
        sayWhy(m_strOutputFile, "it is the file to append");
        AfxMessageBox(kSameFile);
        return;
    }
    if (!platform::copyFileWithMode(ProgramFile(), m_strOutputFile)) {
        const int error = errno;
        sayWhy(m_strOutputFile, platform::areSameFile(ProgramFile(), m_strOutputFile)
                                    ? "it is the program itself"
                                    : systemReason(error));
        AfxMessageBox(kCopyFailed);
        return;
    }
    if (appendFile.empty())
        CDialog::OnOK();
    else
        AppendToOutput(appendFile);
}

std::string CDialogDuplicateAndAppend::LastAppendFile()
{
    std::string last;
    for (CFileEditCtrl::Position position = m_ctlAppendFile.BeginPaths(); position;)
        last = toLocalBytes(m_ctlAppendFile.NextPath(position));
    return last;
}

void CDialogDuplicateAndAppend::AppendToOutput(const std::string &appendFile)
{
    using Status = platform::AppendOutcome::Status;
    const platform::AppendOutcome outcome = [&] {
        const CWaitCursor wait;
        return platform::appendFileContents(appendFile, m_strOutputFile);
    }();
    switch (outcome.status) {
    case Status::Appended:
    case Status::SourceUnavailable: // the plain copy is the result
        CDialog::OnOK();
        break;
    case Status::TargetUnavailable:
        sayWhy(m_strOutputFile, "it cannot be opened again to append to it");
        AfxMessageBox(kReopenFailed);
        break;
    case Status::ReadFailed:
        sayWhy(appendFile, outcome.error.message());
        AfxMessageBox(fileErrorMessage(outcome.error, appendFile), MessageBox::Style::Stop);
        break;
    case Status::WriteFailed:
        sayWhy(m_strOutputFile, outcome.error.message());
        AfxMessageBox(fileErrorMessage(outcome.error, m_strOutputFile), MessageBox::Style::Stop);
        break;
    }
}

} // namespace stubsetup
