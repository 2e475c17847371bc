#include "ScriptedOperator.h"

#include "HostOutput.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <memory>

bool ScriptedOperator::Play(const ScriptCommand &command, QString *error)
{
    using Kind = ScriptCommand::Kind;
    switch (command.kind) {
    case Kind::Click:
        return Click(command.argument, error);
    case Kind::Key:
    case Kind::Type:
        return Keys(command.keys, error);
    case Kind::Select:
        return Select(command.row, command.argument, error);
    case Kind::Dump:
        return Dump(error);
    case Kind::Screenshot:
        return Screenshot(command.argument, error);
    case Kind::Reactivate:
        return Reactivate(error);
    case Kind::Close:
        m_screen.closeScreen(); // as the window system asks; the screen may refuse
        return true;
    case Kind::Wait:
        return true; // the next command is scheduled that much later
    }
    return true;
}

// A press and release at the control's centre: its click runs as on a touch. A click that opens
// a message box returns when the box has been acknowledged.
bool ScriptedOperator::Click(const QString &name, QString *error)
{
    if (m_screen.touch(name.toUtf8().constData()) != KPF_TEST_OK) {
        *error = QCoreApplication::translate("kpfhost", "nenhum controle chamado '%1' na tela")
                     .arg(name);
        return false;
    }
    return true;
}

// Keys go to the focused control, so the screen's key preview sees them first.
bool ScriptedOperator::Keys(const std::vector<ScriptKey> &keys, QString *error)
{
    for (const ScriptKey &key : keys) {
        const QByteArray text = key.text.toUtf8();
        if (m_screen.sendKey(key.key, int(key.modifiers), text.constData()) != KPF_TEST_OK) {
            *error = QCoreApplication::translate(
                "kpfhost", "a tela fechou antes de todas as teclas serem pressionadas");
            return false;
        }
    }
    return true;
}

// A touch on the grid cell of that row in the column that shows the field.
bool ScriptedOperator::Select(int row, const QString &field, QString *error)
{
    switch (m_screen.touchGridCell(row, field.toUtf8().constData())) {
    case KPF_TEST_OK:
        return true;
    case KPF_TEST_NO_GRID:
        *error = QCoreApplication::translate("kpfhost", "a tela não tem grade");
        return false;
    case KPF_TEST_NOT_FOUND:
        *error =
            QCoreApplication::translate("kpfhost", "a grade não mostra coluna para o campo '%1'")
                .arg(field);
        return false;
    case KPF_TEST_OUT_OF_RANGE:
        *error = QCoreApplication::translate("kpfhost",
                                             "a linha %1 não está na grade, que mostra %2 linhas")
                     .arg(row)
                     .arg(m_screen.gridRowCount());
        return false;
    default:
        *error = QCoreApplication::translate("kpfhost", "a tela já foi fechada");
        return false;
    }
}

bool ScriptedOperator::Dump(QString *)
{
    QByteArray state(std::max(0, m_screen.getScreenState(nullptr, 0)), '\0');
    m_screen.getScreenState(state.data(), int(state.size()) + 1);
    if (m_readable)
        m_readable->PrintScreen(state);
    else
        HostOutput::Line("STATE", state);
    return true;
}

bool ScriptedOperator::Screenshot(const QString &fileName, QString *error)
{
    if (m_screen.saveScreenshot(fileName.toUtf8().constData()) != KPF_TEST_OK) {
        *error =
            QCoreApplication::translate("kpfhost", "não foi possível gravar a captura de tela %1")
                .arg(fileName);
        return false;
    }
    return true;
}

// Another window of the application comes in front of the screen and goes, as when the operator
// switches to another window of the host and returns: the screen is activated anew. It asks the
// window system for the focus too, but needs none: without a window manager or a seat the
// application's notion decides.
bool ScriptedOperator::Reactivate(QString *error)
{
    auto other = std::make_unique<QWidget>();
    other->setWindowTitle(QStringLiteral("kpfhost"));
    // Modal, so that it comes in front of the modal screen.
    other->setWindowModality(Qt::ApplicationModal);
    other->resize(160, 60);
    other->show();
    other->activateWindow();
    WaitForWindows([&] { return other->isActiveWindow(); }, 200);
    const bool tookIt = m_screen.screenStatus() == KPF_SCREEN_COVERED;
    other->close();
    other.reset();
    if (m_screen.activateScreen() == KPF_TEST_OK) {
        WaitForWindows(
            [&] {
                const int status = m_screen.screenStatus();
                return status == KPF_SCREEN_NONE || status == KPF_SCREEN_ACTIVE;
            },
            2000);
    }
    if (!tookIt) {
        *error =
            QCoreApplication::translate("kpfhost", "a outra janela não ficou na frente da tela");
        return false;
    }
    return true;
}

namespace
{
// Ends a local event loop as soon as a window event (an activation, a show or a hide) has left
// `done` true, once the event has been handled.
class WindowEventWatch : public QObject
{
public:
    WindowEventWatch(QEventLoop &loop, std::function<bool()> done)
        : m_loop(loop), m_done(std::move(done))
    {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~WindowEventWatch() override { QCoreApplication::instance()->removeEventFilter(this); }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::WindowActivate:
        case QEvent::WindowDeactivate:
        case QEvent::Show:
        case QEvent::Hide:
            QTimer::singleShot(0, &m_loop, [this] {
                if (m_done())
                    m_loop.quit();
            });
            break;
        default:
            break;
        }
        return false;
    }

private:
    QEventLoop &m_loop;
    std::function<bool()> m_done;
};
} // namespace

void ScriptedOperator::WaitForWindows(const std::function<bool()> &done, int milliseconds)
{
    if (done())
        return;
    QEventLoop loop;
    const WindowEventWatch watch(loop, done);
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}
