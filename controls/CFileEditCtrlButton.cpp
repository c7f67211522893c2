// The browse button of CFileEditCtrl: a strip inside the control's frame,
// reserved with text margins, with its painting, flat look and mouse handling.
#include "controls/CFileEditCtrl.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QToolTip>
#include <qdrawutil.h>

namespace stubsetup {
namespace {

QColor greyOf(const QColor &colour)
{
    const int grey = (30 * colour.red() + 59 * colour.green() + 11 * colour.blue()) / 100;
    return QColor(grey, grey, grey);
}

QColor systemColour(const QWidget &widget, QPalette::ColorRole role)
{
    return widget.palette().color(QPalette::Active, role);
}

} // namespace

QRect CFileEditCtrl::ClientRect() const
{
    QStyleOptionFrame option;
    initStyleOption(&option);
    return style()->subElementRect(QStyle::SE_LineEditContents, &option, this);
}

void CFileEditCtrl::ApplyButtonSide(std::uint32_t options)
{
    const int side = int(options & ButtonOnLeft);
    if (side == m_nButtonSide)
        return;
    m_nButtonSide = side;
    LayoutButton();
    update();
}

void CFileEditCtrl::LayoutButton()
{
    const QRect client = ClientRect();
    const int width = client.height() * 8 / 10;
    QRect button = client;
    if (m_nButtonSide == ButtonOnLeft) {
        button.setWidth(width);
        setTextMargins(width, 0, 0, 0);
    } else {
        button.setLeft(client.right() + 1 - width);
        setTextMargins(0, 0, width, 0);
    }
    m_rcButton = button.normalized();
}

void CFileEditCtrl::resizeEvent(QResizeEvent *event)
{
    QLineEdit::resizeEvent(event);
    LayoutButton();
}

void CFileEditCtrl::PaintButton(unsigned state)
{
    if (m_rcButton.width() < 3 || m_rcButton.height() < 3)
        return;
    if (!isEnabled())
        state = Disabled;
    m_nButtonState = state | (m_nButtonState & Flat);
    update(m_rcButton);
}

void CFileEditCtrl::ShowFlat(bool flat)
{
    const unsigned before = m_nButtonState;
    if (flat && (m_options & HotTrack) && !hasFocus())
        m_nButtonState |= Flat;
    else
        m_nButtonState &= ~Flat;
    if (m_nButtonState != before)
        update();
}

void CFileEditCtrl::paintEvent(QPaintEvent *event)
{
    QLineEdit::paintEvent(event);
    QPainter painter(this);
    if (m_nButtonState & Flat)
        DrawFlatFrame(painter);
    DrawButton(painter);
}

void CFileEditCtrl::DrawFlatFrame(QPainter &painter) const
{
    // A window-coloured outline just outside the text area hides the sunken
    // edge.
    const int border = ClientRect().top();
    painter.setPen(systemColour(*this, QPalette::Base));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(
        QRect(QPoint(border - 1, border - 1), QPoint(width() - border, height() - border)));
}

void CFileEditCtrl::DrawButton(QPainter &painter) const
{
    if (m_rcButton.width() < 3 || m_rcButton.height() < 3)
        return;
    // Disabled is what the window is at painting time, whatever was stored.
    const unsigned state = isEnabled() ? m_nButtonState : Disabled | (m_nButtonState & Flat);
    const int w = m_rcButton.width();
    const int h = m_rcButton.height();
    painter.save();
    painter.translate(m_rcButton.topLeft());
    painter.setClipRect(0, 0, w, h);
    painter.fillRect(0, 0, w, h, systemColour(*this, QPalette::Button));
    if (state & Pressed) {
        painter.setPen(systemColour(*this, QPalette::Dark));
        painter.drawRect(0, 0, w - 1, h - 1);
        PaintDots(painter, systemColour(*this, QPalette::ButtonText), 1);
    } else {
        if (state & Flat) {
            // Only the side that touches the text gets a window-coloured line.
            const int x = m_nButtonSide == ButtonOnLeft ? w - 1 : 0;
            painter.setPen(systemColour(*this, QPalette::Base));
            painter.drawLine(x, 0, x, h - 1);
        } else {
            qDrawWinButton(&painter, 0, 0, w, h, palette(), false);
        }
        if (state & Disabled) {
            PaintDots(painter, systemColour(*this, QPalette::Light), 1);
            PaintDots(painter, systemColour(*this, QPalette::Dark), 0);
        } else {
            const QColor text = systemColour(*this, QPalette::ButtonText);
            const bool grey = (m_options & GreyDots) && (state & Flat);
            PaintDots(painter, grey ? greyOf(text) : text, 0);
        }
    }
    painter.restore();
}

void CFileEditCtrl::PaintDots(QPainter &painter, const QColor &colour, int offset) const
{
    const int w = m_rcButton.width();
    const int h = m_rcButton.height();
    const int quarter = w / 4;
    const int diameter = w / 10;
    const int x = w / 2 - quarter - (w % 4 == 0 ? 1 : 0) + offset;
    const int y = h / 2 - diameter / 2 + offset;
    painter.setPen(colour);
    if (diameter < 2) {
        for (int dot = 0; dot < 3; ++dot)
            painter.drawPoint(x + dot * quarter, y);
        return;
    }
    painter.setBrush(colour);
    for (int dot = 0; dot < 3; ++dot)
        painter.drawEllipse(QRect(x + dot * quarter, y, diameter - 1, diameter - 1));
}

void CFileEditCtrl::PressButton()
{
    setFocus(Qt::MouseFocusReason);
    m_bCaptured = true;
    PaintButton(Pressed);
}

void CFileEditCtrl::ReleaseButton()
{
    m_bCaptured = false;
    if (m_nButtonState != Normal)
        PaintButton(Normal);
}

void CFileEditCtrl::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && IsOnButton(event->position().toPoint()))
        PressButton();
    else
        QLineEdit::mousePressEvent(event);
}

