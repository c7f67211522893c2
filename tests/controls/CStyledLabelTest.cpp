#include "controls/CStyledLabel.h"

#include "framework/Window.h"

#include <QApplication>
#include <QCoreApplication>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QTimerEvent>
#include <QUrl>

#include <gtest/gtest.h>

#include <vector>

using namespace stubsetup;

namespace {

constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kRed = 0x0000FF;

QImage painted(QWidget &widget)
{
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// Lengths of the runs of equal colour along one row.
std::vector<int> colourRuns(const QImage &image, int row)
{
    std::vector<int> runs;
    for (int x = 0; x < image.width(); ++x) {
        if (x == 0 || image.pixel(x, row) != image.pixel(x - 1, row))
            runs.push_back(0);
        ++runs.back();
    }
    return runs;
}

// Bounding box of the pixels of exactly `colour`; empty when there are none.
QRect boxOf(const QImage &image, QColor colour)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == colour)
                box |= QRect(x, y, 1, 1);
    return box;
}

int countOf(const QImage &image, QColor colour)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += image.pixelColor(x, y) == colour ? 1 : 0;
    return count;
}

void sendLeftClick(QWidget &widget, QPoint at)
{
    QMouseEvent press(QEvent::MouseButtonPress, at, widget.mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &press);
}

void sendBlinkTick(QWidget &widget)
{
    QTimerEvent tick(1);
    QCoreApplication::sendEvent(&widget, &tick);
}

// A label with big, unsmoothed glyphs, so text pixels have exactly the pen colour.
class StyledLabelTest : public testing::Test {
protected:
    StyledLabelTest()
    {
        LogFont description = label.GetLogFont();
        description.height = -28;
        description.weight = 700;
        description.quality = LogFont::kNonAntialiasedQuality;
        label.SetLogFont(description);
        label.resize(200, 120);
    }

    CStyledLabel label;
};

TEST_F(StyledLabelTest, SolidBackgroundFillsWithTheFirstColour)
{
    EXPECT_EQ(painted(label).pixelColor(5, 5), QApplication::palette().color(QPalette::Button));
    label.SetBackgroundColor(makeColorref(10, 200, 30), kRed, 0);
    EXPECT_EQ(countOf(painted(label), QColor(10, 200, 30)), 200 * 120);
}

TEST_F(StyledLabelTest, GradientPaintsAtMostOneBandPerPixelEndingAfter99Steps)
{
    label.resize(250, 20);
    label.SetBackgroundColor(makeColorref(200, 0, 50), makeColorref(10, 255, 50), 1);
    QImage image = painted(label);
    std::vector<int> expectedRuns(99, 2);
    expectedRuns.push_back(52);
    EXPECT_EQ(colourRuns(image, 10), expectedRuns);
    EXPECT_EQ(image.pixelColor(0, 10), QColor(200, 0, 50));
    // Steps are cut toward zero: -486 and 652 per band in 8.8 fixed point.
    EXPECT_EQ(image.pixelColor(249, 10), QColor(12, 252, 50));

    label.resize(50, 20);
    label.SetBackgroundColor(0, kWhite, 1);
    image = painted(label);
    EXPECT_EQ(colourRuns(image, 10), std::vector<int>(50, 1));
    EXPECT_EQ(image.pixelColor(49, 10), QColor(249, 249, 249));
}

TEST_F(StyledLabelTest, TextBlinkOffPhaseUsesTheUserBrushOrBlack)
{
    label.SetCaption("HH").SetForegroundColor(kRed).SetBackgroundColor(kWhite, 0, 0);
    const int area = label.width() * label.height();
    label.BlinkText(true);
    EXPECT_EQ(countOf(painted(label), Qt::white), area) << "off phase: text vanishes";
    sendBlinkTick(label);
    EXPECT_FALSE(boxOf(painted(label), Qt::red).isEmpty()) << "on phase: red text";
    sendBlinkTick(label);
    EXPECT_EQ(countOf(painted(label), Qt::white), area);

    // A gradient leaves no user brush: the off phase draws black text.
    label.SetBackgroundColor(kWhite, kWhite, 1).BlinkText(true);
    const QImage offPhase = painted(label);
    EXPECT_FALSE(boxOf(offPhase, Qt::black).isEmpty());
    EXPECT_TRUE(boxOf(offPhase, Qt::red).isEmpty());

    label.BlinkText(false);
    EXPECT_FALSE(boxOf(painted(label), Qt::red).isEmpty());
}

TEST_F(StyledLabelTest, BackgroundBlinkShowsTheSecondColourWhileOff)
{
    label.SetBackgroundColor(kWhite, kRed, 0).BlinkBackground(true);
    EXPECT_EQ(painted(label).pixelColor(5, 5), QColor(Qt::red));
    sendBlinkTick(label);
    EXPECT_EQ(painted(label).pixelColor(5, 5), QColor(Qt::white));
    sendBlinkTick(label);
    label.BlinkBackground(false);
    EXPECT_EQ(painted(label).pixelColor(5, 5), QColor(Qt::white)) << "stopped: no blink colour";
}

