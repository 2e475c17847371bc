#include "HostOptions.h"

#include <QMap>
#include <QRegularExpression>

namespace
{

const QStringList valueOptions{
    QStringLiteral("branch"),        QStringLiteral("till"),       QStringLiteral("z"),
    QStringLiteral("date"),          QStringLiteral("ref-date"),   QStringLiteral("source"),
    QStringLiteral("source-record"), QStringLiteral("home"),       QStringLiteral("connection"),
    QStringLiteral("script"),        QStringLiteral("screenshot"), QStringLiteral("out"),
    QStringLiteral("calls"),         QStringLiteral("lang"),
};

// Splits "--name value" and "--name=value" into a map; every option at most once.
std::optional<QMap<QString, QString>> collect(const QStringList &arguments, bool *help,
                                              QString *error)
{
    QMap<QString, QString> values;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            *help = true;
            continue;
        }
        if (!argument.startsWith(QLatin1String("--"))) {
            *error = QStringLiteral("unexpected argument '%1'").arg(argument);
            return std::nullopt;
        }
        const qsizetype equals = argument.indexOf(QLatin1Char('='));
        const QString name = argument.mid(2, equals < 0 ? -1 : equals - 2);
        if (!valueOptions.contains(name)) {
            *error = QStringLiteral("unknown option '--%1'").arg(name);
            return std::nullopt;
        }
        if (values.contains(name)) {
            *error = QStringLiteral("option '--%1' given twice").arg(name);
            return std::nullopt;
        }
        if (equals >= 0) {
            values.insert(name, argument.mid(equals + 1));
        } else if (i + 1 < arguments.size()) {
            values.insert(name, arguments[++i]);
        } else {
            *error = QStringLiteral("option '--%1' needs a value").arg(name);
            return std::nullopt;
        }
    }
    return values;
}

std::optional<int> boundedNumber(const QString &text, int min, int max)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,9}$"));
    if (!digits.match(text).hasMatch())
        return std::nullopt;
    const int value = text.toInt();
    if (value < min || value > max)
        return std::nullopt;
    return value;
}

bool fillDates(const QMap<QString, QString> &values, HostOptions *options, QString *error)
{
    const auto date = HostOptions::ParseDate(values.value(QStringLiteral("date")));
    if (!date) {
        *error = QStringLiteral("--date '%1' is not YYYY-MM-DD or YYYY-MM-DDTHH:MM:SS")
                     .arg(values.value(QStringLiteral("date")));
        return false;
    }
    options->date = *date;
    options->referenceDate = *date;
    if (values.contains(QStringLiteral("ref-date"))) {
        const auto reference = HostOptions::ParseDate(values.value(QStringLiteral("ref-date")));
        if (!reference) {
            *error = QStringLiteral("--ref-date '%1' is not YYYY-MM-DD or YYYY-MM-DDTHH:MM:SS")
                         .arg(values.value(QStringLiteral("ref-date")));
            return false;
        }
        options->referenceDate = *reference;
    }
    return true;
}

bool fillNumbers(const QMap<QString, QString> &values, HostOptions *options, QString *error)
{
    if (values.contains(QStringLiteral("source-record"))) {
        if (!values.contains(QStringLiteral("source"))) {
            *error = QStringLiteral("--source-record needs --source");
            return false;
        }
        const auto record =
            boundedNumber(values.value(QStringLiteral("source-record")), 0, 999999999);
        if (!record) {
            *error = QStringLiteral("--source-record must be a record index from 0");
            return false;
        }
        options->sourceRecord = *record;
    }
    if (values.contains(QStringLiteral("calls"))) {
        const auto calls =
            boundedNumber(values.value(QStringLiteral("calls")), 1, HostOptions::MaxCalls);
        if (!calls) {
            *error =
                QStringLiteral("--calls must be a number from 1 to %1").arg(HostOptions::MaxCalls);
            return false;
        }
        options->calls = *calls;
    }
    return true;
}

} // namespace

