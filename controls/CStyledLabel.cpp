#include "controls/CStyledLabel.h"

#include "controls/StyledLabelAccessible.h"

#include "framework/Window.h"

#include <QAccessible>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QUrl>
#include <qdrawutil.h>

#include <algorithm>
#include <array>
#include <limits>

namespace stubsetup {
namespace {

constexpr int kFixedPointOne = 256;

int channelOf(COLORREF color, int channel)
{
    return static_cast<int>((color >> (8 * channel)) & 0xFF);
}

// Vertical bands from `start` to `end`, channels carried in 8.8 fixed point so
// that the right edge gets exactly the colour of the last step.
void paintGradient(QPainter &painter, const QRect &rect, COLORREF start, COLORREF end, int bands)
{
    const int width = rect.width();
    if (width <= 0)
        return;
    bands = std::min(bands, width);
    const int divisor = bands > 1 ? bands : 1;
    const int bandWidth = width / divisor;
    std::array<int, 3> value{};
    std::array<int, 3> step{};
    for (int channel = 0; channel < 3; ++channel) {
        value[channel] = channelOf(start, channel) * kFixedPointOne;
        step[channel] =
            (channelOf(end, channel) - channelOf(start, channel)) * kFixedPointOne / divisor;
    }
    const int rectEnd = rect.left() + width;
    int left = rect.left();
    for (int band = 0; band < bands; ++band) {
        const int right = band == bands - 1 ? rectEnd : left + bandWidth;
        const QColor color(value[0] / kFixedPointOne, value[1] / kFixedPointOne,
                           value[2] / kFixedPointOne);
        painter.fillRect(QRect(left, rect.top(), right - left, rect.height()), color);
        left = right;
        for (int channel = 0; channel < 3; ++channel)
            value[channel] += step[channel];
    }
}

int wrappingFlags(std::uint32_t style)
{
    switch (style & WindowStyle::kStaticTypeMask) {
    case WindowStyle::kStaticCenter:
        return Qt::AlignHCenter | Qt::TextWordWrap;
    case WindowStyle::kStaticRight:
        return Qt::AlignRight | Qt::TextWordWrap;
    case WindowStyle::kStaticLeftNoWordWrap:
        return Qt::AlignLeft;
    default:
        return Qt::AlignLeft | Qt::TextWordWrap;
    }
}

// The static type decides alignment and wrapping; '&' marks a mnemonic as in
// any static text.
int layoutFlags(std::uint32_t style, const QString &text)
{
    if (style & WindowStyle::kStaticCenterImage) {
        if (text.contains(QLatin1String("\r\n")))
            return Qt::AlignHCenter | Qt::AlignTop | Qt::TextShowMnemonic;
        return Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextShowMnemonic;
    }
    int flags = wrappingFlags(style) | Qt::AlignTop | Qt::TextShowMnemonic;
    if (text.contains(QLatin1Char('\t')))
        flags |= Qt::TextExpandTabs;
    return flags;
}

QColor systemBackgroundColor()
{
    return QGuiApplication::palette().color(QPalette::Button);
}

} // namespace

CStyledLabel::UrlOpener &CStyledLabel::CurrentUrlOpener()
{
    static UrlOpener opener;
    return opener;
}

void CStyledLabel::setUrlOpener(UrlOpener opener)
{
    CurrentUrlOpener() = std::move(opener);
}

CStyledLabel::CStyledLabel(QWidget *parent)
    : QWidget(parent),
      m_textColor(toColorref(QGuiApplication::palette().color(QPalette::WindowText))),
      m_systemBackground(systemBackgroundColor())
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    AttachFont(font());
    installStyledLabelAccessibility();
}

void CStyledLabel::setText(const QString &text)
{
    m_text = text;
    update();
    QAccessibleEvent changed(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&changed);
}

