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

constexpr int kTitle = 100;
constexpr int kName = 101;
constexpr int kCode = 102;
constexpr int kSize = 103;
constexpr int kNote = 104;
constexpr int kProgress = 105;
constexpr int kApply = 106;
constexpr int kCodeLimit = 8;
constexpr int kDetailsCommand = 32;

// A small dialog of the test's own: a field of each kind, one of them
// limited, labels with and without mnemonics, buttons and a progress bar.
const DialogTemplate &sampleTemplate()
{
    static const DialogTemplate dialog{
        "Sample",
        200,
        140,
        kShellDialogFont,
        8,
        {
            {kName, ControlKind::Edit, "", kBorder | kTabStop | kEditAutoHScroll, 0, 70, 28, 120,
             14},
            {kCode, ControlKind::Edit, "", kBorder | kTabStop, 0, 70, 46, 120, 14},
            {kSize, ControlKind::ComboBox, "", kComboDropDown | kVScroll | kTabStop, 0, 70, 64, 80,
             50},
            {kNoControlId, ControlKind::StaticText, "&Note && more:", kStaticLeft, 0, 10, 85, 55,
             8},
            {kNote, ControlKind::Edit, "", kBorder | kTabStop, 0, 70, 82, 120, 14},
            {kApply, ControlKind::PushButton, "&Apply", kTabStop, 0, 10, 120, 50, 14},
            {IDCANCEL, ControlKind::PushButton, "&Cancel", kTabStop, 0, 84, 120, 50, 14},
            {IDOK, ControlKind::DefaultPushButton, "OK", kTabStop, 0, 140, 120, 50, 14},
            {kTitle, ControlKind::StaticText, "Title", kStaticCenter | kBorder, 0, 10, 5, 180, 18},
            {kNoControlId, ControlKind::StaticText, "Code && size", kStaticLeft, 0, 10, 49, 55, 8},
            {kProgress, ControlKind::ProgressBar, "", kBorder | kProgressSmooth, 0, 10, 102, 180,
             10},
            {kNoControlId, ControlKind::SeparatorLine, "", kStaticSunken, 0, 10, 116, 180, 1},
            {kNoControlId, ControlKind::StaticText, "A && B", kStaticNoPrefix, 0, 10, 31, 55, 8},
        },
    };
    return dialog;
}

// The sample dialog with fields, a timer and a window command, recording its
// handlers.
class SampleDialog final : public CDialog {
public:
    SampleDialog() : CDialog(sampleTemplate())
    {
        AppendSystemMenuSeparator();
        AppendSystemMenuItem(kDetailsCommand, "&Details...");
        test::control<QComboBox>(*this, kSize).addItems({"Small", "Medium", "Large"});
        MapClicked(kApply, [this] { ++m_nApplyClicks; });
        MapChange(kName, [this] { ++m_nNameChanges; });
    }

    std::string m_strName;
    std::string m_strCode;
    std::string m_strNote;
    int m_nSize = -1;
    QLabel m_ctlTitle;
    CProgressCtrl m_ctlProgress;

    int m_nTicksToEnd = 0; // a countdown started at opening, when not 0
    std::vector<int> m_timerIds;
    std::vector<int> m_commands;
    int m_nApplyClicks = 0;
    int m_nNameChanges = 0;

protected:
    bool OnInitDialog() override
    {
        CDialog::OnInitDialog();
        if (m_nTicksToEnd)
            SetTimer(7, 1000);
        return true;
    }

    void DoDataExchange(CDataExchange &dx) override
    {
        DDX_Control(dx, kTitle, m_ctlTitle);
        DDX_Text(dx, kName, m_strName);
        DDX_Text(dx, kCode, m_strCode);
        DDV_MaxChars(dx, m_strCode, kCodeLimit);
        DDX_Text(dx, kNote, m_strNote);
        DDX_Control(dx, kProgress, m_ctlProgress);
        DDX_CBIndex(dx, kSize, m_nSize);
    }

    void OnTimer(int id) override
    {
        m_timerIds.push_back(id);
        if (int(m_timerIds.size()) == m_nTicksToEnd)
            EndDialog(IDOK);
    }

