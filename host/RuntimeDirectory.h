#pragma once

#include <QString>

// A till runs kpfhost as a service, with no login session and so no XDG_RUNTIME_DIR. Qt then
// falls back to a directory of its own with a warning on every run; kpfhost makes that same
// directory itself and names it, so that the warning does not hide the report's own lines.
class RuntimeDirectory
{
public:
    // Before the QApplication: when XDG_RUNTIME_DIR is unset, sets it to Qt's fallback
    // (<temp>/runtime-<user>), made private to the user if missing. A directory that is not
    // the user's own, or that others may enter, is left alone, so that Qt still warns of it.
    static void EnsureForQt();

private:
    static bool IsPrivate(const QString &path);
};
