#pragma once

#include "ScriptCommand.h"

#include <QElapsedTimer>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <vector>

class QWidget;
class TDBGrid;

// Plays a script on the module's screen as an operator would: started before the entry is
// called, it waits inside the entry's modal loop until the screen is shown and active, then plays
// one command per turn of the event loop (so that every reaction of the screen runs in between).
// When the commands are done it closes the screen as the window system would. A command that
// cannot be played prints "ERROR script line N: ..." and ends the script, closing the screen.
class ScriptedOperator : public QObject
{
    Q_OBJECT

public:
    explicit ScriptedOperator(std::vector<ScriptCommand> commands, QObject *parent = nullptr);

    // Saves a PNG of the screen as it was just before the script's end.
    void SetFinalScreenshot(const QString &fileName) { m_finalScreenshot = fileName; }

    void Start();
    // After the entry returned: lines never played because the screen had closed are an error
    // too (unless the entry failed). Returns true when the whole script was played.
    bool Finish(bool entryFailed);

private:
    enum class Phase { WaitingForScreen, Playing, Ended };

    void Step();
    bool WaitForScreen();
    void PlayNext();
    void Fail(int line, const QString &message);
    void EndScript();
    void CloseScreen();
    void GrabForFinalScreenshot();
    static QWidget *FindScreen();

    // The commands (ScriptedOperatorActions.cpp); false with *error when one cannot be played.
    bool Play(const ScriptCommand &command, QString *error);
    bool Click(const QString &name, QString *error);
    bool Keys(const std::vector<ScriptKey> &keys, QString *error);
    bool Select(int row, const QString &field, QString *error);
    bool Dump(QString *error);
    bool Screenshot(const QString &fileName, QString *error);
    bool Reactivate(QString *error);
    void ProcessEventsUntil(const std::function<bool()> &done, int milliseconds);

    std::vector<ScriptCommand> m_commands;
    size_t m_next = 0;
    Phase m_phase = Phase::WaitingForScreen;
    QPointer<QWidget> m_screen;
    QTimer m_timer;
    QElapsedTimer m_waiting; // since the screen was first seen, until it is ready
    bool m_activationRequested = false;
    bool m_failed = false;
    QString m_finalScreenshot;
    QImage m_lastGrab;
};
