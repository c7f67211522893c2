#pragma once

#include "framework/CDialog.h"

namespace stubsetup {

// The about box and usage window: the program's name and version above the
// formatted command-line reference. Each opening shows the reference afresh.
class CUsageDlg final : public CDialog {
public:
    static constexpr int IDC_RICHTEXT = 1007;

    explicit CUsageDlg(QWidget *parent = nullptr);

    // Dialog 100.
    static const DialogTemplate &Template();

protected:
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange &dx) override;

private:
    CRichEditCtrl m_ctlRichText;
};

} // namespace stubsetup
