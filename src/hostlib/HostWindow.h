#pragma once

#include <QWindow>
#include <memory>

class QWidget;

// The host's own window, as the host named it through the C face: the module's screen is made
// transient for it, so that a window manager keeps the screen above it, and it gets the
// activation back when the screen closes. A Qt host's window is found among the application's
// own; another toolkit's (GTK, say) is named by its X11 id, which only the xcb platform can wrap.
class HostWindow
{
public:
    static HostWindow &Instance();

    // 0 forgets the window. The host clears it before it destroys that window.
    void Set(unsigned long nativeId);
    unsigned long NativeId() const { return m_nativeId; }

    // Called by the module around the screen's modal showing.
    void Attach(QWidget *screen);
    void GiveBack();

private:
    QWindow *Window();

    unsigned long m_nativeId = 0;
    std::unique_ptr<QWindow> m_foreign;
};
