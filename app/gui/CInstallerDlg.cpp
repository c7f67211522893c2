#include "app/gui/CInstallerDlg.h"

#include "app/InstallPath.h"
#include "app/gui/CDialogDuplicateAndAppend.h"
#include "app/gui/CUsageDlg.h"
#include "app/gui/ProgramIcon.h"

#include "framework/Window.h"

#include <QComboBox>
#include <QLabel>
#include <QProgressBar>

#include <algorithm>
#include <climits>
#include <vector>

namespace stubsetup {
namespace {

// The item index is the return code the update manager defines.
constexpr const char *kReturnCodeItems[] = {
    "Complete (0)",
    "CompleteAfterReboot (1)",
    "IncompleteTryAgain (2)",
    "IncompleteRebootTryAgain (3)",
    "IncompleteCannotSucceed (4)",
};

constexpr char kAboutMenuText[] = "&About stubsetup...";

// Controls a countdown disables, in the order it disables them.
constexpr int kCountdownDisabled[] = {
    IDOK,
    CInstallerDlg::IDC_USAGE,
    CInstallerDlg::IDC_DUPLICATE_AND_GROW,
    CInstallerDlg::IDC_INSTALL_PATH,
    CInstallerDlg::IDC_COMPONENT,
    CInstallerDlg::IDC_INSTALLING_FILE,
    CInstallerDlg::IDC_RETURN_CODE,
    CInstallerDlg::IDC_MESSAGE,
    IDCANCEL,
};

// A progress bar counts in int; sleeps beyond that still fill it.
int progressValue(std::uint32_t seconds)
{
    return static_cast<int>(std::min<std::uint32_t>(seconds, INT_MAX));
}

} // namespace

const DialogTemplate &CInstallerDlg::Template()
{
    using namespace WindowStyle;
    constexpr std::uint32_t kField = kBorder | kEditAutoHScroll | kTabStop;
    constexpr std::uint32_t kButton = kTabStop;
    static const DialogTemplate dialog{
        "stubsetup",
        382,
        210,
        kShellDialogFont,
        8,
        {
            {IDC_INSTALL_PATH, ControlKind::Edit, "", kField, 0, 121, 55, 254, 14},
            {IDC_COMPONENT, ControlKind::Edit, "", kField, 0, 121, 72, 254, 14},
            {IDC_INSTALLING_FILE, ControlKind::Edit, "", kField, 0, 121, 90, 254, 14},
            {IDC_RETURN_CODE, ControlKind::ComboBox, "", kComboDropDown | kVScroll | kTabStop, 0,
             121, 107, 181, 71},
            {IDC_MESSAGE, ControlKind::Edit, "", kField, 0, 121, 123, 254, 14},
            {IDC_USAGE, ControlKind::PushButton, "&Usage", kButton, 0, 10, 187, 50, 16},
            {IDC_DUPLICATE_AND_GROW, ControlKind::PushButton, "Duplicate && Grow", kButton, 0, 70,
             187, 74, 16},
            {IDCANCEL, ControlKind::PushButton, "&Cancel", kButton, 0, 268, 187, 50, 16},
            {IDOK, ControlKind::DefaultPushButton, "OK", kButton, 0, 325, 187, 50, 16},
            {IDC_HEADER, ControlKind::StaticText, "ORL 2.1 Test Installer",
             kStaticCenter | kStaticCenterImage | kBorder, 0, 10, 7, 365, 41},
            {kNoControlId, ControlKind::StaticText, "Component Name:", kStaticLeft, 0, 10, 76, 60,
             8},
            {kNoControlId, ControlKind::StaticText, "Installing File:", kStaticLeft, 0, 10, 94, 45,
             8},
            {IDC_TIME_REMAINING_LABEL, ControlKind::StaticText, "Time Remaining:", kStaticLeft, 0,
             10, 143, 53, 8},
            {IDC_PROGRESS, ControlKind::ProgressBar, "", kProgressSmooth | kBorder, 0, 10, 157, 365,
             14},
            {kNoControlId, ControlKind::SeparatorLine, "", kStaticSunken, 0, 10, 181, 365, 1},
            {IDC_TIME_REMAINING, ControlKind::StaticText, "Time Required:", kStaticLeft, 0, 124,
             141, 49, 8},
            {kNoControlId, ControlKind::StaticText, "Installer Message:", kStaticLeft, 0, 10, 126,
             60, 8},
            {kNoControlId, ControlKind::StaticText, "Corvane Updater Return Code:", kStaticLeft, 0,
             10, 110, 95, 8},
            {kNoControlId, ControlKind::StaticText, "Application install path:", kStaticLeft, 0, 10,
             58, 75, 8},
        },
    };
    return dialog;
}

CInstallerDlg::CInstallerDlg(QWidget *parent) : CDialog(Template(), parent), m_hIcon(programIcon())
{
    AddReturnCodeItems();
    MapClicked(IDC_USAGE, [this] { OnUsage(); });
    MapClicked(IDC_DUPLICATE_AND_GROW, [this] { OnDuplicateAndGrow(); });
    MapChange(IDC_INSTALL_PATH, [this] { OnInstallPathChanged(); });
}

void CInstallerDlg::AddReturnCodeItems()
{
    auto &combo = static_cast<QComboBox &>(requireControl(this, IDC_RETURN_CODE));
    for (const char *item : kReturnCodeItems)
        combo.addItem(QString::fromLatin1(item));
    combo.setCurrentIndex(-1);
}

void CInstallerDlg::DoDataExchange(CDataExchange &dx)
{
    DDX_Control(dx, IDC_HEADER, m_ctlHeader);
    DDX_Text(dx, IDC_COMPONENT, m_strComponent);
    DDV_MaxChars(dx, m_strComponent, kComponentMaxChars);
    DDX_Text(dx, IDC_INSTALLING_FILE, m_strInstallingFile);
    DDX_Text(dx, IDC_MESSAGE, m_strMessage);
    DDX_Text(dx, IDC_TIME_REMAINING, m_strTimeRemaining);
    DDX_Control(dx, IDC_PROGRESS, m_ctlProgress);
    DDX_Text(dx, IDC_HEADER, m_strDisplayName);
    DDX_CBIndex(dx, IDC_RETURN_CODE, m_nReturnCode);
    DDX_Text(dx, IDC_INSTALL_PATH, m_strInstallPath);
}

bool CInstallerDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    // The title bar's menu belongs to the window manager; the about command
    // goes into the dialog's context menu instead.
    AppendSystemMenuSeparator();
    AppendSystemMenuItem(IDM_ABOUTBOX, QString::fromLatin1(kAboutMenuText));
    // One window icon serves the title bar, the taskbar and the switcher alike.
    SetIcon(m_hIcon, true);
    StyleHeader();
    NameCountdownForRobots();

