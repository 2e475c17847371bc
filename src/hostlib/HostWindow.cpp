#include "HostWindow.h"

#include <QGuiApplication>
#include <QWidget>
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>

HostWindow &HostWindow::Instance()
{
    // Never destroyed: a wrapped foreign window must not outlive the application's platform,
    // which exit tears down before static objects.
    static HostWindow *instance = new HostWindow;
    return *instance;
}

void HostWindow::Set(unsigned long nativeId)
{
    if (nativeId == m_nativeId)
        return;
    m_nativeId = nativeId;
    m_foreign.reset();
}

QWindow *HostWindow::Window()
{
    if (m_nativeId == 0 || !qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return nullptr;
    if (QWidget *own = QWidget::find(WId(m_nativeId)))
        return own->window()->windowHandle();
    if (m_foreign)
        return m_foreign.get();
    // Wayland gives a client no way to name another client's window.
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    m_foreign.reset(QWindow::fromWinId(WId(m_nativeId)));
    return m_foreign.get();
}

void HostWindow::Attach(QWidget *screen)
{
    QWindow *host = Window();
    if (!host)
        return;
    screen->winId(); // the screen's QWindow exists from here on
    if (QWindow *own = screen->windowHandle())
        own->setTransientParent(host);
}

void HostWindow::GiveBack()
{
    QWindow *host = Window();
    if (!host)
        return;
    if (host != m_foreign.get()) {
        host->requestActivate();
        return;
    }
    // Qt activates only windows it mapped itself: another toolkit's window gets the keyboard
    // focus from the X server directly, which also serves where no window manager runs.
    const auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11)
        return;
    xcb_set_input_focus(x11->connection(), XCB_INPUT_FOCUS_PARENT, xcb_window_t(m_nativeId),
                        XCB_CURRENT_TIME);
    xcb_flush(x11->connection());
}
