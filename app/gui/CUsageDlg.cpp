#include "app/gui/CUsageDlg.h"

#include "app/UsageDocument.h"
#include "app/gui/ProgramIcon.h"
#include "app/gui/UsageRichText.h"

#include "framework/Window.h"

#include <QIcon>
#include <QTextCursor>
#include <QTextEdit>

namespace stubsetup {

const DialogTemplate &CUsageDlg::Template()
{
    using namespace WindowStyle;
    static const DialogTemplate dialog{
        "About stubsetup",
        452,
        270,
        kShellDialogFont,
        8,
        {
            {kNoControlId, ControlKind::StaticIcon, kProgramIconResource, kStaticIcon, 0, 11, 17,
             21, 20},
            {kNoControlId, ControlKind::StaticText, kVersionText, kStaticLeft | kStaticNoPrefix, 0,
             40, 10, 119, 8},
            {kNoControlId, ControlKind::StaticText, "Corvane update test installer", kStaticLeft, 0,
             40, 25, 119, 8},
            {IDOK, ControlKind::DefaultPushButton, "OK", kTabStop | kGroup, 0, 395, 247, 50, 16},
            {IDC_RICHTEXT, ControlKind::RichEdit, "",
             kEditMultiLine | kEditAutoVScroll | kEditAutoHScroll | kVScroll | kBorder | kTabStop,
             0, 7, 44, 438, 190},
            {kNoControlId, ControlKind::SeparatorLine, "", kStaticSunken, 0, 7, 238, 438, 1},
        },
    };
    return dialog;
}

CUsageDlg::CUsageDlg(QWidget *parent) : CDialog(Template(), parent)
{
    SetIcon(programIcon(), true);
    // The reference has no label of its own; its first heading names it.
    GetDlgItem(IDC_RICHTEXT)->setAccessibleName(QStringLiteral("Usage"));
}

bool CUsageDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    // Whatever was typed last time is gone: the reference is written anew.
    writeUsageDocument(*m_ctlRichText->document());
    m_ctlRichText->moveCursor(QTextCursor::Start);
    return true;
}

void CUsageDlg::DoDataExchange(CDataExchange &dx)
{
    DDX_Control(dx, IDC_RICHTEXT, m_ctlRichText);
}

} // namespace stubsetup