CStyledLabel &CStyledLabel::SetBackgroundColor(COLORREF first, COLORREF second, int fillMode)
{
    m_firstColor = first;
    m_secondColor = second;
    m_fillMode = fillMode;
    m_userBackground.reset();
    if (fillMode == 0)
        m_userBackground = toQColor(first);
    RepaintWithParent();
    return *this;
}

CStyledLabel &CStyledLabel::SetForegroundColor(COLORREF color)
{
    m_textColor = color;
    RepaintWithParent();
    return *this;
}

// The widget exists as long as the label does, so the caption is always set.
CStyledLabel &CStyledLabel::SetCaption(const QString &text)
{
    setText(text);
    RepaintWithParent();
    return *this;
}

CStyledLabel &CStyledLabel::SetBold(bool bold)
{
    m_logFont.weight = bold ? QFont::Bold : QFont::Normal;
    RebuildFont();
    return *this;
}

CStyledLabel &CStyledLabel::SetFaceName(const QString &faceName, std::uint8_t charSet)
{
    m_logFont.charSet = charSet;
    m_logFont.setFaceName(faceName);
    RebuildFont();
    return *this;
}

CStyledLabel &CStyledLabel::SetUnderline(bool underline)
{
    m_logFont.underline = underline ? 1 : 0;
    RebuildFont();
    return *this;
}

CStyledLabel &CStyledLabel::SetItalic(bool italic)
{
    m_logFont.italic = italic ? 1 : 0;
    RebuildFont();
    return *this;
}

CStyledLabel &CStyledLabel::SetPointSize(int points)
{
    // Widened so that absurd sizes clamp instead of overflowing.
    const std::int64_t height = -(std::int64_t{logicalDpiY()} * points * 10 / 720);
    m_logFont.height = static_cast<std::int32_t>(
        std::clamp<std::int64_t>(height, std::numeric_limits<std::int32_t>::min() + 1,
                                 std::numeric_limits<std::int32_t>::max()));
    m_logFont.width = 0;
    RebuildFont();
    return *this;
}

CStyledLabel &CStyledLabel::SetStaticEdge(bool on)
{
    SetExtendedStyleBit(ExtendedStyle::kStaticEdge, on);
    return *this;
}

CStyledLabel &CStyledLabel::SetFrame(bool on)
{
    SetStyleBit(WindowStyle::kBorder, on);
    return *this;
}

// The transparent window style stays once given, whatever the argument; only
// the painting follows the flag.
CStyledLabel &CStyledLabel::SetTransparentMode(bool on)
{
    m_transparent = on;
    SetExtendedStyleBit(ExtendedStyle::kTransparent, true);
    setAttribute(Qt::WA_OpaquePaintEvent, !on);
    RepaintWithParent();
    return *this;
}

CStyledLabel &CStyledLabel::BlinkText(bool on)
{
    if (on) {
        RestartBlink(BlinkKind::Text);
    } else {
        m_blinkTimer.stop();
        m_blinkKind = BlinkKind::None;
    }
    return *this;
}

CStyledLabel &CStyledLabel::BlinkBackground(bool on)
{
    if (on)
        RestartBlink(BlinkKind::Background);
    else
        m_blinkTimer.stop();
    return *this;
}

CStyledLabel &CStyledLabel::SetHyperlink(bool linkOn, bool notifyParent)
{
    SetLink(linkOn ? LinkMode::Web : LinkMode::None, notifyParent);
    return *this;
}

CStyledLabel &CStyledLabel::SetHoverCursor(const std::optional<QCursor> &cursor)
{
    m_hoverCursor = cursor;
    if (m_hoverCursor)
        setCursor(*m_hoverCursor);
    else
        unsetCursor();
    return *this;
}

CStyledLabel &CStyledLabel::SetEmbossed(bool on, int direction)
{
    m_embossed = on;
    m_embossDirection = direction;
    RepaintWithParent();
    return *this;
}

