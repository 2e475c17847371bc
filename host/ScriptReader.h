#pragma once

#include "ScriptCommand.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

// Reads a kpfhost script (UTF-8 text, one command a line) into checked commands. Pure: no
// widgets, no files, no exceptions, so that any byte string can be fed to it. The first bad line
// stops the reading and is reported with its 1-based number.
class ScriptReader
{
public:
    struct Result {
        std::vector<ScriptCommand> commands;
        int errorLine = 0; // the line of the error; 0 when the error is about the whole script
        QString error;     // empty when the script is good

        bool ok() const { return error.isEmpty(); }
    };

    static constexpr qsizetype MaxBytes = 4 * 1024 * 1024;
    static constexpr int MaxWaitMilliseconds = 600000;
    static constexpr int MaxRow = 99999;

    static Result parse(const QByteArray &script);

    // The KEY of `key KEY`: one character ("5", ",") or a named key with optional modifiers
    // ("Enter", "Alt+F4", "Ctrl+Shift+Delete"). Sets *error and returns nothing when it is not one.
    static std::optional<ScriptKey> parseKey(const QString &keyText, QString *error);

    // The key that types one character; nothing for characters that cannot be typed.
    static std::optional<ScriptKey> characterKey(QChar character);

private:
    // One line's commands: one, or one per button for `keypad`.
    static std::optional<std::vector<ScriptCommand>> parseLine(const QString &line, QString *error);
    static std::optional<std::vector<ScriptCommand>> parseKeypad(const QString &rest,
                                                                 QString *error);
    static std::optional<ScriptCommand> parseArguments(ScriptCommand::Kind kind,
                                                       const QString &word, const QString &rest,
                                                       QString *error);
};
