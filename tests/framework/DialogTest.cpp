#include "framework/CDialog.h"
#include "framework/CWaitCursor.h"
#include "framework/MessageBox.h"
#include "framework/Window.h"

#include "ModalDriver.h"
#include "TestSupport.h"

#include <QAction>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace stubsetup {
namespace {

using namespace WindowStyle;

constexpr int kPath = 1006;
constexpr int kComponent = 1002;
constexpr int kMessage = 1008;
constexpr int kReturnCode = 1014;
constexpr int kProgress = 1001;
constexpr int kHeader = 1000;
constexpr int kUsage = 1009;
constexpr int kComponentLimit = 8;

const DialogTemplate &testTemplate()
{
    static const DialogTemplate dialog{
        "stubsetup",
        382,
        210,
        kShellDialogFont,
        8,
        {
            {kPath, ControlKind::Edit, "", kBorder | kTabStop | kEditAutoHScroll, 0, 121, 55, 254,
             14},
            {kComponent, ControlKind::Edit, "", kBorder | kTabStop, 0, 121, 72, 254, 14},
            {kReturnCode, ControlKind::ComboBox, "", kComboDropDown | kVScroll | kTabStop, 0, 121,
             107, 181, 71},
            {kNoControlId, ControlKind::StaticText, "&Message && more:", kStaticLeft, 0, 10, 126,
             60, 8},
            {kMessage, ControlKind::Edit, "", kBorder | kTabStop, 0, 121, 123, 254, 14},
            {kUsage, ControlKind::PushButton, "&Usage", kTabStop, 0, 10, 187, 50, 16},
            {IDCANCEL, ControlKind::PushButton, "&Cancel", kTabStop, 0, 268, 187, 50, 16},
            {IDOK, ControlKind::DefaultPushButton, "OK", kTabStop, 0, 325, 187, 50, 16},
            {kHeader, ControlKind::StaticText, "Header", kStaticCenter | kBorder, 0, 10, 7, 365,
             41},
            {kNoControlId, ControlKind::StaticText, "Last && least", kStaticLeft, 0, 10, 76, 60, 8},
            {kProgress, ControlKind::ProgressBar, "", kBorder | kProgressSmooth, 0, 10, 157, 365,
             14},
            {kNoControlId, ControlKind::SeparatorLine, "", kStaticSunken, 0, 10, 181, 365, 1},
            {kNoControlId, ControlKind::StaticText, "A && B", kStaticNoPrefix, 0, 10, 58, 75, 8},
        },
    };
    return dialog;
}

// A dialog with fields, a timer and a window command, recording its handlers.
class TestDialog final : public CDialog {
public:
    TestDialog() : CDialog(testTemplate())
    {
        AppendSystemMenuSeparator();
        AppendSystemMenuItem(16, "&About stubsetup...");
        auto *combo = qobject_cast<QComboBox *>(GetDlgItem(kReturnCode));
        combo->addItems({"Complete (0)", "CompleteAfterReboot (1)", "IncompleteTryAgain (2)",
                         "IncompleteRebootTryAgain (3)", "IncompleteCannotSucceed (4)"});
        MapClicked(kUsage, [this] { ++m_nUsageClicks; });
        MapChange(kPath, [this] { ++m_nPathChanges; });
    }

    std::string m_strPath;
    std::string m_strComponent;
    std::string m_strMessage;
    int m_nReturnCode = -1;
    QLabel m_ctlHeader;
    CProgressCtrl m_ctlProgress;

    int m_nTicksToEnd = 0; // a countdown started at opening, when not 0
    std::vector<int> m_timerIds;
    std::vector<int> m_commands;
    int m_nUsageClicks = 0;
    int m_nPathChanges = 0;

protected:
    bool OnInitDialog() override
    {
        CDialog::OnInitDialog();
        if (m_nTicksToEnd)
            SetTimer(12332, 1000);
        return true;
    }

