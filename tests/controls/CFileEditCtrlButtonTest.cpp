#include "FileEditTestSupport.h"

#include <QEnterEvent>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QTest>
#include <QToolTip>

namespace stubsetup::test {
namespace {

using Ctrl = CFileEditCtrl;

const QColor kFace(192, 192, 192);
const QColor kText(255, 0, 0);
const QColor kWindow(0, 0, 200);
const QColor kHighlight(255, 255, 255);
const QColor kShadow(128, 128, 128);

class ButtonTest : public FileEditTest {
protected:
    ButtonTest()
    {
        QPalette palette = m_control.palette();
        palette.setColor(QPalette::Button, kFace);
        palette.setColor(QPalette::ButtonText, kText);
        palette.setColor(QPalette::Base, kWindow);
        palette.setColor(QPalette::Light, kHighlight);
        palette.setColor(QPalette::Dark, kShadow);
        m_control.setPalette(palette);
        // A hidden widget hears of its size only when shown.
        m_parent.resize(300, 100);
        m_parent.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&m_parent));
    }

    void Configure(std::uint32_t options, int clientHeight)
    {
        ASSERT_TRUE(m_control.SetOptions(options));
        m_control.resize(200, 40);
        const int frame = m_control.height() - m_control.ClientRect().height();
        m_control.resize(200, clientHeight + frame);
        ASSERT_EQ(m_control.ClientRect().height(), clientHeight);
        m_control.clearFocus(); // the shown window gave it the focus
    }

    QImage Button() { return m_control.grab(m_control.ButtonRect()).toImage(); }

    static std::vector<QPoint> PixelsOf(const QImage &image, const QColor &colour)
    {
        std::vector<QPoint> found;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixelColor(x, y).rgb() == colour.rgb())
                    found.emplace_back(x, y);
        return found;
    }

    void SendMouse(QEvent::Type type, const QPoint &point, Qt::MouseButtons held)
    {
        QMouseEvent event(type, point, m_control.mapToGlobal(point), Qt::LeftButton, held,
                          Qt::NoModifier);
        QApplication::sendEvent(&m_control, &event);
    }

    void Hover(bool inside)
    {
        if (inside) {
            QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
            QApplication::sendEvent(&m_control, &enter);
        } else {
            QEvent leave(QEvent::Leave);
            QApplication::sendEvent(&m_control, &leave);
        }
    }

    QPoint ButtonCentre() const { return m_control.ButtonRect().center(); }
};

TEST_F(ButtonTest, ATwentyPixelClientGetsASixteenPixelButtonOnItsSide)
{
    Configure(Ctrl::OpenFiles, 20);
    const QRect client = m_control.ClientRect();
    EXPECT_EQ(m_control.ButtonRect(), QRect(client.right() - 15, client.top(), 16, 20));
    EXPECT_EQ(m_control.textMargins(), QMargins(0, 0, 16, 0));

    ASSERT_TRUE(m_control.SetOptions(Ctrl::OpenFiles | Ctrl::ButtonOnLeft));
    EXPECT_EQ(m_control.ButtonRect(), QRect(client.left(), client.top(), 16, 20));
    EXPECT_EQ(m_control.textMargins(), QMargins(16, 0, 0, 0));
}

TEST_F(ButtonTest, DotsAreSinglePixelsBelowTwentyPixelsAndDiscsFromThere)
{
    Configure(Ctrl::OpenFiles, 20); // a 16 x 20 button
    const std::vector<QPoint> expected = {{3, 10}, {7, 10}, {11, 10}};
    EXPECT_EQ(PixelsOf(Button(), kText), expected);

    Configure(Ctrl::OpenFiles, 30); // a 24 x 30 button: dots 2 pixels wide
    EXPECT_GT(PixelsOf(Button(), kText).size(), 3u);
}

TEST_F(ButtonTest, GreyDotsShowOnlyInTheFlatLook)
{
    const QColor grey(76, 76, 76);
    Configure(Ctrl::OpenFiles | Ctrl::HotTrack | Ctrl::GreyDots, 20);
    EXPECT_TRUE(m_control.GetButtonState() & Ctrl::Flat);
    EXPECT_EQ(PixelsOf(Button(), grey).size(), 3u);
    EXPECT_TRUE(PixelsOf(Button(), kText).empty());

    Hover(true);
    EXPECT_FALSE(m_control.GetButtonState() & Ctrl::Flat);
    EXPECT_EQ(PixelsOf(Button(), kText).size(), 3u);
    EXPECT_TRUE(PixelsOf(Button(), grey).empty());

    Hover(false);
    EXPECT_TRUE(m_control.GetButtonState() & Ctrl::Flat);
    m_control.setFocus();
    EXPECT_FALSE(m_control.GetButtonState() & Ctrl::Flat);
    Hover(false);
    EXPECT_FALSE(m_control.GetButtonState() & Ctrl::Flat);
    m_control.clearFocus();
    EXPECT_TRUE(m_control.GetButtonState() & Ctrl::Flat);
    ASSERT_TRUE(m_control.SetOptions(Ctrl::OpenFiles | Ctrl::HotTrack));
    EXPECT_EQ(PixelsOf(Button(), kText).size(), 3u);
    ASSERT_TRUE(m_control.SetOptions(Ctrl::OpenFiles));
    EXPECT_FALSE(m_control.GetButtonState() & Ctrl::Flat);
}

