#include "framework/MessageBox.h"

#include "ShownBoxAnswerer.h"

#include <gtest/gtest.h>

namespace stubsetup {
namespace {

using Style = MessageBox::Style;

TEST(MessageBoxTest, AnsweredInAdvanceRecordsWhatEachStyleShows)
{
    // Paths and user input end up in messages; none of it may turn into markup.
    const QString text = "Unable to get application installation directory.  Fatal <b>error";
    for (Style style :
         {Style::Plain, Style::Exclamation, Style::ExclamationSystemModal, Style::Stop}) {
        SCOPED_TRACE(static_cast<int>(style));
        MessageBox::setNextAnswer(QMessageBox::Ok);
        EXPECT_EQ(MessageBox::show(text, "stubsetup", style), QMessageBox::Ok);
        const std::optional<MessageBox::Shown> shown = MessageBox::lastShown();
        ASSERT_TRUE(shown.has_value());
        EXPECT_EQ(shown->text, text);
        EXPECT_EQ(shown->textFormat, Qt::PlainText);
        EXPECT_EQ(shown->caption, "stubsetup");
        EXPECT_EQ(shown->icon, style == Style::Stop ? QMessageBox::Critical : QMessageBox::Warning);
        EXPECT_EQ(shown->buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        EXPECT_EQ(shown->modality, Qt::ApplicationModal);
        EXPECT_EQ(bool(shown->flags & Qt::WindowStaysOnTopHint),
                  style == Style::ExclamationSystemModal);
    }
}

TEST(MessageBoxTest, AnswerInAdvanceCoversOneBoxAndTheNextIsShownModally)
{
    MessageBox::setNextAnswer(QMessageBox::Ok);
    MessageBox::show("first", "stubsetup", Style::Plain);

    test::ShownBoxAnswerer answerer;
    answerer.arm();
    EXPECT_EQ(MessageBox::show("second", "stubsetup", Style::ExclamationSystemModal),
              QMessageBox::Ok);
    ASSERT_TRUE(answerer.shown().has_value());
    EXPECT_EQ(answerer.shown()->text, "second");
    EXPECT_EQ(answerer.shown()->icon, QMessageBox::Warning);
    EXPECT_TRUE(answerer.shown()->flags & Qt::WindowStaysOnTopHint);
}

} // namespace
} // namespace stubsetup
