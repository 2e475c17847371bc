#pragma once

#include "DateTime.h"

#include <QString>
#include <QStringList>
#include <optional>

// kpfhost's command line. Parsing is pure (no files touched), so it can be checked as a table.
struct HostOptions {
    QString branch;
    QString till;
    QString zCounter;
    TDateTime date = 0;
    TDateTime referenceDate = 0; // --date when not given
    QString sourceFile;          // empty: an empty data set with the four source fields
    int sourceRecord = 0;
    QString home;       // empty: kpfhost's own directory
    QString connection; // empty with hasConnection false: the host library's default
    bool hasConnection = false;
    QString scriptFile; // "-" reads standard input; empty: interactive
    QString screenshotFile;
    QString outFile;
    int calls = 1;
    QString language;   // --lang: "en", "es" or "pt" (the originals); empty = pt
    bool store = false; // --store: write a confirmed result to IMPOSTOREDZ
    bool help = false;

    static constexpr int MaxCalls = 1000000;

    // The arguments after the program name. On a usage error returns nothing and sets *error.
    static std::optional<HostOptions> Parse(const QStringList &arguments, QString *error);
    // "YYYY-MM-DD" or "YYYY-MM-DDTHH:MM:SS".
    static std::optional<TDateTime> ParseDate(const QString &text);
    static QString Usage();
};
