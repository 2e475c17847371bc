#pragma once

#include <QByteArray>
#include <QString>

// kpfhost's report on standard output: one line per event, in the order things happen, flushed
// at once so that a reader sees each line while the screen is still up.
class HostOutput
{
public:
    // "PREFIX text"; line breaks inside the text are written as the two characters \n so that one
    // event stays one line.
    static void Line(const char *prefix, const QString &text);
    static void Line(const char *prefix, const QByteArray &utf8);
    static void Line(const char *text);
    // A line of text as it is (a readable report's line).
    static void Line(const QString &text);
    // A note on standard error (not part of the report).
    static void Note(const QString &text);

    static QString OneLine(const QString &text);
};
