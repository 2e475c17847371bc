#include "ScriptedOperator.h"

#include "HostOutput.h"

#include <QCoreApplication>
#include <algorithm>

namespace
{
// How long the shown screen may take to become active before the window system is asked for its
// focus too, and how long it may stay inactive (another modal window, a message box that is not
// acknowledged, in front of it) before the script gives up.
constexpr int ActivationRequestMs = 200;
constexpr int ReadyTimeoutMs = 15000;
} // namespace

ScriptedOperator::ScriptedOperator(const TestInterface &screen, std::vector<ScriptCommand> commands,
                                   QObject *parent)
    : QObject(parent), m_screen(screen), m_commands(std::move(commands))
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &ScriptedOperator::Step);
}

ScriptedOperator::~ScriptedOperator()
{
    m_screen.setScreenObserver(nullptr, nullptr);
}

void ScriptedOperator::Start()
{
    m_phase = Phase::WaitingForScreen;
    m_next = 0;
    m_failed = false;
    m_screenSeen = false;
    m_blocked = false;
    m_activationRequested = false;
    m_finalShot = FinalScreenshot::None;
    m_screen.setScreenObserver(&ScriptedOperator::OnScreenStatus, this);
    m_timer.start(0);
}

// The screen was shown, activated, or a window in front of it went: the script goes on at the
// next turn of the event loop if it was waiting for that.
void ScriptedOperator::OnScreenStatus(int, void *context)
{
    auto *self = static_cast<ScriptedOperator *>(context);
    if (self->m_phase == Phase::WaitingForScreen || self->m_blocked) {
        self->m_blocked = false;
        self->m_timer.start(0);
    }
}

bool ScriptedOperator::ScreenShown() const
{
    return m_screen.screenStatus() != KPF_SCREEN_NONE;
}

void ScriptedOperator::Step()
{
    if (m_phase == Phase::Ended)
        return;
    if (m_phase == Phase::WaitingForScreen) {
        if (!WaitForScreen())
            return;
        m_phase = Phase::Playing;
    }
    PlayNext();
}

// True once the screen is shown, in front, and active: its activation (the application's, which
// needs no focus from the window system) has run its start-up work before the first command.
// A screen that does not get there in time is a failure: playing on it would return a packet
// without the day's stored lines.
bool ScriptedOperator::WaitForScreen()
{
    const int status = m_screen.screenStatus();
    if (status == KPF_SCREEN_NONE)
        return false;
    if (!m_screenSeen) {
        m_screenSeen = true;
        m_waiting.start();
    }
    if (status == KPF_SCREEN_ACTIVE)
        return true;
    const bool inFront = status == KPF_SCREEN_IN_FRONT;
    if (inFront && !m_activationRequested && m_waiting.elapsed() > ActivationRequestMs) {
        m_activationRequested = true;
        m_screen.activateScreen();
    }
    if (m_waiting.elapsed() > ReadyTimeoutMs) {
        const int line = m_commands.empty() ? 0 : m_commands.front().line;
        Fail(line, inFront ? QCoreApplication::translate(
                                 "kpfhost", "a tela está na frente mas nunca foi ativada: seu "
                                            "trabalho de abertura não rodou")
                           : QCoreApplication::translate(
                                 "kpfhost", "outra janela continua na frente da tela"));
        return false;
    }
    WakeAtNextDeadline(inFront);
    return false;
}

// Besides the screen's events, the time limits of the wait end it.
void ScriptedOperator::WakeAtNextDeadline(bool inFront)
{
    const int deadline = inFront && !m_activationRequested ? ActivationRequestMs : ReadyTimeoutMs;
    m_timer.start(int(std::max<qint64>(0, deadline + 1 - m_waiting.elapsed())));
}

void ScriptedOperator::PlayNext()
{
    if (m_next >= m_commands.size()) {
        EndScript();
        return;
    }
    const ScriptCommand &command = m_commands[m_next];
    const int status = m_screen.screenStatus();
    if (status == KPF_SCREEN_NONE) {
        Fail(command.line, QCoreApplication::translate("kpfhost", "a tela já foi fechada"));
        return;
    }
    if (status == KPF_SCREEN_COVERED) {
        // A message box is still in front; it is acknowledged on its own, and its closing
        // resumes the script.
        m_blocked = true;
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
    HostOutput::Line(
        "ERROR",
        QCoreApplication::translate("kpfhost", "linha %1 do script: %2").arg(line).arg(message));
    m_failed = true;
    EndScript();
}

void ScriptedOperator::EndScript()
{
    m_phase = Phase::Ended;
    m_blocked = false;
    m_timer.stop();
    GrabForFinalScreenshot();
    CloseScreen();
}

// As the window system asks a window to close. A screen that refuses is ended all the same, so
// that kpfhost never waits for nobody.
void ScriptedOperator::CloseScreen()
{
    if (m_screen.closeScreen() == 1) {
        HostOutput::Note(QCoreApplication::translate(
            "kpfhost", "a tela recusou-se a fechar; sua exibição modal foi encerrada"));
        m_screen.endScreen();
    }
}

// The last picture before the script's end: written over before every command, as long as the
// screen is up.
void ScriptedOperator::GrabForFinalScreenshot()
{
    if (m_finalScreenshot.isEmpty() || !ScreenShown())
        return;
    const QByteArray file = m_finalScreenshot.toUtf8();
    m_finalShot = m_screen.saveScreenshot(file.constData()) == KPF_TEST_OK
                      ? FinalScreenshot::Saved
                      : FinalScreenshot::Failed;
}

bool ScriptedOperator::Finish(bool entryFailed)
{
    m_timer.stop();
    m_screen.setScreenObserver(nullptr, nullptr);
    if (!entryFailed && m_phase != Phase::Ended) {
        if (m_next < m_commands.size())
            Fail(m_commands[m_next].line,
                 QCoreApplication::translate("kpfhost", "a tela já foi fechada"));
        else if (m_phase == Phase::WaitingForScreen && !m_commands.empty())
            Fail(m_commands.front().line,
                 QCoreApplication::translate("kpfhost", "a tela nunca foi exibida"));
    }
    m_phase = Phase::Ended;
    m_blocked = false;
    if (m_finalShot == FinalScreenshot::Failed) {
        HostOutput::Note(
            QCoreApplication::translate("kpfhost", "não foi possível gravar a captura de tela %1")
                .arg(m_finalScreenshot));
        m_failed = true;
    }
    return !m_failed;
}