TEST_F(StyledLabelTest, CentreImageCentresOneLineUnlessTextHasCrLf)
{
    setWindowStyle(&label, WindowStyle::kStaticCenter | WindowStyle::kStaticCenterImage);
    label.SetForegroundColor(0).SetBackgroundColor(kWhite, 0, 0);

    label.SetCaption("Ab");
    const QRect singleLine = boxOf(painted(label), Qt::black);
    EXPECT_GT(singleLine.top(), 35);
    EXPECT_LT(singleLine.bottom(), 85);
    EXPECT_NEAR(singleLine.center().x(), 100, 3);

    label.SetCaption("Ab\r\nCd");
    const QRect twoLines = boxOf(painted(label), Qt::black);
    EXPECT_LT(twoLines.top(), 12);
    EXPECT_GT(twoLines.height(), singleLine.height() + 20) << "both lines drawn";
    EXPECT_NEAR(twoLines.center().x(), 100, 3);
}

TEST_F(StyledLabelTest, EmbossPassIsOffsetByDirection)
{
    label.SetCaption("Hi").SetForegroundColor(0).SetBackgroundColor(kWhite, 0, 0);
    label.SetEmbossColor(kRed);
    const QRect plain = boxOf(painted(label), Qt::black);
    ASSERT_FALSE(plain.isEmpty());
    label.SetEmbossed(true, 0);
    EXPECT_EQ(boxOf(painted(label), Qt::red), plain.translated(-1, -1));
    label.SetEmbossed(true, 1);
    EXPECT_EQ(boxOf(painted(label), Qt::red), plain.translated(1, 1));
}

TEST_F(StyledLabelTest, RotatedTextStartsOnItsBaselineAtTheCentre)
{
    label.SetCaption("HHHH").SetForegroundColor(0).SetBackgroundColor(kWhite, 0, 0);
    label.SetTextAngle(90, true);
    const QRect ink = boxOf(painted(label), Qt::black);
    EXPECT_GT(ink.height(), ink.width()) << "reads upwards";
    EXPECT_LT(ink.bottom(), 60) << "starts at the centre, after the first glyph's bearing";
    EXPECT_GT(ink.bottom(), 50);
    EXPECT_LE(ink.right(), 100) << "glyph tops lie left of the baseline";
    EXPECT_GT(ink.right(), 95);
}

TEST_F(StyledLabelTest, TransparentModeShowsTheParentAndKeepsItsStyle)
{
    QWidget parent;
    parent.resize(300, 200);
    QPalette blue = parent.palette();
    blue.setColor(QPalette::Window, Qt::blue);
    parent.setPalette(blue);
    parent.setAutoFillBackground(true);
    label.setParent(&parent);
    label.move(10, 10);
    label.SetBackgroundColor(kWhite, 0, 0);
    EXPECT_EQ(painted(parent).pixelColor(50, 50), QColor(Qt::white));

    label.SetTransparentMode(true);
    EXPECT_EQ(painted(parent).pixelColor(50, 50), QColor(Qt::blue));
    label.SetTransparentMode(false);
    EXPECT_TRUE(extendedStyle(&label) & ExtendedStyle::kTransparent);
    EXPECT_EQ(painted(parent).pixelColor(50, 50), QColor(Qt::white));
    label.setParent(nullptr);
}

TEST_F(StyledLabelTest, SystemColourChangeRefreshesTheDefaultBackground)
{
    const QPalette original = QApplication::palette();
    QPalette changed = original;
    changed.setColor(QPalette::Button, QColor(1, 2, 3));
    QApplication::setPalette(changed);
    // Qt announces the change only from a running event loop; deliver it here.
    QEvent announcement(QEvent::ApplicationPaletteChange);
    QCoreApplication::sendEvent(&label, &announcement);
    const QColor shown = painted(label).pixelColor(5, 5);
    QApplication::setPalette(original);
    EXPECT_EQ(shown, QColor(1, 2, 3));
}

TEST_F(StyledLabelTest, FontOperationsRebuildTheDescription)
{
    label.SetBold(true);
    EXPECT_EQ(label.GetLogFont().weight, 700);
    label.SetBold(false);
    EXPECT_EQ(label.GetLogFont().weight, 400);
    EXPECT_EQ(label.GetTextFont().weight(), QFont::Normal);

    // 96 dpi (fixed by the test environment): 20 pt is 26.67 pixels, cut to 26.
    ASSERT_EQ(label.logicalDpiY(), 96);
    label.SetPointSize(20);
    EXPECT_EQ(label.GetLogFont().height, -26);
    EXPECT_EQ(label.GetLogFont().width, 0);
    EXPECT_EQ(label.GetTextFont().pixelSize(), 26);
    label.SetPointSize(8);
    EXPECT_EQ(label.GetLogFont().height, -10);

    label.SetTextAngle(45, true);
    EXPECT_EQ(label.GetLogFont().escapement, 450);
    EXPECT_EQ(label.GetLogFont().orientation, 450);
    EXPECT_EQ(label.GetLogFont().height, -10) << "other fields stay";
}

