#include "HostOptions.h"

#include <QCommandLineParser>
#include <QDateTime>
#include <QRegularExpression>

namespace
{

struct OptionText {
    const char *name;
    const char *valueName; // nullptr: a switch
    const char *description;
};

constexpr OptionText optionTexts[] = {
    {"branch", "B", "The Z reduction's branch (CDFILIAL)."},
    {"till", "T", "Its till (CDCAIXA)."},
    {"z", "N", "Its Z-reduction counter (NRECFREDZ)."},
    {"date", "D", "Its date, YYYY-MM-DD or YYYY-MM-DDTHH:MM:SS."},
    {"ref-date", "D", "The reference date (default: --date)."},
    {"source", "FILE",
     "The host's data set as an XML data packet (default: an empty data set with CDIMPOSTO, "
     "VRALIQIMPFIS, VRVENDIDO, VRIMPOSTO)."},
    {"source-record", "N", "Its current record, 0-based (default 0)."},
    {"home", "DIR",
     "Where the settings files and the default database kpf05520.db are looked up (default: "
     "the working directory; in the build tree, kpfhost's own directory)."},
    {"connection", "TEXT",
     "The connection string the module gets (default: KPF_CONNECTION when set, else the SQLite "
     "file kpf05520.db in the home directory)."},
    {"script", "FILE|-",
     "Plays an operator's script (- reads standard input); no display is needed."},
    {"screenshot", "FILE", "With --script: a PNG of the screen just before the script's end."},
    {"out", "FILE", "Also writes the returned XML data packet there, whole or not at all."},
    {"calls", "N", "Calls the entry N times in a row, playing the script on each call."},
    {"lang", "en|es|pt",
     "The screen's and the messages' language (default pt, the originals); the returned packet "
     "is the same in every one."},
    {"readable", nullptr,
     "Prints for a person: the screen's lines at each dump and the returned lines as tables, "
     "in place of the STATE and ROW lines that scripts read."},
    {"store", nullptr,
     "Writes a confirmed result to IMPOSTOREDZ in one transaction (prints STORED <inserted> "
     "<deleted>, STORE FAILED <why> when rolled back, or STORE UNKNOWN <why> when the answer to "
     "COMMIT was lost). A result it cannot store since the server is busy or gone is kept in "
     "the spool (STORE KEPT <file> <why>)."},
    {"spool", "DIR",
     "Where --store keeps the results it could not store, and --store-spool finds them "
     "(default: ~/.local/share/kpfhost/spool)."},
    {"make-demo-home", "DIR",
     "Shows no screen: makes DIR a demo home, with the two settings files and the demo "
     "database kpf05520.db (files already there are kept), and exits."},
    {"store-spool", nullptr,
     "Shows no screen: stores each result the spool holds in a transaction of its own and "
     "removes it once committed (STORED, ALREADY STORED or STORE FAILED <file> ...)."},
};

const char *const description =
    "Shows the Kpf05520 tax-entry screen for one Z reduction and prints what it returns.\n"
    "Exit codes: 0 confirmed (and stored with --store), 1 the entry failed or --store rolled\n"
    "back, 2 usage or script error, 3 not confirmed, 4 not confirmed and the database failed\n"
    "(DATABASE FAILED <why>), 5 --store lost the answer to its COMMIT (STORE UNKNOWN <why>),\n"
    "6 confirmed, not stored, kept in the spool (STORE KEPT <file> <why>; with --store-spool:\n"
    "a result is still there).";

struct Parser {
    QCommandLineParser parser;
    QCommandLineOption help = parser.addHelpOption();
    QCommandLineOption version = parser.addVersionOption();

