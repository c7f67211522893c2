#pragma once

#include "controls/Colorref.h"
#include "controls/LogFont.h"

#include <QBasicTimer>
#include <QColor>
#include <QCursor>
#include <QFont>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <optional>

class QPainter;
class QUrl;

namespace stubsetup {

// A static text control that paints its own text: chosen font and colours, a
// solid or gradient background, transparency, embossed or angled text,
// blinking, and click-to-open web or mail links. Window text, control id and
// style words are the widget's (see framework/Window.h); a dialog attaches it
// to a template control with replaceControl, which hands it the font to start
// from.
class CStyledLabel : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText)

public:
    enum class LinkMode { None = 0, Web = 1, Mail = 2 };
    enum class BlinkKind { None = 0, Text = 1, Background = 2 };

    // The code a click sends to the parent through notified().
    static constexpr int kClickNotification = 0x8200;
    static constexpr int kBlinkPeriodMs = 500;
    static constexpr int kGradientBands = 100;

    // Opens what a link click asks for; tests put their own in its place.
    using UrlOpener = std::function<void(const QUrl &)>;
    static void setUrlOpener(UrlOpener opener);

    // Starts from the window's font: the parent's, or the application's (the
    // stock font) for a label without one.
    explicit CStyledLabel(QWidget *parent = nullptr);

    QString text() const { return m_text; }
    void setText(const QString &text);

    const LogFont &GetLogFont() const { return m_logFont; }
    const QFont &GetTextFont() const { return m_font; }

    virtual CStyledLabel &SetBackgroundColor(COLORREF first, COLORREF second, int fillMode = 0);
    virtual CStyledLabel &SetForegroundColor(COLORREF color);
    virtual CStyledLabel &SetCaption(const QString &text);
    virtual CStyledLabel &SetBold(bool bold);
    virtual CStyledLabel &SetFaceName(const QString &faceName, std::uint8_t charSet);
    virtual CStyledLabel &SetUnderline(bool underline);
    virtual CStyledLabel &SetItalic(bool italic);
    virtual CStyledLabel &SetPointSize(int points);
    virtual CStyledLabel &SetStaticEdge(bool on);
    virtual CStyledLabel &SetFrame(bool on);
    virtual CStyledLabel &SetTransparentMode(bool on);
    virtual CStyledLabel &BlinkText(bool on);
    virtual CStyledLabel &BlinkBackground(bool on);
    virtual CStyledLabel &SetHyperlink(bool linkOn, bool notifyParent);
    virtual CStyledLabel &SetHoverCursor(const std::optional<QCursor> &cursor);
    virtual CStyledLabel &SetEmbossed(bool on, int direction);
    virtual CStyledLabel &SetTextAngle(int degrees, bool rotated);
    virtual CStyledLabel &SetEmbossColor(COLORREF color);
    virtual CStyledLabel &SetLogFont(LogFont description);
    virtual CStyledLabel &SetMailtoLink(bool linkOn, bool notifyParent);
    virtual CStyledLabel &SetLinkTarget(const QString &target);

    // The area inside the border and static edge the style words ask for.
    QRect ClientRect() const;

signals:
    // The click notification to the parent: kClickNotification and the id.
    void notified(int code, int controlId);

protected:
    void paintEvent(QPaintEvent *event) override;
    void timerEvent(QTimerEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool event(QEvent *event) override;

private:
    void AttachFont(const QFont &windowFont);
    void RebuildFont();
    void RepaintWithParent();
    void SetLink(LinkMode mode, bool notifyParent);
    void SetStyleBit(std::uint32_t bit, bool on);
    void SetExtendedStyleBit(std::uint32_t bit, bool on);
    void RestartBlink(BlinkKind kind);
    void PaintFrame(QPainter &painter) const;
    void PaintClient(QPainter &painter, const QRect &client) const;
    void PaintBackground(QPainter &painter, const QRect &client) const;
    void PaintText(QPainter &painter, const QRect &client) const;
    QColor TextColorForPaint() const;
    void OpenLink() const;
    static UrlOpener &CurrentUrlOpener();

    COLORREF m_textColor;
    COLORREF m_embossColor = 0xFFFFFF;
    QColor m_systemBackground;
    std::optional<QColor> m_userBackground;
    LogFont m_logFont;
    QFont m_font;
    QFont m_windowFont;
    bool m_blinkPhase = false;
    QBasicTimer m_blinkTimer;
    LinkMode m_linkMode = LinkMode::None;
    bool m_transparent = false;
    bool m_embossed = false;
    bool m_notifyParent = false;
    bool m_rotated = false;
    BlinkKind m_blinkKind = BlinkKind::None;
    std::optional<QCursor> m_hoverCursor;
    int m_embossDirection = 0;
    int m_fillMode = 0;
    COLORREF m_secondColor = 0;
    COLORREF m_firstColor = 0;
    QString m_linkTarget;
    QString m_text;
};

} // namespace stubsetup
