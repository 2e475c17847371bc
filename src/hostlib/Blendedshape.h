#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QIcon>
#include <functional>
#include <optional>
#include <utility>

class QPainter;
class QTouchEvent;

// The platform's button painted as a rounded rectangle or a circle filled with the brush colour,
// no outline, a caption and optional glyphs for the normal and the disabled look. Pressing,
// releasing, the click and the accessible name are QAbstractButton's; this class adds the
// painting, the platform's properties and touch: a touch plays as a mouse press, moves and
// release, and the mouse events synthesized from a touch are ignored, so a touch clicks once.
// It never takes the keyboard focus (the grid keeps it) and takes no mnemonic shortcut from its
// caption (every key goes to the screen's key preview). Sizes are device-independent pixels.
// The glyph is drawn in QIcon::Active mode while pressed (an icon without an Active image shows
// its normal one), and GlyphDisabled (else Glyph in Disabled mode) while disabled.
// Qt names a button after its caption; an image-only button without an accessible name of its
// own is named after its object name. ParentFont is kept for the screen definition; Qt's font
// propagation already gives a button the parent's font until a font of its own is set.
class TBlendedBitBtn : public QAbstractButton
{
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(int Tag READ Tag WRITE SetTag)
    Q_PROPERTY(QColor BrushColor READ BrushColor WRITE SetBrushColor)
    Q_PROPERTY(QColor DownColor READ DownColor WRITE SetDownColor)
    Q_PROPERTY(QColor DownFontColor READ DownFontColor WRITE SetDownFontColor)
    Q_PROPERTY(QColor DisabledColor READ DisabledColor WRITE SetDisabledColor)
    Q_PROPERTY(QColor DisabledFontColor READ DisabledFontColor WRITE SetDisabledFontColor)
    Q_PROPERTY(QColor FontColor READ FontColor WRITE SetFontColor)
    Q_PROPERTY(TShapeType Shape READ Shape WRITE SetShape)
    Q_PROPERTY(TPenStyle PenStyle READ PenStyle WRITE SetPenStyle)
    Q_PROPERTY(QIcon Glyph READ Glyph WRITE SetGlyph)
    Q_PROPERTY(QIcon GlyphDisabled READ GlyphDisabled WRITE SetGlyphDisabled)
    Q_PROPERTY(QSize GlyphSize READ GlyphSize WRITE SetGlyphSize)
    Q_PROPERTY(int Spacing READ Spacing WRITE SetSpacing)
    Q_PROPERTY(TButtonLayout Layout READ Layout WRITE SetLayout)
    Q_PROPERTY(bool ParentFont READ ParentFont WRITE SetParentFont)

public:
    enum TShapeType { stRoundRect, stCircle, stRectangle };
    Q_ENUM(TShapeType)
    enum TPenStyle { psSolid, psClear };
    Q_ENUM(TPenStyle)
    enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
    Q_ENUM(TButtonLayout)

    explicit TBlendedBitBtn(QWidget *parent = nullptr);

    QString Caption() const { return text(); }
    void SetCaption(const QString &caption);
    QString GetText() const { return text(); }
    int Tag() const { return m_tag; }
    void SetTag(int tag) { m_tag = tag; }
    QColor BrushColor() const { return m_brushColor; }
    void SetBrushColor(const QColor &c);
    QColor DownColor() const { return m_downColor; }
    void SetDownColor(const QColor &c)
    {
        m_downColor = c;
        update();
    }
    QColor DownFontColor() const { return m_downFontColor; }
    void SetDownFontColor(const QColor &c)
    {
        m_downFontColor = c;
        update();
    }
    QColor DisabledColor() const { return m_disabledColor; }
    void SetDisabledColor(const QColor &c)
    {
        m_disabledColor = c;
        update();
    }
    QColor DisabledFontColor() const { return m_disabledFontColor; }
    void SetDisabledFontColor(const QColor &c)
    {
        m_disabledFontColor = c;
        update();
    }
    QColor FontColor() const { return m_fontColor; }
    void SetFontColor(const QColor &c);
    TShapeType Shape() const { return m_shape; }
    void SetShape(TShapeType shape);
    TPenStyle PenStyle() const { return m_penStyle; }
    void SetPenStyle(TPenStyle style)
    {
        m_penStyle = style;
        update();
    }
    QIcon Glyph() const { return m_glyph; }
    void SetGlyph(const QIcon &glyph);
    QIcon GlyphDisabled() const { return m_glyphDisabled; }
    void SetGlyphDisabled(const QIcon &glyph)
    {
        m_glyphDisabled = glyph;
        update();
    }
    // The glyph's size; an invalid size (the default) fits the glyph to the button's height.
    QSize GlyphSize() const { return m_glyphSize; }
    void SetGlyphSize(const QSize &size);
    int Spacing() const { return m_spacing; }
    void SetSpacing(int spacing);
    TButtonLayout Layout() const { return m_layout; }
    void SetLayout(TButtonLayout layout);
    bool ParentFont() const { return m_parentFont; }
    void SetParentFont(bool on) { m_parentFont = on; }
    bool IsDown() const { return isDown(); }

    // Run on every click, inside the event guard, with the button as sender.
    std::function<void(QObject *sender)> OnClick;
    void Click() { click(); } // clicks as a touch does; nothing while disabled

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    bool event(QEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void PlayTouch(QTouchEvent *touch);
    // Painting (BlendedshapePaint.cpp).
    void PaintShape(QPainter &painter, const QColor &fill) const;
    void ContentRects(QRect &glyphRect, QRect &textRect) const;
    const QIcon &CurrentGlyph(QIcon::Mode &mode) const;
    void PaintGlyph(QPainter &painter, const QRect &glyphRect) const;
    QPixmap Face(const QColor &fill, const QRect &glyphRect, qreal ratio) const;
    std::pair<int, int> OpaqueRows(const QColor &fill) const;
    static void LayFace(QPainter &painter, const QPixmap &face, qreal ratio,
                        std::pair<int, int> opaqueRows);
    static void LayRows(QPainter &painter, const QPixmap &picture, int from, int to, int at,
                        qreal ratio);
    QSize EffectiveGlyphSize() const;
    QSize CaptionSize() const;

    int m_tag = 0;
    QColor m_brushColor = Qt::gray;
    QColor m_downColor = Qt::black;
    QColor m_downFontColor = Qt::white;
    QColor m_disabledColor = QColor(204, 204, 204);
    QColor m_disabledFontColor = Qt::white;
    QColor m_fontColor = Qt::white;
    TShapeType m_shape = stRoundRect;
    TPenStyle m_penStyle = psClear;
    QIcon m_glyph;
    QIcon m_glyphDisabled;
    int m_spacing = 4;
    TButtonLayout m_layout = blGlyphLeft;
    bool m_parentFont = true;
    QSize m_glyphSize;
    // The caption's size in the current font, asked for by every paint and size hint; made
    // again after a change of caption, font, style or screen.
    mutable std::optional<QSize> m_captionSize;
    mutable QString m_measuredCaption;
};