TEST_F(StyledLabelTest, FaceNamesAreCutTo31Characters)
{
    label.SetFaceName("Tahoma", 0);
    EXPECT_EQ(label.GetLogFont().faceName, "Tahoma");
    EXPECT_EQ(label.GetLogFont().charSet, 0);
    EXPECT_EQ(label.GetTextFont().family(), "Tahoma");

    const QString longName = QString(40, QLatin1Char('x'));
    label.SetFaceName(longName, 1);
    EXPECT_EQ(label.GetLogFont().faceName, longName.left(31));

    // A character outside the basic plane is never split in half.
    const QString astral = QString(30, QLatin1Char('y')) + QString::fromUtf8("\xF0\x9D\x84\x9E");
    label.SetFaceName(astral, 1);
    EXPECT_EQ(label.GetLogFont().faceName, QString(30, QLatin1Char('y')));

    LogFont description;
    description.faceName = longName;
    label.SetLogFont(description);
    EXPECT_EQ(label.GetLogFont().faceName.size(), 31);
}

TEST(StyledLabelAttach, StartsFromThePlaceholdersOrTheApplicationsFont)
{
    QWidget dialog;
    auto *placeholder = new QLabel("Corvane Updater Test Installer", &dialog);
    QFont dialogFont("DejaVu Serif");
    dialogFont.setPixelSize(17);
    dialogFont.setItalic(true);
    dialogFont.setWeight(QFont::Light);
    placeholder->setFont(dialogFont);
    CStyledLabel header;
    replaceControl(placeholder, &header);
    EXPECT_EQ(header.GetLogFont().faceName, "DejaVu Serif");
    EXPECT_EQ(header.GetLogFont().height, -17);
    EXPECT_EQ(header.GetLogFont().italic, 1);
    EXPECT_EQ(header.GetLogFont().weight, 300);
    EXPECT_EQ(header.text(), "Corvane Updater Test Installer");
    header.SetBold(true).SetBold(false);
    EXPECT_EQ(header.GetLogFont().weight, 400) << "not the starting weight";

    const QFont original = QApplication::font();
    QApplication::setFont(QFont("DejaVu Sans Mono", 11));
    const CStyledLabel lone;
    QApplication::setFont(original);
    EXPECT_EQ(lone.GetLogFont().faceName, "DejaVu Sans Mono");
}

class StyledLabelLinkTest : public StyledLabelTest {
protected:
    StyledLabelLinkTest()
    {
        CStyledLabel::setUrlOpener([this](const QUrl &url) { opened.push_back(url); });
        QObject::connect(&label, &CStyledLabel::notified,
                         [this](int code, int id) { notifications.emplace_back(code, id); });
        setControlId(&label, 1000);
    }
    ~StyledLabelLinkTest() override { CStyledLabel::setUrlOpener(nullptr); }

    std::vector<QUrl> opened;
    std::vector<std::pair<int, int>> notifications;
};

TEST_F(StyledLabelLinkTest, WebOpensTheTargetOrTheTextMailOpensMailtoAndTheText)
{
    label.SetCaption("https://corvane.example/updates").SetHyperlink(true, false);
    sendLeftClick(label, QPoint(20, 20));
    label.SetLinkTarget("https://corvane.example/other");
    sendLeftClick(label, QPoint(20, 20));
    label.SetCaption("qa@corvane.example").SetMailtoLink(true, false);
    sendLeftClick(label, QPoint(20, 20));
    EXPECT_EQ(opened, (std::vector<QUrl>{QUrl("https://corvane.example/updates"),
                                         QUrl("https://corvane.example/other"),
                                         QUrl("mailto:qa@corvane.example")}));
    EXPECT_TRUE(notifications.empty());
}

TEST_F(StyledLabelLinkTest, NotifyParentSendsTheCodeAndOpensNothing)
{
    label.SetCaption("https://corvane.example").SetMailtoLink(true, true);
    sendLeftClick(label, QPoint(20, 20));
    EXPECT_EQ(notifications, (std::vector<std::pair<int, int>>{{0x8200, 1000}}));
    EXPECT_TRUE(opened.empty());
}

TEST_F(StyledLabelLinkTest, LinkOffRemovesTheNotifyStyleAndClicksDoNothing)
{
    label.SetCaption("https://corvane.example").SetHyperlink(true, true);
    EXPECT_TRUE(windowStyle(&label) & WindowStyle::kStaticNotify);
    label.SetHyperlink(false, true);
    EXPECT_FALSE(windowStyle(&label) & WindowStyle::kStaticNotify);
    sendLeftClick(label, QPoint(20, 20));
    EXPECT_TRUE(opened.empty());
    EXPECT_TRUE(notifications.empty());
}

} // namespace