    void DoDataExchange(CDataExchange &dx) override
    {
        DDX_Control(dx, kHeader, m_ctlHeader);
        DDX_Text(dx, kPath, m_strPath);
        DDX_Text(dx, kComponent, m_strComponent);
        DDV_MaxChars(dx, m_strComponent, kComponentLimit);
        DDX_Text(dx, kMessage, m_strMessage);
        DDX_Control(dx, kProgress, m_ctlProgress);
        DDX_CBIndex(dx, kReturnCode, m_nReturnCode);
    }

    void OnTimer(int id) override
    {
        m_timerIds.push_back(id);
        if (int(m_timerIds.size()) == m_nTicksToEnd)
            EndDialog(IDOK);
    }

    void OnSysCommand(int command) override { m_commands.push_back(command); }
};

template <class Widget> Widget *control(const CDialog &dialog, int id)
{
    return qobject_cast<Widget *>(dialog.GetDlgItem(id));
}

std::vector<QWidget *> tabStops(const QWidget &dialog)
{
    std::vector<QWidget *> stops;
    for (QWidget *widget = dialog.nextInFocusChain(); widget != &dialog;
         widget = widget->nextInFocusChain())
        if (widget->parentWidget() == &dialog && (widget->focusPolicy() & Qt::TabFocus))
            stops.push_back(widget);
    return stops;
}

TEST(DialogTest, TemplateBecomesControlsInTabOrderAtTheirPlaces)
{
    TestDialog dialog;
    const DialogBaseUnits &units = dialog.BaseUnits();
    EXPECT_EQ(units.averageCharWidth,
              DialogBaseUnits::ofFont(QApplication::font()).averageCharWidth);
    EXPECT_EQ(dialog.windowTitle(), "stubsetup");
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
    EXPECT_EQ(dialog.maximumSize(), QSize(units.toPixelsX(382), units.toPixelsY(210)));
    EXPECT_FALSE(dialog.windowFlags() &
                 (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));

    std::vector<int> order;
    for (const QWidget *stop : tabStops(dialog))
        order.push_back(controlId(stop));
    EXPECT_EQ(order,
              (std::vector<int>{kPath, kComponent, kReturnCode, kMessage, kUsage, IDCANCEL, IDOK}));

    for (const ControlTemplate &item : testTemplate().controls) {
        if (item.id == kNoControlId || item.kind == ControlKind::ComboBox)
            continue;
        EXPECT_EQ(dialog.GetDlgItem(item.id)->geometry(),
                  units.toPixels(item.x, item.y, item.width, item.height))
            << item.id;
    }
    // The drop-down list is not part of the combo box's own height.
    EXPECT_LT(dialog.GetDlgItem(kReturnCode)->height(), units.toPixelsY(71));
    EXPECT_TRUE(control<QComboBox>(dialog, kReturnCode)->isEditable());
    EXPECT_TRUE(control<QPushButton>(dialog, IDOK)->isDefault());
    EXPECT_FALSE(control<QPushButton>(dialog, IDCANCEL)->isDefault());
    EXPECT_NE(control<QProgressBar>(dialog, kProgress), nullptr);
    EXPECT_EQ(dialog.GetDlgItem(kNoControlId), nullptr);
}

TEST(DialogTest, OneLineLabelsGrowIntoFreeRoomButNeverOverAControl)
{
    const QString longText = "A label whose text is far wider than its box:";
    const DialogTemplate dialogTemplate{
        "widths",
        300,
        60,
        kShellDialogFont,
        8,
        {
            {kNoControlId, ControlKind::StaticText,
             "A label whose text is far wider than its box:", kStaticLeft, 0, 10, 10, 20, 8},
            {kPath, ControlKind::Edit, "", kBorder | kTabStop, 0, 200, 8, 90, 14},
            {kNoControlId, ControlKind::StaticText,
             "A label whose text is far wider than its box:", kStaticLeft, 0, 10, 30, 20, 8},
            {kComponent, ControlKind::Edit, "", kBorder | kTabStop, 0, 40, 28, 90, 14},
        }};
    const CDialog dialog(dialogTemplate);
    const DialogBaseUnits &units = dialog.BaseUnits();
    std::vector<QLabel *> labels;
    for (QLabel *label : dialog.findChildren<QLabel *>())
        if (label->text() == longText)
            labels.push_back(label);
    ASSERT_EQ(labels.size(), 2u);
    std::sort(labels.begin(), labels.end(), [](auto *a, auto *b) { return a->y() < b->y(); });

    const int textWidth = labels[0]->fontMetrics().horizontalAdvance(longText);
    EXPECT_GE(labels[0]->width(), textWidth);
    EXPECT_LT(labels[0]->geometry().right(), dialog.GetDlgItem(kPath)->x());
    // No room before the next control: the label keeps its box.
    EXPECT_EQ(labels[1]->geometry(), units.toPixels(10, 30, 20, 8));
}

QLabel *labelWithText(const QWidget &dialog, const QString &text)
{
    for (QLabel *label : dialog.findChildren<QLabel *>())
        if (label->text() == text)
            return label;
    return nullptr;
}

TEST(DialogTest, MnemonicsFollowThePrefixRules)
{
    TestDialog dialog;
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    // A buddy makes a label show "&&" as "&" and its mnemonic focus the next
    // control; without a buddy the text shows as it is.
    const QLabel *prefixed = labelWithText(dialog, "&Message && more:");
    ASSERT_NE(prefixed, nullptr);
    EXPECT_EQ(prefixed->buddy(), dialog.GetDlgItem(kMessage));
    const QLabel *last = labelWithText(dialog, "Last && least");
    ASSERT_NE(last, nullptr);
    // Without a mnemonic to pass on, it is the buddy of the field on its row.
    EXPECT_EQ(last->buddy(), dialog.GetDlgItem(kComponent));
    const QLabel *unprefixed = labelWithText(dialog, "A && B");
    ASSERT_NE(unprefixed, nullptr);
    EXPECT_EQ(unprefixed->buddy(), nullptr);

    QTest::keyClick(&dialog, Qt::Key_M, Qt::AltModifier);
    EXPECT_EQ(QApplication::focusWidget(), dialog.GetDlgItem(kMessage));
    QTest::keyClick(&dialog, Qt::Key_U, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&dialog] { return dialog.m_nUsageClicks == 1; }));
    dialog.close();
}

