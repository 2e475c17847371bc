#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// kpfhost's command line, read by QCommandLineParser. Parsing is pure (no files touched), so it
// can be checked as a table.
struct HostOptions {
    QString branch;
    QString till;
    QString zCounter;
    double date = 0;          // days since 1899-12-30, the fraction the time of day
    double referenceDate = 0; // --date when not given
    QString sourceFile;       // empty: an empty data set with the four source fields
    int sourceRecord = 0;
    QString home;       // empty: the working directory (the build tree: kpfhost's own)
    QString connection; // empty with hasConnection false: the host library's default
    bool hasConnection = false;
    QString scriptFile; // "-" reads standard input; empty: interactive
    QString screenshotFile;
    QString outFile;
    int calls = 1;
    QString language;        // --lang: "en", "es" or "pt" (the originals); empty = pt
    bool readable = false;   // --readable: tables for a person in place of STATE and ROW
    bool store = false;      // --store: write a confirmed result to IMPOSTOREDZ
    QString spoolDir;        // --spool: where --store keeps what it could not store; empty: default
    bool storeSpool = false; // --store-spool: store what the spool holds, and show no screen
    QString demoHome;        // --make-demo-home: make this directory a demo home, nothing else
    bool help = false;
    bool version = false;

    static constexpr int MaxCalls = 1000000;

    // The arguments after the program name. On a usage error returns nothing and sets *error.
    static std::optional<HostOptions> Parse(const QStringList &arguments, QString *error);
    // "YYYY-MM-DD" or "YYYY-MM-DDTHH:MM:SS" as days since 1899-12-30.
    static std::optional<double> ParseDate(const QString &text);
    // --help: QCommandLineParser's text for every option.
    static QString Help();
    // The short form printed after a usage error.
    static QString Usage();
    static QString Version();
};
