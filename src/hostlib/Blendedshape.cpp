#include "Blendedshape.h"

#include "EventGuard.h"

#include <QKeySequence>
#include <QMouseEvent>
#include <QPointingDevice>
#include <QTouchEvent>

namespace
{
// Mouse events that Qt or the window system made up from a touch: the touch itself already
// pressed and clicked the button, so these must not click it a second time.
bool IsFromTouch(const QMouseEvent *event)
{
    if (event->source() != Qt::MouseEventNotSynthesized)
        return true;
    const QPointingDevice *device = event->pointingDevice();
    return device && device->type() == QInputDevice::DeviceType::TouchScreen;
}

bool IsMouseEvent(QEvent::Type type)
{
    return type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease ||
           type == QEvent::MouseButtonDblClick || type == QEvent::MouseMove;
}
} // namespace

TBlendedBitBtn::TBlendedBitBtn(QWidget *parent) : QAbstractButton(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_AcceptTouchEvents);
    connect(this, &QAbstractButton::clicked, this, [this] {
        if (OnClick)
            RunGuarded([this] { OnClick(this); });
    });
}

void TBlendedBitBtn::SetCaption(const QString &caption)
{
    setText(caption);
    setShortcut(QKeySequence()); // setText takes the caption's mnemonic as a shortcut
}

void TBlendedBitBtn::SetBrushColor(const QColor &c)
{
    m_brushColor = c;
    update();
}

void TBlendedBitBtn::SetFontColor(const QColor &c)
{
    m_fontColor = c;
    update();
}

void TBlendedBitBtn::SetShape(TShapeType shape)
{
    m_shape = shape;
    update();
}

void TBlendedBitBtn::SetGlyph(const QIcon &glyph)
{
    m_glyph = glyph;
    updateGeometry();
    update();
}

void TBlendedBitBtn::SetGlyphSize(const QSize &size)
{
    m_glyphSize = size;
    updateGeometry();
    update();
}

void TBlendedBitBtn::SetSpacing(int spacing)
{
    m_spacing = spacing;
    updateGeometry();
    update();
}

void TBlendedBitBtn::SetLayout(TButtonLayout layout)
{
    m_layout = layout;
    updateGeometry();
    update();
}

// QAbstractButton reads only the mouse: a touch is played to it as the mouse would press, move
// and release, so that a finger gets the same down look and the same one click. A cancelled
// touch is released off the button, which clicks nothing.
void TBlendedBitBtn::PlayTouch(QTouchEvent *touch)
{
    touch->accept(); // Qt makes no mouse events out of an accepted touch
    const bool cancelled = touch->type() == QEvent::TouchCancel || touch->points().isEmpty();
    const QPointF at = cancelled ? QPointF(-1, -1) : touch->points().first().position();
    QEvent::Type type = QEvent::MouseButtonRelease;
    if (touch->type() == QEvent::TouchBegin)
        type = QEvent::MouseButtonPress;
    else if (touch->type() == QEvent::TouchUpdate)
        type = QEvent::MouseMove;
    const Qt::MouseButtons buttons =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    // Made on the mouse, not on the touch screen: an event on a device updates that device's
    // record of its points, which Qt's delivery of the rest of the touch relies on.
    QMouseEvent mouse(type, at, mapToGlobal(at), Qt::LeftButton, buttons, touch->modifiers());
    QAbstractButton::event(&mouse); // past the filter below; a disabled button ignores it
}

bool TBlendedBitBtn::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
        PlayTouch(static_cast<QTouchEvent *>(event));
        return true;
    case QEvent::ScreenChangeInternal:
        m_captionSize.reset(); // another screen may measure text otherwise
        break;
    case QEvent::Polish:
        // A screen definition may have set another policy; the grid must keep the focus.
        setFocusPolicy(Qt::NoFocus);
        if (accessibleName().isEmpty() && text().isEmpty())
            setAccessibleName(objectName());
        break;
    default:
        if (IsMouseEvent(event->type()) && IsFromTouch(static_cast<QMouseEvent *>(event))) {
            event->accept();
            return true;
        }
        break;
    }
    return QAbstractButton::event(event);
}

void TBlendedBitBtn::changeEvent(QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::FontChange || type == QEvent::StyleChange)
        m_captionSize.reset();
    QAbstractButton::changeEvent(event);
}