    TakeInstallPathFromEnvironment();
    // The install-path control still shows the run's value, which wins.
    UpdateData(true);
    EnableFieldsForInstallPath();
    SetTimeRemaining(m_nSleepSeconds);
    UpdateData(false);
    SelectReturnCode();

    if (CanCountDown())
        StartCountdown();
    else
        ShowCountdown(false);
    return true;
}

void CInstallerDlg::StyleHeader()
{
    m_ctlHeader.SetFaceName(QStringLiteral("Tahoma"), 0);
    m_ctlHeader.SetBold(true);
    m_ctlHeader.SetPointSize(20);
}

// Screen readers and test robots find the countdown by its label's words.
void CInstallerDlg::NameCountdownForRobots()
{
    m_ctlProgress->setAccessibleName(QStringLiteral("Installation progress"));
    qobject_cast<QLabel *>(GetDlgItem(IDC_TIME_REMAINING_LABEL))
        ->setBuddy(GetDlgItem(IDC_TIME_REMAINING));
}

void CInstallerDlg::TakeInstallPathFromEnvironment()
{
    std::string path;
    if (LookUpInstallPath(path))
        m_strInstallPath = path;
}

void CInstallerDlg::EnableFieldsForInstallPath()
{
    const bool haveInstallPath = !m_strInstallPath.empty();
    EnableDlgItem(IDC_COMPONENT, haveInstallPath);
    EnableDlgItem(IDC_INSTALLING_FILE, haveInstallPath);
}

void CInstallerDlg::SelectReturnCode()
{
    auto &combo = static_cast<QComboBox &>(requireControl(this, IDC_RETURN_CODE));
    combo.setCurrentIndex(m_nReturnCode >= 0 && m_nReturnCode < combo.count() ? m_nReturnCode : -1);
}

bool CInstallerDlg::CanCountDown() const
{
    return !m_strComponent.empty() && m_nReturnCode != -1 && m_nSleepSeconds != 0;
}

void CInstallerDlg::StartCountdown()
{
    m_ctlProgress->setRange(0, progressValue(m_nSleepSeconds));
    m_nElapsedSeconds = 0;
    SetTimer(kCountdownTimerId, kCountdownPeriodMs);
    for (int id : kCountdownDisabled)
        EnableDlgItem(id, false);
}

void CInstallerDlg::ShowCountdown(bool show)
{
    for (int id : {IDC_TIME_REMAINING_LABEL, IDC_TIME_REMAINING, IDC_PROGRESS})
        ShowDlgItem(id, show);
}

void CInstallerDlg::SetTimeRemaining(std::uint32_t seconds)
{
    m_strTimeRemaining = std::to_string(seconds) + " seconds";
}

void CInstallerDlg::OnTimer(int id)
{
    OnCountdownTick();
    CDialog::OnTimer(id);
}

void CInstallerDlg::OnCountdownTick()
{
    ++m_nElapsedSeconds;
    m_ctlProgress->setValue(progressValue(m_nElapsedSeconds));
    SetTimeRemaining(m_nSleepSeconds - m_nElapsedSeconds);
    UpdateData(false);
    if (m_nElapsedSeconds != m_nSleepSeconds)
        return;
    UpdateData(true);
    EndDialog(IDOK);
}

void CInstallerDlg::OnInstallPathChanged()
{
    UpdateData(true);
    EnableFieldsForInstallPath();
}

void CInstallerDlg::OnSysCommand(int command)
{
    if ((command & ~0xF) == IDM_ABOUTBOX)
        OnUsage();
    else
        CDialog::OnSysCommand(command);
}

void CInstallerDlg::OnUsage()
{
    CUsageDlg usage(this);
    usage.DoModal();
}

void CInstallerDlg::OnDuplicateAndGrow()
{
    CDialogDuplicateAndAppend duplicate(this);
    duplicate.DoModal();
}

} // namespace stubsetup
