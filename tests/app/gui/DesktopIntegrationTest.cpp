// What desktops see of the dialogs: window roles, owners, and the names
// assistive technology reads.
#include "app/gui/CDialogDuplicateAndAppend.h"
#include "app/gui/CInstallerDlg.h"
#include "app/gui/CUsageDlg.h"

#include "framework/MessageBox.h"
#include "framework/Window.h"

#include "ModalDriver.h"
#include "QtTestSupport.h"

#include <QAccessible>
#include <QComboBox>
#include <QLineEdit>

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace stubsetup {
namespace {

using Dlg = CInstallerDlg;
using Tool = CDialogDuplicateAndAppend;

QAccessibleInterface &accessible(const QWidget &window, int id)
{
    QWidget &control = requireControl(&window, id);
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(&control);
    if (!face)
        throw std::logic_error("control " + std::to_string(id) + " has no accessible interface");
    return *face;
}

void expectNames(const QWidget &window, const std::vector<std::pair<int, QString>> &names)
{
    for (const auto &[id, name] : names) {
        SCOPED_TRACE(id);
        EXPECT_EQ(accessible(window, id).text(QAccessible::Name), name);
    }
}

void fill(Dlg &dialog)
{
    unsetenv("ORL_APP_INSTALL_PATH");
    dialog.m_strDisplayName = "Demo Installer";
    dialog.m_strInstallPath = "/opt/app";
    dialog.m_strComponent = "comp";
    dialog.m_nReturnCode = 1;
}

TEST(DesktopTest, FieldsHeaderAndButtonsReadOutTheirWords)
{
    Dlg progress;
    fill(progress);
    test::whenModal([](QWidget &window) {
        expectNames(window, {{Dlg::IDC_INSTALL_PATH, "Application install path"},
                             {Dlg::IDC_COMPONENT, "Component Name"},
                             {Dlg::IDC_INSTALLING_FILE, "Installing File"},
                             {Dlg::IDC_MESSAGE, "Installer Message"},
                             {Dlg::IDC_HEADER, "Demo Installer"},
                             {Dlg::IDC_USAGE, "Usage"},
                             {Dlg::IDC_DUPLICATE_AND_GROW, "Duplicate & Grow"},
                             {IDCANCEL, "Cancel"},
                             {IDOK, "OK"}});
        EXPECT_EQ(accessible(window, Dlg::IDC_HEADER).role(), QAccessible::StaticText);
        // On Linux a combo box is named by its text; its label is related to
        // it, and its field carries the label's words.
        QAccessibleInterface &returnCode = accessible(window, Dlg::IDC_RETURN_CODE);
        const auto labels = returnCode.relations(QAccessible::Label);
        ASSERT_EQ(labels.size(), 1);
        EXPECT_EQ(labels.front().first->text(QAccessible::Name), "Corvane Updater Return Code:");
        QLineEdit *field = test::control<QComboBox>(window, Dlg::IDC_RETURN_CODE).lineEdit();
        EXPECT_EQ(QAccessible::queryAccessibleInterface(field)->text(QAccessible::Name),
                  "Corvane Updater Return Code");
        test::pressKey(window, Qt::Key_Escape);
    });
    EXPECT_EQ(progress.DoModal(), IDCANCEL);

    Tool tool;
    test::whenModal([](QWidget &window) {
        expectNames(window, {{Tool::IDC_APPEND_FILE, "File to Append to Output"},
                             {Tool::IDC_OUTPUT_FILE, "Output File"}});
        test::pressKey(window, Qt::Key_Escape);
    });
    tool.DoModal();

    const CUsageDlg usage;
    expectNames(usage, {{CUsageDlg::IDC_RICHTEXT, "Usage"}});
}

TEST(DesktopTest, TheProgressDialogIsTheMainWindowAndEverythingElseBelongsToAWindow)
{
    Dlg progress;
    fill(progress);
    std::vector<std::pair<const QWidget *, Qt::WindowType>> owners;
    std::optional<MessageBox::Shown> box;
    test::whenModal([&](QWidget &window) {
        owners.emplace_back(window.parentWidget(), window.windowType());
        test::whenModal([&](QWidget &usage) {
            owners.emplace_back(usage.parentWidget(), usage.windowType());
            test::pressKey(usage, Qt::Key_Escape);
        });
        test::click(window, Dlg::IDC_USAGE);
        test::whenModal([&](QWidget &tool) {
            owners.emplace_back(tool.parentWidget(), tool.windowType());
            setWindowText(&requireControl(&tool, Tool::IDC_OUTPUT_FILE), "/nonexistent/copy");
            MessageBox::setNextAnswer(QMessageBox::Ok);
            test::click(tool, IDOK);
            box = MessageBox::lastShown();
            EXPECT_TRUE(box && box->owner == &tool);
            test::pressKey(tool, Qt::Key_Escape);
        });
        test::click(window, Dlg::IDC_DUPLICATE_AND_GROW);
        test::pressKey(window, Qt::Key_Escape);
    });
    progress.DoModal();
    using Owner = std::pair<const QWidget *, Qt::WindowType>;
    EXPECT_EQ(owners,
              (std::vector<Owner>{
                  {nullptr, Qt::Window}, {&progress, Qt::Dialog}, {&progress, Qt::Dialog}}));
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->text, "Unable to open output file for writing");
}

} // namespace
} // namespace stubsetup