TEST(DialogTest, FieldExchangeFillsAndReadsBackInBothDirections)
{
    TestDialog dialog;
    dialog.m_strPath = "/opt/Gr\xc3\xb6\xc3\x9f"
                       "e";
    dialog.m_strComponent = "Demo";
    dialog.m_strMessage = "Retry";
    dialog.m_nReturnCode = 2;
    ASSERT_TRUE(dialog.UpdateData(false));
    EXPECT_EQ(control<QLineEdit>(dialog, kPath)->text(), QString::fromUtf8("/opt/Größe"));
    EXPECT_EQ(control<QComboBox>(dialog, kReturnCode)->currentIndex(), 2);
    EXPECT_EQ(dialog.GetDlgItem(kHeader), &dialog.m_ctlHeader);
    EXPECT_EQ(dialog.m_ctlProgress.Get(), dialog.GetDlgItem(kProgress));
    EXPECT_EQ(dialog.m_nPathChanges, 1);

    control<QLineEdit>(dialog, kMessage)->setText("Edited");
    control<QComboBox>(dialog, kReturnCode)->setCurrentIndex(4);
    dialog.m_strPath.clear();
    ASSERT_TRUE(dialog.UpdateData(true));
    EXPECT_EQ(dialog.m_strPath, "/opt/Gr\xc3\xb6\xc3\x9f"
                                "e");
    EXPECT_EQ(dialog.m_strMessage, "Edited");
    EXPECT_EQ(dialog.m_nReturnCode, 4);

    // A code that is not one of the items selects none and reads back as -1.
    dialog.m_nReturnCode = 7;
    dialog.UpdateData(false);
    EXPECT_EQ(control<QComboBox>(dialog, kReturnCode)->currentIndex(), -1);
    ASSERT_TRUE(dialog.UpdateData(true));
    EXPECT_EQ(dialog.m_nReturnCode, -1);
}

