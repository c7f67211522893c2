#include "framework/CDialog.h"

#include "framework/DialogControls.h"
#include "framework/Window.h"

#include <QAbstractButton>
#include <QApplication>
#include <QContextMenuEvent>
#include <QIcon>
#include <QLineEdit>
#include <QTextEdit>
#include <QTimer>

#include <stdexcept>
#include <string>

namespace stubsetup {
namespace {

int g_timerPeriodDivisor = 1;

constexpr Qt::WindowFlags kFrameFlags = Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                        Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;

// A dialog with an owner stays with it: transient for it and centred on it.
// One without is an application window of its own, which window managers
// list in taskbars and window lists.
Qt::WindowFlags dialogWindowFlags(const QWidget *parent)
{
    return kFrameFlags | (parent ? Qt::Dialog : Qt::Window);
}

QFont dialogFont(const DialogTemplate &dialogTemplate)
{
    const QString face = QString::fromUtf8(dialogTemplate.fontName);
    if (face == QLatin1String(kShellDialogFont))
        return QApplication::font();
    QFont font(face);
    font.setPointSize(dialogTemplate.pointSize);
    return font;
}

} // namespace

CDialog::CDialog(const DialogTemplate &dialogTemplate, QWidget *parent)
    : QDialog(parent, dialogWindowFlags(parent)), m_systemMenu(this)
{
    setWindowTitle(QString::fromUtf8(dialogTemplate.caption));
    setFont(dialogFont(dialogTemplate));
    m_baseUnits = DialogBaseUnits::ofFont(font());
    setFixedSize(m_baseUnits.toPixelsX(dialogTemplate.width),
                 m_baseUnits.toPixelsY(dialogTemplate.height));
    createControls(*this, dialogTemplate, m_baseUnits);
    if (parent)
        centreOnOwnerWhenShown(*this);
    if (GetDlgItem(IDOK))
        MapClicked(IDOK, [this] { OnOK(); });
    if (GetDlgItem(IDCANCEL))
        MapClicked(IDCANCEL, [this] { OnCancel(); });
}

CDialog::~CDialog() = default;

int CDialog::DoModal()
{
    m_nEndResult.reset();
    if (OnInitDialog())
        FocusFirstTabStop();
    // A dialog may end while it opens; it is then never shown.
    if (!m_nEndResult)
        exec();
    StopTimers();
    return m_nEndResult.value_or(IDCANCEL);
}

void CDialog::EndDialog(int result)
{
    m_nEndResult = result;
    StopTimers();
    CloseOpenedWindows();
    done(result);
}

void CDialog::CloseOpenedWindows()
{
    // A dialog opened from this one runs a loop inside this dialog's loop:
    // this one cannot end, nor its caller go on, until that one is closed.
    m_systemMenu.close();
    for (CDialog *opened : findChildren<CDialog *>(Qt::FindDirectChildrenOnly))
        if (opened->isVisible())
            opened->EndDialog(IDCANCEL);
}

bool CDialog::UpdateData(bool saveAndValidate)
{
    CDataExchange dx(*this, saveAndValidate);
    try {
        DoDataExchange(dx);
    } catch (const CDataExchange::Failure &) {
        return false;
    }
    return true;
}

QWidget *CDialog::GetDlgItem(int id) const
{
    return findControl(this, id);
}

void CDialog::EnableDlgItem(int id, bool enable)
{
    requireControl(this, id).setEnabled(enable);
}

void CDialog::ShowDlgItem(int id, bool show)
{
    requireControl(this, id).setVisible(show);
}

void CDialog::SetIcon(const QIcon &icon, bool)
{
    // One icon serves the title bar and the task switcher alike.
    setWindowIcon(icon);
}

void CDialog::SetTimer(int id, int periodMs)
{
    std::unique_ptr<QTimer> &timer = m_timers[id];
    if (!timer) {
        timer = std::make_unique<QTimer>();
        // A coarse timer may drift by several percent, which a countdown shows.
        timer->setTimerType(Qt::PreciseTimer);
        connect(timer.get(), &QTimer::timeout, this, [this, id] { OnTimer(id); });
    }
    timer->start(periodMs / g_timerPeriodDivisor);
}

void CDialog::KillTimer(int id)
{
    const auto found = m_timers.find(id);
    if (found != m_timers.end())
        found->second->stop();
}

void CDialog::setTimerPeriodDivisor(int divisor)
{
    g_timerPeriodDivisor = divisor > 0 ? divisor : 1;
}

void CDialog::StopTimers()
{
    // Stopped, not destroyed: the last tick may be what ends the dialog.
    for (const auto &[id, timer] : m_timers)
        timer->stop();
}

void CDialog::AppendSystemMenuSeparator()
{
    m_systemMenu.addSeparator();
}

void CDialog::AppendSystemMenuItem(int command, const QString &text)
{
    const QAction *action = m_systemMenu.addAction(text);
    connect(action, &QAction::triggered, this, [this, command] { OnSysCommand(command); });
}

void CDialog::contextMenuEvent(QContextMenuEvent *event)
{
    if (m_systemMenu.isEmpty()) {
        QDialog::contextMenuEvent(event);
        return;
    }
    m_systemMenu.popup(event->globalPos());
}

bool CDialog::OnInitDialog()
{
    UpdateData(false);
    return true;
}

void CDialog::DoDataExchange(CDataExchange &)
{}

void CDialog::OnOK()
{
    if (UpdateData(true))
        EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void CDialog::OnTimer(int)
{}

void CDialog::OnSysCommand(int)
{}

void CDialog::MapClicked(int id, Handler handler)
{
    auto *button = qobject_cast<QAbstractButton *>(&requireControl(this, id));
    if (!button)
        throw std::logic_error("control " + std::to_string(id) + " is no button");
    connect(button, &QAbstractButton::clicked, this, std::move(handler));
}

void CDialog::MapChange(int id, Handler handler)
{
    QWidget &control = requireControl(this, id);
    if (auto *edit = qobject_cast<QLineEdit *>(&control))
        connect(edit, &QLineEdit::textChanged, this, std::move(handler));
    else if (auto *textEdit = qobject_cast<QTextEdit *>(&control))
        connect(textEdit, &QTextEdit::textChanged, this, std::move(handler));
    else
        throw std::logic_error("control " + std::to_string(id) + " is no edit");
}

void CDialog::reject()
{
    // Escape and the close box are Cancel, but not while Cancel is disabled.
    const QWidget *cancel = GetDlgItem(IDCANCEL);
    if (cancel && !cancel->isEnabled())
        return;
    OnCancel();
}

void CDialog::FocusFirstTabStop()
{
    for (QWidget *widget = nextInFocusChain(); widget != this;
         widget = widget->nextInFocusChain()) {
        if (widget->parentWidget() == this && (widget->focusPolicy() & Qt::TabFocus) &&
            widget->isEnabled() && widget->isVisibleTo(this)) {
            widget->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

} // namespace stubsetup
