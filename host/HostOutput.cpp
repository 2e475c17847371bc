#include "HostOutput.h"

#include <cstdio>

void HostOutput::Line(const char *prefix, const QString &text)
{
    Line(prefix, OneLine(text).toUtf8());
}

void HostOutput::Line(const char *prefix, const QByteArray &utf8)
{
    std::fputs(prefix, stdout);
    std::fputc(' ', stdout);
    std::fwrite(utf8.constData(), 1, size_t(utf8.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void HostOutput::Line(const char *text)
{
    std::fputs(text, stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void HostOutput::Line(const QString &text)
{
    Line(OneLine(text).toUtf8().constData());
}

void HostOutput::Note(const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    std::fprintf(stderr, "kpfhost: %s\n", utf8.constData());
    std::fflush(stderr);
}

QString HostOutput::OneLine(const QString &text)
{
    QString line = text;
    line.replace(QLatin1String("\r\n"), QLatin1String("\\n"));
    line.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    line.replace(QLatin1Char('\r'), QLatin1String("\\n"));
    return line;
}
