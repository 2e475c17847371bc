#pragma once

#include "ReadableReport.h"
#include "ScriptCommand.h"
#include "TestInterface.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <functional>
#include <optional>
#include <vector>

// Plays a script on the module's screen as an operator would, through the test interface
// (kpf_test.h): started before the entry is called, it waits inside the entry's modal loop until
// the screen is shown and active, then plays one command per turn of the event loop (so that
// every reaction of the screen runs in between). It waits by the screen's events (shown,
// activated, a message box closed), which the test interface reports.
// When the commands are done it closes the screen as the window system would. A command that
// cannot be played prints "ERROR script line N: ..." and ends the script, closing the screen.
class ScriptedOperator : public QObject
{
    Q_OBJECT

public:
    ScriptedOperator(const TestInterface &screen, std::vector<ScriptCommand> commands,
                     QObject *parent = nullptr);
    ~ScriptedOperator() override;

    // Saves a PNG of the screen as it was just before the script's end.
    void SetFinalScreenshot(const QString &fileName) { m_finalScreenshot = fileName; }
    // `dump` prints the screen's lines for a person instead of the STATE line.
    void SetReadable(const ReadableReport &report) { m_readable = report; }

    void Start();
    // After the entry returned: lines never played because the screen had closed are an error
    // too (unless the entry failed). Returns true when the whole script was played.
    bool Finish(bool entryFailed);

    // Plays one command now on the screen that is up, without the script's waiting; false with
    // *error when it cannot be played. The in-process tests play their cases through it.
    bool Play(const ScriptCommand &command, QString *error);

private:
    enum class Phase { WaitingForScreen, Playing, Ended };
    enum class FinalScreenshot { None, Saved, Failed };

    static void OnScreenStatus(int status, void *context);
    void Step();
    bool WaitForScreen();
    void WakeAtNextDeadline(bool inFront);
    void PlayNext();
    void Fail(int line, const QString &message);
    void EndScript();
    void CloseScreen();
    void GrabForFinalScreenshot();
    bool ScreenShown() const;

    // The commands (ScriptedOperatorActions.cpp).
    bool Click(const QString &name, QString *error);
    bool Keys(const std::vector<ScriptKey> &keys, QString *error);
    bool Select(int row, const QString &field, QString *error);
    bool Dump(QString *error);
    bool Screenshot(const QString &fileName, QString *error);
    bool Reactivate(QString *error);
    // Runs the event loop until done() holds after a window event, or for at most milliseconds.
    static void WaitForWindows(const std::function<bool()> &done, int milliseconds);

    const TestInterface &m_screen;
    std::vector<ScriptCommand> m_commands;
    size_t m_next = 0;
    Phase m_phase = Phase::WaitingForScreen;
    QTimer m_timer;          // the next command, a wait, or a deadline while waiting for the screen
    QElapsedTimer m_waiting; // since the screen was first seen, until it is ready
    bool m_screenSeen = false;
    bool m_blocked = false; // a message box in front: the screen's events resume the script
    bool m_activationRequested = false;
    bool m_failed = false;
    QString m_finalScreenshot;
    std::optional<ReadableReport> m_readable;
    FinalScreenshot m_finalShot = FinalScreenshot::None;
};