void CFileEditCtrl::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && IsOnButton(event->position().toPoint()))
        PressButton();
    else
        QLineEdit::mouseDoubleClickEvent(event);
}

void CFileEditCtrl::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint point = event->position().toPoint();
    if (m_bCaptured) {
        const unsigned wanted = IsOnButton(point) ? Pressed : Normal;
        if ((m_nButtonState & ~Flat) != wanted)
            PaintButton(wanted);
        return;
    }
    setCursor(IsOnButton(point) ? Qt::ArrowCursor : Qt::IBeamCursor);
    QLineEdit::mouseMoveEvent(event);
}

void CFileEditCtrl::mouseReleaseEvent(QMouseEvent *event)
{
    if (!m_bCaptured || event->button() != Qt::LeftButton) {
        QLineEdit::mouseReleaseEvent(event);
        return;
    }
    ReleaseButton();
    if (IsOnButton(event->position().toPoint()))
        StartBrowse();
}

void CFileEditCtrl::enterEvent(QEnterEvent *event)
{
    QLineEdit::enterEvent(event);
    ShowFlat(false);
}

void CFileEditCtrl::leaveEvent(QEvent *event)
{
    QLineEdit::leaveEvent(event);
    if (!m_bCaptured)
        ShowFlat(true);
}

QString CFileEditCtrl::ToolTipAt(const QPoint &point) const
{
    if (IsOnButton(point))
        return m_options & ButtonTip ? QStringLiteral("Browse") : QString();
    if (ClientRect().contains(point) && (m_options & TextTip))
        return m_strTextTip;
    return {};
}

bool CFileEditCtrl::event(QEvent *event)
{
    if (event->type() != QEvent::ToolTip || !(m_options & (ButtonTip | TextTip)))
        return QLineEdit::event(event);
    const auto *help = static_cast<QHelpEvent *>(event);
    const QString tip = ToolTipAt(help->pos());
    if (tip.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(help->globalPos(), tip, this,
                           IsOnButton(help->pos()) ? m_rcButton : ClientRect());
    return true;
}

} // namespace stubsetup
