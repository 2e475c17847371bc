#include "EventGuard.h"
#include "PackageBuild.h"
#include "ScheduledClick.h"
#include "ScreenProbe.h"
#include "ScreenStateJson.h"
#include "ScreenWatcher.h"
#include "TDBGrid.h"
#include "TForm.h"
#include "TextBuffer.h"
#include "kpf_test.h"

#include <QApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QPointer>
#include <QThread>
#include <QWidget>
#include <algorithm>
#include <cstring>
#include <memory>

namespace
{
std::unique_ptr<ScreenWatcher> &watcher()
{
    static std::unique_ptr<ScreenWatcher> current;
    return current;
}

void sendKeyEvent(QWidget *target, bool press, int key, Qt::KeyboardModifiers modifiers,
                  const QString &text)
{
    QKeyEvent event(press ? QEvent::KeyPress : QEvent::KeyRelease, key, modifiers, text);
    QCoreApplication::sendEvent(target, &event);
}

// The modifier keys in the order a hand presses them, each with what is held before it.
struct ModifierKey {
    Qt::KeyboardModifier modifier;
    Qt::Key key;
};
constexpr ModifierKey kModifierKeys[] = {{Qt::ShiftModifier, Qt::Key_Shift},
                                         {Qt::ControlModifier, Qt::Key_Control},
                                         {Qt::AltModifier, Qt::Key_Alt},
                                         {Qt::MetaModifier, Qt::Key_Meta}};

// Presses the held modifiers, the key, and releases them in reverse; stops when the key's
// reaction destroys the control.
void pressKey(QWidget *control, int key, Qt::KeyboardModifiers modifiers, const QString &text)
{
    const QPointer<QWidget> target = control;
    Qt::KeyboardModifiers held;
    for (const ModifierKey &m : kModifierKeys) {
        if (modifiers & m.modifier) {
            sendKeyEvent(target, true, m.key, held, QString());
            held |= m.modifier;
            if (!target)
                return;
        }
    }
    sendKeyEvent(target, true, key, modifiers, text);
    if (!target)
        return;
    sendKeyEvent(target, false, key, modifiers, text);
    for (auto m = std::rbegin(kModifierKeys); m != std::rend(kModifierKeys) && target; ++m) {
        if (modifiers & m->modifier) {
            sendKeyEvent(target, false, m->key, held, QString());
            held &= ~m->modifier;
        }
    }
}

// What a key types on a keyboard: nothing while Ctrl, Alt or Meta is held.
QString typedText(int key, Qt::KeyboardModifiers modifiers)
{
    if (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return {};
    switch (key) {
    case Qt::Key_Return:
        return QStringLiteral("\r");
    case Qt::Key_Escape:
        return QStringLiteral("\x1b");
    case Qt::Key_Backspace:
        return QStringLiteral("\b");
    case Qt::Key_Tab:
        return QStringLiteral("\t");
    default:
        break;
    }
    if (key < Qt::Key_Space || key > 0xff || !QChar(key).isPrint())
        return {};
    const QChar character(key);
    return (modifiers & Qt::ShiftModifier) ? QString(character) : QString(character.toLower());
}

// A test interface of another build than the host library may not know the screen it would
// drive: every call is refused, and the reason said once. The module checks the host library
// against the platform library.
int OtherBuild()
{
    static const int refused = [] {
        if (std::strcmp(PackageBuild::Dll(), KPF_BUILD_ID) == 0)
            return int(KPF_TEST_OK);
        qCritical("libkpf_test.so (%s, build %s) is of another Kpf05520 build than lib_dll.so "
                  "(%s, build %s); install the libraries of one package",
                  qUtf8Printable(PackageBuild::FileOf(reinterpret_cast<const void *>(&OtherBuild))),
                  KPF_BUILD_ID,
                  qUtf8Printable(
                      PackageBuild::FileOf(reinterpret_cast<const void *>(&PackageBuild::Dll))),
                  PackageBuild::Dll());
        return int(KPF_TEST_OTHER_BUILD);
    }();
    return refused;
}

// Qt's widgets belong to the interface thread: a call from another one would race the screen.
int RefusedCaller()
{
    if (const int other = OtherBuild())
        return other;
    const QCoreApplication *app = QCoreApplication::instance();
    if (!app)
        return KPF_TEST_NO_APPLICATION;
    return QThread::currentThread() == app->thread() ? KPF_TEST_OK : KPF_TEST_WRONG_THREAD;
}

// The screen for an operator's touch or key: none while a box covers it, since the operator
// cannot reach it then and its handlers would run nested under the box.
int ReachableScreen(QWidget **screen)
{
    if (const int refused = RefusedCaller())
        return refused;
    *screen = ScreenProbe::Screen();
    if (!*screen)
        return KPF_TEST_NO_SCREEN;
    return ScreenProbe::Status() == KPF_SCREEN_COVERED ? KPF_TEST_COVERED : KPF_TEST_OK;
}

} // namespace

extern "C" {

KPF_TEST_EXPORT int KpfTest_ScreenStatus(void)
{
    if (const int refused = RefusedCaller())
        return refused == KPF_TEST_NO_APPLICATION ? KPF_SCREEN_NONE : refused;
    return ScreenProbe::Status();
}

KPF_TEST_EXPORT int KpfTest_SetScreenObserver(KpfTest_ScreenCallback cb, void *context)
{
    if (const int refused = RefusedCaller())
        return refused;
    watcher().reset();
    if (cb)
        watcher() = std::make_unique<ScreenWatcher>(cb, context);
    return KPF_TEST_OK;
}

KPF_TEST_EXPORT int KpfTest_GetScreenState(char *buffer, int size)
{
    if (const int refused = RefusedCaller())
        return refused;
    const QWidget *screen = ScreenProbe::Screen();
    if (!screen)
        return KPF_TEST_NO_SCREEN;
    return KpfDll::CopyOut(ScreenStateJson::Of(screen), buffer, size);
}

KPF_TEST_EXPORT int KpfTest_Touch(const char *controlName)
{
    if (!controlName || !*controlName)
        return KPF_TEST_BAD_ARGUMENT;
    QWidget *screen = nullptr;
    if (const int refused = ReachableScreen(&screen))
        return refused;
    auto *control = screen->findChild<QWidget *>(QString::fromUtf8(controlName));
    if (!control)
        return KPF_TEST_NOT_FOUND;
    ScheduledClick::Click(control);
    return KPF_TEST_OK;
}

KPF_TEST_EXPORT int KpfTest_GridRowCount(void)
{
    if (const int refused = RefusedCaller())
        return refused;
    QWidget *screen = ScreenProbe::Screen();
    if (!screen)
        return KPF_TEST_NO_SCREEN;
    const TDBGrid *grid = ScreenProbe::Grid(screen);
    if (!grid)
        return KPF_TEST_NO_GRID;
    return grid->model() ? grid->model()->rowCount() : 0;
}

KPF_TEST_EXPORT int KpfTest_TouchGridCell(int row, const char *fieldName)
{
    if (!fieldName || !*fieldName)
        return KPF_TEST_BAD_ARGUMENT;
    QWidget *screen = nullptr;
    if (const int refused = ReachableScreen(&screen))
        return refused;
    TDBGrid *grid = ScreenProbe::Grid(screen);
    if (!grid)
        return KPF_TEST_NO_GRID;
    const int column = grid->ColumnOfField(QString::fromUtf8(fieldName));
    if (column < 0)
        return KPF_TEST_NOT_FOUND;
    if (row < 0 || row >= KpfTest_GridRowCount())
        return KPF_TEST_OUT_OF_RANGE;
    const QModelIndex index = grid->model()->index(row, column);
    grid->scrollTo(index);
    QRect cell = grid->visualRect(index);
    // Aim at the part of the cell that is really visible (the panel cuts the grid's edges).
    const QRect visible = cell.intersected(grid->viewport()->visibleRegion().boundingRect());
    if (!visible.isEmpty())
        cell = visible;
    ScheduledClick::Click(grid->viewport(), cell.center());
    return KPF_TEST_OK;
}

KPF_TEST_EXPORT int KpfTest_SendKey(int qtKey, int qtModifiers, const char *utf8Text)
{
    QWidget *screen = nullptr;
    if (const int refused = ReachableScreen(&screen))
        return refused;
    pressKey(ScreenProbe::KeyTarget(screen), qtKey, Qt::KeyboardModifiers(qtModifiers),
             QString::fromUtf8(utf8Text ? utf8Text : ""));
    return KPF_TEST_OK;
}

KPF_TEST_EXPORT int KpfTest_SendKeyName(const char *keyName)
{
    if (!keyName || !*keyName)
        return KPF_TEST_BAD_ARGUMENT;
    const QKeySequence sequence = QKeySequence::fromString(QString::fromUtf8(keyName));
    if (sequence.count() != 1 || sequence[0].key() == Qt::Key_unknown)
        return KPF_TEST_BAD_ARGUMENT;
    const QKeyCombination combination = sequence[0];
    const int key = combination.key();
    const Qt::KeyboardModifiers modifiers = combination.keyboardModifiers();
    const QByteArray text = typedText(key, modifiers).toUtf8();
    return KpfTest_SendKey(key, int(modifiers), text.constData());
}

KPF_TEST_EXPORT int KpfTest_ActivateScreen(void)
{
    if (const int refused = RefusedCaller())
        return refused;
    QWidget *screen = ScreenProbe::Screen();
    if (!screen)
        return KPF_TEST_NO_SCREEN;
    screen->activateWindow();
    return KPF_TEST_OK;
}

KPF_TEST_EXPORT int KpfTest_CloseScreen(void)
{
    if (const int refused = RefusedCaller())
        return refused;
    const QPointer<QWidget> screen = ScreenProbe::Screen();
    if (!screen)
        return KPF_TEST_NO_SCREEN;
    screen->close();
    return screen && screen->isVisible() ? 1 : KPF_TEST_OK;
}

KPF_TEST_EXPORT int KpfTest_EndScreen(void)
{
    if (const int refused = RefusedCaller())
        return refused;
    auto *screen = qobject_cast<QDialog *>(ScreenProbe::Screen());
    if (!screen)
        return KPF_TEST_NO_SCREEN;
    screen->done(TForm::mrCancel);
    return KPF_TEST_OK;
}

KPF_TEST_EXPORT int KpfTest_SaveScreenshot(const char *utf8FileName)
{
    if (!utf8FileName || !*utf8FileName)
        return KPF_TEST_BAD_ARGUMENT;
    if (const int refused = RefusedCaller())
        return refused;
    QWidget *screen = ScreenProbe::Screen();
    if (!screen)
        return KPF_TEST_NO_SCREEN;
    return screen->grab().save(QString::fromUtf8(utf8FileName), "PNG") ? KPF_TEST_OK
                                                                       : KPF_TEST_WRITE_FAILED;
}

KPF_TEST_EXPORT int KpfTest_SetErrorObserver(KpfTest_ErrorCallback cb, void *context)
{
    if (const int refused = RefusedCaller())
        return refused;
    if (!cb) {
        SetErrorPresenter({});
        return KPF_TEST_OK;
    }
    SetErrorPresenter([cb, context](const QString &message) {
        const QByteArray utf8 = message.toUtf8();
        cb(utf8.constData(), context);
    });
    return KPF_TEST_OK;
}
}
