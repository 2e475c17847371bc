#include "ScriptedOperator.h"

#include "HostOutput.h"
#include "TForm.h"

#include <QApplication>
#include <QWidget>

namespace
{
// How long the shown screen may take to become the active window before playing starts anyway
// (a window manager may refuse the activation), and how long another modal window (a message box
// that is not acknowledged) may stay in front of it before the script gives up.
constexpr int ActivationGraceMs = 3000;
constexpr int ReadyTimeoutMs = 15000;
constexpr int PollMs = 10;
} // namespace

ScriptedOperator::ScriptedOperator(std::vector<ScriptCommand> commands, QObject *parent)
    : QObject(parent), m_commands(std::move(commands))
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &ScriptedOperator::Step);
}

void ScriptedOperator::Start()
{
    m_phase = Phase::WaitingForScreen;
    m_next = 0;
    m_failed = false;
    m_screen = nullptr;
    m_activationRequested = false;
    m_lastGrab = QImage();
    m_timer.start(0);
}

QWidget *ScriptedOperator::FindScreen()
{
    if (QWidget *modal = QApplication::activeModalWidget(); qobject_cast<TForm *>(modal))
        return modal;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<TForm *>(widget) && widget->isVisible())
            return widget;
    }
    return nullptr;
}

void ScriptedOperator::Step()
{
    if (m_phase == Phase::Ended)
        return;
    if (m_phase == Phase::WaitingForScreen) {
        if (!WaitForScreen()) {
            m_timer.start(PollMs);
            return;
        }
        m_phase = Phase::Playing;
    }
    PlayNext();
}

// True once the screen is shown, in front, and (within a grace period) the active window, so
// that its activation handler has run before the first command.
bool ScriptedOperator::WaitForScreen()
{
    if (!m_screen) {
        m_screen = FindScreen();
        if (!m_screen)
            return false;
        m_waiting.start();
    }
    if (!m_screen->isVisible())
        return false;
    const bool inFront = QApplication::activeModalWidget() == m_screen;
    if (inFront && m_screen->isActiveWindow())
        return true;
    if (inFront && !m_activationRequested && m_waiting.elapsed() > 200) {
        m_activationRequested = true;
        m_screen->activateWindow();
    }
    if (inFront && m_waiting.elapsed() > ActivationGraceMs)
        return true;
    if (m_waiting.elapsed() > ReadyTimeoutMs) {
        const int line = m_commands.empty() ? 0 : m_commands.front().line;
        Fail(line, QStringLiteral("another window stays in front of the screen"));
    }
    return false;
}

void ScriptedOperator::PlayNext()
{
    if (m_next >= m_commands.size()) {
        EndScript();
        return;
    }
    const ScriptCommand &command = m_commands[m_next];
    if (!m_screen || !m_screen->isVisible()) {
        Fail(command.line, QStringLiteral("the screen has already closed"));
        return;
    }
    if (QApplication::activeModalWidget() != m_screen) {
        // A message box is still in front; it is acknowledged on its own.
        m_timer.start(PollMs);
        return;
    }
    GrabForFinalScreenshot();
    ++m_next;
    QString error;
    if (!Play(command, &error)) {
        Fail(command.line, error);
        return;
    }
    if (m_phase == Phase::Ended)
        return;
    m_timer.start(command.kind == ScriptCommand::Kind::Wait ? command.milliseconds : 0);
}

void ScriptedOperator::Fail(int line, const QString &message)
{
    HostOutput::Line("ERROR", QStringLiteral("script line %1: %2").arg(line).arg(message));
    m_failed = true;
    EndScript();
}

void ScriptedOperator::EndScript()
{
    m_phase = Phase::Ended;
    m_timer.stop();
    GrabForFinalScreenshot();
    CloseScreen();
}

// As the window system asks a window to close. A screen that refuses is ended all the same, so
// that kpfhost never waits for nobody.
void ScriptedOperator::CloseScreen()
{
    if (!m_screen || !m_screen->isVisible())
        return;
    m_screen->close();
    if (m_screen && m_screen->isVisible()) {
        HostOutput::Note(QStringLiteral("the screen refused to close; ending its modal showing"));
        if (auto *dialog = qobject_cast<QDialog *>(m_screen.data()))
            dialog->done(TForm::mrCancel);
    }
}

void ScriptedOperator::GrabForFinalScreenshot()
{
    if (!m_finalScreenshot.isEmpty() && m_screen && m_screen->isVisible())
        m_lastGrab = m_screen->grab().toImage();
}

bool ScriptedOperator::Finish(bool entryFailed)
{
    m_timer.stop();
    if (!entryFailed && m_phase != Phase::Ended) {
        if (m_next < m_commands.size())
            Fail(m_commands[m_next].line, QStringLiteral("the screen has already closed"));
        else if (m_phase == Phase::WaitingForScreen && !m_commands.empty())
            Fail(m_commands.front().line, QStringLiteral("the screen was never shown"));
    }
    m_phase = Phase::Ended;
    if (!m_finalScreenshot.isEmpty() && !m_lastGrab.isNull() &&
        !m_lastGrab.save(m_finalScreenshot)) {
        HostOutput::Note(QStringLiteral("cannot write the screenshot %1").arg(m_finalScreenshot));
        m_failed = true;
    }
    m_screen = nullptr;
    return !m_failed;
}
