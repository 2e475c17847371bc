#include "ScreenProbe.h"

#include "TDBGrid.h"
#include "TForm.h"
#include "kpf_test.h"

#include <QApplication>

QWidget *ScreenProbe::Screen()
{
    if (QWidget *modal = QApplication::activeModalWidget(); qobject_cast<TForm *>(modal))
        return modal;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<TForm *>(widget) && widget->isVisible())
            return widget;
    }
    return nullptr;
}

int ScreenProbe::Status()
{
    QWidget *screen = Screen();
    if (!screen || !screen->isVisible())
        return KPF_SCREEN_NONE;
    if (QApplication::activeModalWidget() != screen)
        return KPF_SCREEN_COVERED;
    // The application's notion: the window system may never give the screen its focus.
    const auto *form = qobject_cast<const TForm *>(screen);
    return form && form->Active() ? KPF_SCREEN_ACTIVE : KPF_SCREEN_IN_FRONT;
}

TDBGrid *ScreenProbe::Grid(QWidget *screen)
{
    if (auto *grid = screen->findChild<TDBGrid *>(QStringLiteral("dbgImpRedZ")))
        return grid;
    return screen->findChild<TDBGrid *>();
}

QWidget *ScreenProbe::KeyTarget(QWidget *screen)
{
    QWidget *target = QApplication::focusWidget();
    if (!target || (target != screen && !screen->isAncestorOf(target)))
        return screen;
    return target;
}