    Parser()
    {
        parser.setApplicationDescription(QString::fromLatin1(description));
        for (const OptionText &option : optionTexts) {
            parser.addOption(QCommandLineOption(QString::fromLatin1(option.name),
                                                QString::fromUtf8(option.description),
                                                QString::fromLatin1(option.valueName)));
        }
    }
};

bool isValueOption(const QString &name)
{
    for (const OptionText &option : optionTexts) {
        if (option.valueName && name == QLatin1String(option.name))
            return true;
    }
    return false;
}

// QCommandLineParser's own texts for these cases are worded differently from the ones kpfhost
// has always printed, so the arguments are checked first.
bool checkBeforeParsing(const QStringList &arguments, QString *error)
{
    if (!arguments.isEmpty() && arguments.last().startsWith(QLatin1String("--")) &&
        isValueOption(arguments.last().mid(2))) {
        *error = QStringLiteral("option '%1' needs a value").arg(arguments.last());
        return false;
    }
    static const QRegularExpression switchWithValue(
        QStringLiteral("^--(store|store-spool|readable|help|help-all|version)="));
    for (const QString &argument : arguments) {
        if (const auto match = switchWithValue.match(argument); match.hasMatch()) {
            *error = QStringLiteral("option '--%1' takes no value").arg(match.captured(1));
            return false;
        }
    }
    return true;
}

QString parseError(const QCommandLineParser &parser)
{
    const QStringList unknown = parser.unknownOptionNames();
    if (!unknown.isEmpty()) {
        const QString &name = unknown.first();
        return QStringLiteral("unknown option '%1%2'")
            .arg(name.size() > 1 ? QStringLiteral("--") : QStringLiteral("-"), name);
    }
    return parser.errorText();
}

// Every option at most once, and no positional argument.
bool checkAfterParsing(const QCommandLineParser &parser, QString *error)
{
    const QStringList positional = parser.positionalArguments();
    if (!positional.isEmpty()) {
        *error = QStringLiteral("unexpected argument '%1'").arg(positional.first());
        return false;
    }
    const QStringList names = parser.optionNames();
    for (const QString &name : names) {
        if (names.count(name) > 1) {
            *error = QStringLiteral("option '--%1' given twice").arg(name);
            return false;
        }
    }
    return true;
}

// A decimal number in [min, max]; nothing for anything else (signs, blanks, overflow).
std::optional<int> boundedNumber(const QString &text, int min, int max)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    // toInt takes a sign and surrounding blanks, which a count or an index never has.
    if (!ok || text.isEmpty() || !text.front().isDigit() || !text.back().isDigit() || value < min ||
        value > max)
        return std::nullopt;
    return value;
}

bool fillDate(const QCommandLineParser &parser, const char *name, double *target, QString *error)
{
    const QString text = parser.value(QLatin1String(name));
    const auto date = HostOptions::ParseDate(text);
    if (!date) {
        *error = QStringLiteral("--%1 '%2' is not YYYY-MM-DD or YYYY-MM-DDTHH:MM:SS")
                     .arg(QLatin1String(name), text);
        return false;
    }
    *target = *date;
    return true;
}

bool fillDates(const QCommandLineParser &parser, HostOptions *options, QString *error)
{
    if (!fillDate(parser, "date", &options->date, error))
        return false;
    options->referenceDate = options->date;
    return !parser.isSet(QStringLiteral("ref-date")) ||
           fillDate(parser, "ref-date", &options->referenceDate, error);
}

bool fillNumbers(const QCommandLineParser &parser, HostOptions *options, QString *error)
{
    if (parser.isSet(QStringLiteral("source-record"))) {
        if (!parser.isSet(QStringLiteral("source"))) {
            *error = QStringLiteral("--source-record needs --source");
            return false;
        }
        const auto record =
            boundedNumber(parser.value(QStringLiteral("source-record")), 0, 999999999);
        if (!record) {
            *error = QStringLiteral("--source-record must be a record index from 0");
            return false;
        }
        options->sourceRecord = *record;
    }
    if (parser.isSet(QStringLiteral("calls"))) {
        const auto calls =
            boundedNumber(parser.value(QStringLiteral("calls")), 1, HostOptions::MaxCalls);
        if (!calls) {
            *error =
                QStringLiteral("--calls must be a number from 1 to %1").arg(HostOptions::MaxCalls);
            return false;
        }
        options->calls = *calls;
    }
    return true;
}

// --store-spool stores and shows nothing: only where the results are and where they go apply.
bool checkStoreSpool(const QCommandLineParser &parser, QString *error)
{
    for (const QString &name : parser.optionNames()) {
        if (!QStringList{"store-spool", "spool", "connection", "home", "lang"}.contains(name)) {
            *error = QStringLiteral("--store-spool takes only --spool, --connection, --home and "
                                    "--lang, not '--%1'")
                         .arg(name);
            return false;
        }
    }
    return true;
}

// --make-demo-home makes files and shows nothing.
bool checkMakeDemoHome(const QCommandLineParser &parser, HostOptions *options, QString *error)
{
    options->demoHome = parser.value(QStringLiteral("make-demo-home"));
    if (options->demoHome.isEmpty()) {
        *error = QStringLiteral("option '--make-demo-home' needs a non-empty value");
        return false;
    }
    for (const QString &name : parser.optionNames()) {
        if (name != QLatin1String("make-demo-home")) {
            *error = QStringLiteral("--make-demo-home takes no other option, not '--%1'").arg(name);
            return false;
        }
    }
    return true;
}