CStyledLabel &CStyledLabel::SetTextAngle(int degrees, bool rotated)
{
    m_logFont.escapement = degrees * 10;
    m_logFont.orientation = degrees * 10;
    m_rotated = rotated;
    RebuildFont();
    return *this;
}

CStyledLabel &CStyledLabel::SetEmbossColor(COLORREF color)
{
    m_embossColor = color;
    RepaintWithParent();
    return *this;
}

CStyledLabel &CStyledLabel::SetLogFont(LogFont description)
{
    description.setFaceName(description.faceName);
    m_logFont = std::move(description);
    RebuildFont();
    return *this;
}

CStyledLabel &CStyledLabel::SetMailtoLink(bool linkOn, bool notifyParent)
{
    SetLink(linkOn ? LinkMode::Mail : LinkMode::None, notifyParent);
    return *this;
}

CStyledLabel &CStyledLabel::SetLinkTarget(const QString &target)
{
    m_linkTarget = target;
    return *this;
}

QRect CStyledLabel::ClientRect() const
{
    int inset = 0;
    if (windowStyle(this) & WindowStyle::kBorder)
        ++inset;
    if (extendedStyle(this) & ExtendedStyle::kStaticEdge)
        ++inset;
    return rect().adjusted(inset, inset, -inset, -inset);
}

void CStyledLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    PaintFrame(painter);
    const QRect client = ClientRect();
    if (client.isEmpty())
        return;
    const QRect origin(QPoint(0, 0), client.size());
    if (m_transparent) {
        painter.setClipRect(client);
        painter.translate(client.topLeft());
        PaintClient(painter, origin);
        return;
    }
    const qreal ratio = devicePixelRatioF();
    QImage buffer(client.size() * ratio, QImage::Format_RGB32);
    buffer.setDevicePixelRatio(ratio);
    buffer.fill(Qt::black);
    {
        QPainter bufferPainter(&buffer);
        PaintClient(bufferPainter, origin);
    }
    painter.drawImage(client.topLeft(), buffer);
}

// The label runs no other timer, so every tick is the blink's.
void CStyledLabel::timerEvent(QTimerEvent *event)
{
    m_blinkPhase = !m_blinkPhase;
    RepaintWithParent();
    QWidget::timerEvent(event);
}

// Without the notify style, or on its frame, a static control is transparent
// to clicks: they go on to the parent.
void CStyledLabel::mousePressEvent(QMouseEvent *event)
{
    const bool clickable = (windowStyle(this) & WindowStyle::kStaticNotify) &&
                           ClientRect().contains(event->position().toPoint());
    if (event->button() != Qt::LeftButton || !clickable) {
        QWidget::mousePressEvent(event);
        return;
    }
    if (m_notifyParent)
        emit notified(kClickNotification, controlId(this));
    else
        OpenLink();
    event->accept();
}

void CStyledLabel::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange && font() != m_windowFont)
        AttachFont(font());
    if (event->type() == QEvent::PaletteChange) {
        m_systemBackground = systemBackgroundColor();
        RepaintWithParent();
    }
    QWidget::changeEvent(event);
}

bool CStyledLabel::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::ApplicationPaletteChange:
        m_systemBackground = systemBackgroundColor();
        RepaintWithParent();
        break;
    case QEvent::DynamicPropertyChange: // style words set from outside
        update();
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

// A new window font (the placeholder's, handed over by replaceControl) is
// where the description starts over.
void CStyledLabel::AttachFont(const QFont &windowFont)
{
    m_windowFont = windowFont;
    m_logFont = LogFont::fromQFont(windowFont, logicalDpiY());
    RebuildFont();
}

void CStyledLabel::RebuildFont()
{
    m_font = m_logFont.toQFont();
    RepaintWithParent();
}

void CStyledLabel::RepaintWithParent()
{
    repaint();
    if (QWidget *parent = parentWidget())
        parent->repaint(geometry());
}

