#include "Blendedshape.h"

#include "EventGuard.h"

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

QString WithoutMnemonic(const QString &caption)
{
    QString plain;
    plain.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption.at(i) == QLatin1Char('&') && i + 1 < caption.size())
            ++i;
        else if (caption.at(i) == QLatin1Char('&'))
            continue;
        plain.append(caption.at(i));
    }
    return plain;
}
} // namespace

TBlendedBitBtn::TBlendedBitBtn(QWidget *parent) : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_AcceptTouchEvents);
}

void TBlendedBitBtn::SetCaption(const QString &caption)
{
    m_caption = caption;
    m_captionSize.reset();
    UpdateAccessibleName();
    updateGeometry();
    update();
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

void TBlendedBitBtn::Click()
{
    if (OnClick)
        OnClick(this);
    emit clicked();
}

void TBlendedBitBtn::SetDown(bool down)
{
    if (m_down == down)
        return;
    m_down = down;
    update();
}

void TBlendedBitBtn::ResetPointer()
{
    m_mousePressed = false;
    m_touchActive = false;
    SetDown(false);
}

void TBlendedBitBtn::ClickFromPointer()
{
    // A pointer click comes from the event loop, where no exception may pass.
    RunGuarded([this] { Click(); });
}

void TBlendedBitBtn::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    if (IsFromTouch(event) || m_touchActive || event->button() != Qt::LeftButton)
        return;
    m_mousePressed = true;
    SetDown(true);
}

void TBlendedBitBtn::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
    if (m_mousePressed && !IsFromTouch(event))
        SetDown(rect().contains(event->position().toPoint()));
}

void TBlendedBitBtn::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    if (!m_mousePressed || IsFromTouch(event) || event->button() != Qt::LeftButton)
        return;
    const bool inside = rect().contains(event->position().toPoint());
    m_mousePressed = false;
    SetDown(false);
    if (inside)
        ClickFromPointer();
}

void TBlendedBitBtn::HandleTouch(QTouchEvent *event)
{
    // Accepting every touch event keeps Qt from making mouse events out of it.
    event->accept();
    if (event->type() == QEvent::TouchCancel || event->points().isEmpty()) {
        ResetPointer();
        return;
    }
    const bool inside = rect().contains(event->points().first().position().toPoint());
    switch (event->type()) {
    case QEvent::TouchBegin:
        if (isEnabled()) {
            m_mousePressed = false;
            m_touchActive = true;
            SetDown(true);
        }
        break;
    case QEvent::TouchUpdate:
        if (m_touchActive)
            SetDown(inside);
        break;
    case QEvent::TouchEnd:
        if (m_touchActive) {
            ResetPointer();
            if (inside && isEnabled())
                ClickFromPointer();
        }
        break;
    default:
        break;
    }
}

bool TBlendedBitBtn::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
        HandleTouch(static_cast<QTouchEvent *>(event));
        return true;
    case QEvent::ScreenChangeInternal:
        m_captionSize.reset(); // another screen may measure text otherwise
        break;
    case QEvent::Polish:
        // A screen definition may have set another policy; the grid must keep the focus.
        setFocusPolicy(Qt::NoFocus);
        UpdateAccessibleName();
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

void TBlendedBitBtn::changeEvent(QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::FontChange || type == QEvent::StyleChange)
        m_captionSize.reset();
    if (type == QEvent::EnabledChange) {
        if (!isEnabled())
            ResetPointer();
        update();
    }
    QWidget::changeEvent(event);
}

void TBlendedBitBtn::hideEvent(QHideEvent *event)
{
    ResetPointer();
    QWidget::hideEvent(event);
}

void TBlendedBitBtn::UpdateAccessibleName()
{
    const QString current = accessibleName();
    if (!current.isEmpty() && current != m_autoAccessibleName)
        return; // named by the screen: keep it
    QString name = WithoutMnemonic(m_caption);
    if (name.isEmpty())
        name = objectName();
    m_autoAccessibleName = name;
    if (name != current)
        setAccessibleName(name);
}