// Fields hold the locale's bytes, as the command line does, whatever Qt takes
// narrow text to be.
TEST(DialogTest, FieldExchangeSpeaksTheLocaleCharset)
{
    const test::BuiltLocale latin1("ISO-8859-1");
    if (!latin1.active())
        GTEST_SKIP() << "localedef cannot build en_US.ISO-8859-1 here (package locales)";
    const std::string greeting = "Gr\xFC\xDF"
                                 "e";
    TestDialog dialog;
    QLineEdit *message = control<QLineEdit>(dialog, kMessage);
    dialog.m_strMessage = greeting;
    ASSERT_TRUE(dialog.UpdateData(false));
    EXPECT_EQ(message->text(), QString::fromUtf8("Grüße"));
    dialog.m_strMessage.clear();
    ASSERT_TRUE(dialog.UpdateData(true));
    EXPECT_EQ(dialog.m_strMessage, greeting);

    // Typed text too; a character Latin-1 lacks reads back as '?'.
    // keyClicks spells only ASCII, so these keys come with their texts.
    message->clear();
    QTest::sendKeyEvent(QTest::Click, message, Qt::Key_Eacute, QString::fromUtf8("é"),
                        Qt::NoModifier);
    QTest::sendKeyEvent(QTest::Click, message, Qt::Key_unknown, QString::fromUtf8("€"),
                        Qt::NoModifier);
    ASSERT_TRUE(dialog.UpdateData(true));
    EXPECT_EQ(dialog.m_strMessage, "\xE9?");
}

TEST(DialogTest, TextTypedIntoTheComboBoxFieldSelectsNoItem)
{
    TestDialog dialog;
    auto *combo = control<QComboBox>(dialog, kReturnCode);
    QLineEdit *field = combo->lineEdit();
    dialog.m_nReturnCode = 0;
    dialog.UpdateData(false);
    field->setCursorPosition(3);
    QTest::keyClicks(field, "X");
    EXPECT_EQ(field->text(), "ComXplete (0)");
    EXPECT_EQ(field->cursorPosition(), 4);
    ASSERT_TRUE(dialog.UpdateData(true));
    EXPECT_EQ(dialog.m_nReturnCode, -1);

    // Picking from the list selects again; typing over the pick deselects.
    QTest::keyClick(combo, Qt::Key_Down);
    ASSERT_TRUE(dialog.UpdateData(true));
    EXPECT_EQ(dialog.m_nReturnCode, 0);
    field->selectAll();
    QTest::keyClicks(field, "7");
    EXPECT_EQ(combo->currentText(), "7");
    ASSERT_TRUE(dialog.UpdateData(true));
    EXPECT_EQ(dialog.m_nReturnCode, -1);
}

TEST(DialogTest, TooLongTextStopsTheReadBackWithTheMessageFocusAndSelection)
{
    TestDialog dialog;
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    dialog.activateWindow();
    dialog.m_strMessage = "Kept";
    dialog.UpdateData(false);
    control<QLineEdit>(dialog, kComponent)->setText("123456789");
    control<QLineEdit>(dialog, kMessage)->setText("Not read");

    MessageBox::setNextAnswer(QMessageBox::Ok);
    EXPECT_FALSE(dialog.UpdateData(true));
    const std::optional<MessageBox::Shown> shown = MessageBox::lastShown();
    ASSERT_TRUE(shown.has_value());
    EXPECT_EQ(shown->text, "Please enter no more than 8 characters.");
    EXPECT_EQ(shown->caption, MessageBox::programCaption());
    EXPECT_EQ(shown->icon, QMessageBox::Warning);
    EXPECT_EQ(dialog.m_strComponent, "123456789"); // read before the check, as exchanged
    EXPECT_EQ(dialog.m_strMessage, "Kept");        // after the failure: untouched
    EXPECT_EQ(dialog.focusWidget(), dialog.GetDlgItem(kComponent));
    EXPECT_EQ(control<QLineEdit>(dialog, kComponent)->selectedText(), "123456789");
    dialog.close();
}

