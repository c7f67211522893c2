#pragma once

#include "app/InstallerDialogValues.h"
#include "controls/CStyledLabel.h"

#include "framework/CDialog.h"

#include <QIcon>

#include <cstdint>
#include <string>

namespace stubsetup {

// The progress dialog of a run: shows what is about to be installed, then
// either counts the install time down and confirms itself, or waits for the
// tester to choose the return code and message. Its fields carry the run's
// values in and the chosen return code and message out.
class CInstallerDlg final : public CDialog, public InstallerDialogValues {
public:
    static constexpr int IDC_HEADER = 1000;
    static constexpr int IDC_PROGRESS = 1001;
    static constexpr int IDC_COMPONENT = 1002;
    static constexpr int IDC_INSTALLING_FILE = 1003;
    static constexpr int IDC_TIME_REMAINING = 1004;
    static constexpr int IDC_TIME_REMAINING_LABEL = 1005;
    static constexpr int IDC_INSTALL_PATH = 1006;
    static constexpr int IDC_MESSAGE = 1008;
    static constexpr int IDC_USAGE = 1009;
    static constexpr int IDC_DUPLICATE_AND_GROW = 1012;
    static constexpr int IDC_RETURN_CODE = 1014;

    static constexpr int IDM_ABOUTBOX = 16;
    static constexpr int kCountdownTimerId = 12332;
    static constexpr int kCountdownPeriodMs = 1000;
    static constexpr int kComponentMaxChars = 64;

    explicit CInstallerDlg(QWidget *parent = nullptr);

    // Dialog 102.
    static const DialogTemplate &Template();

    // Shows or hides the countdown row: its label, its text and the bar.
    void ShowCountdown(bool show);

    // The run's values (InstallerDialogValues) plus what only the dialog
    // keeps; m_nReturnCode is the index of the selected item, -1 for none.
    std::uint32_t m_nElapsedSeconds = 0;
    std::string m_strTimeRemaining;

protected:
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange &dx) override;
    void OnTimer(int id) override;
    void OnSysCommand(int command) override;

private:
    void OnCountdownTick();
    void OnInstallPathChanged();
    void OnUsage();
    void OnDuplicateAndGrow();

    void AddReturnCodeItems();
    void StyleHeader();
    void NameCountdownForRobots();
    void TakeInstallPathFromEnvironment();
    void EnableFieldsForInstallPath();
    void SelectReturnCode();
    bool CanCountDown() const;
    void StartCountdown();
    void SetTimeRemaining(std::uint32_t seconds);

    CStyledLabel m_ctlHeader;
    CProgressCtrl m_ctlProgress;
    QIcon m_hIcon;
};

} // namespace stubsetup