void CStyledLabel::SetLink(LinkMode mode, bool notifyParent)
{
    m_linkMode = mode;
    m_notifyParent = notifyParent;
    SetStyleBit(WindowStyle::kStaticNotify, mode != LinkMode::None);
}

void CStyledLabel::SetStyleBit(std::uint32_t bit, bool on)
{
    const std::uint32_t style = windowStyle(this);
    setWindowStyle(this, on ? style | bit : style & ~bit);
}

void CStyledLabel::SetExtendedStyleBit(std::uint32_t bit, bool on)
{
    const std::uint32_t style = extendedStyle(this);
    setExtendedStyle(this, on ? style | bit : style & ~bit);
}

void CStyledLabel::RestartBlink(BlinkKind kind)
{
    m_blinkTimer.stop();
    m_blinkPhase = false;
    m_blinkTimer.start(kBlinkPeriodMs, Qt::PreciseTimer, this);
    m_blinkKind = kind;
}

void CStyledLabel::PaintFrame(QPainter &painter) const
{
    QRect frame = rect();
    if (windowStyle(this) & WindowStyle::kBorder) {
        painter.setPen(palette().color(QPalette::WindowText));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(frame.adjusted(0, 0, -1, -1));
        frame.adjust(1, 1, -1, -1);
    }
    if (extendedStyle(this) & ExtendedStyle::kStaticEdge)
        qDrawShadeRect(&painter, frame, palette(), true, 1, 0);
}

void CStyledLabel::PaintClient(QPainter &painter, const QRect &client) const
{
    if (!m_transparent)
        PaintBackground(painter, client);
    PaintText(painter, client);
}

// A background blink shows the second colour in its off phase.
void CStyledLabel::PaintBackground(QPainter &painter, const QRect &client) const
{
    if (m_blinkKind == BlinkKind::Background && !m_blinkPhase && m_blinkTimer.isActive())
        painter.fillRect(client, toQColor(m_secondColor));
    else if (m_fillMode == 0)
        painter.fillRect(client, m_userBackground.value_or(m_systemBackground));
    else
        paintGradient(painter, client, m_firstColor, m_secondColor, kGradientBands);
}

void CStyledLabel::PaintText(QPainter &painter, const QRect &client) const
{
    painter.setFont(m_font);
    painter.setPen(TextColorForPaint());
    if (m_rotated) {
        // Baseline-left at the centre, turned counter-clockwise by the escapement.
        painter.save();
        painter.translate(QPoint(client.width() / 2, client.height() / 2));
        painter.rotate(-m_logFont.escapement / 10.0);
        painter.drawText(QPoint(0, 0), m_text);
        painter.restore();
        return;
    }
    const int flags = layoutFlags(windowStyle(this), m_text);
    const QString shown = QString(m_text).replace(QLatin1String("\r\n"), QLatin1String("\n"));
    painter.drawText(client, flags, shown);
    if (m_embossed) {
        const int offset = m_embossDirection == 0 ? -1 : 1;
        painter.setPen(toQColor(m_embossColor));
        painter.drawText(client.translated(offset, offset), flags, shown);
    }
}

// In the off phase of a text blink the text takes the colour of the user
// background, so that it vanishes into a solid one.
QColor CStyledLabel::TextColorForPaint() const
{
    if (m_blinkKind == BlinkKind::Text && !m_blinkPhase)
        return m_userBackground.value_or(QColor(Qt::black));
    return toQColor(m_textColor);
}

void CStyledLabel::OpenLink() const
{
    QUrl url;
    if (m_linkMode == LinkMode::Web)
        url = QUrl::fromUserInput(m_linkTarget.isEmpty() ? m_text : m_linkTarget);
    else if (m_linkMode == LinkMode::Mail)
        url = QUrl(QStringLiteral("mailto:") + m_text, QUrl::TolerantMode);
    else
        return;
    if (CurrentUrlOpener())
        CurrentUrlOpener()(url);
    else
        QDesktopServices::openUrl(url);
}

} // namespace stubsetup