    void OnSysCommand(int command) override { m_commands.push_back(command); }
};

using test::control;

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
    SampleDialog dialog;
    const DialogBaseUnits &units = dialog.BaseUnits();
    EXPECT_EQ(units.averageCharWidth,
              DialogBaseUnits::ofFont(QApplication::font()).averageCharWidth);
    EXPECT_EQ(dialog.windowTitle(), "Sample");
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
    EXPECT_EQ(dialog.maximumSize(), QSize(units.toPixelsX(200), units.toPixelsY(140)));
    EXPECT_FALSE(dialog.windowFlags() &
                 (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));

    std::vector<int> order;
    for (const QWidget *stop : tabStops(dialog))
        order.push_back(controlId(stop));
    EXPECT_EQ(order, (std::vector<int>{kName, kCode, kSize, kNote, kApply, IDCANCEL, IDOK}));

    for (const ControlTemplate &item : sampleTemplate().controls) {
        if (item.id == kNoControlId || item.kind == ControlKind::ComboBox)
            continue;
        EXPECT_EQ(dialog.GetDlgItem(item.id)->geometry(),
                  units.toPixels(item.x, item.y, item.width, item.height))
            << item.id;
    }
    // The drop-down list is not part of the combo box's own height.
    EXPECT_LT(dialog.GetDlgItem(kSize)->height(), units.toPixelsY(50));
    EXPECT_TRUE(control<QComboBox>(dialog, kSize).isEditable());
    EXPECT_TRUE(control<QPushButton>(dialog, IDOK).isDefault());
    EXPECT_FALSE(control<QPushButton>(dialog, IDCANCEL).isDefault());
    EXPECT_NE(qobject_cast<QProgressBar *>(dialog.GetDlgItem(kProgress)), nullptr);
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
            {kName, ControlKind::Edit, "", kBorder | kTabStop, 0, 200, 8, 90, 14},
            {kNoControlId, ControlKind::StaticText,
             "A label whose text is far wider than its box:", kStaticLeft, 0, 10, 30, 20, 8},
            {kCode, ControlKind::Edit, "", kBorder | kTabStop, 0, 40, 28, 90, 14},
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
    EXPECT_LT(labels[0]->geometry().right(), dialog.GetDlgItem(kName)->x());
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
    SampleDialog dialog;
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    // A buddy makes a label show "&&" as "&" and its mnemonic focus the next
    // control; without a buddy the text shows as it is.
    const QLabel *prefixed = labelWithText(dialog, "&Note && more:");
    ASSERT_NE(prefixed, nullptr);
    EXPECT_EQ(prefixed->buddy(), dialog.GetDlgItem(kNote));
    const QLabel *plain = labelWithText(dialog, "Code && size");
    ASSERT_NE(plain, nullptr);
    // Without a mnemonic to pass on, it is the buddy of the field on its row.
    EXPECT_EQ(plain->buddy(), dialog.GetDlgItem(kCode));
    const QLabel *unprefixed = labelWithText(dialog, "A && B");
    ASSERT_NE(unprefixed, nullptr);
    EXPECT_EQ(unprefixed->buddy(), nullptr);

    QTest::keyClick(&dialog, Qt::Key_N, Qt::AltModifier);
    EXPECT_EQ(QApplication::focusWidget(), dialog.GetDlgItem(kNote));
    QTest::keyClick(&dialog, Qt::Key_A, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&dialog] { return dialog.m_nApplyClicks == 1; }));
    dialog.close();
}