bool fillTexts(const QCommandLineParser &parser, HostOptions *options, QString *error)
{
    if (parser.isSet(QStringLiteral("make-demo-home")))
        return checkMakeDemoHome(parser, options, error);
    options->storeSpool = parser.isSet(QStringLiteral("store-spool"));
    if (options->storeSpool && !checkStoreSpool(parser, error))
        return false;
    for (const char *required : {"branch", "till", "z", "date"}) {
        if (options->storeSpool)
            break;
        if (!parser.isSet(QLatin1String(required))) {
            *error = QStringLiteral("option '--%1' is required").arg(QLatin1String(required));
            return false;
        }
    }
    for (const char *path : {"source", "home", "script", "screenshot", "out", "spool"}) {
        if (parser.isSet(QLatin1String(path)) && parser.value(QLatin1String(path)).isEmpty()) {
            *error =
                QStringLiteral("option '--%1' needs a non-empty value").arg(QLatin1String(path));
            return false;
        }
    }
    options->branch = parser.value(QStringLiteral("branch"));
    options->till = parser.value(QStringLiteral("till"));
    options->zCounter = parser.value(QStringLiteral("z"));
    options->sourceFile = parser.value(QStringLiteral("source"));
    options->home = parser.value(QStringLiteral("home"));
    options->hasConnection = parser.isSet(QStringLiteral("connection"));
    options->connection = parser.value(QStringLiteral("connection"));
    options->scriptFile = parser.value(QStringLiteral("script"));
    options->screenshotFile = parser.value(QStringLiteral("screenshot"));
    options->outFile = parser.value(QStringLiteral("out"));
    options->language = parser.value(QStringLiteral("lang"));
    options->store = parser.isSet(QStringLiteral("store"));
    options->readable = parser.isSet(QStringLiteral("readable"));
    options->spoolDir = parser.value(QStringLiteral("spool"));
    if (parser.isSet(QStringLiteral("lang")) &&
        !QStringList{"en", "es", "pt"}.contains(options->language)) {
        *error = QStringLiteral("--lang must be en, es or pt");
        return false;
    }
    if (!options->screenshotFile.isEmpty() && options->scriptFile.isEmpty()) {
        *error = QStringLiteral("--screenshot needs --script");
        return false;
    }
    return true;
}

} // namespace

std::optional<HostOptions> HostOptions::Parse(const QStringList &arguments, QString *error)
{
    if (!checkBeforeParsing(arguments, error))
        return std::nullopt;
    Parser line;
    // QCommandLineParser skips the first argument, the program's name.
    if (!line.parser.parse(QStringList{QStringLiteral("kpfhost")} + arguments)) {
        *error = parseError(line.parser);
        return std::nullopt;
    }
    if (!checkAfterParsing(line.parser, error))
        return std::nullopt;
    HostOptions options;
    options.help = line.parser.isSet(line.help) || line.parser.isSet(QStringLiteral("help-all"));
    options.version = line.parser.isSet(line.version);
    if (options.help || options.version)
        return options;
    if (!fillTexts(line.parser, &options, error))
        return std::nullopt;
    if (options.storeSpool || !options.demoHome.isEmpty())
        return options;
    if (!fillDates(line.parser, &options, error) || !fillNumbers(line.parser, &options, error))
        return std::nullopt;
    return options;
}

std::optional<double> HostOptions::ParseDate(const QString &text)
{
    // The two documented forms only: Qt::ISODate alone would also take "24:00:00", fractions of
    // a second and time zones.
    static const QRegularExpression shape(
        QStringLiteral("^[0-9]{4}-[0-9]{2}-[0-9]{2}(T([01][0-9]|2[0-3]):[0-9]{2}:[0-9]{2})?$"));
    if (!shape.match(text).hasMatch())
        return std::nullopt;
    const QDate date = QDate::fromString(text.left(10), Qt::ISODate);
    // The time apart from the date, so that no time zone's gap or fold can shift it.
    const QTime time =
        text.size() == 10 ? QTime(0, 0) : QTime::fromString(text.mid(11), Qt::ISODate);
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    const double days = double(QDate(1899, 12, 30).daysTo(date));
    const double fraction = time.msecsSinceStartOfDay() / 86400000.0;
    // Before 1899-12-30 the fraction still counts forward within the day.
    return days < 0 ? days - fraction : days + fraction;
}

QString HostOptions::Help()
{
    return Parser().parser.helpText();
}

QString HostOptions::Usage()
{
    return QStringLiteral("usage: kpfhost --branch B --till T --z N --date D [options]\n"
                          "       kpfhost --store-spool [--spool DIR] [--connection TEXT]\n"
                          "       kpfhost --make-demo-home DIR\n"
                          "kpfhost --help lists every option.\n");
}

QString HostOptions::Version()
{
    return QStringLiteral(KPFHOST_VERSION);
}
