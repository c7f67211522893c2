#pragma once

#include "framework/CDataExchange.h"
#include "framework/DialogTemplate.h"
#include "framework/DialogUnits.h"

#include <QDialog>
#include <QMenu>

#include <functional>
#include <map>
#include <memory>
#include <optional>

class QIcon;
class QTimer;

namespace stubsetup {

// A fixed-size dialog made from a template. Its controls exist from
// construction; DoModal runs OnInitDialog and then the modal loop. Derived
// dialogs name their fields in DoDataExchange and react through the virtual
// handlers and the Map* registrations.
class CDialog : public QDialog {
public:
    explicit CDialog(const DialogTemplate &dialogTemplate, QWidget *parent = nullptr);
    ~CDialog() override;

    // Answers the result given to EndDialog: IDOK, IDCANCEL or another.
    int DoModal();
    void EndDialog(int result);

    // false fills the controls from the fields; true reads them back and
    // validates, answering false at the first failure.
    bool UpdateData(bool saveAndValidate = true);

    QWidget *GetDlgItem(int id) const;
    void EnableDlgItem(int id, bool enable);
    void ShowDlgItem(int id, bool show);
    void SetIcon(const QIcon &icon, bool bigIcon);
    const DialogBaseUnits &BaseUnits() const { return m_baseUnits; }

    // Timers by id, ending with the dialog; OnTimer(id) on every period.
    void SetTimer(int id, int periodMs);
    void KillTimer(int id);
    // Test seam: periods are divided by `divisor` from then on.
    static void setTimerPeriodDivisor(int divisor);

    // Window managers keep the title bar's menu to themselves, so a dialog's
    // own window commands go into its context menu; choosing one calls
    // OnSysCommand(command).
    void AppendSystemMenuSeparator();
    void AppendSystemMenuItem(int command, const QString &text);

protected:
    // Answers true to have the focus put on the first tab stop.
    virtual bool OnInitDialog();
    virtual void DoDataExchange(CDataExchange &dx);
    virtual void OnOK();
    virtual void OnCancel();
    virtual void OnTimer(int id);
    virtual void OnSysCommand(int command);

    using Handler = std::function<void()>;
    // A click of the button `id`.
    void MapClicked(int id, Handler handler);
    // Every change of the text of the edit `id`, the program's own included.
    void MapChange(int id, Handler handler);

    void reject() override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void FocusFirstTabStop();
    void StopTimers();
    // Ends the dialogs and the menu opened from this one.
    void CloseOpenedWindows();

    DialogBaseUnits m_baseUnits;
    std::map<int, std::unique_ptr<QTimer>> m_timers;
    QMenu m_systemMenu;
    std::optional<int> m_nEndResult;
};

} // namespace stubsetup