TEST(DialogTest, FieldExchangeFillsAndReadsBackInBothDirections)
{
    SampleDialog dialog;
    dialog.m_strName = "/opt/Gr\xc3\xb6\xc3\x9f"
                       "e";
    dialog.m_strCode = "Demo";
    dialog.m_strNote = "Retry";
    dialog.m_nSize = 2;
    ASSERT_TRUE(dialog.UpdateData(false));
    EXPECT_EQ(control<QLineEdit>(dialog, kName).text(), QString::fromUtf8("/opt/Größe"));
    EXPECT_EQ(control<QComboBox>(dialog, kSize).currentIndex(), 2);
    EXPECT_EQ(dialog.GetDlgItem(kTitle), &dialog.m_ctlTitle);
    EXPECT_EQ(dialog.m_ctlProgress.Get(), dialog.GetDlgItem(kProgress));
    EXPECT_EQ(dialog.m_nNameChanges, 1);

    control<QLineEdit>(dialog, kNote).setText("Edited");
    control<QComboBox>(dialog, kSize).setCurrentIndex(0);
    dialog.m_strName.clear();
    ASSERT_TRUE(dialog.UpdateData(true));
    EXPECT_EQ(dialog.m_strName, "/opt/Gr\xc3\xb6\xc3\x9f"
                                "e");
    EXPECT_EQ(dialog.m_strNote, "Edited");
    EXPECT_EQ(dialog.m_nSize, 0);

    // An index that is not one of the items selects none and reads back as -1.
    dialog.m_nSize = 7;
    dialog.UpdateData(false);
    EXPECT_EQ(control<QComboBox>(dialog, kSize).currentIndex(), -1);
    ASSERT_TRUE(dialog.UpdateData(true));
    EXPECT_EQ(dialog.m_nSize, -1);
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
    SampleDialog dialog;
    QLineEdit &note = control<QLineEdit>(dialog, kNote);
    dialog.m_strNote = greeting;
    ASSERT_TRUE(dialog.UpdateData(false));
    EXPECT_EQ(note.text(), QString::fromUtf8("Grüße"));
    dialog.m_strNote.clear();
    ASSERT_TRUE(dialog.UpdateData(true));
    EXPECT_EQ(dialog.m_strNote, greeting);

    // Typed text too; a character Latin-1 lacks reads back as '?'.
    // keyClicks spells only ASCII, so these keys come with their texts.
    note.clear();
    QTest::sendKeyEvent(QTest::Click, &note, Qt::Key_Eacute, QString::fromUtf8("é"),
                        Qt::NoModifier);
    QTest::sendKeyEvent(QTest::Click, &note, Qt::Key_unknown, QString::fromUtf8("€"),
                        Qt::NoModifier);
    ASSERT_TRUE(dialog.UpdateData(true));
    EXPECT_EQ(dialog.m_strNote, "\xE9?");
}

// An editable box reads as the item whose text it shows, letter for letter,
// however the text got there.
TEST(DialogTest, TheComboBoxReadsAsTheItemWhoseTextItShows)
{
    SampleDialog dialog;
    auto &combo = control<QComboBox>(dialog, kSize);
    QLineEdit *field = combo.lineEdit();
    dialog.m_nSize = 0;
    dialog.UpdateData(false);
    field->setCursorPosition(3);
    QTest::keyClicks(field, "X");
    EXPECT_EQ(field->text(), "SmaXll");
    EXPECT_EQ(field->cursorPosition(), 4);
    ASSERT_TRUE(dialog.UpdateData(true));
    EXPECT_EQ(dialog.m_nSize, -1);

    // Picking from the list selects again; typing over the pick deselects.
    QTest::keyClick(&combo, Qt::Key_Down);
    ASSERT_TRUE(dialog.UpdateData(true));
    EXPECT_EQ(dialog.m_nSize, 0);
    field->selectAll();
    QTest::keyClicks(field, "7");
    EXPECT_EQ(combo.currentText(), "7");
    ASSERT_TRUE(dialog.UpdateData(true));
    EXPECT_EQ(dialog.m_nSize, -1);

    // Text set without a pick, as an accessibility client sets it.
    dialog.m_nSize = 1;
    dialog.UpdateData(false);
    const std::pair<QString, int> shown[] = {{"Large", 2}, {"Small", 0}, {"large", -1}, {"2", -1}};
    for (const auto &[text, index] : shown) {
        field->setText(text);
        ASSERT_TRUE(dialog.UpdateData(true));
        EXPECT_EQ(dialog.m_nSize, index) << text.toStdString();
    }
}