std::optional<HostOptions> HostOptions::Parse(const QStringList &arguments, QString *error)
{
    HostOptions options;
    // The one option without a value.
    QStringList rest = arguments;
    if (rest.removeAll(QStringLiteral("--store")) > 1) {
        *error = QStringLiteral("option '--store' given twice");
        return std::nullopt;
    }
    options.store = rest.size() != arguments.size();
    const auto values = collect(rest, &options.help, error);
    if (!values)
        return std::nullopt;
    if (options.help)
        return options;
    for (const char *required : {"branch", "till", "z", "date"}) {
        if (!values->contains(QLatin1String(required))) {
            *error = QStringLiteral("option '--%1' is required").arg(QLatin1String(required));
            return std::nullopt;
        }
    }
    options.branch = values->value(QStringLiteral("branch"));
    options.till = values->value(QStringLiteral("till"));
    options.zCounter = values->value(QStringLiteral("z"));
    options.sourceFile = values->value(QStringLiteral("source"));
    options.home = values->value(QStringLiteral("home"));
    options.hasConnection = values->contains(QStringLiteral("connection"));
    options.connection = values->value(QStringLiteral("connection"));
    options.scriptFile = values->value(QStringLiteral("script"));
    options.screenshotFile = values->value(QStringLiteral("screenshot"));
    options.outFile = values->value(QStringLiteral("out"));
    options.language = values->value(QStringLiteral("lang"));
    if (values->contains(QStringLiteral("lang")) &&
        !QStringList{"en", "es", "pt"}.contains(options.language)) {
        *error = QStringLiteral("--lang must be en, es or pt");
        return std::nullopt;
    }
    for (const char *path : {"source", "home", "script", "screenshot", "out"}) {
        if (values->contains(QLatin1String(path)) && values->value(QLatin1String(path)).isEmpty()) {
            *error =
                QStringLiteral("option '--%1' needs a non-empty value").arg(QLatin1String(path));
            return std::nullopt;
        }
    }
    if (!options.screenshotFile.isEmpty() && options.scriptFile.isEmpty()) {
        *error = QStringLiteral("--screenshot needs --script");
        return std::nullopt;
    }
    if (!fillDates(*values, &options, error) || !fillNumbers(*values, &options, error))
        return std::nullopt;
    return options;
}

std::optional<TDateTime> HostOptions::ParseDate(const QString &text)
{
    static const QRegularExpression pattern(
        QStringLiteral("^([0-9]{4})-([0-9]{2})-([0-9]{2})(?:T([0-9]{2}):([0-9]{2}):([0-9]{2}))?$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const QDate date(match.captured(1).toInt(), match.captured(2).toInt(),
                     match.captured(3).toInt());
    const QTime time(match.captured(4).toInt(), match.captured(5).toInt(),
                     match.captured(6).toInt());
    if (!date.isValid() || !time.isValid() || date.year() < 1)
        return std::nullopt;
    return EncodeDateTime(date.year(), date.month(), date.day(), time.hour(), time.minute(),
                          time.second());
}

QString HostOptions::Usage()
{
    return QStringLiteral(
        "usage: kpfhost --branch B --till T --z N --date D [--ref-date D]\n"
        "               [--source FILE [--source-record N]] [--home DIR] [--connection TEXT]\n"
        "               [--script FILE|-] [--screenshot FILE] [--out FILE] [--calls N]\n"
        "               [--lang en|es|pt] [--store]\n"
        "\n"
        "Shows the Kpf05520 tax-entry screen for one Z reduction and prints what it returns.\n"
        "  --branch, --till, --z   the Z reduction's branch, till and counter\n"
        "  --date D                its date, YYYY-MM-DD or YYYY-MM-DDTHH:MM:SS\n"
        "  --ref-date D            the reference date (default: --date)\n"
        "  --source FILE           the host's data set as an XML data packet\n"
        "  --source-record N       its current record, 0-based (default 0)\n"
        "  --home DIR              stands for kpfhost's directory: settings files and the\n"
        "                          default database kpf05520.db are looked up there\n"
        "  --connection TEXT       connection string (default: the embedded SQLite file)\n"
        "  --script FILE|-         play an operator's script (no display needed)\n"
        "  --screenshot FILE       save a PNG of the screen just before the script's end\n"
        "  --out FILE              also write the returned XML data packet there\n"
        "  --calls N               call the entry N times, playing the script each time\n"
        "  --lang en|es|pt         the screen's and the messages' language (default pt, the\n"
        "                          originals); the returned packet is the same in every one\n"
        "  --store                 write a confirmed result to IMPOSTOREDZ in one transaction\n"
        "                          (prints STORED <inserted> <deleted> or STORE FAILED <why>)\n"
        "Exit codes: 0 done, 1 the entry failed, 2 usage or script error.\n");
}