TEST_F(ButtonTest, TheFlatLookDrawsAWindowLineOnTheSideTowardsTheText)
{
    Configure(Ctrl::OpenFiles | Ctrl::HotTrack, 20);
    QImage image = Button();
    EXPECT_EQ(image.pixelColor(0, 5), kWindow);
    EXPECT_EQ(image.pixelColor(15, 5), kFace);

    ASSERT_TRUE(m_control.SetOptions(Ctrl::OpenFiles | Ctrl::HotTrack | Ctrl::ButtonOnLeft));
    image = Button();
    EXPECT_EQ(image.pixelColor(0, 5), kFace);
    EXPECT_EQ(image.pixelColor(15, 5), kWindow);
}

TEST_F(ButtonTest, ReleasingOutsideTheButtonDoesNotBrowse)
{
    Configure(Ctrl::OpenFiles, 20);
    m_answers[Ctrl::BeforeBrowse] = 1;
    SendMouse(QEvent::MouseButtonPress, ButtonCentre(), Qt::LeftButton);
    EXPECT_EQ(m_control.GetButtonState(), Ctrl::Pressed);
    SendMouse(QEvent::MouseMove, QPoint(5, 5), Qt::LeftButton);
    EXPECT_EQ(m_control.GetButtonState(), Ctrl::Normal);
    SendMouse(QEvent::MouseMove, ButtonCentre(), Qt::LeftButton);
    EXPECT_EQ(m_control.GetButtonState(), Ctrl::Pressed);
    SendMouse(QEvent::MouseMove, QPoint(5, 5), Qt::LeftButton);
    SendMouse(QEvent::MouseButtonRelease, QPoint(5, 5), Qt::NoButton);
    EXPECT_EQ(m_control.GetButtonState(), Ctrl::Normal);
    EXPECT_TRUE(m_received.empty());

    SendMouse(QEvent::MouseButtonDblClick, ButtonCentre(), Qt::LeftButton);
    EXPECT_EQ(m_control.GetButtonState(), Ctrl::Pressed);
    SendMouse(QEvent::MouseButtonRelease, ButtonCentre(), Qt::NoButton);
    EXPECT_EQ(m_control.GetButtonState(), Ctrl::Normal);
    EXPECT_EQ(ReceivedCodes(), std::vector<int>({Ctrl::BeforeBrowse}));
}

TEST_F(ButtonTest, ADisabledControlPaintsEngravedDotsAndIgnoresPresses)
{
    Configure(Ctrl::OpenFiles, 20);
    m_control.setEnabled(false);
    const QImage image = Button();
    EXPECT_TRUE(PixelsOf(image, kText).empty());
    for (const QPoint &dot : {QPoint(3, 10), QPoint(7, 10), QPoint(11, 10)}) {
        EXPECT_EQ(image.pixelColor(dot), kShadow);
        EXPECT_EQ(image.pixelColor(dot + QPoint(1, 1)), kHighlight);
    }
    m_answers[Ctrl::BeforeBrowse] = 1;
    SendMouse(QEvent::MouseButtonPress, ButtonCentre(), Qt::LeftButton);
    SendMouse(QEvent::MouseButtonRelease, ButtonCentre(), Qt::NoButton);
    EXPECT_FALSE(m_control.GetButtonState() & Ctrl::Pressed);
    EXPECT_TRUE(m_received.empty());
}

TEST_F(ButtonTest, TheButtonsToolTipSaysBrowse)
{
    Configure(Ctrl::OpenFiles | Ctrl::ButtonTip | Ctrl::TextTip, 20);
    const QPoint text(5, 5);
    EXPECT_EQ(m_control.ToolTipAt(ButtonCentre()), "Browse");
    EXPECT_EQ(m_control.ToolTipAt(text), "");
    m_control.SetTextTip("the paths");
    EXPECT_EQ(m_control.ToolTipAt(text), "the paths");
    ASSERT_TRUE(m_control.SetOptions(Ctrl::OpenFiles));
    EXPECT_EQ(m_control.ToolTipAt(ButtonCentre()), "");
    EXPECT_EQ(m_control.ToolTipAt(text), "");

    ASSERT_TRUE(m_control.SetOptions(Ctrl::OpenFiles | Ctrl::ButtonTip));
    QHelpEvent help(QEvent::ToolTip, ButtonCentre(), m_control.mapToGlobal(ButtonCentre()));
    QApplication::sendEvent(&m_control, &help);
    QTRY_COMPARE(QToolTip::text(), "Browse");
    QToolTip::hideText();
}

} // namespace
} // namespace stubsetup::test