TEST(DialogTest, TooLongTextStopsTheReadBackWithTheMessageFocusAndSelection)
{
    SampleDialog dialog;
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    dialog.activateWindow();
    dialog.m_strNote = "Kept";
    dialog.UpdateData(false);
    control<QLineEdit>(dialog, kCode).setText("123456789");
    control<QLineEdit>(dialog, kNote).setText("Not read");

    MessageBox::setNextAnswer(QMessageBox::Ok);
    EXPECT_FALSE(dialog.UpdateData(true));
    const std::optional<MessageBox::Shown> shown = MessageBox::lastShown();
    ASSERT_TRUE(shown.has_value());
    EXPECT_EQ(shown->text, "Please enter no more than 8 characters.");
    EXPECT_EQ(shown->caption, MessageBox::programCaption());
    EXPECT_EQ(shown->icon, QMessageBox::Warning);
    EXPECT_EQ(dialog.m_strCode, "123456789"); // read before the check, as exchanged
    EXPECT_EQ(dialog.m_strNote, "Kept");      // after the failure: untouched
    EXPECT_EQ(dialog.focusWidget(), dialog.GetDlgItem(kCode));
    EXPECT_EQ(control<QLineEdit>(dialog, kCode).selectedText(), "123456789");

    // The limit itself is allowed.
    control<QLineEdit>(dialog, kCode).setText("12345678");
    EXPECT_TRUE(dialog.UpdateData(true));
    EXPECT_EQ(dialog.m_strNote, "Not read");
    dialog.close();
}

TEST(DialogTest, TypingStopsAtTheLimitWithoutCuttingLongerText)
{
    SampleDialog dialog;
    QLineEdit &edit = control<QLineEdit>(dialog, kCode);
    dialog.m_strCode = "abc";
    dialog.UpdateData(false);
    edit.end(false);
    QTest::keyClicks(&edit, "defghijk");
    EXPECT_EQ(edit.text(), "abcdefgh");

    // A longer text from the program stays whole, may shrink, but never grows.
    for (const char *text : {"0123456789AB", "ABCDEFGHIJKLMN"}) {
        dialog.m_strCode = text;
        dialog.UpdateData(false);
        EXPECT_EQ(edit.text(), text);
        edit.end(false);
        QTest::keyClicks(&edit, "z");
        EXPECT_EQ(edit.text(), text);
        QTest::keyClick(&edit, Qt::Key_Backspace);
        QTest::keyClicks(&edit, "z");
        EXPECT_EQ(edit.text(), QString(text).chopped(1));
    }
}

TEST(DialogTest, EscapeAndCloseBoxCancelAndEnterPressesTheDefaultButton)
{
    SampleDialog dialog;
    test::whenModal([](QWidget &window) { test::pressKey(window, Qt::Key_Escape); });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);

    test::whenModal([](QWidget &window) { window.close(); });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);

    dialog.m_strNote = "Typed";
    test::whenModal([](QWidget &window) { test::pressKey(window, Qt::Key_Return); });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.m_strNote, "Typed");
}

TEST(DialogTest, OkStaysOpenWhileValidationFailsAndDisabledCancelIgnoresEscape)
{
    SampleDialog dialog;
    dialog.m_strCode = "far too long";
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
    SampleDialog dialog;
    dialog.m_nTicksToEnd = 3;
    EXPECT_EQ(dialog.DoModal(), IDOK);
    CDialog::setTimerPeriodDivisor(1);
    EXPECT_EQ(dialog.m_timerIds, (std::vector<int>{7, 7, 7}));
}

TEST(DialogTest, ContextMenuCommandsReachOnSysCommand)
{
    SampleDialog dialog;
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QMenu *menu = test::openContextMenu(dialog);
    ASSERT_NE(menu, nullptr);
    const QList<QAction *> actions = menu->actions();
    ASSERT_EQ(actions.size(), 2);
    EXPECT_TRUE(actions[0]->isSeparator());
    EXPECT_EQ(actions[1]->text(), "&Details...");
    actions[1]->trigger();
    menu->close();
    EXPECT_EQ(dialog.m_commands, std::vector<int>{kDetailsCommand});
    dialog.close();
}

TEST(DialogTest, ControlsAreEnabledAndShownByIdAndTheWaitCursorIsScoped)
{
    SampleDialog dialog;
    dialog.EnableDlgItem(kCode, false);
    dialog.ShowDlgItem(kProgress, false);
    EXPECT_FALSE(dialog.GetDlgItem(kCode)->isEnabled());
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
