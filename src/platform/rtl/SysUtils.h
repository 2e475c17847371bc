#pragma once

#include "DateTime.h"

#include <QChar>
#include <QString>

// Format settings for conversions. The process locale is never consulted: the module runs with
// the Brazilian settings whatever the machine says. Date and time formats use the platform's
// letters: d, m (month), y, h, n (minute), s, z (milliseconds); '/' and ':' stand for themselves.
struct TFormatSettings {
    QChar DecimalSeparator = QLatin1Char(',');
    QString ShortDateFormat = QStringLiteral("dd/mm/yyyy");
    QString LongTimeFormat = QStringLiteral("hh:nn:ss");

    static TFormatSettings Brazilian() { return {}; }
};

// The process-wide settings used by the conversions below (Brazilian by default).
TFormatSettings &FormatSettings();

// Decimal integer with an optional sign; anything else is an EConvertError with a Portuguese text.
int StrToInt(const QString &text);
// Digits with at most one decimal separator and an optional sign, then an optional exponent ('E'
// or 'e', an optional sign, digits) as FloatToStr writes it; a lone separator is 0; empty text,
// other characters or an overflow raise EConvertError.
double StrToFloat(const QString &text, const TFormatSettings &settings = FormatSettings());
// At most 15 significant digits, no exponent for ordinary values ("1,5", "180", "0,29");
// below 1E-5 and from 1E15 on an exponent ("5,55111512312578E-17", "1E15").
QString FloatToStr(double value, const TFormatSettings &settings = FormatSettings());
// Short date, followed by the long time only when the time of day is not midnight.
QString DateTimeToStr(TDateTime value, const TFormatSettings &settings = FormatSettings());
QString DateToStr(TDateTime value, const TFormatSettings &settings = FormatSettings());
// Formats with the platform's letters (see TFormatSettings).
QString FormatDateTime(const QString &format, TDateTime value);
// The short date, optionally followed by a blank and a time (h:n or h:n:s); EConvertError
// otherwise.
TDateTime StrToDateTime(const QString &text, const TFormatSettings &settings = FormatSettings());

// Equal but for case. Qt folds case character by character, so texts of other lengths are told
// apart without comparing them: names are looked up this way on every paint.
inline bool SameText(QStringView a, QStringView b)
{
    return a.size() == b.size() && a.compare(b, Qt::CaseInsensitive) == 0;
}

bool FileExists(const QString &path);
QString ExtractFileDir(const QString &path);
// The path itself when the file exists, an empty text otherwise (Linux has no short names).
QString ExtractShortPathName(const QString &path);
// ParamStr(0) is the host program's path. A host may stand another path in for it
// (kpfhost --home), so that settings files are looked up elsewhere.
QString ParamStr(int index);
void SetProgramPathOverride(const QString &path);
