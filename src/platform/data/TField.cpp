#include "TField.h"

#include "Exceptions.h"
#include "SysUtils.h"
#include "TDataSet.h"

#include <cmath>
#include <limits>

namespace
{

bool isNumber(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return true;
    default:
        return false;
    }
}

bool isText(const QVariant &v)
{
    return v.typeId() == QMetaType::QString || v.typeId() == QMetaType::QByteArray ||
           v.typeId() == QMetaType::QChar;
}

QString textOf(const QVariant &v)
{
    return v.typeId() == QMetaType::QByteArray ? QString::fromUtf8(v.toByteArray()) : v.toString();
}

TDateTime toDateTime(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::QDate:
        return DateToDateTime(v.toDate());
    case QMetaType::QDateTime:
        return QDateTimeToDateTime(v.toDateTime());
    default:
        if (isNumber(v))
            return v.toDouble();
        if (isText(v))
            return StrToDateTime(textOf(v));
        throw EConvertError(QStringLiteral("Valor não pode ser convertido em data"));
    }
}

int toInteger(const QVariant &v)
{
    if (isText(v))
        return StrToInt(textOf(v));
    if (v.typeId() == QMetaType::Bool)
        return v.toBool() ? 1 : 0;
    const double d = v.toDouble();
    if (!isNumber(v) || d != std::trunc(d) || d < std::numeric_limits<int>::min() ||
        d > std::numeric_limits<int>::max())
        throw EConvertError(QStringLiteral("'%1' não é um valor inteiro válido")
                                .arg(TField::Text(v, TFieldType::ftFloat)));
    return int(d);
}

bool toBoolean(const QVariant &v)
{
    if (v.typeId() == QMetaType::Bool || isNumber(v))
        return v.toDouble() != 0;
    const QString t = textOf(v).trimmed().toLower();
    if (t == QLatin1String("true") || t == QLatin1String("t") || t == QLatin1String("1"))
        return true;
    if (t == QLatin1String("false") || t == QLatin1String("f") || t == QLatin1String("0"))
        return false;
    throw EConvertError(QStringLiteral("'%1' não é um valor booleano válido").arg(textOf(v)));
}

// A value already stored as the field stores it: a packet's values mostly are.
bool alreadyOfType(const QVariant &v, TFieldType type, int size)
{
    switch (v.typeId()) {
    case QMetaType::QString:
        return type == TFieldType::ftString &&
               (size <= 0 || static_cast<const QString *>(v.constData())->size() <= size);
    case QMetaType::QDate:
        return type == TFieldType::ftDate;
    case QMetaType::Double:
        return type == TFieldType::ftFloat && std::isfinite(v.toDouble());
    case QMetaType::Int:
        return type == TFieldType::ftInteger;
    case QMetaType::Bool:
        return type == TFieldType::ftBoolean;
    default:
        return false;
    }
}

double toFloat(const QVariant &v)
{
    if (isText(v))
        return StrToFloat(textOf(v));
    if (v.typeId() == QMetaType::QDate || v.typeId() == QMetaType::QDateTime)
        return toDateTime(v);
    if (v.typeId() == QMetaType::Bool)
        return v.toBool() ? 1 : 0;
    if (!isNumber(v))
        throw EConvertError(QStringLiteral("Valor não pode ser convertido em número"));
    const double d = v.toDouble();
    if (!std::isfinite(d)) // no packet could carry it
        throw EConvertError(
            QStringLiteral("'%1' não é um valor numérico válido").arg(FloatToStr(d)));
    return d;
}

} // namespace

TField::TField(TDataSet *dataSet, QString fieldName, TFieldType dataType, int size)
    : m_dataSet(dataSet), m_fieldName(std::move(fieldName)), m_dataType(dataType),
      m_size(dataType == TFieldType::ftString ? size : 0)
{
}

int TField::Index() const
{
    const auto &fields = m_dataSet->Fields();
    for (size_t i = 0; i < fields.size(); ++i)
        if (fields[i].get() == this)
            return int(i);
    return -1;
}

QVariant TField::Convert(const QVariant &value, TFieldType type, int size)
{
    if (!value.isValid() || value.isNull())
        return QVariant();
    if (alreadyOfType(value, type, size))
        return value;
    switch (type) {
    case TFieldType::ftString: {
        QString text = isText(value) ? textOf(value) : Text(value, TFieldType::ftString);
        if (size > 0 && text.size() > size)
            text.truncate(size);
        return text;
    }
    case TFieldType::ftDate:
        // An empty text is a null date, as for every non-text field.
        if (isText(value) && textOf(value).isEmpty())
            return QVariant();
        return DateTimeToQDate(toDateTime(value));
    case TFieldType::ftDateTime:
        if (isText(value) && textOf(value).isEmpty())
            return QVariant();
        return DateTimeToQDateTime(toDateTime(value));
    case TFieldType::ftFloat:
        if (isText(value) && textOf(value).isEmpty())
            return QVariant();
        return toFloat(value);
    case TFieldType::ftInteger:
        if (isText(value) && textOf(value).isEmpty())
            return QVariant();
        return toInteger(value);
    case TFieldType::ftBoolean:
        if (isText(value) && textOf(value).isEmpty())
            return QVariant();
        return toBoolean(value);
    }
    return QVariant();
}

QString TField::Text(const QVariant &stored, TFieldType type)
{
    if (!stored.isValid() || stored.isNull())
        return QString();
    switch (stored.typeId()) {
    case QMetaType::QDate:
        return DateToStr(DateToDateTime(stored.toDate()));
    case QMetaType::QDateTime:
        return type == TFieldType::ftDate ? DateToStr(QDateTimeToDateTime(stored.toDateTime()))
                                          : DateTimeToStr(QDateTimeToDateTime(stored.toDateTime()));
    case QMetaType::Bool:
        return stored.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::Double:
    case QMetaType::Float:
        return FloatToStr(stored.toDouble());
    default:
        return textOf(stored);
    }
}

bool TField::IsNull() const
{
    const QVariant v = Value();
    return !v.isValid() || v.isNull();
}

QVariant TField::Value() const
{
    return m_dataSet->CurrentValue(Index());
}

void TField::SetValue(const QVariant &value)
{
    m_dataSet->CheckEditing();
    m_dataSet->SetCurrentValue(Index(), Convert(value, m_dataType, m_size));
}

void TField::Clear()
{
    SetValue(QVariant());
}

QString TField::AsString() const
{
    return Text(Value(), m_dataType);
}

void TField::SetAsString(const QString &text)
{
    SetValue(text);
}

double TField::AsFloat() const
{
    return IsNull() ? 0.0 : toFloat(Value());
}

void TField::SetAsFloat(double value)
{
    SetValue(value);
}

int TField::AsInteger() const
{
    if (IsNull())
        return 0;
    const QVariant v = Value();
    if (v.typeId() == QMetaType::Double)
        return toInteger(std::round(v.toDouble()));
    return toInteger(v);
}

void TField::SetAsInteger(int value)
{
    SetValue(value);
}

TDateTime TField::AsDateTime() const
{
    return IsNull() ? 0.0 : toDateTime(Value());
}

void TField::SetAsDateTime(TDateTime value)
{
    if (m_dataType == TFieldType::ftString)
        SetValue(DateTimeToStr(value));
    else
        SetValue(value);
}

void TField::FocusControl()
{
    if (m_dataSet->OnFocusControl)
        m_dataSet->OnFocusControl(this);
}
