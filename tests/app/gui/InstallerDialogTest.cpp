#include "app/gui/CInstallerDlg.h"
#include "app/gui/CUsageDlg.h"
#include "app/gui/QtUserInterface.h"

#include "controls/CStyledLabel.h"
#include "framework/MessageBox.h"
#include "framework/Window.h"

#include "ModalDriver.h"
#include "TestSupport.h"

#include <QAccessible>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace stubsetup {
namespace {

using Dlg = CInstallerDlg;
using test::click;
using test::control;

void replaceText(QLineEdit &edit, const QString &text)
{
    edit.setFocus();
    edit.selectAll();
    QTest::keyClick(&edit, Qt::Key_Delete);
    QTest::keyClicks(&edit, text);
}

// Notes every control the dialog disables, in order.
class DisableRecorder : public QObject {
public:
    explicit DisableRecorder(const QWidget &dialog)
    {
        for (QWidget *child : dialog.findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            if (controlId(child) != kNoControlId)
                child->installEventFilter(this);
    }
    std::vector<int> disabled;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *widget = static_cast<QWidget *>(watched);
        if (event->type() == QEvent::EnabledChange && !widget->isEnabled())
            disabled.push_back(controlId(widget));
        return false;
    }
};

// Runs `trigger` and answers whether a usage dialog became modal meanwhile;
// that dialog is closed again.
bool opensUsageDialog(const std::function<void()> &trigger)
{
    auto opened = std::make_shared<bool>(false);
    QTimer::singleShot(0, [opened] {
        const auto usageIsModal = [] {
            return dynamic_cast<CUsageDlg *>(QApplication::activeModalWidget()) != nullptr;
        };
        if (QTest::qWaitFor(usageIsModal)) {
            *opened = true;
            test::pressKey(*QApplication::activeModalWidget(), Qt::Key_Escape);
        }
    });
    trigger();
    return *opened;
}

class InstallerDialogTest : public ::testing::Test {
protected:
    void SetUp() override { unsetenv("ORL_APP_INSTALL_PATH"); }
    void TearDown() override
    {
        unsetenv("ORL_APP_INSTALL_PATH");
        CDialog::setTimerPeriodDivisor(1);
    }

