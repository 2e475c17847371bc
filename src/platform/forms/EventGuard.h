#pragma once

#include <QString>
#include <functional>

class Exception;
class QWidget;

// Runs an event handler so that no exception reaches Qt's event loop: the silent abort is
// swallowed, every other error is shown to the operator by the error presenter and the screen
// stays up. Returns true when the handler ended normally.
bool RunGuarded(const std::function<void()> &handler);

// Shows an error to the operator. The default presenter is a modal, touch-sized box; a host may
// replace it (kpfhost prints "ERROR <text>"). Passing an empty function restores the default.
using ErrorPresenter = std::function<void(const QString &message)>;
void SetErrorPresenter(ErrorPresenter presenter);
void ShowError(const QString &message);

// Told of every box the default presenter shows, just before it waits for the operator: the host
// library reports it to the host and, for automated hosts, acknowledges it. Empty: no one is told.
using ErrorBoxHook = std::function<void(QWidget &box, const QString &message)>;
void SetErrorBoxHook(ErrorBoxHook hook);