TEST(DialogTest, TypingStopsAtTheLimitWithoutCuttingLongerText)
{
    TestDialog dialog;
    QLineEdit *edit = control<QLineEdit>(dialog, kComponent);
    dialog.m_strComponent = "abc";
    dialog.UpdateData(false);
    edit->end(false);
    QTest::keyClicks(edit, "defghijk");
    EXPECT_EQ(edit->text(), "abcdefgh");

    // A longer text from the program stays whole, may shrink, but never grows.
    for (const char *text : {"0123456789AB", "ABCDEFGHIJKLMN"}) {
        dialog.m_strComponent = text;
        dialog.UpdateData(false);
        EXPECT_EQ(edit->text(), text);
        edit->end(false);
        QTest::keyClicks(edit, "z");
        EXPECT_EQ(edit->text(), text);
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClicks(edit, "z");
        EXPECT_EQ(edit->text(), QString(text).chopped(1));
    }
}

TEST(DialogTest, EscapeAndCloseBoxCancelAndEnterPressesTheDefaultButton)
{
    TestDialog dialog;
    test::whenModal([](QWidget &window) { test::pressKey(window, Qt::Key_Escape); });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);

    test::whenModal([](QWidget &window) { window.close(); });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);

    dialog.m_strMessage = "Typed";
    test::whenModal([](QWidget &window) { test::pressKey(window, Qt::Key_Return); });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.m_strMessage, "Typed");
}

TEST(DialogTest, OkStaysOpenWhileValidationFailsAndDisabledCancelIgnoresEscape)
{
    TestDialog dialog;
    dialog.m_strComponent = "far too long";
    test::whenModal([&dialog](QWidget &window) {
        MessageBox::setNextAnswer(QMessageBox::Ok);
        test::pressKey(window, Qt::Key_Return);
        EXPECT_TRUE(window.isVisible());
        EXPECT_TRUE(MessageBox::lastShown().has_value());

        dialog.EnableDlgItem(IDCANCEL, false);
        test::pressKey(window, Qt::Key_Escape);
        window.close();
        EXPECT_TRUE(window.isVisible());
        dialog.EnableDlgItem(IDCANCEL, true);
        test::pressKey(window, Qt::Key_Escape);
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
}

TEST(DialogTest, TimersCallOnTimerUntilTheDialogEnds)
{
    CDialog::setTimerPeriodDivisor(100);
    TestDialog dialog;
    dialog.m_nTicksToEnd = 3;
    EXPECT_EQ(dialog.DoModal(), IDOK);
    CDialog::setTimerPeriodDivisor(1);
    EXPECT_EQ(dialog.m_timerIds, (std::vector<int>{12332, 12332, 12332}));
}

TEST(DialogTest, ContextMenuCommandsReachOnSysCommand)
{
    TestDialog dialog;
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QMenu *menu = test::openContextMenu(dialog);
    ASSERT_NE(menu, nullptr);
    const QList<QAction *> actions = menu->actions();
    ASSERT_EQ(actions.size(), 2);
    EXPECT_TRUE(actions[0]->isSeparator());
    EXPECT_EQ(actions[1]->text(), "&About stubsetup...");
    actions[1]->trigger();
    menu->close();
    EXPECT_EQ(dialog.m_commands, std::vector<int>{16});
    dialog.close();
}

TEST(DialogTest, ControlsAreEnabledAndShownByIdAndTheWaitCursorIsScoped)
{
    TestDialog dialog;
    dialog.EnableDlgItem(kComponent, false);
    dialog.ShowDlgItem(kProgress, false);
    EXPECT_FALSE(dialog.GetDlgItem(kComponent)->isEnabled());
    EXPECT_TRUE(dialog.GetDlgItem(kProgress)->isHidden());
    dialog.ShowDlgItem(kProgress, true);
    EXPECT_FALSE(dialog.GetDlgItem(kProgress)->isHidden());
    EXPECT_THROW(dialog.EnableDlgItem(4242, true), std::logic_error);

    {
        const CWaitCursor wait;
        ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    }
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

} // namespace
} // namespace stubsetup