    // A run that waits for the tester: no sleep.
    void fillWaitingRun(CInstallerDlg &dialog)
    {
        dialog.m_strDisplayName = "Demo Installer";
        dialog.m_strInstallPath = "/opt/app";
        dialog.m_strComponent = "comp";
        dialog.m_strInstallingFile = "/opt/app/f.txt";
        dialog.m_strMessage = "before";
        dialog.m_nReturnCode = 1;
    }
};

// --- Opening and the field exchange ---

TEST_F(InstallerDialogTest, OpensWithTheRunsValuesAndTheStyledHeader)
{
    // The install path the run passes wins over the environment's.
    setenv("ORL_APP_INSTALL_PATH", "/from/environment", 1);
    CInstallerDlg dialog;
    fillWaitingRun(dialog);
    test::whenModal([](QWidget &window) {
        auto &header = control<CStyledLabel>(window, Dlg::IDC_HEADER);
        EXPECT_EQ(header.text(), "Demo Installer");
        EXPECT_EQ(header.GetLogFont().faceName, "Tahoma");
        EXPECT_EQ(header.GetLogFont().weight, 700);
        EXPECT_TRUE(header.GetTextFont().bold());

        EXPECT_EQ(control<QLineEdit>(window, Dlg::IDC_INSTALL_PATH).text(), "/opt/app");
        EXPECT_EQ(control<QLineEdit>(window, Dlg::IDC_INSTALLING_FILE).text(), "/opt/app/f.txt");
        EXPECT_EQ(control<QComboBox>(window, Dlg::IDC_RETURN_CODE).currentText(),
                  "CompleteAfterReboot (1)");
        for (int id : {Dlg::IDC_TIME_REMAINING_LABEL, Dlg::IDC_TIME_REMAINING, Dlg::IDC_PROGRESS})
            EXPECT_FALSE(findControl(&window, id)->isVisible()) << id;
        EXPECT_EQ(window.focusWidget(), findControl(&window, Dlg::IDC_INSTALL_PATH));
        test::pressKey(window, Qt::Key_Escape);
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.m_strInstallPath, "/opt/app");
}

// The component takes 64 characters: a longer one stops the exchange before
// the message and the return code.
TEST_F(InstallerDialogTest, TooLongComponentStopsTheReadBackAndKeepsTheDialogOpen)
{
    CInstallerDlg dialog;
    fillWaitingRun(dialog);
    test::whenModal([&dialog](QWidget &window) {
        auto &component = control<QLineEdit>(window, Dlg::IDC_COMPONENT);
        component.setText(QString(65, 'x'));
        control<QLineEdit>(window, Dlg::IDC_MESSAGE).setText("after");
        control<QComboBox>(window, Dlg::IDC_RETURN_CODE).setCurrentIndex(4);
        MessageBox::setNextAnswer(QMessageBox::Ok);
        click(window, IDOK);

        ASSERT_TRUE(MessageBox::lastShown().has_value());
        EXPECT_EQ(MessageBox::lastShown()->text, "Please enter no more than 64 characters.");
        EXPECT_EQ(dialog.m_strMessage, "before");
        EXPECT_EQ(dialog.m_nReturnCode, 1);

        component.setText(QString(64, 'x'));
        click(window, IDOK);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.m_strComponent, std::string(64, 'x'));
    EXPECT_EQ(dialog.m_strMessage, "after");
    EXPECT_EQ(dialog.m_nReturnCode, 4);
}

TEST_F(InstallerDialogTest, ReturnCodeOutsideTheItemsSelectsNoneAndStartsNoCountdown)
{
    CInstallerDlg dialog;
    fillWaitingRun(dialog);
    dialog.m_nReturnCode = 7;
    dialog.m_nSleepSeconds = 5;
    test::whenModal([](QWidget &window) {
        EXPECT_EQ(control<QComboBox>(window, Dlg::IDC_RETURN_CODE).currentIndex(), -1);
        EXPECT_FALSE(findControl(&window, Dlg::IDC_PROGRESS)->isVisible());
        EXPECT_TRUE(findControl(&window, IDOK)->isEnabled());
        click(window, IDOK);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.m_nReturnCode, -1);
}

TEST_F(InstallerDialogTest, WithoutAComponentThereIsNoCountdown)
{
    CInstallerDlg dialog;
    fillWaitingRun(dialog);
    dialog.m_strComponent.clear();
    dialog.m_nReturnCode = 2;
    dialog.m_nSleepSeconds = 5;
    test::whenModal([](QWidget &window) {
        EXPECT_FALSE(findControl(&window, Dlg::IDC_PROGRESS)->isVisible());
        EXPECT_TRUE(findControl(&window, IDOK)->isEnabled());
        click(window, IDOK);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.m_nReturnCode, 2);
}

// --- The countdown ---

TEST_F(InstallerDialogTest, CountdownDisablesEveryControlAndConfirmsItself)
{
    CDialog::setTimerPeriodDivisor(100);
    CInstallerDlg dialog;
    fillWaitingRun(dialog);
    dialog.m_nSleepSeconds = 3;
    const DisableRecorder recorder(dialog);

    // A tick moves the bar before it rewrites the text, so each move sees the
    // text the previous tick left.
    auto &bar = control<QProgressBar>(dialog, Dlg::IDC_PROGRESS);
    auto &remaining = *findControl(&dialog, Dlg::IDC_TIME_REMAINING);
    std::vector<QString> textsBeforeTicks;
    QObject::connect(&bar, &QProgressBar::valueChanged, &bar, [&](int) {
        textsBeforeTicks.push_back(windowText(&remaining));
        EXPECT_TRUE(bar.isVisible());
    });

    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(textsBeforeTicks, (std::vector<QString>{"3 seconds", "2 seconds", "1 seconds"}));
    EXPECT_EQ(windowText(&remaining), "0 seconds");
    EXPECT_EQ(bar.maximum(), 3);
    EXPECT_EQ(bar.value(), 3);
    EXPECT_EQ(recorder.disabled,
              (std::vector<int>{IDOK, Dlg::IDC_USAGE, Dlg::IDC_DUPLICATE_AND_GROW,
                                Dlg::IDC_INSTALL_PATH, Dlg::IDC_COMPONENT, Dlg::IDC_INSTALLING_FILE,
                                Dlg::IDC_RETURN_CODE, Dlg::IDC_MESSAGE, IDCANCEL}));
    EXPECT_EQ(dialog.m_nReturnCode, 1);
    EXPECT_EQ(dialog.m_strMessage, "before");
}

// Nobody need close the usage window (opened from the context menu, whose
// commands stay enabled) or the menu for the countdown's confirmation to
// reach the run.
TEST_F(InstallerDialogTest, ACountdownThatEndsClosesTheUsageWindowAndTheMenu)
{
    CDialog::setTimerPeriodDivisor(100);
    for (const bool usageOpen : {true, false}) {
        SCOPED_TRACE(usageOpen ? "usage window" : "context menu");
        CInstallerDlg dialog;
        fillWaitingRun(dialog);
        dialog.m_nSleepSeconds = 2;
        bool leftOpen = false;
        test::whenModal([&](QWidget &window) {
            // Should the countdown leave them open, the test closes them.
            QTimer::singleShot(10000, [&leftOpen] {
                leftOpen = true;
                if (QWidget *popup = QApplication::activePopupWidget())
                    popup->close();
                if (auto *usage = dynamic_cast<CUsageDlg *>(QApplication::activeModalWidget()))
                    usage->close();
            });
            QMenu *menu = test::openContextMenu(window);
            ASSERT_NE(menu, nullptr);
            if (usageOpen)
                menu->actions().back()->trigger(); // returns once the usage window is closed
        });
        EXPECT_EQ(dialog.DoModal(), IDOK);
        EXPECT_FALSE(leftOpen);
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    }
}

// What a screen reader or a test robot learns of the dialog: which label
// labels which control, seen from both ends, and the names robots look for.
TEST_F(InstallerDialogTest, RobotsFindTheCountdownAndTheReturnCodeByTheirLabels)
{
    CInstallerDlg dialog;
    fillWaitingRun(dialog);
    test::whenModal([](QWidget &window) {
        const auto related = [](QObject *object, QAccessible::Relation relation) {
            std::vector<QObject *> others;
            if (QAccessibleInterface *face = QAccessible::queryAccessibleInterface(object))
                for (const auto &[other, kind] : face->relations(relation))
                    others.push_back(other->object());
            return others;
        };
        const auto name = [](QObject *object) {
            return QAccessible::queryAccessibleInterface(object)->text(QAccessible::Name);
        };
        QWidget *countdownLabel = findControl(&window, Dlg::IDC_TIME_REMAINING_LABEL);
        QWidget *countdown = findControl(&window, Dlg::IDC_TIME_REMAINING);
        EXPECT_EQ(related(countdown, QAccessible::Label), std::vector<QObject *>{countdownLabel});
        EXPECT_EQ(related(countdownLabel, QAccessible::Labelled),
                  std::vector<QObject *>{countdown});
        EXPECT_TRUE(related(countdownLabel, QAccessible::Label).empty());
        EXPECT_EQ(name(countdownLabel), "Time Remaining:");

        auto &combo = control<QComboBox>(window, Dlg::IDC_RETURN_CODE);
        QLabel *codeLabel = nullptr;
        for (QLabel *label : window.findChildren<QLabel *>())
            if (label->text() == "Corvane Updater Return Code:")
                codeLabel = label;
        EXPECT_EQ(related(&combo, QAccessible::Label), std::vector<QObject *>{codeLabel});
        EXPECT_EQ(related(combo.lineEdit(), QAccessible::Label), std::vector<QObject *>{codeLabel});
        EXPECT_EQ(related(codeLabel, QAccessible::Labelled),
                  (std::vector<QObject *>{&combo, combo.lineEdit()}));
        EXPECT_EQ(name(combo.lineEdit()), "Corvane Updater Return Code");
        EXPECT_EQ(name(findControl(&window, Dlg::IDC_PROGRESS)), "Installation progress");
        click(window, IDCANCEL);
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
}

// --- What the run gets back ---

void chooseCodeAndEditEverything(QWidget &window)
{
    auto &combo = control<QComboBox>(window, Dlg::IDC_RETURN_CODE);
    combo.setFocus();
    QTest::keyClick(&combo, Qt::Key_Down);
    QTest::keyClick(&combo, Qt::Key_Down);
    EXPECT_EQ(combo.currentIndex(), 3);
    replaceText(control<QLineEdit>(window, Dlg::IDC_MESSAGE), "after");
    replaceText(control<QLineEdit>(window, Dlg::IDC_COMPONENT), "edited");
}

TEST_F(InstallerDialogTest, OkHandsBackTheChosenCodeAndMessageCancelNothing)
{
    QtUserInterface ui(ensureApplication(), "stubsetup");
    InstallerDialogValues values;
    values.m_strInstallPath = "/opt/app";
    values.m_strComponent = "comp";
    values.m_strMessage = "before";
    values.m_nReturnCode = 1;

    test::whenModal([](QWidget &window) {
        chooseCodeAndEditEverything(window);
        click(window, IDCANCEL);
    });
    EXPECT_EQ(ui.runProgressDialog(values).outcome, DialogOutcome::Cancelled);
    EXPECT_EQ(values.m_nReturnCode, 1);
    EXPECT_EQ(values.m_strMessage, "before");

    test::whenModal([](QWidget &window) {
        chooseCodeAndEditEverything(window);
        click(window, IDOK);
    });
    EXPECT_EQ(ui.runProgressDialog(values).outcome, DialogOutcome::Ok);
    EXPECT_EQ(values.m_nReturnCode, 3);
    EXPECT_EQ(values.m_strMessage, "after");
    EXPECT_EQ(values.m_strComponent, "comp"); // shown, not handed back
}

// The caption is the program's file name; it and the texts are the locale's
// bytes.
TEST_F(InstallerDialogTest, MessageBoxesShowTheLocalesText)
{
    const test::BuiltLocale latin1("ISO-8859-1");
    if (!latin1.active())
        GTEST_SKIP() << "localedef cannot build en_US.ISO-8859-1 here (package locales)";
    QtUserInterface ui(ensureApplication(), "Gr\xFC\xDF"
                                            "e");
    MessageBox::setNextAnswer(QMessageBox::Ok);
    ui.showMessage("caf\xE9", MessageStyle::Plain, "");
    ASSERT_TRUE(MessageBox::lastShown().has_value());
    EXPECT_EQ(MessageBox::lastShown()->caption, QString::fromUtf8("Grüße"));
    EXPECT_EQ(MessageBox::lastShown()->text, QString::fromUtf8("café"));
}

// --- Handlers ---

TEST_F(InstallerDialogTest, InstallPathFieldEnablesComponentAndInstallingFile)
{
    // The read-back at opening replaces the environment's path with the field's.
    setenv("ORL_APP_INSTALL_PATH", "/from/environment", 1);
    CInstallerDlg dialog;
    fillWaitingRun(dialog);
    dialog.m_strInstallPath.clear();
    test::whenModal([](QWidget &window) {
        auto &path = control<QLineEdit>(window, Dlg::IDC_INSTALL_PATH);
        const auto fieldsEnabled = [&window](bool enabled) {
            for (int id : {Dlg::IDC_COMPONENT, Dlg::IDC_INSTALLING_FILE})
                EXPECT_EQ(findControl(&window, id)->isEnabled(), enabled) << id;
        };
        EXPECT_EQ(path.text(), "");
        fieldsEnabled(false);
        replaceText(path, "/a");
        fieldsEnabled(true);
        QTest::keyClick(&path, Qt::Key_Backspace);
        fieldsEnabled(true);
        QTest::keyClick(&path, Qt::Key_Backspace);
        fieldsEnabled(false);
        test::pressKey(window, Qt::Key_Escape);
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
}

TEST_F(InstallerDialogTest, AboutCommandAndUsageButtonOpenTheUsageDialog)
{
    CInstallerDlg dialog;
    fillWaitingRun(dialog);
    test::whenModal([](QWidget &window) {
        EXPECT_TRUE(opensUsageDialog([&window] { click(window, Dlg::IDC_USAGE); }));

        QMenu *menu = test::openContextMenu(window);
        ASSERT_NE(menu, nullptr);
        const QList<QAction *> actions = menu->actions();
        ASSERT_EQ(actions.size(), 2);
        EXPECT_TRUE(actions[0]->isSeparator());
        EXPECT_EQ(actions[1]->text(), "&About stubsetup...");
        menu->close();
        EXPECT_TRUE(opensUsageDialog([&actions] { actions[1]->trigger(); }));
        test::pressKey(window, Qt::Key_Escape);
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
}

} // namespace
} // namespace stubsetup
