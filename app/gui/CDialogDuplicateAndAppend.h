#pragma once

#include "controls/CFileEditCtrl.h"

#include "framework/CDialog.h"

#include <string>

namespace stubsetup {

// Copies the running program to an output file and appends the bytes of any
// chosen file to the copy, so that testers get an installer enlarged by that
// file. Each opening proposes the output name afresh.
class CDialogDuplicateAndAppend : public CDialog {
public:
    static constexpr int IDC_OUTPUT_FILE = 1013;
    static constexpr int IDC_APPEND_FILE = 1014;

    explicit CDialogDuplicateAndAppend(QWidget *parent = nullptr);

    // Dialog 130.
    static const DialogTemplate &Template();

    // The copy's proposed name: every ".exe" of the program's path becomes
    // ".out.exe"; a path without one gets ".out" appended, so the proposal is
    // never the program itself. Empty for an empty path.
    static std::string ProposedOutputFile(const std::string &programFile);

    std::string m_strOutputFile;

protected:
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange &dx) override;
    void OnOK() override;

    // The file that is copied: the running program's own.
    virtual std::string ProgramFile() const;

private:
    std::string LastAppendFile();
    void AppendToOutput(const std::string &appendFile);

    CFileEditCtrl m_ctlAppendFile;
};

} // namespace stubsetup
